// What the game shows of the aerodrome first: the level loaded with its dependencies as the
// start-up script loads it, the game's cameras begun (the tower's orbit camera takes the
// viewport), and the start-up script's render list drawn through the software device.
#include "directx/render/devicefixture.h"

#include "core/cluster/cluster.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "levelgenerator.h"
#include "engine/render/camera.h"
#include "engine/system/node.h"
#include "igame/ballistics/ballisticsmanager.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/ux/screens.h"
#include "platform/d3d9/golden.h"
#include "scenerepositories.h"
#include "support/startupframe.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
constexpr i32 kFrameWidth = 320;
constexpr i32 kFrameHeight = 180;
// The start-up script's background colour.
constexpr i32 kSkyColour = 0x5A7090;
// The traffic frame: the eye this far from the car nearest the road's west bend, looking past
// it towards the bend's far side.
constexpr f32 kTrafficEye[3] = {20.0f, 4.0f, 10.0f};
constexpr f32 kRoadBend[3] = {-760.0f, 12.0f, 250.0f};
constexpr f32 kTowardsBend = 0.3f;

class AerodromeFrame : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        g_device_size.Store(static_cast<f32>(kFrameWidth), static_cast<f32>(kFrameHeight), 0.0f, 1.0f);
        Create();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
        RegisterGameScreens();
        // The managers the start-up script begins, in its order.
        BeginStartupRenderManagers();
        g_pOrbitCameraManager->BeginManager();
        g_pGameLogicManager->BeginManager();
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(kSkyColour);
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, (data + "/" + MORVANE_COOKED_REPOSITORY).c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/" + MORVANE_REPOSITORY).c_str(), 0), 0);
    }
    void TearDown() override
    {
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(0);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        DeviceTest::TearDown();
    }

    // A frame as the start-up script's render list draws it (Render 0, Viewport 0, GameLogic,
    // Ballistics, Viewport 1, 20, 21, 2, Canvas, Render 1); the back buffer's pixels.
    std::vector<std::uint32_t> DrawFrame()
    {
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
        g_pRenderManager->RenderManager();
        for (u32 word : {0u, 1u, 20u, 21u, 2u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
            if (word == 0)
            {
                g_pGameLogicManager->RenderManager();
                g_pBallisticsManager->RenderManager();
            }
        }
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
        g_pRenderManager->RenderManager();

        return TargetPixels(m_pManager->GetDevice(), m_pManager->GetBackBufferTarget(), kFrameWidth, kFrameHeight);
    }
};
} // namespace

// The game's first frame, from the tower (the README shows this image); then beside the public
// road's west side: the car nearest the bend, and the west power line's wires sagging between
// their pylons behind it.
TEST_F(AerodromeFrame, TheGameShowsTheAerodromeFromTheTowerThenTrafficAndPowerLines)
{
    ASSERT_NE(g_pOrbitCameraManager->GetCurrentCamera(), nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentCamera()->m_Name.GetId(), TName("Tower_Orbit_Camera").GetId());
    g_pOrbitCameraManager->UpdateManager(1.0f / 60.0f);
    // The first frame puts each car at its segment's start.
    EXPECT_EQ(CompareWithGolden("aerodrome_frame", DrawFrame(), kFrameWidth, kFrameHeight), "");
    const DArray<TTrafficVehicle*>& cars = g_pGameLogicManager->TrafficVehicles();
    ASSERT_GT(cars.GetCount(), 0);
    const TTrafficVehicle* nearest = cars[0];
    const auto away = [](const TTrafficVehicle* car) {
        const TVector& at = car->World.Translation();
        return std::hypot(at.x - kRoadBend[0], at.z - kRoadBend[2]);
    };
    for (i32 i = 1; i < cars.GetCount(); ++i)
        if (away(cars[i]) < away(nearest))
            nearest = cars[i];
    const TVector& car = nearest->World.Translation();
    const TVector eye(car.x + kTrafficEye[0], car.y + kTrafficEye[1], car.z + kTrafficEye[2], 1.0f);
    TMatrix place;
    // Between the car and the bend: the car in front, the pylons beyond.
    const TVector target(car.x + (kRoadBend[0] - car.x) * kTowardsBend, car.y + (kRoadBend[1] - car.y) * kTowardsBend,
                         car.z + (kRoadBend[2] - car.z) * kTowardsBend, 1.0f);
    place.SetOrientation(TVector::Subtract(target, eye), TVector(0, 1, 0, 0));
    place.Translation() = eye;
    g_pOrbitCameraManager->GetCurrentCamera()->pCamera->GetNode()->SetWorldMatrix(place, TNode::OrdinaryCause());
    g_pGameLogicManager->Scenery().ResetCounts();
    const std::vector<std::uint32_t> frame = DrawFrame();
    EXPECT_GT(g_pGameLogicManager->Scenery().GetCarsDrawn(), 0u);
    EXPECT_GT(g_pGameLogicManager->Scenery().GetLineVertices(), 0u);
    EXPECT_EQ(CompareWithGolden("aerodrome_traffic", frame, kFrameWidth, kFrameHeight), "");
}

// Projectile trails in front of the tower, drawn after the scene with the level's trail texture:
// three straight ones fanned out, and one bent where it struck the apron.
TEST_F(AerodromeFrame, ProjectileTrailsShowInFrontOfTheTower)
{
    g_pOrbitCameraManager->UpdateManager(1.0f / 60.0f);
    // The eye in the tower's cab, looking over the apron.
    TMatrix cab;
    cab.SetOrientation(TVector(-350.0f, -47.0f, -118.0f, 0.0f).Normalized(), TVector(0, 1, 0, 0));
    cab.Translation() = TVector(410.0f, 47.0f, 28.0f, 1.0f);
    g_pOrbitCameraManager->GetCurrentCamera()->pCamera->GetNode()->SetWorldMatrix(cab, TNode::OrdinaryCause());
    TBallisticsManager::TProjectiles& shots = g_pBallisticsManager->Projectiles();
    const auto add = [&](const TVector& at, const TVector& forward) -> TProjectile& {
        TProjectile& p = shots.Add(TProjectile());
        p.position = at;
        p.direction = forward.Normalized();
        p.trailLength = 20.0f;
        p.trailWidth = 0.6f;
        p.trailProgress = 100.0f;
        return p;
    };
    // Across the tower's view, 80 ahead of it; the bent one struck the apron further out.
    for (i32 i = 0; i < 3; ++i)
        add(TVector(346.0f, 30.0f + 3.0f * static_cast<f32>(i), -12.0f, 1.0f),
            TVector(0.32f, 0.08f * static_cast<f32>(i - 1), -0.95f, 0.0f));
    TProjectile& bent = add(TVector(298.0f, 6.0f, -20.0f, 1.0f), TVector(0.32f, 0.6f, -0.95f, 0.0f));
    bent.bouncePoint = TVector(295.0f, 0.0f, -11.0f, 1.0f);
    const f32 before[3] = {0.3f, -0.5f, -0.9f};
    std::copy(std::begin(before), std::end(before), std::begin(bent.bounceDirection));
    bent.trailProgress = 0.5f;
    const u32 draws = g_pBallisticsManager->Trails().GetDraws();
    const std::vector<std::uint32_t> frame = DrawFrame();
    EXPECT_EQ(g_pBallisticsManager->Trails().GetDraws(), draws + 1) << "the four trails in one batch";
    shots.SetCount(0);
    EXPECT_EQ(CompareWithGolden("aerodrome_trails", frame, kFrameWidth, kFrameHeight), "");
}
