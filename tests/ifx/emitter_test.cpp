// Emission: the rate with its interval timer, bursts, the random start frame and no emission
// without a camera.
#include "particlefixture.h"

#include <set>
#include <vector>

namespace
{
using EmitterTest = ParticleTest;

constexpr f32 kFrame = 1.0f / 60.0f;

} // namespace

TEST_F(EmitterTest, HalfAParticleASecondComesEveryTwoSecondsThroughTheIntervalTimer)
{
    TIParticleEmitterData* data = MakeData("slow");
    data->Rate = {0.5f, 0.0f};
    data->Lifetime = {100.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    ASSERT_TRUE(system->IsRunning());
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
    {
        EXPECT_GE(births[i] - births[i - 1], 120) << i;
        EXPECT_LE(births[i] - births[i - 1], 121) << i;
    }
}

TEST_F(EmitterTest, ABurstNeedsASpreadAndEmissionStopsAtTheFreeParticles)
{
    TIParticleEmitterData* data = MakeData("burst", 8);
    data->StartBurst = {5.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    EXPECT_EQ(LiveCount(system), 0);
    system->Stop(0);
    data->StartBurst = {5.0f, 1.0f};
    system->Restart();
    EXPECT_EQ(LiveCount(system), 5);

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
