#pragma once
// TTrafficVehicle (stored type 175, 148 bytes): a background car driving a closed curve of the
// pool "TrafficCurve"; the run-time fields in front of its mesh follow its segment.
#include "core/math/matrix.h"

#include <cstddef>

class TCurvePool;
class TMesh;
struct TCurveRecord;

struct TTrafficVehicle
{
    // Moves the car on by the step along its segment of the curve (two points or more); past
    // the segment's end (or without a segment, as stored) it takes up the next segment at its
    // start, wrapping before the last point, and turns to face it.
    void Drive(const TCurvePool& pool, const TCurveRecord& curve, f32 step);

    u8 nCurve;
    u8 nSegment;
    u16 nReserved2;
    f32 fSpeed;
    f32 fDistance;
    TMatrix World;
    TVector SegmentStart;
    TVector SegmentEnd;
    TVector Direction;
    TVector ScratchDirection;
    f32 fSegmentLength;
    TMesh* pMesh;
};

static_assert(sizeof(TTrafficVehicle) == 148);
static_assert(offsetof(TTrafficVehicle, fSpeed) == 4);
static_assert(offsetof(TTrafficVehicle, World) == 12);
static_assert(offsetof(TTrafficVehicle, SegmentStart) == 76);
static_assert(offsetof(TTrafficVehicle, fSegmentLength) == 140);
static_assert(offsetof(TTrafficVehicle, pMesh) == 144);
