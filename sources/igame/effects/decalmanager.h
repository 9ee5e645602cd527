#pragma once
// TDecalManager ("Decal"): every decal of the scene, drawn after the opaque scene through one
// vertex stream with "Decals_normal". Baked pools (TStaticDecalPool) come with the level; run-time
// pools (TDecalPool) are filled by projecting decal boxes (the track decals) onto the collision
// triangles under them, one pool per key {object hit, decal data}. The keys are kept in byte
// order and searched by an integer lower bound.
#include "core/cluster/clustermethods.h"
#include "core/math/color.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "igame/effects/decalpool.h"

#include <memory>

struct TDecal;
struct TDecalData;
class TStaticDecalPool;
class TTrackDecal;

constexpr u32 DECAL_DYNAMIC_CAPACITY = 32;
constexpr u32 DECAL_POOL_CAPACITY = 64;
constexpr u32 DECAL_KEY_CAPACITY = 128;

// A decal placed at run time; nothing makes one yet, a cluster load clears them.
struct TDynamicDecal
{
    f32 aBlock[16];
    f32 aScale[6];
    f32 aExtra[2];
    TColor Color;
};

class TDecalManager : public TManager, public TClusterMethods
{
public:
    // The object a decal lies on and its decal data, compared as 8 bytes.
    struct TNodeDecalKey
    {
        u8 aByte[8];
        TNodeDecalKey(const void* object, const TDecalData* data);
    };

    TDecalManager();

    void BeginManager() override;
    void RenderManager() override;
    void OnClusterLoad() override;

    // The pool of {object, the decal's data}, made when absent; null for a decal without data and
    // once 64 pools exist (logged once a level).
    TDecalPool* GetPool(const void* object, const TDecal* decal);
    // The pool of that key, or null.
    TDecalPool* FindPool(const void* object, const TDecalData* data) const;
    // Empties every run-time pool; baked pools stay.
    void Clear();

    u32 GetPoolCount() const { return m_nPoolCount; }
    TDecalPool* GetPoolAt(u32 index) const { return m_apPool[index].get(); }
    u32 GetDynamicDecalCount() const { return m_aDynamic.GetCount(); }
    DArray<TDecalData*>& DecalData() { return m_aDecalData; }
    DArray<TDecal*>& Decals() { return m_aDecal; }
    DArray<TTrackDecal*>& TrackDecals() { return m_aTrackDecal; }
    DArray<TStaticDecalPool*>& StaticPools() { return m_aStaticPool; }

private:
    struct TKeyEntry
    {
        TNodeDecalKey Key;
        TDecalPool* pPool;
    };
    // The first entry whose key is not below the given one.
    u32 LowerBound(const TNodeDecalKey& key) const;
    void Draw(TDecalData* data, const TDecalVertex* vertices, u32 count);

    DArray<TDecalData*> m_aDecalData;
    DArray<TDecal*> m_aDecal;
    DArray<TTrackDecal*> m_aTrackDecal;
    DArray<TStaticDecalPool*> m_aStaticPool;
    SArray<TDynamicDecal, DECAL_DYNAMIC_CAPACITY, 0> m_aDynamic;
    std::unique_ptr<TDecalPool> m_apPool[DECAL_POOL_CAPACITY];
    u32 m_nPoolCount = 0;
    SArray<TKeyEntry, DECAL_KEY_CAPACITY, 0> m_aKey;
    u32 m_nPoolsRefused = 0;
};

extern TDecalManager* g_pDecalManager;
