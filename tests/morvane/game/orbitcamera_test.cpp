// Orbit cameras: the pitch split between pivot and arm, the parent's heading, limits, the arm
// easing to its zoom level and shortened by scenery, the zoom and rotation keys, and the switch
// to a camera.
#include "core/system/timer.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/inputaction.h"
#include "engine/render/camera.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "gamefixture.h"
#include "igame/effects/atmosphere.h"
#include "support/testinput.h"

#include <cmath>
#include <memory>
#include <tuple>

namespace
{
class OrbitCameras : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_pParent = g_pNodeManager->CreateNode("orbit_parent");
        m_pPivot = g_pNodeManager->CreateNode("orbit_pivot");
        m_pArm = g_pNodeManager->CreateNode("orbit_arm");
        m_pParent->AddChild(m_pPivot);
        m_pPivot->AddChild(m_pArm);
        m_pPivot->SetLocalMatrix(Translation(0.0f, 2.0f, 0.0f), TNode::OrdinaryCause());
        TOrbitCamera& camera = Camera();
        m_pPivot->AddObject(&camera);
        camera.pNodeX = m_pArm;
        m_aAction[0].Bind(&m_Left, nullptr);
        m_aAction[1].Bind(&m_Right, nullptr);
        m_aAction[2].Bind(&m_Up, nullptr);
        m_aAction[3].Bind(&m_Down, nullptr);
        m_aAction[4].Bind(&m_Hold, nullptr);
        m_aAction[5].Bind(&m_In, nullptr);
        m_aAction[6].Bind(&m_Out, nullptr);
        TInputAction** actions[7] = {&camera.pRotateLeft, &camera.pRotateRight, &camera.pRotateUp,
                                     &camera.pRotateDown, &camera.pRotation,    &camera.pZoomIn,
                                     &camera.pZoomOut};
        for (u32 i = 0; i < 7; ++i)
            *actions[i] = &m_aAction[i];
    }
    void TearDown() override
    {
        if (m_pHeldTimer)
            g_pTimer = m_pHeldTimer;
        GameTest::TearDown();
    }

    TOrbitCamera& Camera() { return m_aCamera.empty() ? m_aCamera.emplace_back() : m_aCamera.front(); }

    void Levels(std::initializer_list<TVector> levels)
    {
        TOrbitCamera& camera = Camera();
        camera.m_nZoomLevelCount = static_cast<u32>(levels.size());
        u32 i = 0;
        for (const TVector& level : levels)
            camera.aZoomLevel[i++] = level;
    }

    // A still box of scenery at the place with the half sizes.
    TDynamicsGeometry* Scenery(const TVector& at, const TVector& half)
    {
        TNode* node = g_pNodeManager->CreateNode("scenery");
        node->SetLocalMatrix(Translation(at.x, at.y, at.z), TNode::OrdinaryCause());
        TNxDynamicsBody* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(node));
        TDynamicsGeometry* box = body->__CreateGeometry(node, GEOMETRY_BOX);
        box->SetSize(half);
        box->SetGroupsMask(ORBIT_COLLISION_FILTER);
        body->SetDynamic(0);
        body->__Create();
        return box;
    }

    // A timer whose every frame lasts a tenth of a second, its game time paused.
    f32 TenthSecondFramesPaused()
    {
        static i64 s_nClock = 0;
        m_pHeldTimer = g_pTimer;
        m_pTimer = std::make_unique<TTimer>([]() { return s_nClock; });
        g_pTimer = m_pTimer.get();
        m_pTimer->SetPaused(1);
        for (i32 i = 0; i < 12; ++i)
        {
            s_nClock += TIMER_COUNTS_PER_SECOND / 10;
            m_pTimer->Update();
        }
        return m_pTimer->GetRealTimeStep();
    }

    static void ExpectRotation(const TMatrix& actual, const TMatrix& expected)
    {
        for (u32 r = 0; r < 3; ++r)
        {
            EXPECT_NEAR(actual.aRow[r].x, expected.aRow[r].x, 1e-5f) << r;
            EXPECT_NEAR(actual.aRow[r].y, expected.aRow[r].y, 1e-5f) << r;
            EXPECT_NEAR(actual.aRow[r].z, expected.aRow[r].z, 1e-5f) << r;
        }
    }

    TNode* m_pParent = nullptr;
    TNode* m_pPivot = nullptr;
    TNode* m_pArm = nullptr;
    TTestInput m_Left{"orbit_left"}, m_Right{"orbit_right"}, m_Up{"orbit_up"}, m_Down{"orbit_down"};
    TTestInput m_Hold{"orbit_hold"}, m_In{"orbit_in"}, m_Out{"orbit_out"};
    TInputAction m_aAction[7];
    TTimer* m_pHeldTimer = nullptr;
    std::unique_ptr<TTimer> m_pTimer;
};
} // namespace

TEST_F(OrbitCameras, APitchOfMinusThirtyTurnsPivotAndArmFifteenDegreesEach)
{
    TOrbitCamera& camera = Camera();
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

TEST_F(OrbitCameras, WithTheParentsHeadingTheYawTurnsWithTheParent)
{
    TOrbitCamera& camera = Camera();
    Levels({TVector(0.0f, 0.0f, -10.0f, 1.0f)});
    camera.m_nFlags = ORBIT_FOLLOW_PARENT_HEADING;
    camera.m_fYaw = 10.0f;
    m_pParent->SetLocalMatrix(TMatrix::RotationY(90.0f), TNode::OrdinaryCause());
    camera.Update(0.0f);
    // In the world: the yaw plus the parent's heading; locally what is left after the parent.
    ExpectRotation(*m_pPivot->GetWorldMatrix(), TMatrix::RotationY(100.0f));
    ExpectRotation(m_pPivot->GetLocalMatrix(), TMatrix::RotationY(10.0f));
    camera.m_nFlags = 0;
    camera.Update(0.0f);
    ExpectRotation(*m_pPivot->GetWorldMatrix(), TMatrix::RotationY(10.0f));
}

TEST_F(OrbitCameras, LimitsHoldOnlyWhenTheirMaximumLiesAboveTheirMinimum)
{
    TOrbitCamera& camera = Camera();
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
    TOrbitCamera& camera = Camera();
    Levels({TVector(0.0f, 0.0f, -20.0f, 1.0f), TVector(0.0f, 6.0f, -8.0f, 1.0f)});
    camera.m_fArmLength = 10.0f;
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.m_fArmLength, 12.0f);
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.m_fArmLength, 13.6f);
    EXPECT_FLOAT_EQ(m_pArm->GetLocalMatrix().aRow[3].z, -13.6f);
    camera.m_nZoomIndex = 1;
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.m_fArmLength, 13.6f + (10.0f - 13.6f) * 0.2f);
    EXPECT_FLOAT_EQ(m_pArm->GetLocalMatrix().aRow[3].y, camera.m_fArmLength * 0.6f);
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
    TOrbitCamera& camera = Camera();
    // A slab beside the arm's line: the line misses it, a capsule around the line meets it.
    Scenery(TVector(0.5f, 2.0f, -15.0f, 1.0f), TVector(0.25f, 1.0f, 15.0f, 1.0f));
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

TEST_F(OrbitCameras, SceneryAcrossTheArmPullsTheCameraInFrontOfIt)
{
    TOrbitCamera& camera = Camera();
    TDynamicsGeometry* box = Scenery(TVector(0.0f, 2.0f, -10.5f, 1.0f), TVector(5.0f, 5.0f, 0.5f, 1.0f));
    Levels({TVector(0.0f, 0.0f, -20.0f, 1.0f)});
    camera.m_fArmLength = 20.0f;
    camera.Update(0.0f);
    // The ray stops at the wall's face, 10 from the pivot; the capsule's end and radius still
    // reach into it until the arm is more than 0.3475 shorter.
    EXPECT_LT(camera.m_fArmLength, 10.0f - 0.3475f);
    EXPECT_GT(camera.m_fArmLength, 10.0f - 0.3475f - 0.05f);
    // Other groups than the scenery's are not in the way.
    box->SetGroupsMask(1);
    camera.m_fArmLength = 20.0f;
    camera.Update(0.0f);
    EXPECT_EQ(camera.m_fArmLength, 20.0f);
}

TEST_F(OrbitCameras, ZoomKeysStepThroughTheLevelsOnlyWhileZoomingIsAllowed)
{
    TOrbitCamera& camera = Camera();
    Levels({TVector(0, 0, -5, 1), TVector(0, 0, -10, 1), TVector(0, 0, -20, 1)});
    m_In.Set(1.0f);
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_nZoomIndex, 0u);
    m_In.Set(0.0f);
    m_Out.Set(1.0f);
    camera.HandleInput(0);
    EXPECT_EQ(camera.m_nZoomIndex, 0u);
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_nZoomIndex, 1u);
    // A press counts in its own frame only.
    m_Out.Hold();
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_nZoomIndex, 1u);
    m_Out.Set(0.0f);
    m_Out.Set(1.0f);
    camera.HandleInput(1);
    m_Out.Set(0.0f);
    m_Out.Set(1.0f);
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_nZoomIndex, 2u);
    // Both in one frame: in, then out.
    m_In.Set(1.0f);
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_nZoomIndex, 2u);
    // The manager passes its flag, which the in-game screen sets.
    g_pOrbitCameraManager->Cameras().Add(&camera);
    g_pOrbitCameraManager->SelectCamera(&camera);
    g_pOrbitCameraManager->SetZoomAllowed(0);
    m_Out.Set(0.0f);
    m_In.Set(0.0f);
    m_In.Set(1.0f);
    g_pOrbitCameraManager->HandleInput(0.0f);
    EXPECT_EQ(camera.m_nZoomIndex, 2u);
    g_pOrbitCameraManager->SetZoomAllowed(1);
    g_pOrbitCameraManager->HandleInput(0.0f);
    EXPECT_EQ(camera.m_nZoomIndex, 1u);
}

TEST_F(OrbitCameras, RotationFollowsTheActionsByTheTimersFrameTimeWhileHeld)
{
    TOrbitCamera& camera = Camera();
    // The game's own time does not turn it: a paused game's camera turns too.
    const f32 frame = TenthSecondFramesPaused();
    ASSERT_GT(frame, 0.0f);
    ASSERT_EQ(g_pTimer->GetGameTimeStep(), 0.0f);
    m_Left.Set(30.0f);
    m_Down.Set(10.0f);
    camera.HandleInput(1);
    EXPECT_EQ(camera.m_fYaw, 0.0f);
    m_Hold.Set(1.0f);
    camera.HandleInput(1);
    EXPECT_FLOAT_EQ(camera.m_fYaw, 30.0f * frame);
    EXPECT_FLOAT_EQ(camera.m_fPitch, -10.0f * frame);
    m_Hold.Set(0.0f);
    camera.m_nFlags = ORBIT_ROTATE_ALWAYS;
    m_Right.Set(50.0f);
    camera.HandleInput(1);
    EXPECT_FLOAT_EQ(camera.m_fYaw, 30.0f * frame - 20.0f * frame);
}

TEST_F(OrbitCameras, ASelectedCameraBecomesTheViewAndTheSkyFollowsIt)
{
    TOrbitCamera& camera = Camera();
    camera.m_Name = TName("view_camera", true);
    camera.pCamera = g_pDxCameraManager->__CreateCamera(m_pArm);
    TOrbitCamera& blind = m_aCamera.emplace_back();
    blind.m_Name = TName("blind_camera", true);
    g_pNodeManager->CreateNode("blind")->AddObject(&blind);
    g_pOrbitCameraManager->Cameras().Add(&blind);
    g_pOrbitCameraManager->Cameras().Add(&camera);
    TAtmosphere skies[3];
    for (TAtmosphere& sky : skies)
    {
        g_pNodeManager->CreateNode("sky")->AddObject(&sky);
        sky.GetNode()->SetLocalMatrix(Translation(1.0f, 7.0f, 2.0f), TNode::OrdinaryCause());
        g_pAtmosphereManager->Atmospheres().Add(&sky);
    }

    // Without a viewport set the cameras switch all the same.
    g_pDxViewportManager->SetCurrentSet(nullptr);
    g_pOrbitCameraManager->SelectCameraByName(TName("view_camera").GetId());
    EXPECT_EQ((std::vector<const void*>{g_pOrbitCameraManager->GetCurrentCamera(), g_pDxCameraManager->GetMainCamera(),
                                        g_pDxCameraManager->GetCurrentCamera()}),
              (std::vector<const void*>{&camera, camera.pCamera, camera.pCamera}));
    const auto sky = [&skies](u32 i) { return skies[i].GetNode()->GetWorldMatrix()->aRow[3]; };
    EXPECT_EQ((std::vector<f32>{sky(0).y, sky(1).y, sky(1).x, sky(2).y}), (std::vector<f32>{-3.0f, -3.0f, 1.0f, 7.0f}));

    TViewportSet set{};
    g_pDxViewportManager->SetCurrentSet(&set);
    g_pOrbitCameraManager->SelectCameraByName(TName("view_camera").GetId());
    TViewport* viewport = g_pDxViewportManager->__CreateViewport(TName("orbit_view", true), 0);
    set.m_nViewportCount = 1;
    set.aViewport[0] = viewport;
    g_pOrbitCameraManager->SelectCameraByName(TName("view_camera").GetId());
    EXPECT_EQ(viewport->pCamera, camera.pCamera);

    // A camera without a camera object: the index moves, nothing else.
    g_pOrbitCameraManager->SelectCameraByName(TName("blind_camera").GetId());
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentIndex(), 0);
    EXPECT_EQ(g_pDxCameraManager->GetMainCamera(), camera.pCamera);
    // An unknown name and a null camera change nothing.
    g_pOrbitCameraManager->SelectCameraByName(TName("no_camera").GetId());
    g_pOrbitCameraManager->SelectCamera(nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentIndex(), 0);
    g_pDxViewportManager->SetCurrentSet(nullptr);
    for (TAtmosphere& sky : skies)
        sky.GetNode()->DeleteObject(&sky);
}
