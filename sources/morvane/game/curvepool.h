#pragma once
// TCurvePool (stored type 157, 112 bytes): a resource whose block holds polylines: point
// records of four floats, then curve records {first point, point count, two unused words}.
// The units' paths live in the pool named "CommonUnit", the traffic's in "TrafficCurve".
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
