// The sound player's choices, as the sound service records what each instance is asked; the
// in-game keys and the task list's start: the camera keys, and what starting a task does.
#include "directx/input/wininput.h"
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "morvane/game/gameenums.h"
#include "soundplayerfixture.h"
#include "support/testinput.h"

#include <cmath>
#include <tuple>

namespace
{
using SoundPlayer = SoundPlayerTest;

constexpr u32 MUSIC_FLAG = 0x40000000;

// The value of the last "<clip> <id>=" line of the recording.
f32 LastParameter(const TSoundLines& lines, const std::string& clip, i32 id)
{
    const std::string prefix = clip + " " + std::to_string(id) + "=";
    for (auto line = lines.aLine.rbegin(); line != lines.aLine.rend(); ++line)
        if (line->rfind(prefix, 0) == 0)
            return std::stof(line->substr(prefix.size()));
    return -1.0f;
}
} // namespace

TEST_F(SoundPlayer, NotificationsPlayAtMostOnceInTwoSecondsEach)
{
    Clips({"NewTask", "TaskAlert"});
    Player().OnClusterLoad();
    m_Sounds.aLine.clear();
    // (time, new tasks and alerts heard so far)
    const std::tuple<f64, size_t, size_t> steps[] = {{1.9, 0, 0}, {2.0, 1, 1}, {3.9, 1, 1}, {4.0, 2, 1}};
    for (const auto& [time, tasks, alerts] : steps)
    {
        At(time);
        Player().PlayNewTask(nullptr);
        if (time == 2.0)
            Player().PlayTaskAlert(nullptr);
        EXPECT_EQ(m_Sounds.Count("NewTask play"), tasks) << time;
        EXPECT_EQ(m_Sounds.Count("TaskAlert play"), alerts) << time;
    }
}

TEST_F(SoundPlayer, FTwelveRingsTheDingDongAndAnAnnouncementOnTheNextUpdate)
{
    Clips({"AnnouncementDingDong", "Announcement01", "Announcement02", "Announcement03", "Announcement04",
           "Announcement05", "Announcement06", "Announcement07"});
    // The keyboard driver's key when the program has one, else a key of the test's.
    static TTestInput s_F12("F12");
    TInputManager& input = TInputManager::Instance();
    if (input.FindInputIndex(TName("F12")) < 0)
        input.RegisterInput(&s_F12);
    TInput* key = input.GetInputAt(input.FindInputIndex(TName("F12")));
    auto press = [key](f32 value) {
        if (auto* win = dynamic_cast<TWinInput*>(key))
            win->Apply(value);
        else
            static_cast<TTestInput*>(key)->Set(value);
    };
    Player().OnClusterLoad();
    Player().UpdateManager(0.0f);
    m_Sounds.aLine.clear();
    press(1.0f);
    Player().UpdateManager(0.0f);
    // The key stays down; its press was this frame's.
    key->ClearPressed();
    EXPECT_EQ(Player().GetAnnouncementTimer(), 0.0f);
    EXPECT_FALSE(m_Sounds.Has("AnnouncementDingDong play"));
    Player().UpdateManager(0.01f);
    EXPECT_TRUE(m_Sounds.Has("AnnouncementDingDong play"));
    // One announcement, three to four seconds after the ding-dong.
    const auto isPlay = [](const std::string& line) {
        return line.rfind("Announcement0", 0) == 0 && line.find(" play") != std::string::npos;
    };
    ASSERT_EQ(std::count_if(m_Sounds.aLine.begin(), m_Sounds.aLine.end(), isPlay), 1);
    const std::string& played = *std::find_if(m_Sounds.aLine.begin(), m_Sounds.aLine.end(), isPlay);
    const f32 delay = LastParameter(m_Sounds, played.substr(0, played.find(' ')), 40);
    EXPECT_TRUE(delay >= 3.0f && delay < 4.0f) << delay;
    EXPECT_TRUE(Player().GetAnnouncementTimer() >= 120.0f && Player().GetAnnouncementTimer() < 360.0f);
    // A key held down rings once.
    Player().UpdateManager(0.01f);
    EXPECT_GE(Player().GetAnnouncementTimer(), 110.0f);
    press(0.0f);
}

// Each state starts and stops the engine clips it names, the touchdown's squeal armed by the
// landing alone; the pitches stay under their caps; a unit not in the level's aircraft is
// reported and gets no sound.
TEST_F(SoundPlayer, AnAircraftsEnginesFollowItsStatesUnderTheirPitchCaps)
{
    Clips({"AirplaneFullPower", "AirplaneTaxi", "AirplaneStart", "AirplaneStop", "TyreSqueal"});
    TAICommonUnit& plane = AddUnit();
    m_Parameters.aPlane.Add(&AddUnit());
    m_Parameters.aPlane.Add(&plane);
    plane.pPlaneSoundLocator = g_pNodeManager->CreateNode("locator");
    // The clips started and stopped, the touchdown's.
    auto calls = [this] {
        std::vector<std::string> lines;
        for (const std::string& line : m_Sounds.aLine)
            if (line.find(" play") != std::string::npos || line.find(" stop") != std::string::npos)
                lines.push_back(line);
        m_Sounds.aLine.clear();
        return lines;
    };
    using Lines = std::vector<std::string>;
    const std::tuple<i32, Lines, Lines> steps[] = {
        {PLANE_LANDING, {"AirplaneFullPower play"}, {"TyreSqueal play"}},
        {PLANE_LANDED, {"AirplaneFullPower stop", "AirplaneTaxi play"}, {}},
        {PLANE_PARKED, {"AirplaneStop play", "AirplaneTaxi stop"}, {}},
        {PLANE_READY, {"AirplaneStart play", "AirplaneTaxi play"}, {}},
        {PLANE_TAKING_OFF, {"AirplaneTaxi stop", "AirplaneFullPower play"}, {}},
        {PLANE_IDLE, {"AirplaneFullPower stop"}, {}},
        {PLANE_TO_GATE, {}, {}}};
    for (const auto& [state, lines, touchdown] : steps)
    {
        m_Sounds.aLine.clear();
        plane.m_nPlaneState = state;
        Player().UpdateAirplane(&plane);
        EXPECT_EQ(calls(), lines) << state;
        Player().PlayTouchdown();
        EXPECT_EQ(calls(), touchdown) << state;
        if (state != PLANE_TAKING_OFF)
            continue;
        // Fast: 2 at most and a level of 10; slow: 1 + 0.01 x the root of the speed.
        auto* fullPower = static_cast<TXAudio2Sound*>(Player().GetAirplane(1).FullPower.pSound);
        ASSERT_NE(fullPower, nullptr);
        // (velocity, pitch, level; 0: not looked at)
        for (const auto& [velocity, pitch, level] : {std::tuple{TVector(6000.0f, 8000.0f, 0.0f, 0.0f), 2.0f, 0.0f},
                                                     {TVector(60000.0f, 80000.0f, 0.0f, 0.0f), 2.0f, 10.0f},
                                                     {TVector(0.0f, 0.0f, 100.0f, 0.0f), 1.1f, 0.0f}})
        {
            fullPower->m_EmitterVelocity = velocity;
            Player().UpdateManager(0.0f);
            EXPECT_FLOAT_EQ(LastParameter(m_Sounds, "AirplaneFullPower", 4), pitch) << velocity.x;
            EXPECT_TRUE(level == 0.0f || LastParameter(m_Sounds, "AirplaneFullPower", 47) == level);
        }
    }
    EXPECT_EQ(Player().GetAirplane(1).Taxi.nIndex, -1);
    EXPECT_EQ(Player().GetAirplane(0).pNode, nullptr);
    TAICommonUnit& stranger = AddUnit();
    stranger.m_nPlaneState = PLANE_LANDING;
    m_Sounds.aLine.clear();
    Player().UpdateAirplane(&stranger);
    EXPECT_TRUE(m_Sounds.aLine.empty());
    EXPECT_NE(Log().find("TSoundPlayerManager::UpdateAirplane(): error: Invalid plane idx -1 from unit."),
              std::string::npos);
}

TEST_F(SoundPlayer, WindPitchWalksInsideItsBoundsAndRainComesAndGoes)
{
    Clips({"Wind", "Rain"});
    Player().OnClusterLoad();
    for (i32 i = 0; i < 2000; ++i)
    {
        Player().UpdateManager(0.0f);
        ASSERT_GE(Player().GetWindPitch(), 0.1f);
        ASSERT_LE(Player().GetWindPitch(), 1.5f);
    }
    EXPECT_NEAR(LastParameter(m_Sounds, "Wind", 4), Player().GetWindPitch(), 1e-5f);
    const f32 gust = LastParameter(m_Sounds, "Wind", 1);
    EXPECT_GE(gust, 1.0f);
    EXPECT_LE(gust, std::pow(2.0f, 1.4f));

    m_Sounds.aLine.clear();
    Player().SetRainSound(1);
    Player().SetRainSound(1);
    EXPECT_EQ(m_Sounds.aLine, (std::vector<std::string>{"Rain 38=6", "Rain 37=6", "Rain play"}));
    Player().SetRainSound(0);
    EXPECT_EQ(m_Sounds.aLine.back(), "Rain stop");
    EXPECT_EQ(Player().GetSlot(TSoundPlayerManager::SLOT_RAIN).nIndex, -1);
}

TEST_F(SoundPlayer, StateItemsAreTheSlotIndicesAndAStoredIndexFindsItsInstance)
{
    Clips({"Wind"});
    Player().OnClusterLoad();
    void* data = nullptr;
    i32 size = 0;
    ASSERT_EQ(Player().GetData(3, data, size), 0);
    EXPECT_EQ(size, 4);
    const i32 wind = Player().GetSlot(TSoundPlayerManager::SLOT_WIND).nIndex;
    EXPECT_EQ(*static_cast<i32*>(data), wind);
    EXPECT_EQ(Player().GetData(69, data, size), 1);
    EXPECT_EQ(Player().GetData(-1, data, size), 1);
    ASSERT_EQ(Player().GetData(68, data, size), 0);

    // Aircraft record 15's taxi index is the last item.
    ASSERT_EQ(Player().SetData(68, &wind, 4), 0);
    EXPECT_EQ(Player().GetAirplane(15).Taxi.pSound, Player().GetSlot(TSoundPlayerManager::SLOT_WIND).pSound);
    const i32 none = -1;
    ASSERT_EQ(Player().SetData(5, &none, 4), 0);
    EXPECT_EQ(Player().GetAirplane(0).FullPower.pSound, nullptr);
    EXPECT_EQ(Player().SetData(69, &wind, 4), 1);
    EXPECT_EQ(Player().SetData(2, &wind, 3), 1);
    const i32 suppressed = 1;
    ASSERT_EQ(Player().SetData(0, &suppressed, 4), 0);
    Clips({"ButtonClick"});
    m_Sounds.aLine.clear();
    Player().PlayButtonClick(nullptr);
    EXPECT_TRUE(m_Sounds.aLine.empty());
    Player().Unsuppress();
    // A cluster unload forgets every instance, the aircraft's too.
    g_pCluster->Clear();
    EXPECT_EQ(Player().GetAirplane(15).Taxi.pSound, nullptr);
    EXPECT_EQ(Player().GetSlot(TSoundPlayerManager::SLOT_WIND).nIndex, -1);
}

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

TEST_F(GameMenu, TheCameraKeysSwitchTheViewButNotWhileTheConsoleIsShownOrABoxTakesTyping)
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
    // A text box taking the typing ("t" in a name) takes the key too.
    TInputManager::Instance().BufferedInputEnable();
    Press(m_Tower);
    TInputManager::Instance().BufferedInputDisable();
    EXPECT_EQ(m_Parameters.pActiveTask, &followMe);
    Press(m_Tower);
    EXPECT_EQ(m_Parameters.pActiveTask, nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentCamera(), &tower);
}

// The AI's task asked to start is the task list's start button's (its test).
TEST_F(GameMenu, TheStartButtonTakesATaskAndOffersTheResetOfTheOneDriven)
{
    TGate& gate = AddGate(1);
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
