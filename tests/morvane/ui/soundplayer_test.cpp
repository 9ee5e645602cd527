// The sound player's choices, as the sound service records what each instance is asked.
#include "directx/input/wininput.h"
#include "engine/input/inputmanager.h"
#include "soundplayerfixture.h"
#include "support/testinput.h"
#include "engine/sound/soundgroup.h"
#include "xaudio2/xaudio2soundgroup.h"

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

TEST_F(SoundPlayer, ALevelStartsWindMusicReverbAndTheBusesByTheGamesState)
{
    Clips({"Wind", "Music1"});
    TXAudio2SoundGroup menu;
    TXAudio2SoundGroup game;
    menu.m_Name.Set("/master/menu", true);
    game.m_Name.Set("/master/game", true);
    g_pXAudio2SoundManager->Groups().Add(&menu);
    g_pXAudio2SoundManager->Groups().Add(&game);
    Player().OnClusterLoad();
    for (const char* line : {"Wind 37=1", "Wind play", "Music1 37=1", "Music1 play"})
        EXPECT_TRUE(m_Sounds.Has(line)) << line;
    EXPECT_EQ(Player().GetSlot(TSoundPlayerManager::SLOT_WIND).nIndex,
              g_pXAudio2SoundManager->_GetSoundIndex(Player().GetSlot(TSoundPlayerManager::SLOT_WIND).pSound));
    EXPECT_EQ(menu.m_fOwnVolume, 1.0f);
    EXPECT_EQ(game.m_fOwnVolume, 0.0f);
    EXPECT_TRUE(Player().GetAnnouncementTimer() >= 0.0f && Player().GetAnnouncementTimer() < 180.0f);
    EXPECT_EQ(g_pXAudio2SoundManager->GetReverbPreset(),
              g_pXAudio2SoundManager->FindReverbPreset(TName("City"), -1));

    m_Parameters.nStarted = 1;
    Player().OnClusterLoad();
    EXPECT_EQ(menu.m_fOwnVolume, 0.0f);
    EXPECT_EQ(game.m_fOwnVolume, 1.0f);
    Player().SetMenuMode(1);
    EXPECT_EQ(game.VolumeFade.fTarget, 0.0f);
    EXPECT_EQ(menu.VolumeFade.fTarget, 1.0f);
    g_pCluster->Clear();
    // The buses went with the cluster.
    Player().SetMenuMode(0);
}

TEST_F(SoundPlayer, TheEndOfAMusicTrackStartsTheNextOneWrappingAroundTheList)
{
    Clip("Music1", MUSIC_FLAG);
    Clip("Wind");
    Player().OnClusterLoad();
    TSound* first = Player().GetSlot(TSoundPlayerManager::SLOT_MUSIC).pSound;
    ASSERT_NE(first, nullptr);
    m_Sounds.aLine.clear();
    // A clip that is no music ends: nothing follows.
    Player().OnSoundEnded(Player().GetSlot(TSoundPlayerManager::SLOT_WIND).pSound);
    EXPECT_FALSE(m_Sounds.Has("Music1 play"));
    for (i32 i = 0; i < 3; ++i)
    {
        Player().OnSoundEnded(Player().GetSlot(TSoundPlayerManager::SLOT_MUSIC).pSound);
        EXPECT_EQ(m_Sounds.Count("Music1 play"), static_cast<size_t>(i + 1));
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

TEST_F(SoundPlayer, AnAircraftsEnginesFollowItsStates)
{
    Clips({"AirplaneFullPower", "AirplaneTaxi", "AirplaneStart", "AirplaneStop", "TyreSqueal"});
    TAICommonUnit& plane = AddUnit();
    m_Parameters.aPlane.Add(&AddUnit());
    m_Parameters.aPlane.Add(&plane);
    TNode* locator = g_pNodeManager->CreateNode("locator");
    plane.pPlaneSoundLocator = locator;
    auto step = [&](i32 state) {
        m_Sounds.aLine.clear();
        plane.m_nPlaneState = state;
        Player().UpdateAirplane(&plane);
        return m_Sounds.aLine;
    };
    EXPECT_EQ(step(PLANE_LANDING), (std::vector<std::string>{"AirplaneFullPower 37=3", "AirplaneFullPower 5=1.5",
                                                            "AirplaneFullPower play", "AirplaneFullPower 47=50",
                                                            "AirplaneFullPower 4=1"}));
    EXPECT_EQ(Player().GetAirplane(1).pNode, locator);
    EXPECT_EQ(Player().GetAirplane(1).nTouchdownArmed, 1);
    m_Sounds.aLine.clear();
    Player().PlayTouchdown();
    EXPECT_EQ(m_Sounds.aLine, (std::vector<std::string>{"TyreSqueal 2=6", "TyreSqueal play"}));
    EXPECT_EQ(step(PLANE_LANDED), (std::vector<std::string>{"AirplaneFullPower 38=10", "AirplaneFullPower stop",
                                                           "AirplaneTaxi 37=3", "AirplaneTaxi play"}));
    EXPECT_EQ(Player().GetAirplane(1).nTouchdownArmed, 0);
    m_Sounds.aLine.clear();
    Player().PlayTouchdown();
    EXPECT_TRUE(m_Sounds.aLine.empty());
    EXPECT_EQ(step(PLANE_PARKED), (std::vector<std::string>{"AirplaneStop 37=2", "AirplaneStop play",
                                                           "AirplaneTaxi 38=4", "AirplaneTaxi stop"}));
    EXPECT_EQ(Player().GetAirplane(1).Taxi.nIndex, -1);
    EXPECT_EQ(step(PLANE_READY), (std::vector<std::string>{"AirplaneStart play", "AirplaneTaxi 37=3",
                                                          "AirplaneTaxi 40=23", "AirplaneTaxi play"}));
    EXPECT_EQ(step(PLANE_TAKING_OFF), (std::vector<std::string>{"AirplaneTaxi 38=4", "AirplaneTaxi stop",
                                                               "AirplaneFullPower 37=4", "AirplaneFullPower 47=25",
                                                               "AirplaneFullPower play",
                                                               "AirplaneFullPower 4=1.5"}));
    EXPECT_EQ(step(PLANE_IDLE),
              (std::vector<std::string>{"AirplaneFullPower 38=10", "AirplaneFullPower stop"}));
    EXPECT_TRUE(step(PLANE_TO_GATE).empty());
    EXPECT_EQ(Player().GetAirplane(0).pNode, nullptr);
    // A unit not in the level's aircraft is reported and gets no sound.
    TAICommonUnit& stranger = AddUnit();
    stranger.m_nPlaneState = PLANE_LANDING;
    m_Sounds.aLine.clear();
    Player().UpdateAirplane(&stranger);
    EXPECT_TRUE(m_Sounds.aLine.empty());
    EXPECT_NE(Log().find("TSoundPlayerManager::UpdateAirplane(): error: Invalid plane idx -1 from unit."),
              std::string::npos);
}

TEST_F(SoundPlayer, EnginePitchesStayUnderTheirCaps)
{
    Clips({"AirplaneFullPower", "AirplaneTaxi"});
    TAICommonUnit& plane = AddUnit();
    m_Parameters.aPlane.Add(&plane);
    plane.pPlaneSoundLocator = g_pNodeManager->CreateNode("locator");
    plane.m_nPlaneState = PLANE_TAKING_OFF;
    Player().UpdateAirplane(&plane);
    auto* fullPower = static_cast<TXAudio2Sound*>(Player().GetAirplane(0).FullPower.pSound);
    ASSERT_NE(fullPower, nullptr);
    fullPower->m_EmitterVelocity = TVector(6000.0f, 8000.0f, 0.0f, 0.0f);
    Player().UpdateManager(0.0f);
    EXPECT_EQ(LastParameter(m_Sounds, "AirplaneFullPower", 4), 2.0f);
    fullPower->m_EmitterVelocity = TVector(60000.0f, 80000.0f, 0.0f, 0.0f);
    Player().UpdateManager(0.0f);
    EXPECT_EQ(LastParameter(m_Sounds, "AirplaneFullPower", 4), 2.0f);
    EXPECT_EQ(LastParameter(m_Sounds, "AirplaneFullPower", 47), 10.0f);
    // Slow: 1 + 0.01 x the root of the speed.
    fullPower->m_EmitterVelocity = TVector(0.0f, 0.0f, 100.0f, 0.0f);
    Player().UpdateManager(0.0f);
    EXPECT_FLOAT_EQ(LastParameter(m_Sounds, "AirplaneFullPower", 4), 1.1f);

}

TEST_F(SoundPlayer, TheEngineOfTheVehicleInViewStartsAndFadesWhenTheViewMovesOn)
{
    Clips({"EngineFuelTruck", "EngineStartFuelTruck", "EngineTaxi", "EngineStartTaxi"});
    TVehicle& first = AddVehicle("first_truck", 0.0f, 0.0f);
    TVehicle& second = AddVehicle("second_car", 5.0f, 0.0f);
    second.active = 2;
    g_pVehicleManager->Vehicles().Add(&first);
    g_pVehicleManager->Vehicles().Add(&second);
    TTask& followMe = AddTask(nullptr, 0);
    // From the tower nothing sounds.
    Player().UpdateManager(0.0f);
    EXPECT_TRUE(m_Sounds.aLine.empty());

    m_Parameters.pActiveTask = &followMe;
    g_pVehicleManager->SetActiveVehicle(&first);
    Player().UpdateManager(0.0f);
    EXPECT_EQ(m_Sounds.aLine, (std::vector<std::string>{"EngineStartFuelTruck play", "EngineFuelTruck 37=0.5",
                                                       "EngineFuelTruck 40=1", "EngineFuelTruck play"}));
    m_Sounds.aLine.clear();
    first.Parameters.nGear = 2;
    first.Parameters.aGear[1] = {40.0f, 10.0f, 20.0f};
    first.Parameters.fSpeed = 15.0f;
    Player().UpdateManager(0.0f);
    EXPECT_EQ(LastParameter(m_Sounds, "EngineFuelTruck", 47), 4.0f);
    EXPECT_FLOAT_EQ(LastParameter(m_Sounds, "EngineFuelTruck", 4), 0.5f * 3.0f * 0.1f + 2.0f * 0.025f + 0.8f);

    m_Sounds.aLine.clear();
    second.Parameters.fSpeed = 3.0f;
    g_pVehicleManager->SetActiveVehicle(&second);
    Player().UpdateManager(0.0f);
    EXPECT_EQ(m_Sounds.aLine,
              (std::vector<std::string>{"EngineFuelTruck 38=0.25", "EngineFuelTruck stop", "EngineTaxi 37=0.5",
                                        "EngineTaxi play"}));
    // A kind without engine sounds: silence.
    m_Sounds.aLine.clear();
    second.active = 8;
    g_pVehicleManager->SetActiveVehicle(&first);
    Player().UpdateManager(0.0f);
    g_pVehicleManager->SetActiveVehicle(&second);
    m_Sounds.aLine.clear();
    Player().UpdateManager(0.0f);
    EXPECT_EQ(m_Sounds.aLine, (std::vector<std::string>{"EngineFuelTruck 38=0.25", "EngineFuelTruck stop"}));
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
