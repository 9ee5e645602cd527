#include "levelsounds.h"

#include "engine/sound/sounddata.h"
#include "igame/vehicles/vehiclesound.h"
#include "soundrecords.h"
#include "xaudio2/gamesound.h"

namespace
{
constexpr const char* EFFECTS = "/master/game/effects";

TClipTone Tone(EClipWave wave, f32 fromHz, f32 toHz, f32 seconds)
{
    return {wave, fromHz, toHz, seconds, 0.35f, 0.35f};
}

// In slot order: reverse warning, brake release, brake squeal, idle loop, acceleration, drive
// loop, start, stop.
const char* const kNames[VEHICLE_SOUND_SLOTS] = {
    "vehicle_reverse_warning", "vehicle_brake_release", "vehicle_brake_squeal", "vehicle_engine_idle",
    "vehicle_engine_acceleration", "vehicle_engine_drive", "vehicle_engine_start", "vehicle_engine_stop"};

std::vector<TClipTone> Tones(u32 slot)
{
    const TClipTone beep = Tone(EClipWave::Sine, 1000.0f, 1000.0f, 0.25f);
    const TClipTone pause = {EClipWave::Sine, 0.0f, 0.0f, 0.25f, 0.0f, 0.0f};
    switch (slot)
    {
    case 0:
        return {beep, pause, beep, pause};
    case 1:
        return {{EClipWave::Noise, 0.0f, 0.0f, 0.3f, 0.35f, 0.0f}};
    case 2:
        return {Tone(EClipWave::Sine, 2400.0f, 2200.0f, 0.6f)};
    case 3:
        return {Tone(EClipWave::Saw, 55.0f, 55.0f, 0.4f)};
    case 4:
        return {Tone(EClipWave::Saw, 90.0f, 160.0f, 0.8f)};
    case 5:
        return {Tone(EClipWave::Saw, 110.0f, 110.0f, 0.4f)};
    case 6:
        return {Tone(EClipWave::Saw, 30.0f, 60.0f, 0.8f)};
    default:
        return {Tone(EClipWave::Saw, 60.0f, 25.0f, 0.6f)};
    }
}

// The reverse warning and the idle and drive loops play until they are stopped.
bool Loops(u32 slot)
{
    return slot == 0 || slot == 3 || slot == 5;
}
} // namespace

void MakeLevelEngineSounds(TRepositoryWriter& writer, TGameSound* slots[8])
{
    TSoundRecords& records = TSoundRecords::Current();
    const TVehicleSound engine;
    for (u32 i = 0; i < VEHICLE_SOUND_SLOTS; ++i)
    {
        const u32 flags = Loops(i) ? SOUND_DATA_ENDLESS : 0;
        TXAudio2SoundData* clip = records.AddClip(writer, {kNames[i], EFFECTS, flags, 1, Tones(i)});
        slots[i] = records.AddGameSound({clip}, GAME_SOUND_SEQUENTIAL, Loops(i) ? 1 : 0);
        // The engine's loops fade in (the idle after the starter) from their start: what the
        // vehicle sets reaches a clip only once it plays.
        if (i == VEHICLE_SOUND_IDLE_LOOP || i == VEHICLE_SOUND_DRIVE_LOOP)
            slots[i]->Settings.fFadeIn = engine.fStartParam37;
        if (i == VEHICLE_SOUND_IDLE_LOOP)
            slots[i]->Settings.fStartDelay = engine.fStartParam40;
    }
}
