#pragma once
// TGameMaterialManager ("GameMaterial"): every game material of the loaded cluster and the key
// set {name id, list index} sorted as signed values, rebuilt at each cluster load. A name
// missing from the set falls back to the first key's material (logged per lookup); with no
// material at all a neutral one answers (no ricochet, no effects, no sounds).
#include "core/cluster/clustermethods.h"
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sset.h"
#include "engine/system/manager.h"
#include "igame/gamematerial/gamematerial.h"

constexpr u32 GAME_MATERIAL_KEY_CAPACITY = 256;
// The manager's data size per key.
constexpr i32 GAME_MATERIAL_KEY_DATA_SIZE = 16;

// The fallback key a hit without a material of its own uses.
extern const TName g_NameDefault;

class TGameMaterialManager : public TManager, public TClusterMethods
{
public:
    using TKeySet = SSet<TMapKey<u32, u32>, GAME_MATERIAL_KEY_CAPACITY, u32, 0>;

    TGameMaterialManager();

    void BeginManager() override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    i32 GetDataSize() override;

    // The material of that name; the requester only names the asker in the fallback's line.
    const TGameMaterial* GetMaterial(u32 materialName, u32 requesterName) const;
    // Rebuilds the key set from the list (a cluster load; tests after filling the list).
    void RebuildKeys();

    DArray<TGameMaterial*>& Materials() { return m_aMaterial; }
    const TKeySet& Keys() const { return m_Keys; }
    static const TGameMaterial& Neutral();

private:
    DArray<TGameMaterial*> m_aMaterial;
    TKeySet m_Keys;
};

extern TGameMaterialManager* g_pGameMaterialManager;
