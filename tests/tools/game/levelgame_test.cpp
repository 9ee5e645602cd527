// The level the build writes, loaded as the game loads it with the game's managers begun: the
// tower's view at the start, and a state image of the running game bringing the follow-me car
// back.
#include "ageia/dynamicsfixture.h"
#include "core/stream/memorystream.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelgame.h"
#include "levelvehicles.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/system/prop.h"
#include "engine/system/statemanager.h"
#include "support/scratchworkingfolder.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <string>
#include <vector>

namespace
{
constexpr f32 kFrame = 1.0f / 60.0f;

class LevelGame : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            // The level carries the UX screens' records: the screens are registered first.
            RegisterGameScreens();
            g_pXAudio2SoundManager->InitializeManager();
            g_pXAudio2SoundManager->BeginManager();
            g_pVehicleManager->BeginManager();
            g_pOrbitCameraManager->BeginManager();
            g_pGameLogicManager->BeginManager();
            g_pSoundPlayerManager->BeginManager();
            g_pGameMenuManager->BeginManager();
            s_bBegun = true;
        }
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0), 0);
    }
    void TearDown() override
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        DynamicsTest::TearDown();
        g_pResourceManager->CloseRepositories(0);
    }

    static TGameLogicManager& Game() { return *g_pGameLogicManager; }
    static TOrbitCamera* Current() { return g_pOrbitCameraManager->GetCurrentCamera(); }

    // Frames of the game's order: the player's input, vehicles, the game, the camera, physics.
    void Step(i32 frames)
    {
        for (i32 i = 0; i < frames; ++i)
        {
            Game().UpdateFocus(kFrame);
            g_pVehicleManager->UpdateManager(kFrame);
            Game().UpdateManager(kFrame);
            g_pOrbitCameraManager->UpdateManager(kFrame);
            Manager().ThreadUpdateManager(kFrame);
            Manager().UpdateManager(kFrame);
        }
    }

    TScratchWorkingFolder m_Folder{"levelgame"};
};
} // namespace

TEST_F(LevelGame, TheGameStartsFromTheTowerAndAStateImageBringsTheFollowMeCarBack)
{
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->m_Name.GetId(), TName("Tower_Orbit_Camera").GetId());
    EXPECT_EQ(g_pDxCameraManager->GetMainCamera(), Current()->pCamera);
    EXPECT_TRUE(Game().IsTowerView());
    ASSERT_NE(Game().FindGate(1), nullptr);
    ASSERT_EQ(Game().Tasks().GetCount(), 2);
    EXPECT_EQ(Game().GetFollowMeTask()->pPlayerVehicle, Game().Units()[0]);
    // The unit's prop tells the prop manager's listeners, the game logic among them.
    EXPECT_TRUE(Game().Units()[0]->pProp->m_nFlags & PROP_NOTIFY);
    for (u32 i = 0; i < LEVEL_ORBIT_ACTIONS; ++i)
        EXPECT_NE(TInputManager::Instance().FindAction(TName(g_aLevelOrbitAction[i])), nullptr);
    // The level waits for New game; the game starts at the next frame.
    Step(1);
    EXPECT_EQ(Game().GetParameters().nStarted, 0);
    g_pGameMenuManager->_StartNewGame(0);
    Step(1);
    EXPECT_EQ(Game().GetParameters().nStarted, 1);
    EXPECT_EQ(Game().GetParameters().nMoney, 1000);
    EXPECT_FALSE(m_Folder.SystemLog().find("TGameLogicManager::OnClusterLoad(): error") != std::string::npos);

    // A state image of the running game saves and brings the follow-me car back.
    Step(30);
    Game().SwitchToFollowMe();
    TVehicle* cart = g_pVehicleManager->GetActiveVehicle();
    ASSERT_NE(cart, nullptr);
    for (i32 frame = 0; frame < 60; ++frame)
    {
        cart->Drive(1.0f, kFrame);
        Step(1);
    }
    const TVector saved = cart->pBody->GetNode()->GetWorldMatrix()->aRow[3];
    TMemoryStream stream;
    ASSERT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());
    for (i32 frame = 0; frame < 60; ++frame)
    {
        cart->Drive(1.0f, kFrame);
        Step(1);
    }
    ASSERT_GT(cart->pBody->GetNode()->GetWorldMatrix()->aRow[3].z - saved.z, 0.5f);

    TMemoryStream reading;
    reading.Open(TName("game_state", true), STREAM_READ);
    reading.Attach(image.data(), static_cast<i32>(image.size()));
    ASSERT_EQ(g_pStateManager->_Load(reading), STATE_DONE);
    // The follow-me view goes on with the car where it was.
    EXPECT_FALSE(Game().IsTowerView());
    cart = g_pVehicleManager->GetActiveVehicle();
    ASSERT_NE(cart, nullptr);
    EXPECT_NEAR(cart->pBody->GetNode()->GetWorldMatrix()->aRow[3].z, saved.z, 0.01f);
    EXPECT_EQ(Current()->m_Name.GetId(), TName("FollowMe_plr_pData_OrbCam").GetId());
}
