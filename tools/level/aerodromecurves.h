#pragma once
// TCurvePoolBuilder: the polylines of a curve pool being made (the units' paths of "CommonUnit",
// the public road of "TrafficCurve"), and the pool itself: its block of point records (x, y, z,
// 1) followed by the curve records {first point, point count, 0, 0}, the pool's resource
// listed with the game logic.
#include "aerodromeplan.h"
#include "core/system/types.h"

#include <vector>

class TAerodromeBuilder;
class TCurvePool;

class TCurvePoolBuilder
{
public:
    // The curve's index; a path of fewer than two points is refused (-1).
    i32 Add(const TPlanPath& path);
    u32 GetCurveCount() const { return static_cast<u32>(m_aCurve.size()); }
    const TPlanPath& GetCurve(u32 index) const { return m_aCurve[index]; }
    // The pool of the name with its block.
    TCurvePool& Write(TAerodromeBuilder& builder, const char* name) const;

private:
    std::vector<TPlanPath> m_aCurve;
};
