// The path rules the game's road relies on, checked on the plan the generator makes its curves
// from: where a unit is held, its path runs on (else it arrives and vanishes); departures pass
// the queue's entry and the take-off zones in order and end where the take-off begins.
#include "aerodromeplan.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace AerodromePlan;

namespace
{
// The index of the path's point nearest the point.
size_t Nearest(const TPlanPath& path, const TPlanPoint& at)
{
    size_t best = 0;
    for (size_t i = 1; i < path.size(); ++i)
        if (PlanDistance(path[i], at) < PlanDistance(path[best], at))
            best = i;
    return best;
}

// The path's length from its point nearest the given one to its end.
f32 LengthBeyond(const TPlanPath& path, const TPlanPoint& at)
{
    return PathLength(TPlanPath(path.begin() + static_cast<long>(Nearest(path, at)), path.end()));
}

constexpr f32 kRunOn = 20.0f;
constexpr f32 kOnPath = 1.0f;
constexpr f32 kAircraftLength = 36.0f;
} // namespace

TEST(AerodromePlan, PathsRunOnBeyondWhereTheRoadHoldsAUnit)
{
    const TPlanPath first = FirstPath();
    EXPECT_LT(DistanceToPath(LandingZone(0), first), kOnPath);
    EXPECT_GE(LengthBeyond(first, LandingZone(0)), kRunOn);
    for (u32 gate = 1; gate <= PLAN_GATE_COUNT; ++gate)
    {
        const TPlanPath taxi = TaxiPath(gate);
        EXPECT_LT(DistanceToPath(TAXI_END, taxi), kOnPath) << gate;
        EXPECT_GE(LengthBeyond(taxi, TAXI_END), kRunOn) << gate;
        // Arrivals start where the first path holds the aircraft and end with the aircraft's
        // middle on the stand (its drive node ahead), after a straight run into it as long as
        // the aircraft.
        const TPlanPath arrival = ArrivalPath(gate);
        const TPlanPoint stand = StandPosition(gate);
        EXPECT_LT(PlanDistance(arrival.front(), LandingZone(0)), kOnPath) << gate;
        EXPECT_LT(PlanDistance(arrival.back(), {stand.x - AIRCRAFT_DRIVE_LEAD, stand.y, stand.z}), kOnPath) << gate;
        const TPlanPoint& straight = arrival[arrival.size() - 2];
        EXPECT_EQ(straight.z, STAND_Z) << gate;
        EXPECT_GE(PlanDistance(straight, arrival.back()), kAircraftLength) << gate;
    }
}

TEST(AerodromePlan, DeparturesPassTheQueueAndTheZonesInOrderToWhereTheTakeOffBegins)
{
    const TPlanPath departure = DeparturePath();
    EXPECT_LT(DistanceToPath(TAKE_OFF_QUEUE_ENTRY, departure), 40.0f);
    size_t previous = Nearest(departure, TAKE_OFF_QUEUE_ENTRY);
    for (u32 zone = PLAN_ZONE_COUNT; zone-- > 0;)
    {
        EXPECT_LT(DistanceToPath(TakeOffZone(zone), departure), kOnPath) << zone;
        const size_t at = Nearest(departure, TakeOffZone(zone));
        EXPECT_GT(at, previous) << "zone " << zone << " comes after the one before it";
        previous = at;
    }
    EXPECT_LT(PlanDistance(departure.back(), LANDING_END), kOnPath);
    // The first path starts where the landing ends.
    EXPECT_LT(PlanDistance(FirstPath().front(), LANDING_END), kOnPath);
}
