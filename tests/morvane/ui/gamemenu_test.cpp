// The in-game keys and the task list's start: the camera keys, and what starting a task does.
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "morvane/game/gameenums.h"
#include "soundplayerfixture.h"
#include "support/testinput.h"
#include "xaudio2/xaudio2soundgroup.h"

namespace
{
class GameMenu : public SoundPlayerTest
{
protected:
    static TGameMenuManager& Menu() { return *g_pGameMenuManager; }

    // The keys bound to inputs of the test for this cluster's actions.
    void BindKeys()
    {
        Menu().OnClusterLoad();
        TInputManager& input = TInputManager::Instance();
        input.CreateAction(TName("towercam", true), 0)->Bind(&m_Tower, nullptr);
        input.CreateAction(TName("carinputmode1", true), 0)->Bind(&m_FollowMe, nullptr);
    }
    void Press(TTestInput& key)
    {
        key.Set(1.0f);
        Menu().UpdateInGameKeys();
        key.Set(0.0f);
    }

    TTestInput m_Tower{"menu_tower"}, m_FollowMe{"menu_follow_me"};
};
} // namespace

TEST_F(GameMenu, TheCameraKeysSwitchTheViewButNotWhileTheConsoleIsShown)
{
    TOrbitCamera& tower = m_aCamera.emplace_back();
    g_pNodeManager->CreateNode("tower")->AddObject(&tower);
    tower.m_Name = TName("Tower_Orbit_Camera", true);
    tower.pCamera = g_pDxCameraManager->__CreateCamera(nullptr);
    g_pOrbitCameraManager->Cameras().Add(&tower);
    TTask& followMe = AddTask(nullptr, gtTaxi);
    BindKeys();
    Press(m_FollowMe);
    EXPECT_EQ(m_Parameters.pActiveTask, &followMe);
    EXPECT_EQ(g_pOrbitCameraManager->GetZoomAllowed(), 1u);
    TVariable* console = TCommandManager::Instance().FindVariable(TName("console.show"));
    console->SetInt(1);
    Press(m_Tower);
    EXPECT_EQ(m_Parameters.pActiveTask, &followMe);
    console->SetInt(0);
    Press(m_Tower);
    EXPECT_EQ(m_Parameters.pActiveTask, nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentCamera(), &tower);
}

TEST_F(GameMenu, TheStartButtonAsksTheAIToStartTakesATaskAndOffersTheResetOfTheOneDriven)
{
    TGate& gate = AddGate(1);
    TTask& aiWaiting = AddTask(&gate, gtDeployBus);
    aiWaiting.pAIUnit = &AddUnit(1);
    aiWaiting.m_nAI = 1;
    aiWaiting.m_nCountdownStarted = 1;
    aiWaiting.m_fCountdown = 5.0f;
    Menu().StartTask(&aiWaiting);
    EXPECT_EQ(aiWaiting.m_nStartRequest, 1);

    TTask& player = AddTask(&gate, gtDeployMaintenance);
    TAICommonUnit& unit = AddUnit(0);
    unit.pVehicle = &AddVehicle("menu_car", 0.0f, 0.0f);
    player.pPlayerVehicle = &unit;
    player.m_nStarted = player.m_nCountdownStarted = 1;
    player.m_fCountdown = 50.0f;
    Menu().StartTask(&player);
    EXPECT_EQ(m_Parameters.pActiveTask, &player);
    EXPECT_EQ(player.m_nTakenOver, 1);
    // The task driven already: its reset is offered (no window yet), nothing else happens.
    Menu().StartTask(&player);
    EXPECT_EQ(m_Parameters.pActiveTask, &player);
    EXPECT_EQ(Money(), 1000);
    Menu().StartTask(nullptr);
}
