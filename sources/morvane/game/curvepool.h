#pragma once
// TCurvePool (stored type 157, 112 bytes): a resource whose block holds polylines: point
// records of four floats, then curve records {first point, point count, two unused words}.
// The units' paths live in the pool named "CommonUnit", the traffic's in "TrafficCurve".
// Loading points into the block, which stays in the repository's image while the pool is
// loaded; a block shorter than its counts, or a curve reaching past the points, is refused with
// one line (the pool stays unloaded).
#include "core/math/vector.h"
#include "engine/system/resource.h"

#include <cstddef>

constexpr u32 CURVE_POOL_KIND = 21;

struct TCurveRecord
{
    u32 nFirstPoint;
    u32 nPointCount;
    u32 aUnused[2];
};

static_assert(sizeof(TCurveRecord) == 16);

class TCurvePool : public TResource
{
public:
    TCurvePool();

    i32 Load() override;
    i32 Release() override;
    // The curve of the index; null outside the pool or while it is not loaded.
    const TCurveRecord* GetCurve(i32 index) const;
    // Point k of the curve (k below its point count).
    const TVector& GetPoint(const TCurveRecord& curve, u32 k) const { return pPoints[curve.nFirstPoint + k]; }

    TName m_PoolName;
    u32 m_nPointCount;
    u32 m_nCurveCount;
    const TVector* pPoints;
    const TCurveRecord* pCurves;
    u32 m_aReserved88[6];
};

static_assert(sizeof(TCurvePool) == 112);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TCurvePool, m_PoolName) == 68);
static_assert(offsetof(TCurvePool, m_nPointCount) == 72);
static_assert(offsetof(TCurvePool, m_nCurveCount) == 76);
static_assert(offsetof(TCurvePool, pPoints) == 80);
static_assert(offsetof(TCurvePool, pCurves) == 84);
#pragma GCC diagnostic pop
