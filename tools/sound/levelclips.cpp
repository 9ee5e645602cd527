#include "levelclips.h"

#include "engine/sound/sounddata.h"
#include "core/math/matrix.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "soundrecords.h"
#include "xaudio2/gamesound.h"

namespace
{
const char* const GAME_EFFECTS = "/master/game/effects";
const char* const AMBIENT = "/master/game/ambient";
const char* const SPEECH = "/master/game/speech";
// Heard in the menus and in the game alike.
const char* const INTERFACE = "/master/common/effects";
const char* const MUSIC = "/master/common/music";

constexpr u32 LOOP = SOUND_DATA_ENDLESS;
// The game's sound player starts the next track when a clip marked so ends.
constexpr u32 TRACK = SOUND_DATA_PACKET_TABLE;

TClipTone Tone(EClipWave wave, f32 fromHz, f32 toHz, f32 seconds, f32 level, f32 endLevel)
{
    return {wave, fromHz, toHz, seconds, level, endLevel};
}
TClipTone Note(f32 hz, f32 seconds, f32 level = 0.35f)
{
    return Tone(EClipWave::Sine, hz, hz, seconds, level, level * 0.6f);
}
TClipTone Rest(f32 seconds)
{
    return Tone(EClipWave::Sine, 0.0f, 0.0f, seconds, 0.0f, 0.0f);
}
// An engine's loop: whole periods in one second, so that it joins without a click.
TClipTone Engine(EClipWave wave, f32 hz, f32 level = 0.3f)
{
    return Tone(wave, hz, hz, 1.0f, level, level);
}
TClipTone Starter(f32 fromHz, f32 toHz, f32 seconds)
{
    return Tone(EClipWave::Saw, fromHz, toHz, seconds, 0.15f, 0.3f);
}
// A voice of the public address: a few syllables at a speaking pitch.
std::vector<TClipTone> Announcement(f32 pitch, u32 variant)
{
    std::vector<TClipTone> tones;
    for (u32 i = 0; i < 6; ++i)
    {
        const f32 step = static_cast<f32>((i * 5 + variant * 3) % 7) * 0.06f;
        tones.push_back(Tone(EClipWave::Saw, pitch * (1.0f + step), pitch * (0.95f + step), 0.18f + 0.03f * static_cast<f32>((i + variant) % 3), 0.15f, 0.1f));
        tones.push_back(Rest(0.05f));
    }
    return tones;
}

// The music track: a tune on the left, its fifth below on the right.
std::vector<TClipTone> Tune()
{
    const f32 notes[] = {392.0f, 440.0f, 494.0f, 523.0f, 494.0f, 440.0f, 392.0f, 330.0f,
                         349.0f, 392.0f, 440.0f, 392.0f, 349.0f, 330.0f, 294.0f, 262.0f};
    std::vector<TClipTone> tones;
    for (f32 hz : notes)
        tones.push_back(Note(hz, 0.4f, 0.25f));
    return tones;
}

std::vector<TClipRecipe> Recipes()
{
    return {
        {"EngineBus", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Saw, 45.0f)}},
        {"EngineFuelTruck", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Saw, 52.0f)}},
        {"EngineTaxi", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Saw, 70.0f, 0.25f)}},
        {"EngineLuggageTruck", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Square, 60.0f, 0.25f)}},
        {"EngineHydraulics", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Square, 90.0f, 0.2f)}},
        {"EngineStartBus", GAME_EFFECTS, 0, 1, {Starter(20.0f, 45.0f, 0.8f)}},
        {"EngineStartFuelTruck", GAME_EFFECTS, 0, 1, {Starter(25.0f, 52.0f, 0.8f)}},
        {"EngineStartTaxi", GAME_EFFECTS, 0, 1, {Starter(30.0f, 70.0f, 0.6f)}},
        {"EngineStartLuggageTruck", GAME_EFFECTS, 0, 1, {Starter(28.0f, 60.0f, 0.7f)}},
        {"EngineStartHydraulics", GAME_EFFECTS, 0, 1, {Starter(40.0f, 90.0f, 0.6f)}},
        {"Wind", AMBIENT, LOOP, 1, {Tone(EClipWave::Gusts, 0.25f, 0.25f, 4.0f, 0.5f, 0.5f)}},
        {"Rain", AMBIENT, LOOP, 1, {Tone(EClipWave::Noise, 0.0f, 0.0f, 3.0f, 0.12f, 0.12f)}},
        {"AnnouncementDingDong", SPEECH, 0, 1, {Note(659.0f, 0.5f), Note(523.0f, 0.7f)}},
        {"AirplaneFullPower", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Saw, 220.0f, 0.2f)}},
        {"AirplaneStart", GAME_EFFECTS, 0, 1, {Tone(EClipWave::Saw, 60.0f, 220.0f, 2.0f, 0.05f, 0.2f)}},
        {"AirplaneStop", GAME_EFFECTS, 0, 1, {Tone(EClipWave::Saw, 220.0f, 60.0f, 2.0f, 0.2f, 0.02f)}},
        {"AirplaneTaxi", GAME_EFFECTS, LOOP, 1, {Engine(EClipWave::Saw, 120.0f, 0.2f)}},
        {"TyreSqueal", GAME_EFFECTS, 0, 1, {Tone(EClipWave::Sine, 1800.0f, 1500.0f, 0.5f, 0.3f, 0.0f)}},
        {"ButtonClick", INTERFACE, 0, 1, {Tone(EClipWave::Square, 2000.0f, 2000.0f, 0.03f, 0.3f, 0.0f)}},
        {"MenuSelect", INTERFACE, 0, 1, {Note(880.0f, 0.08f)}},
        {"LayerShown", INTERFACE, 0, 1, {Tone(EClipWave::Sine, 440.0f, 660.0f, 0.15f, 0.3f, 0.1f)}},
        {"TaskListExpand", INTERFACE, 0, 1, {Tone(EClipWave::Sine, 520.0f, 780.0f, 0.12f, 0.3f, 0.1f)}},
        {"TaskListContract", INTERFACE, 0, 1, {Tone(EClipWave::Sine, 780.0f, 520.0f, 0.12f, 0.3f, 0.1f)}},
        {"VehicleUpgrade", INTERFACE, 0, 1, {Note(523.0f, 0.1f), Note(659.0f, 0.1f), Note(784.0f, 0.2f)}},
        {"ChooseGate", INTERFACE, 0, 1, {Note(660.0f, 0.1f), Note(880.0f, 0.1f)}},
        {"PlaneLandingTakeOff", INTERFACE, 0, 1, {Tone(EClipWave::Sine, 440.0f, 880.0f, 0.4f, 0.3f, 0.1f)}},
        {"NewTask", INTERFACE, 0, 1, {Note(988.0f, 0.1f), Rest(0.05f), Note(988.0f, 0.1f)}},
        {"TaskAlert", INTERFACE, 0, 1,
         {Tone(EClipWave::Square, 440.0f, 440.0f, 0.15f, 0.25f, 0.25f), Rest(0.05f),
          Tone(EClipWave::Square, 440.0f, 440.0f, 0.15f, 0.25f, 0.25f)}},
        {"Announcement01", SPEECH, 0, 1, Announcement(180.0f, 1)},
        {"Announcement02", SPEECH, 0, 1, Announcement(200.0f, 2)},
        {"Announcement03", SPEECH, 0, 1, Announcement(220.0f, 3)},
        {"Announcement04", SPEECH, 0, 1, Announcement(170.0f, 4)},
        {"Announcement05", SPEECH, 0, 1, Announcement(240.0f, 5)},
        {"Announcement06", SPEECH, 0, 1, Announcement(190.0f, 6)},
        {"Announcement07", SPEECH, 0, 1, Announcement(210.0f, 7)},
        {"Music1", MUSIC, TRACK, 2, Tune(), 2.0f / 3.0f},
    };
}
} // namespace

void AddGameClips(TRepositoryWriter& writer)
{
    TSoundRecords& records = TSoundRecords::Current();
    for (const TClipRecipe& recipe : Recipes())
        records.AddClip(writer, recipe);
}

i32 AddLevelSounds(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    AddGameClips(writer);
    TSoundRecords& records = TSoundRecords::Current();

    // The apron's traffic: the vehicles' starters, one after another at random, near the gate.
    TNode* traffic = g_pNodeManager->CreateNode(LEVEL_TRAFFIC_SOUND_NODE);
    level->AddChild(traffic);
    TMatrix place(1.0f);
    place.aRow[3] = TVector(110.0f, 0.0f, -30.0f, 1.0f);
    traffic->SetLocalMatrix(place, TNode::OrdinaryCause());
    TGameSound* starters =
        records.AddGameSound({records.FindClip("EngineStartBus"), records.FindClip("EngineStartTaxi"),
                              records.FindClip("EngineStartLuggageTruck")},
                             GAME_SOUND_RANDOM_NO_REPEAT, 1);
    records.AddGameSoundNode(traffic, starters);
    return TSoundRecords::ListManagers(managers, count);
}
