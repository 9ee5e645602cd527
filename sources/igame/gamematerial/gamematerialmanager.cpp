#include "igame/gamematerial/gamematerialmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"

TGameMaterialManager* g_pGameMaterialManager = nullptr;
const TName g_NameDefault("Default", true);

namespace
{
TGameMaterialManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("GameMaterial", "GameMaterial", &g_pGameMaterialManager, &s_Manager);
} // namespace

TGameMaterialManager::TGameMaterialManager()
{
    if (g_pCluster)
        RegisterArray(&GameMaterialDecl(), &m_aMaterial);
}

void TGameMaterialManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

const TGameMaterial& TGameMaterialManager::Neutral()
{
    static const TGameMaterial s_Neutral = {};
    return s_Neutral;
}

void TGameMaterialManager::RebuildKeys()
{
    m_Keys._SetCount(0);
    for (i32 i = 0; i < m_aMaterial.GetCount(); ++i)
    {
        const TGameMaterial* material = m_aMaterial[i];
        TName name;
        name.SetId(material->nName);
        if (m_Keys.IsFull())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TGameMaterialManager::RebuildKeys(): error: ",
                        "more than %u game materials: '%s' and those after it are not found by name",
                        GAME_MATERIAL_KEY_CAPACITY, name.GetText());
            return;
        }
        if (m_Keys.Insert({material->nName, static_cast<u32>(i)}))
            TLog::Print(g_pSystemLog, LOG_WARNING, "TGameMaterialManager::RebuildKeys(): warning: ",
                        "game material '%s' is declared twice: the first one is used", name.GetText());
    }
}

void TGameMaterialManager::OnClusterLoad()
{
    RebuildKeys();
}

void TGameMaterialManager::OnClusterUnload()
{
    m_Keys._SetCount(0);
}

i32 TGameMaterialManager::GetDataSize()
{
    return static_cast<i32>(m_Keys.GetCount()) * GAME_MATERIAL_KEY_DATA_SIZE;
}

const TGameMaterial* TGameMaterialManager::GetMaterial(u32 materialName, u32 requesterName) const
{
    const i32 at = m_Keys.FindKey(materialName);
    if (at >= 0)
        return m_aMaterial[static_cast<i32>(m_Keys[static_cast<u32>(at)].value)];
    TName material, requester;
    material.SetId(materialName);
    requester.SetId(requesterName);
    TLog::Print(g_pSystemLog, LOG_INFO, "TGameMaterialManager::GetMaterial(): ", "'%s:%s' undeclared idenfifier",
                material.GetText(), requester.GetText());
    if (m_Keys.GetCount() == 0)
        return &Neutral();
    return m_aMaterial[static_cast<i32>(m_Keys[0].value)];
}
