// The reverb: "Off" adds nothing, "Cave" leaves a tail; the I3DL2 conversion and the presets.
#include "platform/xaudio2/xaudio2fx.h"
#include "steppedengine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// A source that plays one quantum of a burst through a submix running a new reverb only (the
// sound code's reverb send), the submix feeding the mastering voice; a reverb created disabled is
// enabled once the burst has passed. Returns what came out.
TWavContents PlayThroughReverb(const XAUDIO2FX_REVERB_PARAMETERS* parameters, const std::vector<std::int16_t>& burst,
                               bool enabled = true, UINT32 quanta = 40)
{
    TSteppedEngine stepped;
    IUnknown* reverb = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&reverb)),
              S_OK);
    XAUDIO2_EFFECT_DESCRIPTOR descriptor = {reverb, enabled, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &descriptor};
    IXAudio2SubmixVoice* submix = nullptr;
    EXPECT_EQ(stepped.engine->CreateSubmixVoice(&submix, 2, 44100, 0, 0, nullptr, &chain), S_OK);
    reverb->Release();
    if (parameters)
    {
        EXPECT_EQ(submix->SetEffectParameters(0, parameters, sizeof(*parameters)), S_OK);
    }
    XAUDIO2_SEND_DESCRIPTOR send = {0, submix};
    const XAUDIO2_VOICE_SENDS sends = {1, &send};
    stepped.Play(Pcm16Format(1), BufferOf(burst), nullptr, &sends);
    stepped.Step(1);
    EXPECT_EQ(submix->EnableEffect(0), S_OK);
    stepped.Step(quanta - 1);
    return stepped.Finish();
}

std::vector<std::int16_t> Burst()
{
    std::vector<std::int16_t> burst(kQuantum);
    for (UINT32 i = 0; i < kQuantum; ++i)
        burst[i] = static_cast<std::int16_t>(((i * 7919) % 2000) * 8 - 8000);
    return burst;
}

// Energy of the quanta [first, last).
double Energy(const TWavContents& wav, UINT32 first, UINT32 last)
{
    double energy = 0.0;
    for (size_t i = first * kQuantum * 2; i < last * kQuantum * 2 && i < wav.samples.size(); ++i)
        energy += double(wav.samples[i]) * wav.samples[i];
    return energy;
}

TEST(ReverbTest, CaveLeavesATailThatFadesSlowerThanTheDefaultsOne)
{
    std::vector<std::int16_t> burst = Burst();
    XAUDIO2FX_REVERB_PARAMETERS cave;
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS i3dl2 = XAUDIO2FX_I3DL2_PRESET_CAVE;
    ReverbConvertI3DL2ToNative(&i3dl2, &cave);
    const TWavContents caveWav = PlayThroughReverb(&cave, burst);
    const TWavContents defaultWav = PlayThroughReverb(nullptr, burst);
    EXPECT_GT(Energy(caveWav, 1, 1000), 1e6);
    EXPECT_GT(Energy(defaultWav, 1, 1000), 1e6);
    // Decay 2.91 s against 1 s: over the same stretch the cave loses less.
    const double caveFall = Energy(caveWav, 30, 40) / Energy(caveWav, 5, 15);
    const double defaultFall = Energy(defaultWav, 30, 40) / Energy(defaultWav, 5, 15);
    EXPECT_GT(caveFall, 2.0 * defaultFall);
    EXPECT_GT(caveFall, 0.05);
}

// A reverb set "Off", or disabled while the burst passes, leaves the dry signal and no tail.
TEST(ReverbTest, OffOrDisabledPassesTheSignalDryWithoutATail)
{
    for (const bool disabled : {false, true})
    {
        SCOPED_TRACE(disabled);
        const XAUDIO2FX_REVERB_PARAMETERS off = {};
        const std::vector<std::int16_t> burst = Burst();
        const TWavContents wav = PlayThroughReverb(disabled ? nullptr : &off, burst, !disabled, 11);
        for (UINT32 f = 0; f < kQuantum; ++f)
            ASSERT_EQ(wav.samples[f * 2], burst[f]) << f;
        EXPECT_EQ(Energy(wav, 1, 1000), 0.0);
    }
}

TEST(ReverbTest, TheI3dl2ConversionMapsLevelsTimesAndDiffusion)
{
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS cave = XAUDIO2FX_I3DL2_PRESET_CAVE;
    XAUDIO2FX_REVERB_PARAMETERS native;
    ReverbConvertI3DL2ToNative(&cave, &native);
    // (reflections and reverb delays, early diffusion, high EQ gain: a decay HF ratio above 1)
    EXPECT_EQ((std::vector<int>{15, 22, 15, 8}), (std::vector<int>{static_cast<int>(native.ReflectionsDelay),
                                                                    native.ReverbDelay, native.EarlyDiffusion,
                                                                    native.HighEQGain}));
    EXPECT_FLOAT_EQ(native.RoomFilterMain, -10.0f);
    EXPECT_FLOAT_EQ(native.ReflectionsGain, -6.02f);
    EXPECT_FLOAT_EQ(native.DecayTime, 2.91f);

    // Levels below the native range are held at its floor; the quarry's reflections are off.
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS quarry = XAUDIO2FX_I3DL2_PRESET_QUARRY;
    ReverbConvertI3DL2ToNative(&quarry, &native);
    EXPECT_EQ(native.ReflectionsGain, -100.0f);
    EXPECT_EQ(native.ReverbGain, 5.0f);
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS mountains = XAUDIO2FX_I3DL2_PRESET_MOUNTAINS;
    ReverbConvertI3DL2ToNative(&mountains, &native);
    EXPECT_EQ((std::vector<int>{300, 4, 2}), (std::vector<int>{static_cast<int>(native.ReflectionsDelay),
                                                               native.EarlyDiffusion, native.HighEQGain}));
}

TEST(ReverbTest, EveryPresetConvertsToParametersTheReverbTakes)
{
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS presets[] = {
        XAUDIO2FX_I3DL2_PRESET_DEFAULT,         XAUDIO2FX_I3DL2_PRESET_GENERIC,    XAUDIO2FX_I3DL2_PRESET_PADDEDCELL,
        XAUDIO2FX_I3DL2_PRESET_ROOM,            XAUDIO2FX_I3DL2_PRESET_BATHROOM,   XAUDIO2FX_I3DL2_PRESET_LIVINGROOM,
        XAUDIO2FX_I3DL2_PRESET_STONEROOM,       XAUDIO2FX_I3DL2_PRESET_AUDITORIUM, XAUDIO2FX_I3DL2_PRESET_CONCERTHALL,
        XAUDIO2FX_I3DL2_PRESET_CAVE,            XAUDIO2FX_I3DL2_PRESET_ARENA,      XAUDIO2FX_I3DL2_PRESET_HANGAR,
        XAUDIO2FX_I3DL2_PRESET_CARPETEDHALLWAY, XAUDIO2FX_I3DL2_PRESET_HALLWAY,    XAUDIO2FX_I3DL2_PRESET_STONECORRIDOR,
        XAUDIO2FX_I3DL2_PRESET_ALLEY,           XAUDIO2FX_I3DL2_PRESET_FOREST,     XAUDIO2FX_I3DL2_PRESET_CITY,
        XAUDIO2FX_I3DL2_PRESET_MOUNTAINS,       XAUDIO2FX_I3DL2_PRESET_QUARRY,     XAUDIO2FX_I3DL2_PRESET_PLAIN,
        XAUDIO2FX_I3DL2_PRESET_PARKINGLOT,      XAUDIO2FX_I3DL2_PRESET_SEWERPIPE,  XAUDIO2FX_I3DL2_PRESET_UNDERWATER,
        XAUDIO2FX_I3DL2_PRESET_SMALLROOM,       XAUDIO2FX_I3DL2_PRESET_MEDIUMROOM, XAUDIO2FX_I3DL2_PRESET_LARGEROOM,
        XAUDIO2FX_I3DL2_PRESET_MEDIUMHALL,      XAUDIO2FX_I3DL2_PRESET_LARGEHALL,  XAUDIO2FX_I3DL2_PRESET_PLATE};
    static_assert(sizeof(presets) / sizeof(presets[0]) == 30);
    const std::vector<std::int16_t> burst = Burst();
    for (const XAUDIO2FX_REVERB_I3DL2_PARAMETERS& preset : presets)
    {
        SCOPED_TRACE(preset.DecayTime);
        XAUDIO2FX_REVERB_PARAMETERS native;
        ReverbConvertI3DL2ToNative(&preset, &native);
        PlayThroughReverb(&native, burst, true, 2);
    }
}
} // namespace
