// The player's views and the game's frame: a new game's start, the tower, the follow-me car and
// a task's unit, the task-area locators, and the input handed to the vehicle and the camera.
#include "core/system/datetime.h"
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "gamefixture.h"
#include "morvane/game/gameenums.h"
#include "support/testinput.h"

namespace
{
class Views : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        for (const char* name : {"Tower_Orbit_Camera", "FollowMe_plr_pData_OrbCam", "unit_camera"})
        {
            TOrbitCamera& camera = m_aCamera.emplace_back();
            g_pNodeManager->CreateNode(name)->AddObject(&camera);
            camera.m_Name = TName(name, true);
            TNode* arm = g_pNodeManager->CreateNode("arm");
            camera.GetNode()->AddChild(arm);
            camera.pNodeX = arm;
            camera.pCamera = g_pDxCameraManager->__CreateCamera(arm);
            g_pOrbitCameraManager->Cameras().Add(&camera);
        }
        m_Parameters.pTaskAreaGroundLocator = g_pNodeManager->CreateNode("ground_locator");
        m_Parameters.pTaskAreaAirLocator = g_pNodeManager->CreateNode("air_locator");
        m_Parameters.pTaskAreaCargoLifterLocator = g_pNodeManager->CreateNode("cargo_locator");
        m_pCar = &AddVehicle("FollowMe_plr_pData_Veh", 0.0f, 0.0f);
        m_pOther = &AddVehicle("service_truck", 10.0f, 0.0f);
        g_pVehicleManager->Vehicles().Add(m_pCar);
        g_pVehicleManager->Vehicles().Add(m_pOther);
    }

    TOrbitCamera* Current() { return g_pOrbitCameraManager->GetCurrentCamera(); }

    // A started task of gate 1 done by a unit with the truck and the unit camera.
    TTask& UnitTask(i32 aiLevel)
    {
        TTask& task = AddTask(m_aGate.empty() ? &AddGate(1) : &m_aGate.front(), gtDeployFuel);
        TAICommonUnit& unit = AddUnit(aiLevel);
        unit.pVehicle = m_pOther;
        unit.pOrbitCamera = &m_aCamera[2];
        (aiLevel ? task.pAIUnit : task.pPlayerVehicle) = &unit;
        task.m_nAI = aiLevel > 0;
        task.pTaskArea = &AddArea(30.0f, 40.0f, 3.0f);
        task.m_nStarted = 1;
        return task;
    }

    TVehicle* m_pCar = nullptr;
    TVehicle* m_pOther = nullptr;
};
} // namespace

TEST_F(Views, AGameStartsOnTheFirstFrameAfterNewGame)
{
    TGate& gate = AddGate(1);
    TTask& task = AddTask(&gate, gtDeployFuel);
    task.m_nCountdownStarted = 1;
    task.m_fCountdown = 10.0f;
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 0);
    EXPECT_EQ(task.m_fCountdown, 10.0f);

    // A level's load is no new game.
    g_pGameMenuManager->OnClusterLoad();
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 0);
    g_pGameMenuManager->_StartNewGame(0);
    const u64 before = GetLocalFileTime();
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 1);
    EXPECT_GE(m_Parameters.nGameStartTime, before);
    EXPECT_LE(m_Parameters.nGameStartTime, GetLocalFileTime());
    EXPECT_EQ(m_Parameters.fGameClock, 0.5f);
    EXPECT_EQ(task.m_fCountdown, 9.5f);
    // The flag is taken once.
    EXPECT_EQ(TakeNewGameStartedFlag(), 0u);
    Game().UpdateManager(0.25f);
    EXPECT_EQ(m_Parameters.fGameClock, 0.75f);
    Game().ClearGameStarted();
    Game().UpdateManager(0.25f);
    EXPECT_EQ(m_Parameters.fGameClock, 0.75f);
}

TEST_F(Views, TheFollowMeCarAndTheTowerSwitchVehicleAndCamera)
{
    Game().OnClusterLoad();
    EXPECT_EQ(Current(), &m_aCamera[0]);
    EXPECT_TRUE(Game().IsTowerView());
    // Without tasks there is no follow-me car.
    Game().SwitchToFollowMe();
    EXPECT_TRUE(Game().IsTowerView());

    UnitTask(0);
    TTask& followMe = AddTask(nullptr, gtTaxi);
    // (active task, vehicle, orbit camera, main camera), follow-me active, tower view
    const auto view = [&] {
        return std::vector<const void*>{m_Parameters.pActiveTask, g_pVehicleManager->GetActiveVehicle(), Current(),
                                        g_pDxCameraManager->GetMainCamera()};
    };
    Game().SwitchToFollowMe();
    EXPECT_EQ(view(), (std::vector<const void*>{&followMe, m_pCar, &m_aCamera[1], m_aCamera[1].pCamera}));
    EXPECT_EQ(std::pair(Game().IsFollowMeActive(), Game().IsTowerView()), std::pair(true, false));

    m_Parameters.pTaskAreaGroundLocator->Enable(1, 0);
    m_Parameters.pTaskAreaCargoLifterLocator->Enable(1, 0);
    Game().SwitchToTowerCamera();
    EXPECT_EQ(view(), (std::vector<const void*>{nullptr, nullptr, &m_aCamera[0], m_aCamera[0].pCamera}));
    EXPECT_EQ(std::pair(Game().IsFollowMeActive(), Game().IsTowerView()), std::pair(false, true));
    EXPECT_FALSE(m_Parameters.pTaskAreaGroundLocator->IsEnabled());
    EXPECT_FALSE(m_Parameters.pTaskAreaCargoLifterLocator->IsEnabled());
}

TEST_F(Views, AStartedTaskWithAVehicleIsTakenByThePlayerWithItsAreaOrAnAIsWatched)
{
    const struct
    {
        i32 level, started, done;
        bool vehicle, active;
    } cases[] = {{0, 1, 0, true, true},  {2, 1, 0, true, true},  {0, 0, 0, true, false},
                 {0, 1, 1, true, false}, {0, 1, 0, false, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.level << c.started << c.done << c.vehicle);
        Game().SwitchToTowerCamera();
        g_pVehicleManager->SetActiveVehicle(m_pCar);
        TTask& task = UnitTask(c.level);
        task.m_nStarted = c.started;
        task.m_nDone = c.done;
        task.m_nArrived = c.level > 0;
        if (!c.vehicle)
            task.GetUnit()->pVehicle = nullptr;
        Game().ActivateTask(&task);
        EXPECT_EQ(m_Parameters.pActiveTask, c.active ? &task : nullptr);
        if (!c.active)
            continue;
        EXPECT_EQ(task.m_nTakenOver, c.level == 0 ? 1 : 0);
        EXPECT_EQ(g_pVehicleManager->GetActiveVehicle(), c.level == 0 ? m_pOther : nullptr);
        EXPECT_EQ(Current(), &m_aCamera[2]);
        if (c.level > 0)
            continue;
        const TMatrix& air = *m_Parameters.pTaskAreaAirLocator->GetWorldMatrix();
        const TMatrix& ground = *m_Parameters.pTaskAreaGroundLocator->GetWorldMatrix();
        EXPECT_TRUE(m_Parameters.pTaskAreaAirLocator->IsEnabled());
        EXPECT_TRUE(m_Parameters.pTaskAreaGroundLocator->IsEnabled());
        EXPECT_EQ(std::vector<f32>({air.aRow[3].y, ground.aRow[3].y, ground.aRow[3].x, ground.aRow[0].x, air.aRow[2].z}),
                  std::vector<f32>({10.0f, 0.1f, 30.0f, 6.0f, 6.0f}));
    }
    Game().ActivateTask(nullptr);
    EXPECT_EQ(m_Parameters.pActiveTask, nullptr);
}

TEST_F(Views, ThePlayersInputGoesToTheActiveVehicleAndTheCurrentCamera)
{
    TOrbitCamera& camera = m_aCamera[0];
    camera.m_nZoomLevelCount = 2;
    TTestInput out("views_zoom_out");
    TInputAction zoomOut;
    zoomOut.Bind(&out, nullptr);
    camera.pZoomOut = &zoomOut;
    g_pOrbitCameraManager->SelectCamera(&camera);
    g_pOrbitCameraManager->SetZoomAllowed(1);
    TTestInput up("views_up");
    // The vehicles' actions of this cluster.
    g_pVehicleManager->OnClusterLoad();
    TInputAction* drive = g_pVehicleManager->GetAction(VEHICLE_ACTION_MOVE_UP);
    drive->Bind(&up, nullptr);
    g_pVehicleManager->SetActiveVehicle(m_pCar);
    out.Set(1.0f);
    up.Set(1.0f);
    EXPECT_TRUE(Game().WantsInput());
    Game().UpdateFocus(0.1f);
    EXPECT_EQ(camera.m_nZoomIndex, 1u);
    EXPECT_TRUE(m_pCar->IsFlag(VEHICLE_DRIVING));
    drive->Bind(nullptr, nullptr);
    camera.pZoomOut = nullptr;
}
