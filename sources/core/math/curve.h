#pragma once

#include "core/math/vector.h"

#include "core/system/types.h"

// Curve data as stored: a point count, then that many control points (4-byte aligned, right
// after the count).
struct TCurve
{
    u32 count;

    const TVector* Points() const { return reinterpret_cast<const TVector*>(this + 1); }

    enum TKind : i32
    {
        Polyline = 0,
        CatmullRom = 1,
        Bezier = 2,
        // Catmull-Rom with each neighbour moved to the current segment's length.
        CatmullRomEven = 3,
    };

    // The curve's point at t in [0, 1]. The status gets 0 before the start, 2 past the end,
    // otherwise {1.0, segment index, local parameter}. An unknown kind gives (0, 0, 0, 1).
    static void Evaluate(i32 kind, TVector& status, const TCurve& curve, TVector& point, float t);
};
static_assert(sizeof(TCurve) == 4);
