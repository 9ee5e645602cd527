// Emission: the rate with its interval timer, a second start after the duration, bursts, where
// each shape places its particles, the random start frame and no emission without a camera.
#include "particlefixture.h"

#include "core/system/timer.h"

#include <cmath>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

using EmitterTest = ParticleTest;
constexpr f32 kFrame = 1.0f / 60.0f;

TEST_F(EmitterTest, HalfAParticleASecondComesEveryTwoSecondsThroughTheIntervalTimer)
{
    TIParticleEmitterData* data = MakeData("slow");
    data->Rate = {0.5f, 0.0f};
    data->Lifetime = {100.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    std::vector<int> births;
    i32 live = 0;
    for (int frame = 1; frame <= 20 * 60 + 2; ++frame)
    {
        system->Update(kFrame);
        if (system->m_nLive > live)
            births.push_back(frame);
        live = system->m_nLive;
    }
    // Two seconds apart, within the frame the timer's float steps may add.
    ASSERT_GE(births.size(), 9u);
    EXPECT_LE(births[0], 122);
    for (size_t i = 1; i < births.size(); ++i)
        EXPECT_NEAR(births[i] - births[i - 1], 120.5, 0.5) << i;
}

// Started again after its duration, the emitter waits out its delay and emits its duration again.
TEST_F(EmitterTest, AStartAfterTheDurationRunsTheDelayAndTheDurationAgain)
{
    TIParticleEmitterData* data = MakeData("twice", 256);
    data->Rate = {30.0f, 0.0f};
    data->Lifetime = {100.0f, 0.0f};
    data->StartDelay = {0.5f, 0.0f};
    data->m_fDuration = 1.5f;
    TIParticleSystem* system = MakeSystem(data);
    std::vector<std::pair<int, int>> runs; // first birth frame, particles born
    for (int run = 0; run < 2; ++run)
    {
        system->Start();
        const i32 before = LiveCount(system);
        int first = 0;
        for (int frame = 1; frame <= 150; ++frame)
        {
            const i32 live = LiveCount(system);
            system->Update(kFrame);
            if (!first && LiveCount(system) > live)
                first = frame;
        }
        EXPECT_FALSE(system->IsRunning()) << run;
        runs.emplace_back(first, LiveCount(system) - before);
    }
    // The delay's 30 frames, then the interval timer's wait for half a particle a frame.
    EXPECT_NEAR(runs[0].first, 31.5, 1.5);
    EXPECT_NEAR(runs[0].second, 30, 1);
    EXPECT_EQ(runs[1], runs[0]);
}

// Each shape about an emitter moved off the origin: its particles lie where the shape says, and
// leave along its axis (the frame's Y, or outwards from an ellipsoid's centre).
TEST_F(EmitterTest, EachShapePlacesItsParticlesAboutTheMovedEmitter)
{
    TMatrix placed(1.0f);
    placed.aRow[3] = TVector(10.0f, 20.0f, 30.0f, 1.0f);
    m_Node.SetLocalMatrix(placed, TNode::OrdinaryCause());
    const TVector centre(10.0f, 20.0f, 30.0f, 1.0f);
    const f32 extent[3] = {1.0f, 2.0f, 3.0f};
    enum Place { Centre, Corners2, Corners3, Surface, Volume, Box };
    const std::tuple<u32, Place, size_t> rows[] = {
        {PARTICLE_SHAPE_POINT, Centre, 1},
        {PARTICLE_SHAPE_RECTANGLE_CORNERS, Corners2, 4},
        {PARTICLE_SHAPE_BOX_CORNERS, Corners3, 8},
        {PARTICLE_SHAPE_ELLIPSOID_SURFACE, Surface, 0},
        {PARTICLE_SHAPE_ELLIPSOID_VOLUME, Volume, 0},
        {PARTICLE_SHAPE_BOX_VOLUME, Box, 0},
    };
    for (const auto& [shape, place, corners] : rows)
    {
        SCOPED_TRACE(shape);
        TIParticleEmitterData* data = MakeData("shaped", 256);
        data->m_nShape = shape;
        data->Speed = {0.0f, 0.0f};
        for (u32 k = 0; k < 3; ++k)
            data->aExtent[k] = {extent[k], 0.0f};
        TIParticleSystem* system = MakeSystem(data);
        system->ResetParticles();
        ASSERT_EQ(EmitterOf(system)->Emit(256), 256u);
        std::set<std::tuple<f32, f32, f32>> seen;
        f32 reach[3] = {}, meanRadius = 0.0f;
        for (i32 i = 0; i < 256; ++i)
        {
            const TParticle& p = system->aParticle[i];
            const f32 d[3] = {p.aPosition[0] - centre.x, p.aPosition[1] - centre.y, p.aPosition[2] - centre.z};
            seen.emplace(d[0], d[1], d[2]);
            f32 radius = 0.0f;
            for (u32 k = 0; k < 3; ++k)
            {
                reach[k] = std::max(reach[k], std::fabs(d[k]));
                radius += (d[k] / extent[k]) * (d[k] / extent[k]);
            }
            radius = std::sqrt(radius);
            meanRadius += radius / 256.0f;
            f32 axis[3] = {0.0f, 1.0f, 0.0f};
            for (u32 k = 0; k < 3; ++k)
            {
                const f32 corner = (place == Corners2 && k < 2) || place == Corners3 ? extent[k] : 0.0f;
                EXPECT_TRUE(place == Box ? std::fabs(d[k]) <= extent[k] : place >= Surface || std::fabs(d[k]) == corner)
                    << i << " " << k << " " << d[k];
            }
            EXPECT_TRUE(place == Surface ? std::fabs(radius - 1.0f) < 1e-4f : place != Volume || radius <= 1.0f + 1e-4f)
                << i << " " << radius;
            const f32 length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            if ((place == Surface || place == Volume) && length > 1e-3f)
                for (u32 k = 0; k < 3; ++k)
                    axis[k] = d[k] / length;
            for (u32 k = 0; k < 3; ++k)
                EXPECT_NEAR(p.aDirection[k], axis[k], 1e-3f) << i << " " << k;
        }
        EXPECT_TRUE(!corners || seen.size() == corners) << seen.size();
        // The volumes fill out to their sides; the ellipsoid's radius is drawn evenly from 0 to 1.
        for (u32 k = 0; k < 3 && (place == Volume || place == Box); ++k)
            EXPECT_GT(reach[k], 0.8f * extent[k]) << k;
        EXPECT_TRUE(place != Volume || std::fabs(meanRadius - 0.5f) < 0.06f) << meanRadius;
    }
    // Born spread over the frame from half a frame back along the base velocity: 0.1 s frames at
    // 10 a second up keep them within half a unit either side.
    TTimer timer;
    timer.SetFixedStep(0.1f);
    timer.Update();
    TTimer* const held = std::exchange(g_pTimer, &timer);
    TIParticleEmitterData* carried = MakeData("carried");
    carried->m_BaseVelocity = TVector(0.0f, 10.0f, 0.0f, 0.0f);
    carried->Speed = {0.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(carried);
    system->ResetParticles();
    EmitterOf(system)->Emit(64);
    g_pTimer = held;
    for (i32 i = 0; i < 64; ++i)
        EXPECT_LE(std::fabs(system->aParticle[i].aPosition[1] - centre.y), 0.5f) << i;
}

TEST_F(EmitterTest, ABurstNeedsASpreadAndEmissionStopsAtTheFreeParticles)
{
    TIParticleEmitterData* data = MakeData("burst", 8);
    TIParticleSystem* system = MakeSystem(data);
    // Without a spread no burst; a burst of one is the least that makes a particle.
    for (const auto& [base, spread, born] :
         {std::tuple{5.0f, 0.0f, 0}, {0.99999994f, 1e-9f, 0}, {1.0f, 1e-9f, 1}, {5.0f, 1.0f, 5}})
    {
        data->StartBurst = {base, spread};
        system->Restart();
        EXPECT_EQ(LiveCount(system), born) << base;
    }

    // Only the free ones: three left of eight.
    EXPECT_EQ(EmitterOf(system)->Emit(20), 3u);
    EXPECT_EQ(LiveCount(system), 8);
    EXPECT_EQ(EmitterOf(system)->Emit(1), 0u);
    EXPECT_EQ(system->m_nFreeHead, PARTICLE_LIST_END);
    // Particles are taken from the highest index down; the rank is the new head's modulo 16.
    EXPECT_EQ(std::vector<u32>({system->aParticle[7].nLodRank, system->aParticle[0].nLodRank}), std::vector<u32>({6, 15}));
}

TEST_F(EmitterTest, TheRandomStartFrameStaysInsideTheSheet)
{
    TIParticleEmitterData* data = MakeData("sheet", 512);
    data->m_nFlags = PARTICLE_SHEET_RANDOM_START | PARTICLE_SHEET_ANIMATED;
    data->FrameRate = {2.0f, 0.0f};
    data->m_nSheetFrames = 4;
    TIParticleSystem* system = MakeSystem(data);
    system->ResetParticles();
    EmitterOf(system)->Emit(512);
    std::set<f32> frames;
    for (i32 i = 0; i < 512; ++i)
    {
        frames.insert(system->aParticle[i].fFrame);
        EXPECT_EQ(system->aParticle[i].fFrameRate, 2.0f);
    }
    EXPECT_EQ(frames, (std::set<f32>{0.0f, 1.0f, 2.0f, 3.0f}));
    // Without frames, frame 0.
    data->m_nSheetFrames = 0;
    system->ResetParticles();
    EmitterOf(system)->Emit(64);
    for (i32 i = 448; i < 512; ++i)
        EXPECT_EQ(system->aParticle[i].fFrame, 0.0f);
}

TEST_F(EmitterTest, WithoutACameraNothingIsEmitted)
{
    TIParticleEmitterData* data = MakeData("blind");
    data->Rate = {100.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    g_pDxCameraManager->SetCamera(nullptr);
    system->Update(0.5f);
    EXPECT_EQ(LiveCount(system), 0);
    g_pDxCameraManager->SetCamera(&m_Camera);
    system->Update(0.5f);
    EXPECT_EQ(LiveCount(system), 50);
}
