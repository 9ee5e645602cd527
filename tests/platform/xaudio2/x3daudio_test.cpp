// X3DAudio: panning in the left-handed frame, the default distance curves, the reverb and
// low-pass levels, Doppler, and calls it cannot serve.
#include "platform/xaudio2/audiodefs.h"
#include "platform/xaudio2/x3daudio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct TScene
{
    explicit TScene(UINT32 mask, UINT32 speakers) : speakerCount(speakers)
    {
        X3DAudioInitialize(mask, 343.5f, handle);
        listener.OrientFront = {0.0f, 0.0f, 1.0f};
        listener.OrientTop = {0.0f, 1.0f, 0.0f};
        emitter.OrientFront = {0.0f, 0.0f, 1.0f};
        emitter.OrientTop = {0.0f, 1.0f, 0.0f};
        emitter.ChannelCount = 1;
        emitter.CurveDistanceScaler = 10.0f;
        emitter.DopplerScaler = 1.0f;
        emitter.pChannelAzimuths = azimuths;
        settings.pMatrixCoefficients = matrix;
        settings.SrcChannelCount = 1;
        settings.DstChannelCount = speakers;
    }

    void Calculate(UINT32 flags = X3DAUDIO_CALCULATE_MATRIX | X3DAUDIO_CALCULATE_LPF_DIRECT |
                                  X3DAUDIO_CALCULATE_REVERB | X3DAUDIO_CALCULATE_DOPPLER)
    {
        settings.DopplerFactor = 1.0f;
        X3DAudioCalculate(handle, &listener, &emitter, flags, &settings);
    }
    float Level(UINT32 speaker, UINT32 source = 0) const { return matrix[speaker * settings.SrcChannelCount + source]; }

    UINT32 speakerCount;
    X3DAUDIO_HANDLE handle;
    X3DAUDIO_LISTENER listener = {};
    X3DAUDIO_EMITTER emitter = {};
    X3DAUDIO_DSP_SETTINGS settings = {};
    float azimuths[8] = {};
    float matrix[64] = {};
};

// Speakers in mask order; 5.1 is front left, front right, centre, LFE, back left, back right.
TEST(X3DAudioTest, SourcesPanByTheirDirectionInTheListenersFrame)
{
    const float half = std::sqrt(0.5f), fifth = 1.0f / std::sqrt(5.0f);
    struct
    {
        UINT32 mask, speakers;
        X3DAUDIO_VECTOR position, listenerFront;
        float levels[6];
    } const cases[] = {
        {SPEAKER_STEREO, 2, {5, 0, 0}, {0, 0, 1}, {0, 1}},
        {SPEAKER_STEREO, 2, {5, 0, 0}, {0, 0, -1}, {1, 0}}, // facing -z, +x is on the left
        {SPEAKER_STEREO, 2, {0, 0, 5}, {0, 0, 1}, {half, half}},
        {SPEAKER_STEREO, 2, {0, 0, -5}, {0, 0, 1}, {half, half}}, // the back folds to the front
        {SPEAKER_STEREO, 2, {-1, 0, 1}, {0, 0, 1}, {1, 0}},
        {SPEAKER_5POINT1, 6, {5, 0, 0}, {1, 0, 0}, {0, 0, 1, 0, 0, 0}},
        // On the right of 5.1: between front right and back right at constant power.
        {SPEAKER_5POINT1, 6, {5, 0, 0}, {0, 0, 1}, {0, std::sin(X3DAUDIO_PI / 8), 0, 0, 0, std::cos(X3DAUDIO_PI / 8)}},
        {SPEAKER_5POINT1, 6, {0, 0, 0}, {0, 0, 1}, {fifth, fifth, fifth, 0, fifth, fifth}}, // on the listener
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.position.x + 10 * c.position.z + 100 * c.listenerFront.z);
        TScene scene(c.mask, c.speakers);
        scene.emitter.Position = c.position;
        scene.listener.OrientFront = c.listenerFront;
        scene.Calculate();
        for (UINT32 speaker = 0; speaker < c.speakers; ++speaker)
            EXPECT_NEAR(scene.Level(speaker), c.levels[speaker], 1e-5f) << speaker;
    }
}

// The default curves: full volume up to the scaler, then falling as its inverse; low-pass and
// reverb levels falling to their last points; a curve of the caller's between its points.
TEST(X3DAudioTest, DefaultAndCustomCurvesSetTheVolumeLowPassAndReverbLevels)
{
    TScene scene(SPEAKER_STEREO, 2);
    const struct
    {
        float distance, volume, lowPass, reverb;
    } cases[] = {{5.0f, 1.0f, 0.875f, 0.5f}, {10.0f, 1.0f, 0.75f, 0.0f}, {20.0f, 0.5f, 0.75f, 0.0f},
                 {40.0f, 0.25f, 0.75f, 0.0f}};
    for (const auto& c : cases)
    {
        scene.emitter.Position = {0.0f, 0.0f, c.distance};
        scene.Calculate();
        EXPECT_NEAR(std::hypot(scene.Level(0), scene.Level(1)), c.volume, 1e-5f) << c.distance;
        EXPECT_FLOAT_EQ(scene.settings.LPFDirectCoefficient, c.lowPass) << c.distance;
        EXPECT_FLOAT_EQ(scene.settings.ReverbLevel, c.reverb) << c.distance;
    }
    X3DAUDIO_DISTANCE_CURVE_POINT points[5] = {{0.0f, 1.0f}, {0.25f, 0.5f}, {0.5f, 0.25f}, {0.75f, 0.1f}, {1.0f, 0.0f}};
    X3DAUDIO_DISTANCE_CURVE curve = {points, 5};
    scene.emitter.pVolumeCurve = &curve;
    scene.emitter.Position = {0.0f, 0.0f, 3.75f};
    scene.Calculate();
    EXPECT_NEAR(scene.Level(0), std::sqrt(0.5f) * 0.375f, 1e-5f);
}

// Velocities along z, the emitter 100 units up it: approaching either way raises the factor;
// faster than sound is held at half its speed.
TEST(X3DAudioTest, AnApproachingSourceRaisesTheDopplerFactor)
{
    TScene scene(SPEAKER_STEREO, 2);
    scene.emitter.Position = {0.0f, 0.0f, 100.0f};
    scene.emitter.DopplerScaler = 0.1f;
    const float c = 343.5f;
    const struct
    {
        float emitter, listener, factor;
    } cases[] = {{0, 0, 1}, {-50, 0, c / (c - 5)}, {50, 0, c / (c + 5)}, {0, 50, (c + 5) / c}, {-100000, 0, 2}};
    for (const auto& k : cases)
    {
        SCOPED_TRACE(::testing::Message() << k.emitter << " " << k.listener);
        scene.emitter.Velocity = {0.0f, 0.0f, k.emitter};
        scene.listener.Velocity = {0.0f, 0.0f, k.listener};
        scene.Calculate();
        EXPECT_FLOAT_EQ(scene.settings.EmitterVelocityComponent, -k.emitter);
        EXPECT_FLOAT_EQ(scene.settings.ListenerVelocityComponent, -k.listener);
        EXPECT_FLOAT_EQ(scene.settings.DopplerFactor, k.factor);
    }
}

TEST(X3DAudioTest, AMultichannelEmitterPlacesItsChannelsAtTheirAzimuths)
{
    TScene scene(SPEAKER_STEREO, 2);
    scene.emitter.ChannelCount = 2;
    scene.settings.SrcChannelCount = 2;
    scene.emitter.ChannelRadius = 1.0f;
    scene.azimuths[0] = 3.0f * X3DAUDIO_PI / 2.0f;
    scene.azimuths[1] = X3DAUDIO_PI / 2.0f;
    scene.emitter.Position = {0.0f, 0.0f, 0.0f};
    scene.Calculate();
    for (UINT32 i = 0; i < 4; ++i) // speaker i / 2, channel i % 2: each channel on its own side
        EXPECT_NEAR(scene.Level(i / 2, i % 2), i % 3 ? 0.0f : 1.0f, 1e-5f) << i;
    // With radius 0 both channels come from the emitter's place.
    scene.emitter.ChannelRadius = 0.0f;
    scene.emitter.Position = {5.0f, 0.0f, 0.0f};
    scene.Calculate();
    EXPECT_NEAR(scene.Level(1, 0), 1.0f, 1e-5f);
    EXPECT_NEAR(scene.Level(1, 1), 1.0f, 1e-5f);
}

TEST(X3DAudioTest, CallsItCannotServeLeaveTheSettingsAndSaySoAtMostOnce)
{
    TScene scene(SPEAKER_STEREO, 2);
    scene.settings.DstChannelCount = 6;
    scene.matrix[0] = 7.0f;
    ::testing::internal::CaptureStderr();
    scene.Calculate();
    scene.Calculate();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(scene.matrix[0], 7.0f);
    EXPECT_LE(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;

    X3DAUDIO_DISTANCE_CURVE_POINT unordered[2] = {{0.5f, 1.0f}, {1.0f, 0.0f}};
    X3DAUDIO_DISTANCE_CURVE curve = {unordered, 2};
    scene.settings.DstChannelCount = 2;
    scene.emitter.pReverbCurve = &curve;
    scene.settings.ReverbLevel = 9.0f;
    scene.Calculate();
    EXPECT_EQ(scene.settings.ReverbLevel, 9.0f);

    X3DAUDIO_HANDLE bad;
    ::testing::internal::CaptureStderr();
    X3DAudioInitialize(SPEAKER_LOW_FREQUENCY, 343.5f, bad);
    X3DAudioInitialize(SPEAKER_STEREO, 0.0f, bad);
    const std::string initialized = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(initialized.begin(), initialized.end(), '\n'), 2) << initialized;
}
} // namespace
