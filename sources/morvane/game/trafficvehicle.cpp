#include "morvane/game/trafficvehicle.h"

#include "morvane/game/curvepool.h"

void TTrafficVehicle::Drive(const TCurvePool& pool, const TCurveRecord& curve, f32 step)
{
    fDistance += fSpeed * step;
    TVector position = TVector::Add(SegmentStart, Direction.Scaled(fDistance));
    // A stored car has no segment yet: it takes up the next one at once, even on a still frame
    // (a paused game, a speed of 0), rather than standing at the world's origin.
    if (fDistance > fSegmentLength || fSegmentLength <= 0.0f)
    {
        // A closed curve: its last point is its first, so the last segment starts one before.
        ++nSegment;
        if (nSegment >= curve.nPointCount - 1)
            nSegment = 0;
        SegmentStart = pool.GetPoint(curve, nSegment);
        SegmentEnd = pool.GetPoint(curve, nSegment + 1u);
        const TVector run = TVector::Subtract(SegmentEnd, SegmentStart);
        Direction = run.Normalized();
        Direction.w = 1.0f;
        const f32 oldLength = fSegmentLength;
        fSegmentLength = run.Length();
        World.SetOrientation(Direction, TVector(0.0f, 1.0f, 0.0f, 0.0f));
        fDistance -= oldLength;
        // The car waits at the new start rather than overshooting a bend.
        position = SegmentStart;
    }
    World.Translation() = TVector(position.x, position.y, position.z, 1.0f);
}
