#include "levelsounds.h"

#include "igame/vehicles/vehiclesound.h"
#include "repositorywriter.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/gamesoundmanager.h"
#include "xaudio2/soundmanager.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr u32 SAMPLE_RATE = 11025;
constexpr u16 FORMAT_PCM = 1;
constexpr f32 PI = 3.14159265358979f;

using EWave = ELevelWave;

// In slot order: reverse warning, brake release, brake squeal, idle loop, acceleration, drive
// loop, start, stop.
const TLevelClip kClips[VEHICLE_SOUND_SLOTS] = {
    {"vehicle_reverse_warning", EWave::Beeps, 1000.0f, 1000.0f, 1.0f, true},
    {"vehicle_brake_release", EWave::Noise, 0.0f, 0.0f, 0.3f, false},
    {"vehicle_brake_squeal", EWave::Sine, 2400.0f, 2200.0f, 0.6f, false},
    {"vehicle_engine_idle", EWave::Saw, 55.0f, 55.0f, 0.4f, true},
    {"vehicle_engine_acceleration", EWave::Saw, 90.0f, 160.0f, 0.8f, false},
    {"vehicle_engine_drive", EWave::Saw, 110.0f, 110.0f, 0.4f, true},
    {"vehicle_engine_start", EWave::Saw, 30.0f, 60.0f, 0.8f, false},
    {"vehicle_engine_stop", EWave::Saw, 60.0f, 25.0f, 0.6f, false},
};
} // namespace

std::vector<u8> MakeLevelClipBlock(const TLevelClip& clip)
{
    const u32 count = static_cast<u32>(clip.fSeconds * SAMPLE_RATE);
    std::vector<u8> block(18 + 4 + 2 * count);
    u8* at = block.data();
    auto put16 = [&](u16 v) { std::memcpy(at, &v, 2), at += 2; };
    auto put32 = [&](u32 v) { std::memcpy(at, &v, 4), at += 4; };
    put16(FORMAT_PCM);
    put16(1);
    put32(SAMPLE_RATE);
    put32(SAMPLE_RATE * 2);
    put16(2);
    put16(16);
    put16(0);
    put32(0);
    u32 noise = 0x2545F491;
    f32 phase = 0.0f;
    for (u32 i = 0; i < count; ++i)
    {
        const f32 t = static_cast<f32>(i) / static_cast<f32>(count);
        phase += (clip.fFromHz + (clip.fToHz - clip.fFromHz) * t) / SAMPLE_RATE;
        phase -= std::floor(phase);
        f32 value = 0.0f;
        switch (clip.wave)
        {
        case EWave::Saw:
            value = 2.0f * phase - 1.0f;
            break;
        case EWave::Sine:
            value = std::sin(2.0f * PI * phase);
            break;
        case EWave::Noise:
            noise = noise * 1664525u + 1013904223u;
            value = (static_cast<f32>(noise >> 16) / 32768.0f - 1.0f) * (1.0f - t);
            break;
        case EWave::Beeps:
            value = (i / (SAMPLE_RATE / 4)) % 2 == 0 ? std::sin(2.0f * PI * phase) : 0.0f;
            break;
        }
        put16(static_cast<u16>(static_cast<i16>(value * 12000.0f)));
    }
    return block;
}

namespace
{
struct TLevelSounds
{
    TXAudio2SoundData aClip[VEHICLE_SOUND_SLOTS];
    TGameSound aSound[VEHICLE_SOUND_SLOTS];
};

std::unique_ptr<TLevelSounds> s_pSounds;
} // namespace

void MakeLevelEngineSounds(TRepositoryWriter& writer, TGameSound* slots[8])
{
    s_pSounds = std::make_unique<TLevelSounds>();
    TXAudio2SoundManager& sounds = *static_cast<TXAudio2SoundManager*>(g_pSoundManager);
    for (u32 i = 0; i < VEHICLE_SOUND_SLOTS; ++i)
    {
        const TLevelClip& clip = kClips[i];
        TXAudio2SoundData& data = s_pSounds->aClip[i];
        data.m_Name.Set(clip.szName, true);
        if (clip.bLoop)
            data.m_nFlags |= SOUND_DATA_ENDLESS;
        const std::vector<u8> block = MakeLevelClipBlock(clip);
        writer.AddBlock(&data, block.data(), static_cast<u32>(block.size()));
        sounds.Data().Add(&data);

        TGameSound& sound = s_pSounds->aSound[i];
        sound.Settings.nLoop = clip.bLoop ? 1 : 0;
        sound.m_nClipCount = 1;
        sound.aSoundData[0] = &data;
        g_pGameSoundManager->GameSounds().Add(&sound);
        slots[i] = &sound;
    }
}
