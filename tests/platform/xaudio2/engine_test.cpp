// The engine as the sound code meets it: COM, layouts, devices, the back ends and the
// mixer thread.
#include "platform/xaudio2/x3daudio.h"
#include "platform/xaudio2/xaudio2fx.h"
#include "steppedengine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <cstdlib>
#include <thread>

namespace
{
TEST(EngineTest, RecordsKeepTheirWindowsLayouts)
{
    EXPECT_EQ(offsetof(WAVEFORMATEX, nSamplesPerSec), 4u);
    EXPECT_EQ(offsetof(WAVEFORMATEX, wBitsPerSample), 14u);
    EXPECT_EQ(offsetof(XAUDIO2_DEVICE_DETAILS, DisplayName), 512u);
    EXPECT_EQ(offsetof(XAUDIO2_BUFFER, pAudioData), 8u);
    EXPECT_EQ(offsetof(XAUDIO2FX_REVERB_PARAMETERS, DecayTime), 40u);
    EXPECT_EQ(offsetof(XAUDIO2FX_REVERB_I3DL2_PARAMETERS, HFReference), 48u);
    EXPECT_EQ(offsetof(X3DAUDIO_EMITTER, pChannelAzimuths), 68u);
    EXPECT_EQ(offsetof(X3DAUDIO_DSP_SETTINGS, ReverbLevel), 24u);
}

TEST(EngineTest, DevicesAreReportedWithTheirFormatsAndTheFirstIsTheDefault)
{
    TAudioDeviceDescription wide = {u"Surround", 8, 96000, 24};
    TAudioDeviceDescription mono = {u"Mono", 1, 22050, 16, true};
    TSteppedEngine stepped({{u"Speakers"}, wide, mono});
    UINT32 count = 0;
    ASSERT_EQ(stepped.engine->GetDeviceCount(&count), S_OK);
    ASSERT_EQ(count, 3u);
    XAUDIO2_DEVICE_DETAILS details;
    ASSERT_EQ(stepped.engine->GetDeviceDetails(0, &details), S_OK);
    EXPECT_EQ(details.Role, GlobalDefaultDevice);
    EXPECT_EQ(details.OutputFormat.dwChannelMask, SPEAKER_STEREO);
    ASSERT_EQ(stepped.engine->GetDeviceDetails(1, &details), S_OK);
    EXPECT_EQ(details.Role, NotDefaultDevice);
    EXPECT_EQ(details.OutputFormat.Format.nBlockAlign, 24);
    EXPECT_EQ(details.OutputFormat.dwChannelMask, SPEAKER_7POINT1_SURROUND);
    EXPECT_TRUE(details.OutputFormat.SubFormat == KSDATAFORMAT_SUBTYPE_PCM);
    ASSERT_EQ(stepped.engine->GetDeviceDetails(2, &details), S_OK);
    EXPECT_EQ(details.OutputFormat.dwChannelMask, SPEAKER_MONO);
    EXPECT_TRUE(details.OutputFormat.SubFormat == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(stepped.engine->GetDeviceDetails(3, &details), E_INVALIDARG);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "xaudio2: GetDeviceDetails: no device 3\n");
}

TEST(EngineTest, TheWavFileDeclaresWhatItHoldsAndAStoppedEngineMixesNothing)
{
    TSteppedEngine stepped;
    stepped.engine->StopEngine();
    stepped.Step(3);
    EXPECT_EQ(stepped.engine->StartEngine(), S_OK);
    stepped.Step(3);
    const TWavContents wav = stepped.Finish();
    EXPECT_EQ(wav.declaredDataBytes, 3u * 441 * 4);
    EXPECT_EQ(wav.declaredRiffBytes, 36u + 3 * 441 * 4);
    EXPECT_EQ(wav.samples.size(), 3u * 441 * 2);
}

void WriteAndDie(const std::string& path)
{
    XAudio2Settings().devices = {{u"Speakers"}};
    XAudio2Settings().stepped = true;
    XAudio2Settings().wavFile = path;
    IXAudio2* engine = nullptr;
    IXAudio2MasteringVoice* mastering = nullptr;
    if (XAudio2Create(&engine) != S_OK || engine->CreateMasteringVoice(&mastering) != S_OK)
        std::_Exit(2);
    XAudio2StepMixer(250);
    std::_Exit(0); // as a killed run ends: nothing closed
}

TEST(EngineTest, AKilledRunLeavesAWavFileThatPlaysToItsLastSecond)
{
    // Forked, not run again: the child writes where this test reads.
    GTEST_FLAG_SET(death_test_style, "fast");
    TScratchFolder folder("xaudio2");
    const std::string path = folder.Path() + "/killed.wav";
    EXPECT_EXIT(WriteAndDie(path), ::testing::ExitedWithCode(0), "");
    const TWavContents wav = ReadWav(path);
    EXPECT_EQ(wav.declaredDataBytes, 2u * 44100 * 4);
    EXPECT_EQ(wav.declaredRiffBytes, 36u + 2 * 44100 * 4);
    EXPECT_GE(wav.samples.size() * 2, wav.declaredDataBytes);
}

// Without a sound card the engine writes the WAV file it is given, or plays into silence;
// a file it cannot write fails the mastering voice with a line.
TEST(EngineTest, WithoutASoundCardTheDeviceIsTheWavFileOrSilence)
{
    const struct
    {
        const char* wavFile;
        const char16_t* name;
        HRESULT mastering;
    } cases[] = {{"/nonexistent/folder/out.wav", u"WAV file /nonexistent/folder/out.wav", XAUDIO2_E_DEVICE_INVALIDATED},
                 {"", u"Silent output", S_OK}};
    unsetenv("VESTAMOR_AUDIO_WAV");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.wavFile);
        XAudio2Settings().wavFile = c.wavFile;
        XAudio2Settings().stepped = true; // never SDL, whatever this machine has
        IXAudio2* engine = nullptr;
        ASSERT_EQ(XAudio2Create(&engine), S_OK);
        UINT32 count = 0;
        EXPECT_EQ(engine->GetDeviceCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        XAUDIO2_DEVICE_DETAILS details;
        EXPECT_EQ(engine->GetDeviceDetails(0, &details), S_OK);
        EXPECT_EQ(std::u16string(details.DisplayName), c.name);
        IXAudio2MasteringVoice* mastering = nullptr;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(engine->CreateMasteringVoice(&mastering), c.mastering);
        EXPECT_EQ(::testing::internal::GetCapturedStderr().find("cannot write the WAV file") != std::string::npos,
                  FAILED(c.mastering));
        XAudio2StepMixer(2);
        engine->Release();
        XAudio2Settings() = TXAudio2Settings();
    }
}

// Stays in its notification a while, so that DestroyVoice comes while the mixer is inside.
class TSlowCallback : public TCountingCallback
{
public:
    void OnVoiceProcessingPassEnd() override
    {
        inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++calls;
        inside = false;
    }
    std::atomic<bool> inside{false};
    std::atomic<int> calls{0};
};

TEST(EngineTest, DestroyVoiceReturnsOnceTheMixerHasLeftTheVoice)
{
    XAudio2Settings().devices = {{u"Speakers"}}; // silent, paced by the clock on the mixer thread
    IXAudio2* engine = nullptr;
    ASSERT_EQ(XAudio2Create(&engine), S_OK);
    IXAudio2MasteringVoice* mastering = nullptr;
    ASSERT_EQ(engine->CreateMasteringVoice(&mastering), S_OK);
    std::vector<std::int16_t> samples(44100, 1000);
    TSlowCallback callback;
    IXAudio2SourceVoice* voice = StartVoice(engine, Pcm16Format(1), BufferOf(samples), &callback);
    ASSERT_TRUE(voice);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!callback.inside && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(callback.inside);
    voice->DestroyVoice();
    EXPECT_FALSE(callback.inside);
    const int calls = callback.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(callback.calls, calls);
    engine->Release();
    XAudio2Settings() = TXAudio2Settings();
}

TEST(EngineTest, TheMixerThreadPacesTheWavFileByTheClock)
{
    TScratchFolder folder("xaudio2");
    const std::string path = folder.Path() + "/paced.wav";
    setenv("VESTAMOR_AUDIO_WAV", path.c_str(), 1);
    // The file fills from the engine's start on (silence until the voice starts): the clock
    // starts with the engine.
    const auto started = std::chrono::steady_clock::now();
    IXAudio2* engine = nullptr;
    ASSERT_EQ(XAudio2Create(&engine), S_OK);
    unsetenv("VESTAMOR_AUDIO_WAV");
    IXAudio2MasteringVoice* mastering = nullptr;
    ASSERT_EQ(engine->CreateMasteringVoice(&mastering), S_OK);
    std::vector<std::int16_t> tone(44100);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(i % 100 < 50 ? 6000 : -6000);
    IXAudio2SourceVoice* voice = StartVoice(engine, Pcm16Format(1), BufferOf(tone));
    ASSERT_TRUE(voice);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    voice->DestroyVoice();
    engine->Release();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const TWavContents wav = ReadWav(path);
    const double written = wav.samples.size() / 2.0 / 44100.0;
    // About as much audio as time went by: never ahead of the clock by more than a few quanta.
    EXPECT_GT(written, 0.05);
    EXPECT_LT(written, seconds + 0.05);
    EXPECT_EQ(wav.declaredDataBytes, wav.samples.size() * 2);
    bool heard = false;
    for (std::int16_t sample : wav.samples)
        heard = heard || sample == 6000;
    EXPECT_TRUE(heard);
}

// SDL's disk driver stands in for a sound card: it writes what it is given to a file.
void PlayThroughSdlDiskDriver(const std::string& path)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    IXAudio2* engine = nullptr;
    if (XAudio2Create(&engine) != S_OK)
        std::_Exit(2);
    XAUDIO2_DEVICE_DETAILS details;
    if (engine->GetDeviceDetails(0, &details) != S_OK || details.Role != GlobalDefaultDevice)
        std::_Exit(3);
    IXAudio2MasteringVoice* mastering = nullptr;
    if (engine->CreateMasteringVoice(&mastering, 2, 44100) != S_OK)
        std::_Exit(4);
    static std::vector<std::int16_t> tone(44100, 7000);
    IXAudio2SourceVoice* voice = nullptr;
    const WAVEFORMATEX format = Pcm16Format(1);
    XAUDIO2_BUFFER buffer = BufferOf(tone);
    if (engine->CreateSourceVoice(&voice, &format) != S_OK || voice->SubmitSourceBuffer(&buffer) != S_OK ||
        voice->Start() != S_OK)
        std::_Exit(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine->Release();
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t loud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        std::int16_t sample;
        std::memcpy(&sample, bytes.data() + i, 2);
        loud += sample == 7000;
    }
    std::_Exit(loud > 1000 ? 0 : 6);
}

TEST(EngineTest, TheSdlBackEndPlaysThroughSdlsDiskDriver)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TScratchFolder folder("xaudio2");
    EXPECT_EXIT(PlayThroughSdlDiskDriver(folder.Path() + "/disk.raw"), ::testing::ExitedWithCode(0), "");
}
} // namespace
