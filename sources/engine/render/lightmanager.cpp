#include "engine/render/lightmanager.h"

#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"

TLightManager* g_pLightManager = nullptr;

namespace
{
TLightManager s_LightManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Light", "Light", &g_pLightManager, &s_LightManager);
} // namespace

TLightManager::TLightManager() : m_aTotal{}
{
    if (g_pCluster)
        RegisterArray(&LightSetDecl(), &m_aLightSet);
}

void TLightManager::AddCounts(const TLightSet& set, i32 sign)
{
    for (u32 type = 0; type < LIGHT_TYPE_COUNT; ++type)
        m_aTotal[type] += sign * static_cast<i32>(set.m_aLightCount[type]);
}
