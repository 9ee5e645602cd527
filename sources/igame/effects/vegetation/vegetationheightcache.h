#pragma once
// TVegetationHeightCache: the ground under drawn vegetation objects, an 8 x 8 grid of how far the
// ground lies below the bottom of each object's box, measured by rays once per world position and
// kept for the 256 positions used last (the one unused longest goes first).
#include "core/math/boundbox.h"
#include "core/math/matrix.h"
#include "core/math/vector.h"
#include "core/system/templates/sarray.h"

#include <cstddef>

constexpr u32 VEGETATION_HEIGHT_GRID = 8;
constexpr u32 VEGETATION_HEIGHT_VALUES = VEGETATION_HEIGHT_GRID * VEGETATION_HEIGHT_GRID;
constexpr u32 VEGETATION_HEIGHT_CACHE_CAPACITY = 256;
// The rays start this far above the box bottom and reach twice as far down.
constexpr f32 VEGETATION_HEIGHT_RAY_LIFT = 100.0f;

struct TVegetationHeightEntry
{
    // The world position x, y, z and 1, compared as bytes.
    u8 aKey[16];
    f64 dLastUse;
    u8 m_aReserved24[12];
    f32 aHeight[VEGETATION_HEIGHT_VALUES];
};
static_assert(sizeof(TVegetationHeightEntry) == 292);
static_assert(offsetof(TVegetationHeightEntry, dLastUse) == 16);
static_assert(offsetof(TVegetationHeightEntry, aHeight) == 36);

class TVegetationHeightCache
{
public:
    // The run's one cache.
    static TVegetationHeightCache& Get();

    // The grid of an object drawn at the world matrix with the box (its own frame's; none
    // measures flat ground), measured on a miss.
    const f32* Heights(const TMatrix& world, const TBoundBox* box);
    u32 GetCount() const { return m_aEntry.GetCount(); }
    // Whether the position has an entry.
    u32 Contains(const TVector& position) const;
    void Clear() { m_aEntry.SetCount(0); }

    // The ray measurement of a box (in the frame of the matrix): row r, column k at r * 8 + k.
    static void Measure(const TMatrix& world, const TBoundBox& box, f32* heights);

private:
    u32 LowerBound(const u8* key) const;

    SArray<TVegetationHeightEntry, VEGETATION_HEIGHT_CACHE_CAPACITY, 0> m_aEntry;
};
