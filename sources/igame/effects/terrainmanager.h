#pragma once
// TTerrainManager ("Terrain", manager id 43): holds the terrain shading settings, 48 four-float
// vectors that scene data, scripts or saved states write as the manager's one data block and
// that every terrain shader receives through the plug-in TTerrainSettingsShd. It draws and
// updates nothing itself.
#include "core/math/vector.h"
#include "engine/system/manager.h"

// The mesh type's id: the terrain's settings travel as the block of that manager id.
constexpr i32 TERRAIN_MANAGER_ID = 43;
constexpr u32 TERRAIN_SETTINGS_VECTORS = 48;
constexpr u32 TERRAIN_SETTINGS_SIZE = TERRAIN_SETTINGS_VECTORS * sizeof(TVector);

class TTerrainManager : public TManager
{
public:
    TTerrainManager();

    const TVector* GetSettings() const { return m_aSettings; }

    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return TERRAIN_SETTINGS_SIZE; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    // Copies at most the given size (a shorter block keeps the rest); another size than 768
    // bytes is logged.
    i32 SetData(i32 index, const void* data, i32 size) override;

private:
    TVector m_aSettings[TERRAIN_SETTINGS_VECTORS];
};

static_assert(TERRAIN_SETTINGS_SIZE == 768);

extern TTerrainManager* g_pTerrainManager;
