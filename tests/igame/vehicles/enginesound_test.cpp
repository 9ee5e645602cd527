// The engine sound of the vehicle the player drives, as the sound service records its calls:
// the start, acceleration, the brakes' squeal and release, reversing and the stop.
#include "vehiclefixture.h"

#include "support/wavreader.h"
#include "xaudio2/xaudio2sound.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace
{
// Each call as "slot play", "slot stop" or "slot id=value", by the game sound owning the instance.
class TSlotRecorder : public TSoundCallListener
{
public:
    void OnSoundCall(TXAudio2Sound* sound, ESoundCall call, i32 id, f32 value) override
    {
        i32 slot = -1;
        for (u32 i = 0; i < pVehicle->Sound.aSound.GetCount(); ++i)
            if (sound->pOwner == pVehicle->Sound.aSound[i])
                slot = static_cast<i32>(i);
        std::string line = std::to_string(slot);
        if (call == SOUND_CALL_PARAMETER)
        {
            line += " " + std::to_string(id) + "=";
            values.push_back(value);
        }
        else
        {
            line += call == SOUND_CALL_PLAY ? " play" : " stop";
            values.push_back(0.0f);
        }
        calls.push_back(line);
    }

    // The starts and stops, in order.
    std::vector<std::string> Events() const
    {
        std::vector<std::string> events;
        for (const std::string& call : calls)
            if (call.find('=') == std::string::npos)
                events.push_back(call);
        return events;
    }
    // The index of the first call of the text at or after from; -1 when none.
    i32 Find(const std::string& text, i32 from = 0) const
    {
        for (i32 i = from; i < static_cast<i32>(calls.size()); ++i)
            if (calls[static_cast<u32>(i)] == text)
                return i;
        return -1;
    }
    // The value of the first such call at or after from; no number when there is none.
    f32 Value(const std::string& text, i32 from = 0) const
    {
        const i32 at = Find(text, from);
        EXPECT_GE(at, 0) << text;
        return at >= 0 ? values[static_cast<u32>(at)] : std::numeric_limits<f32>::quiet_NaN();
    }
    void Clear()
    {
        calls.clear();
        values.clear();
    }

    // The vehicle whose slots name the calls.
    const TVehicle* pVehicle = nullptr;
    std::vector<std::string> calls;
    std::vector<f32> values;
};

class EngineSoundTest : public VehicleTest
{
protected:
    void SetUp() override
    {
        VehicleTest::SetUp();
        UseTestClock();
        m_Recorder.pVehicle = m_pCart;
        TXAudio2Sound::s_pCallListener = &m_Recorder;
        Step(30);
    }
    void TearDown() override
    {
        TXAudio2Sound::s_pCallListener = nullptr;
        VehicleTest::TearDown();
    }

    TSlotRecorder m_Recorder;
};

// The sound written to a WAV file, the mixer stepped along with the frames.
class EngineSoundWavTest : public EngineSoundTest
{
protected:
    void SetUp() override
    {
        XAudio2Settings().wavFile = m_Folder.Path() + "/out.wav";
        EngineSoundTest::SetUp();
    }
    // Frames for that long, the mixer keeping up in whole quanta.
    void Play(f32 seconds)
    {
        for (f32 t = 0.0f; t < seconds; t += kFrame)
        {
            Step();
            // The sound's fades run on the timer's frame time.
            g_pTimer->Update();
            m_fUnmixed += kFrame;
            const UINT32 quanta = static_cast<UINT32>(m_fUnmixed * 100.0f);
            XAudio2StepMixer(quanta);
            m_fUnmixed -= static_cast<f32>(quanta) / 100.0f;
        }
    }
    TWavContents Finish()
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        g_pCluster->Clear();
        return ReadWav(m_Folder.Path() + "/out.wav");
    }

    f32 m_fUnmixed = 0.0f;
};

// The largest sample of both channels over frames first..last.
i32 Peak(const TWavContents& wav, size_t first, size_t last)
{
    i32 peak = 0;
    for (size_t i = first * wav.channels; i < std::min(wav.samples.size(), last * wav.channels); ++i)
        peak = std::max(peak, std::abs(static_cast<i32>(wav.samples[i])));
    return peak;
}
} // namespace

TEST_F(EngineSoundTest, TheDrivenCartsEngineStartsAcceleratesSquealsAndStops)
{
    TVehicle& cart = *m_pCart;
    ASSERT_EQ(1, cart.Sound.nEnabled);
    // Not driven by the player: silent.
    EXPECT_TRUE(m_Recorder.calls.empty());
    g_pVehicleManager->SetActiveVehicle(&cart);
    TVehicleTestInput& up = Bind(VEHICLE_ACTION_MOVE_UP, "sound_up");
    TVehicleTestInput& down = Bind(VEHICLE_ACTION_MOVE_DOWN, "sound_down");

    // The start: the start clip, the idle loop fading in after the start, the drive loop.
    Step();
    EXPECT_EQ((std::vector<std::string>{"6 play", "3 play", "5 play"}), m_Recorder.Events());
    // The idle loop's fade-in and delay after its start, the loops' fades, and at idle both loops
    // heard at 0.2.
    const i32 idle = m_Recorder.Find("3 play"), drive = m_Recorder.Find("5 play");
    for (auto [call, from, value] : {std::tuple{"3 37=", idle, 1.0f}, {"3 40=", idle, 1.0f}, {"5 48=", 0, 1.01f},
                                     {"3 47=", 0, 5.01f}, {"3 1=", drive, 0.2f}, {"5 1=", drive, 0.2f}})
        EXPECT_NEAR(value, m_Recorder.Value(call, from), 1e-5f) << call;
    m_Recorder.Clear();
    Step(10);
    EXPECT_TRUE(m_Recorder.Events().empty());

    // Accelerating: the acceleration clip with its pitch offset and volume, then its pitch
    // every frame; the drive loop grows louder.
    m_Recorder.Clear();
    up.Set(1.0f);
    Step(90);
    EXPECT_EQ((std::vector<std::string>{"4 play"}), m_Recorder.Events());
    const i32 accel = m_Recorder.Find("4 play");
    const f32 offset = m_Recorder.Value("4 5=", accel);
    EXPECT_TRUE(offset >= 0.8f && offset < 0.9f) << offset;
    EXPECT_GE(std::min(m_Recorder.Find("4 1=", accel), m_Recorder.Find("4 4=", accel)), 0);
    f32 loudest = 0.0f;
    for (u32 i = 0; i < m_Recorder.calls.size(); ++i)
        if (m_Recorder.calls[i] == "5 1=")
            loudest = std::max(loudest, m_Recorder.values[i]);
    EXPECT_GT(loudest, 0.3f);

    // Off the throttle (the drive ends with the frame): the acceleration clip fades out over half
    // a second.
    m_Recorder.Clear();
    up.Set(0.0f);
    Step(2);

    EXPECT_EQ((std::vector<std::string>{"4 stop"}), m_Recorder.Events());
    EXPECT_FLOAT_EQ(0.5f, m_Recorder.Value("4 38="));

    // Braking at speed: the squeal with its random pitch; slowed down, the brakes' release.
    m_Recorder.Clear();
    ASSERT_GT(cart.GetSpeed(), 0.1f * cart.Parameters.fMaxSpeed);
    down.Set(1.0f);
    Step(120);
    const std::vector<std::string> braking = m_Recorder.Events();

    ASSERT_GE(braking.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"2 play", "1 play"}), std::vector<std::string>(braking.begin(), braking.begin() + 2));
    EXPECT_FLOAT_EQ(0.2f, m_Recorder.Value("2 9="));
    // Held at a stand, the brake pedal reverses, with the warning.
    EXPECT_NE(m_Recorder.Find("0 play"), -1);
    m_Recorder.Clear();
    down.Set(0.0f);
    Step(2);
    // Reversing counted as accelerating: its clip ends too.
    EXPECT_EQ((std::vector<std::string>{"4 stop", "0 stop"}), m_Recorder.Events());

    // Another vehicle taken: the cart's engine stops, its revs fall to 0.
    m_Recorder.Clear();
    ASSERT_GT(cart.Sound.fRev, 0.0f);
    g_pVehicleManager->SetActiveVehicle(m_pCrawler);
    EXPECT_EQ((std::vector<std::string>{"7 play", "3 stop", "5 stop"}), m_Recorder.Events());
    EXPECT_EQ(0.0f, cart.Sound.fRev);
}

// The cart taken by the player, as heard.
TEST_F(EngineSoundWavTest, TheEngineStartsWithoutAStepAndItsLoopsFadeIn)
{
    Play(0.5f);
    g_pVehicleManager->SetActiveVehicle(m_pCart);
    Play(3.0f);
    const TWavContents wav = Finish();
    ASSERT_EQ(2u, wav.channels);
    size_t start = 0;
    while (start * 2 < wav.samples.size() && !wav.samples[start * 2] && !wav.samples[start * 2 + 1])
        ++start;
    ASSERT_LT(start * 2, wav.samples.size());
    const i32 running = Peak(wav, start + 44100 * 5 / 2, start + 44100 * 3);
    ASSERT_GT(running, 500);
    // The first frames rise out of silence, and the first tenth of a second, with the starter,
    // is not much louder than the running engine: the idle loop, delayed past the starter, and
    // the drive loop fade in.
    EXPECT_LT(Peak(wav, start, start + 9), 500);
    EXPECT_LT(Peak(wav, start, start + 4410), 3 * running);
}
