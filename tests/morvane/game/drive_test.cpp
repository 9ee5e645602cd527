// Units driving their paths in the pool "CommonUnit": the pool's block checked at load, paths
// and points outside the pool, a two-point path, the obstacle ray and the blocked time.
#include "gamefixture.h"

namespace
{
class DriveTest : public GameTest
{
protected:
    // A unit on a wheel-less vehicle at the place facing +z, its prop's node shown, driving
    // the curve.
    TAICommonUnit& AddDriver(f32 x, f32 z, i32 curve = 0)
    {
        TVehicle& vehicle = AddVehicle("driver", x, z);
        vehicle.Parameters.fMaxSpeed = 30.0f;
        vehicle.Parameters.fMaxSteerAngle = 30.0f;
        vehicle.Parameters.fNearDistance = 5.0f;
        vehicle.Parameters.fFarDistance = 6.0f;
        TAICommonUnit& unit = AddUnit(1);
        unit.pVehicle = &vehicle;
        unit.pBody = vehicle.pBody;
        unit.pVDriveNode = vehicle.GetNode();
        TNode* place = g_pNodeManager->CreateNode("driver_prop");
        TProp& prop = m_aProp.emplace_back();
        place->AddObject(&prop);
        unit.pProp = &prop;
        unit.m_nCurrentPath = curve;
        unit.m_nDriving = 1;
        return unit;
    }

    // A still box in the obstacle rays' group whose near face lies the distance ahead (+z) of
    // the point, at the ray's height.
    void Obstacle(f32 x, f32 z)
    {
        StillBox(Translation(x, 1.5f, z + 0.5f), TVector(0.5f, 0.5f, 0.5f, 1.0f), UNIT_RAY_FILTER);
    }
};

const std::vector<TVector> kStraight = {TVector(0, 0, 0, 1), TVector(0, 0, 10, 1), TVector(0, 0, 20, 1)};
} // namespace

// A block a byte short of its counts, or a curve record claiming a point more than there are.
TEST_F(DriveTest, APoolBlockShorterThanItsCountsOrACurvePastThePointsIsRefusedAndItsUnitsStayStill)
{
    const struct
    {
        u32 cut;
        u8 claimed;
        const char* line;
    } cases[] = {{0, 3, nullptr},
                 {1, 3, "TCurvePool::Load(): error: pool 'CommonUnit': 3 points and 1 curves need 64 bytes, its block "
                        "holds 63: refused"},
                 {0, 4, "pool 'CommonUnit': curve 0 reaches past its 3 points: refused"}};
    for (const auto& c : cases)
    {
        Game().CurvePools().SetCount(0);
        TCurvePool& pool = AddCurvePool("CommonUnit", {kStraight}, c.cut);
        if (c.cut == 0)
            m_aBlock.back()[3 * 16 + 4] = c.claimed;
        EXPECT_EQ(pool.Require(), c.line ? 1u : 0u) << c.cut << " " << c.claimed;
        if (!c.line)
        {
            ASSERT_NE(pool.GetCurve(0), nullptr);
            EXPECT_EQ(pool.GetPoint(*pool.GetCurve(0), 2).z, 20.0f) << "a curve ending at the last point";
            continue;
        }
        EXPECT_EQ(pool.GetCurve(0), nullptr);
        EXPECT_NE(Log().find(c.line), std::string::npos) << Log();
    }
    TAICommonUnit& unit = AddDriver(0.0f, 0.0f);
    unit.UpdateDrive(kFrame);
    EXPECT_EQ(unit.m_nDriving, 1u);
    EXPECT_EQ(unit.m_fPathParameter, 0.0f);
    // Refused once: the next frames do not log again.
    const size_t lines = Log().size();
    unit.UpdateDrive(kFrame);
    EXPECT_EQ(Log().size(), lines);
}

// A unit's path or point outside the pool stops it with a line; a gate's path outside it is an
// error line at load.
TEST_F(DriveTest, APathOrPointOutsideThePoolStopsTheUnitWithALine)
{
    AddCurvePool("CommonUnit", {kStraight, kStraight});
    TGate& fits = AddGate(1);
    fits.m_nArrivalPath = fits.m_nTaxiPath = fits.m_nDeparturePath = 1;
    TGate& beyond = AddGate(2);
    beyond.m_nArrivalPath = beyond.m_nDeparturePath = 0;
    beyond.m_nTaxiPath = 2;
    Game().OnClusterLoad();
    EXPECT_EQ(LogCount("gate 1: path"), 0u) << Log();
    EXPECT_EQ(LogCount("error: gate 2: path 2 lies outside the 2 curves of 'CommonUnit'"), 1u) << Log();
    TAICommonUnit& inside = AddDriver(0.0f, 0.0f, 1);
    inside.UpdateDrive(kFrame);
    EXPECT_EQ(inside.m_nDriving, 1u);
    TAICommonUnit& outside = AddDriver(4.0f, 0.0f, 2);
    outside.UpdateDrive(kFrame);
    EXPECT_EQ(outside.m_nDriving, 0u);
    EXPECT_EQ(LogCount("TAICommonUnit::UpdateDrive(): error: unit 'driver_prop': path 2, point 0 lies outside the "
                       "pool 'CommonUnit': stopped"), 1u) << Log();
    // The last segment's first point is the last one a unit may stand on.
    TAICommonUnit& last = AddDriver(8.0f, 0.0f, 0);
    last.m_nPointIndex = 1;
    last.UpdateDrive(kFrame);
    EXPECT_EQ(last.m_nDriving, 1u);
    last.m_nPointIndex = 2;
    last.UpdateDrive(kFrame);
    EXPECT_EQ(last.m_nDriving, 0u);
}

TEST_F(DriveTest, ATwoPointPathEndsOnItsFirstSegmentAndATasklessUnitVanishes)
{
    AddCurvePool("CommonUnit", {{TVector(0, 0, 0, 1), TVector(0, 0, 1, 1)}});
    TAICommonUnit& unit = AddDriver(0.0f, 0.0f);
    u32 frames = 0;
    while (unit.m_nDriving && frames < 30)
    {
        unit.UpdateDrive(kFrame);
        ++frames;
        EXPECT_EQ(unit.m_nPointIndex, 0);
    }
    EXPECT_EQ(unit.m_nDriving, 0u);
    EXPECT_LE(frames, 12u);
    EXPECT_FALSE(unit.pProp->GetNode()->IsEnabled());
}

TEST_F(DriveTest, TheObstacleRayReaches3Point5AtStandstillAndAUnitBlockedLongerThan240SecondsDrivesOn)
{
    AddCurvePool("CommonUnit", {kStraight});
    Obstacle(0.0f, 3.4f);
    Obstacle(10.0f, 3.6f);
    TAICommonUnit& near = AddDriver(0.0f, 0.0f);
    TAICommonUnit& far = AddDriver(10.0f, 0.0f);
    Manager().ThreadUpdateManager(kFrame);
    Manager().UpdateManager(kFrame);
    near.UpdateDrive(kFrame);
    far.UpdateDrive(kFrame);
    EXPECT_EQ(near.m_nBlocked, 1u);
    EXPECT_EQ(far.m_nBlocked, 0u);
    near.m_fBlockedTime = 240.0f;
    near.UpdateDrive(kFrame);
    EXPECT_EQ(near.m_nBlocked, 1u) << "at 240 it still waits";
    near.UpdateDrive(kFrame);
    EXPECT_EQ(near.m_nBlocked, 0u);
    EXPECT_FLOAT_EQ(near.m_fBlockedTime, 240.0f + 2.0f * kFrame);
    // Held units and aircraft cast no ray.
    near.m_fBlockedTime = 0.0f;
    near.SetHold(1);
    near.UpdateDrive(kFrame);
    EXPECT_EQ(near.m_nBlocked, 0u);
    near.SetHold(0);
    near.m_nAircraft = 1;
    near.UpdateDrive(kFrame);
    EXPECT_EQ(near.m_nBlocked, 0u);
}
