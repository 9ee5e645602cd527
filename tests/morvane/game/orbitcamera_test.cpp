// Orbit cameras: the pitch split between pivot and arm, limits, the arm easing to its zoom
// level and shortened by scenery, and the zoom keys.
#include "engine/input/inputaction.h"
#include "gamefixture.h"
#include "support/testinput.h"

#include <tuple>

namespace
{
class OrbitCameras : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_pPivot = g_pNodeManager->CreateNode("orbit_pivot");
        m_pArm = g_pNodeManager->CreateNode("orbit_arm");
        g_pNodeManager->CreateNode("orbit_parent")->AddChild(m_pPivot);
        m_pPivot->AddChild(m_pArm);
        m_pPivot->SetLocalMatrix(Translation(0.0f, 2.0f, 0.0f), TNode::OrdinaryCause());
        m_pPivot->AddObject(&camera);
        camera.pNodeX = m_pArm;
        m_aAction[0].Bind(&m_In, nullptr);
        m_aAction[1].Bind(&m_Out, nullptr);
        camera.pZoomIn = &m_aAction[0];
        camera.pZoomOut = &m_aAction[1];
    }

    void Levels(std::initializer_list<TVector> levels)
    {
        camera.m_nZoomLevelCount = static_cast<u32>(levels.size());
        std::copy(levels.begin(), levels.end(), camera.aZoomLevel);
    }

    static void ExpectRotation(const TMatrix& actual, const TMatrix& expected)
    {
        for (u32 r = 0; r < 3; ++r)
            for (u32 c = 0; c < 3; ++c)
                EXPECT_NEAR((&actual.aRow[r].x)[c], (&expected.aRow[r].x)[c], 1e-5f) << r << " " << c;
    }

    TOrbitCamera& camera = m_aCamera.emplace_back();
    TNode* m_pPivot = nullptr;
    TNode* m_pArm = nullptr;
    TTestInput m_In{"orbit_in"}, m_Out{"orbit_out"};
    TInputAction m_aAction[2];
};
} // namespace

TEST_F(OrbitCameras, APitchOfMinusThirtyTurnsPivotAndArmFifteenDegreesEach)
{
    Levels({TVector(0.0f, 0.0f, -10.0f, 1.0f)});
    camera.m_fYaw = 40.0f;
    // The arm's share lies between 0.1 and the whole pitch when steep.
    const std::tuple<f32, f32, f32> cases[] = {{-30.0f, -15.0f, -15.0f}, {0.0f, 0.0f, 0.0f}, {10.0f, 1.0f, 9.0f},
                                               {-90.0f, -90.0f, 0.0f}};
    for (const auto& [pitch, arm, pivot] : cases)
    {
        camera.m_fPitch = pitch;
        camera.Update(0.0f);
        SCOPED_TRACE(pitch);
        ExpectRotation(m_pArm->GetLocalMatrix(), TMatrix::RotationX(arm));
        ExpectRotation(m_pPivot->GetLocalMatrix(), TMatrix::Multiply(TMatrix::RotationX(pivot), TMatrix::RotationY(40.0f)));
        EXPECT_EQ(m_pPivot->GetLocalMatrix().aRow[3].y, 2.0f) << "the pivot keeps its own place";
    }
}

TEST_F(OrbitCameras, LimitsHoldOnlyWhenTheirMaximumLiesAboveTheirMinimum)
{
    Levels({TVector(0.0f, 0.0f, -10.0f, 1.0f)});
    // (yaw limits, pitch limits, yaw and pitch after) from a yaw of 30 and a pitch of 0.
    const struct
    {
        f32 yaw[2], pitch[2], yawAfter, pitchAfter;
    } cases[] = {{{0, 0}, {0, 0}, 30, 0}, {{10, -10}, {0, 0}, 30, 0}, {{10, 10}, {5, 5}, 30, 0},
                 {{-20, 20}, {-50, -5}, 20, -5}};
    for (const auto& c : cases)
    {
        camera.m_fYaw = 30.0f;
        camera.m_fPitch = 0.0f;
        std::copy(c.yaw, c.yaw + 2, camera.m_aYawLimit);
        std::copy(c.pitch, c.pitch + 2, camera.m_aPitchLimit);
        camera.Update(0.0f);
        EXPECT_EQ(camera.m_fYaw, c.yawAfter) << c.yaw[0] << " " << c.yaw[1];
        EXPECT_EQ(camera.m_fPitch, c.pitchAfter) << c.pitch[0] << " " << c.pitch[1];
    }
}

TEST_F(OrbitCameras, TheArmEasesTwentyPercentOfTheWayToItsZoomLevelEachUpdate)
{
    Levels({TVector(0.0f, 0.0f, -20.0f, 1.0f), TVector(0.0f, 6.0f, -8.0f, 1.0f)});
    camera.m_fArmLength = 10.0f;
    camera.m_nZoomIndex = 1;
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.m_fArmLength, 10.0f);
    camera.m_nZoomIndex = 0;
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.m_fArmLength, 12.0f);
    EXPECT_FLOAT_EQ(m_pArm->GetLocalMatrix().aRow[3].z, -12.0f);
    // A stored index beyond the levels holds to the last.
    camera.m_nZoomIndex = 7;
    EXPECT_EQ(camera.GetZoomIndex(), 1u);
    // Without levels the first one is the camera node's fixed place.
    camera.m_nZoomLevelCount = 0;
    camera.aZoomLevel[0] = TVector(1.0f, 2.0f, 3.0f, 1.0f);
    camera.Update(0.0f);
    EXPECT_EQ(m_pArm->GetLocalMatrix().aRow[3].x, 1.0f);
    EXPECT_EQ(m_pArm->GetLocalMatrix().aRow[3].z, 3.0f);
}

TEST_F(OrbitCameras, SceneryAlongTheArmShortensItTwentyStepsAtMostAndNeverBelowFourAndAHalf)
{
    // A slab beside the arm's line: the line misses it, a capsule around the line meets it.
    StillBox(Translation(0.5f, 2.0f, -15.0f), TVector(0.25f, 1.0f, 15.0f, 1.0f), ORBIT_COLLISION_FILTER);
    Levels({TVector(0.0f, 0.0f, -15.0f, 1.0f)});
    camera.m_fArmLength = 15.0f;
    camera.Update(0.0f);
    EXPECT_NEAR(camera.m_fArmLength, 14.0f, 1e-4f);
    Levels({TVector(0.0f, 0.0f, -5.0f, 1.0f)});
    camera.m_fArmLength = 5.0f;
    camera.Update(0.0f);
    EXPECT_EQ(camera.m_fArmLength, 4.5f);
    EXPECT_NEAR(m_pArm->GetLocalMatrix().aRow[3].z, -4.5f, 1e-6f);
}

TEST_F(OrbitCameras, ZoomKeysStepThroughTheLevelsOnlyWhileZoomingIsAllowed)
{
    Levels({TVector(0, 0, -5, 1), TVector(0, 0, -10, 1), TVector(0, 0, -20, 1)});
    g_pOrbitCameraManager->Cameras().Add(&camera);
    g_pOrbitCameraManager->SelectCamera(&camera);
    // (in, out, a held press, zooming allowed, index after): a press counts in its own frame
    // only; both in one frame go in, then out; the in-game screen's flag passes through the manager.
    const struct
    {
        f32 in, out;
        bool held;
        i32 allowed;
        u32 index;
    } steps[] = {{1, 0, false, 1, 0}, {0, 1, false, 0, 0}, {0, 1, false, 1, 1}, {0, 1, true, 1, 1},
                 {0, 1, false, 1, 2}, {1, 1, false, 1, 2}, {1, 0, false, 0, 2}, {1, 0, false, 1, 1}};
    for (const auto& s : steps)
    {
        m_In.Set(0.0f);
        m_Out.Set(0.0f);
        m_In.Set(s.in);
        m_Out.Set(s.out);
        if (s.held)
            m_Out.Hold();
        g_pOrbitCameraManager->SetZoomAllowed(s.allowed);
        g_pOrbitCameraManager->HandleInput(0.0f);
        EXPECT_EQ(camera.m_nZoomIndex, s.index) << &s - steps;
    }
}
