#include "igame/effects/terrainmanager.h"

#include "core/system/log.h"
#include "engine/system/managermanager.h"

#include <algorithm>
#include <cstring>

TTerrainManager* g_pTerrainManager = nullptr;

namespace
{
TTerrainManager s_TerrainManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Terrain", "Terrain", &g_pTerrainManager, &s_TerrainManager);
} // namespace

TTerrainManager::TTerrainManager() : m_aSettings{}
{
    RegisterId(TERRAIN_MANAGER_ID);
}

i32 TTerrainManager::GetData(i32 index, void*& data, i32& size)
{
    data = m_aSettings;
    size = TERRAIN_SETTINGS_SIZE;
    return index == 0 ? 0 : 1;
}

i32 TTerrainManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0 || size < 0)
        return 1;
    if (size != static_cast<i32>(TERRAIN_SETTINGS_SIZE))
        TLog::Print(g_pSystemLog, LOG_WARNING, "TTerrainManager::SetData(): warning: ",
                    "settings block of %d bytes (%u expected): %d bytes taken", size, TERRAIN_SETTINGS_SIZE,
                    std::min<i32>(size, TERRAIN_SETTINGS_SIZE));
    std::memcpy(m_aSettings, data, static_cast<u32>(std::min<i32>(size, TERRAIN_SETTINGS_SIZE)));
    return 0;
}
