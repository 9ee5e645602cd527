#include "engine/render/lightmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"

#include <cstring>

TLightManager* g_pLightManager = nullptr;

namespace
{
TLightManager s_LightManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Light", "Light", &g_pLightManager, &s_LightManager);

constexpr const char* kCountError = "TLightManager::CountLight(): error: ";

class Tlight_optimizationVariable : public TVariable
{
public:
    Tlight_optimizationVariable() : TVariable("light_optimization", "Set light optimization level", 0)
    {
        m_Value.SetInt(LIGHT_OPTIMIZATION_DEFAULT);
    }
    void OnChange() override
    {
        i32 level = -1;
        if (m_Value.nType == VALUE_INT)
            level = m_Value.nInt;
        else if (m_Value.nType == VALUE_FLOAT)
            level = static_cast<i32>(m_Value.fFloat);
        else if (m_Value.nType == VALUE_NAME)
            level = static_cast<i32>(m_Value.nName);
        g_pLightManager->SetOptimizationLevel(level);
    }
};

Tlight_optimizationVariable s_light_optimization;

const char* NodeName(const TLight* light)
{
    return light->pNode ? light->pNode->m_Name.GetText() : "";
}
} // namespace

TLightManager::TLightManager()
    : m_pCurrentLightSet(nullptr), m_aTotal{}, m_nOptimizationLevel(LIGHT_OPTIMIZATION_DEFAULT)
{
    if (!g_pCluster)
        return;
    RegisterArray(&LightSetDecl(), &m_aLightSet);
    RegisterArray(&LightDecl(), &m_aLight);
    RegisterId(LIGHT_MANAGER_ID);
}

void TLightManager::AddCounts(const TLightSet& set, i32 sign)
{
    for (u32 type = 0; type < LIGHT_TYPE_COUNT; ++type)
    {
        const i32 total = m_aTotal[type] + sign * static_cast<i32>(set.m_aLightCount[type]);
        if (total < 0)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TLightManager::AddCounts(): error: ",
                        "light total of type %u would go below 0 (%d): kept at 0", type, total);
        m_aTotal[type] = total < 0 ? 0 : total;
    }
}

void TLightManager::CountLight(TLightSet& set, u32 type, i32 sign)
{
    if (sign < 0 && set.m_aLightCount[type] == 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCountError, "light set count of type %u would go below 0", type);
        return;
    }
    set.m_aLightCount[type] = static_cast<u32>(static_cast<i32>(set.m_aLightCount[type]) + sign);
    if (!(set.m_nFlags & LIGHT_SET_ON))
        return;
    if (sign < 0 && m_aTotal[type] == 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCountError, "light total of type %u would go below 0", type);
        return;
    }
    m_aTotal[type] += sign;
}

void TLightManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

i32 TLightManager::SetArray(u32 typeId, void*, i32)
{
    if (typeId != LightSetDecl().GetTypeId())
        return 1;
    m_pCurrentLightSet = m_aLightSet.GetCount() > 0 ? m_aLightSet[0] : nullptr;
    return 0;
}

void TLightManager::OnClusterLoad()
{
    for (i32 i = 0; i < m_aLight.GetCount(); ++i)
        if (!m_aLight[i]->IsValid())
            TLog::Print(g_pSystemLog, LOG_ERROR, "TLightManager::OnClusterLoad(): error: ",
                        "light %d ('%s') of type %d and range %g is neither counted nor drawn", i,
                        NodeName(m_aLight[i]), m_aLight[i]->m_nType, static_cast<f64>(m_aLight[i]->m_fRange));
}

i32 TLightManager::GetData(i32 index, void*& data, i32& size)
{
    data = m_aTotal;
    size = sizeof(m_aTotal);
    return index == 0 ? 0 : 1;
}

i32 TLightManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0 || size != static_cast<i32>(sizeof(m_aTotal)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TLightManager::SetData(): error: ",
                    "block %d of %d bytes is not the %u-byte light totals", index, size,
                    static_cast<u32>(sizeof(m_aTotal)));
        return 1;
    }
    std::memcpy(m_aTotal, data, sizeof(m_aTotal));
    for (u32 type = 0; type < LIGHT_TYPE_COUNT; ++type)
        if (m_aTotal[type] < 0)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TLightManager::SetData(): error: ",
                        "stored light total of type %u is %d: taken as 0", type, m_aTotal[type]);
            m_aTotal[type] = 0;
        }
    return 0;
}
