#include "igame/effects/vegetation/vegetationheightcache.h"

#include "ageia/collisionmanager.h"
#include "core/system/timer.h"
#include "igame/effects/vegetation/vegetationmanager.h"

#include <cstring>

namespace
{
void MakeKey(const TVector& position, u8* key)
{
    const f32 words[4] = {position.x, position.y, position.z, 1.0f};
    std::memcpy(key, words, sizeof words);
}
} // namespace

TVegetationHeightCache& TVegetationHeightCache::Get()
{
    static TVegetationHeightCache s_Cache;
    return s_Cache;
}

u32 TVegetationHeightCache::LowerBound(const u8* key) const
{
    u32 first = 0, count = m_aEntry.GetCount();
    while (count > 0)
    {
        const u32 half = count / 2;
        if (std::memcmp(m_aEntry[first + half].aKey, key, 16) < 0)
        {
            first += half + 1;
            count -= half + 1;
        }
        else
            count = half;
    }
    return first;
}

u32 TVegetationHeightCache::Contains(const TVector& position) const
{
    u8 key[16];
    MakeKey(position, key);
    const u32 at = LowerBound(key);
    return at < m_aEntry.GetCount() && std::memcmp(m_aEntry[at].aKey, key, 16) == 0 ? 1 : 0;
}

void TVegetationHeightCache::Measure(const TMatrix& world, const TBoundBox& box, f32* heights)
{
    for (u32 r = 0; r < VEGETATION_HEIGHT_GRID; ++r)
        for (u32 k = 0; k < VEGETATION_HEIGHT_GRID; ++k)
        {
            const TVector local(box.centre[0] - box.size[0] * 0.5f + (k + 0.5f) * box.size[0] / VEGETATION_HEIGHT_GRID,
                                box.centre[1] - box.size[1] * 0.5f,
                                box.centre[2] - box.size[2] * 0.5f + (r + 0.5f) * box.size[2] / VEGETATION_HEIGHT_GRID,
                                1.0f);
            const TVector p = world.TransformPoint(local);
            const TVector from(p.x, p.y + VEGETATION_HEIGHT_RAY_LIFT, p.z, 1.0f);
            const TVector to(p.x, p.y - VEGETATION_HEIGHT_RAY_LIFT, p.z, 1.0f);
            TCollisionHit hit{};
            hit.nFilter = VEGETATION_GROUND_GROUP;
            f32& height = heights[r * VEGETATION_HEIGHT_GRID + k];
            height = 0.0f;
            if (g_pCollisionManager && g_pCollisionManager->RayCast(TRay(from, to), hit, 0))
                height = TVector::Subtract(hit.Point, from).Length() - VEGETATION_HEIGHT_RAY_LIFT;
        }
}

const f32* TVegetationHeightCache::Heights(const TMatrix& world, const TBoundBox* box)
{
    u8 key[16];
    MakeKey(world.Translation(), key);
    const f64 now = g_pTimer ? g_pTimer->GetTime() : 0.0;
    u32 at = LowerBound(key);
    if (at < m_aEntry.GetCount() && std::memcmp(m_aEntry[at].aKey, key, 16) == 0)
    {
        m_aEntry[at].dLastUse = now;
        return m_aEntry[at].aHeight;
    }
    TVegetationHeightEntry entry{};
    std::memcpy(entry.aKey, key, sizeof key);
    entry.dLastUse = now;
    if (box)
        Measure(world, *box, entry.aHeight);
    u32 count = m_aEntry.GetCount();
    if (count == VEGETATION_HEIGHT_CACHE_CAPACITY)
    {
        u32 oldest = 0;
        for (u32 i = 1; i < count; ++i)
            if (m_aEntry[i].dLastUse < m_aEntry[oldest].dLastUse)
                oldest = i;
        for (u32 i = oldest; i + 1 < count; ++i)
            m_aEntry[i] = m_aEntry[i + 1];
        m_aEntry.SetCount(--count);
        at = LowerBound(key);
    }
    m_aEntry.SetCount(count + 1);
    for (u32 i = count; i > at; --i)
        m_aEntry[i] = m_aEntry[i - 1];
    m_aEntry[at] = entry;
    return m_aEntry[at].aHeight;
}
