// The level the build writes, loaded and run as the game runs it: the tug drives its route with
// its exhaust smoking, drawn by the forward renderer through the start-up script's render list
// (over the floodlights' light);
// "ifx_enable" 0 takes the smoke away; the level's spark effect spawns for an impact.
#include "levelframefixture.h"

#include "engine/render/deferredrendering.h"

namespace
{
class LevelSmokeTest : public LevelFrameTest
{
protected:
    TIParticleNodeSystem* Smoke()
    {
        for (i32 i = 0; i < Particles().GetNodeSystemCount(); ++i)
        {
            auto* nodeSystem = static_cast<TIParticleNodeSystem*>(Particles().GetNodeSystem(i));
            if (nodeSystem->pEmitterData && nodeSystem->pEmitterData->m_Name == TName(LEVEL_TUG_SMOKE))
                return nodeSystem;
        }
        return nullptr;
    }
};
} // namespace

TEST_F(LevelSmokeTest, TheTugsSmokeRisesBehindItAndTheSwitchTakesItAway)
{
    // What the load brought: the smoke on the tug, driven by the engine's node; the wind.
    TIParticleNodeSystem* smoke = Smoke();
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->pVisibilityDriver, g_pNodeManager->FindNode(TName(LEVEL_TUG_ENGINE).GetId()));
    EXPECT_TRUE(smoke->CastsShadow());
    ASSERT_EQ(Particles().GetGlobalAreaCount(), 1);
    EXPECT_EQ(Particles().GetSuspendCount(), 1);
    TNode* tug = g_pNodeManager->FindNode(TName(LEVEL_TUG).GetId());
    ASSERT_NE(tug, nullptr);
    const TVector start = tug->GetWorldMatrix()->Translation();

    // Three seconds, the viewport's camera current as after the game's first frame: the tug has
    // moved on, twenty puffs a second trail behind it.
    DrawFrame();
    Update(90);
    ASSERT_NE(smoke->pParticleSystem, nullptr);
    const TVector moved = tug->GetWorldMatrix()->Translation();
    EXPECT_GT(std::fabs(moved.z - start.z), 1.0f);
    const i32 live = smoke->pParticleSystem->m_nLive;
    EXPECT_GE(live, 50);
    EXPECT_LE(live, 64);
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    const u32 before = stream.GetDrawnVertices();
    const std::vector<std::uint32_t> frame = DrawFrame();
    // Drawn in the sun's pass and again over the light of each floodlight that reaches it, so the
    // floodlit apron does not show through.
    const u32 quads = static_cast<u32>(live) * PARTICLE_QUAD_VERTICES;
    EXPECT_EQ((stream.GetDrawnVertices() - before) % quads, 0u);
    EXPECT_GE((stream.GetDrawnVertices() - before) / quads, 2u) << (stream.GetDrawnVertices() - before) / quads;
    EXPECT_EQ(CompareWithGolden("particles_smoke_level", frame, kWidth, kHeight), "");

    // Switched off: nothing moves or ends, nothing is drawn.
    Variable("ifx.enable")->SetInt(0);
    Update(10);
    EXPECT_EQ(smoke->pParticleSystem->m_nLive, live);
    const u32 off = stream.GetDrawnVertices();
    DrawFrame();
    EXPECT_EQ(stream.GetDrawnVertices(), off);
    // On again, it goes on.
    Variable("ifx.enable")->SetInt(1);
    Update(1);
    DrawFrame();
    EXPECT_GT(stream.GetDrawnVertices(), off);

    // The engine stopped: the smoke thins out and is gone within its longest life.
    g_pNodeManager->FindNode(TName(LEVEL_TUG_ENGINE).GetId())->Enable(0, 0);
    Update(1);
    EXPECT_FALSE(smoke->pParticleSystem->IsRunning());
    const u32 active = Particles().GetActiveCount();
    Update(120);
    EXPECT_EQ(smoke->pParticleSystem, nullptr);
    EXPECT_EQ(Particles().GetActiveCount(), active - 1);
}

// The deferred renderer draws the smoke in its transparent passes: into the A-buffer
// ("DAlphaBlendAlphaPass"), leaving the transparency positions alone ("DPositionOutput"), and into
// the transparent G-buffer, lit and laid over the scene by the transparency combine.
TEST_F(LevelSmokeTest, TheDeferredRendererDrawsTheSmokeInItsTransparentPasses)
{
    Variable("deferredrendering.disable")->SetInt(0);
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    DrawFrame();
    Update(90);
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    const u32 before = stream.GetDrawnVertices();
    const std::vector<std::uint32_t> frame = DrawFrame();
    EXPECT_GT(stream.GetDrawnVertices(), before);
    EXPECT_EQ(CompareWithGolden("particles_smoke_level_deferred", frame, kWidth, kHeight), "");
}

TEST_F(LevelSmokeTest, AnImpactSpawnsTheLevelsSparksWithTheirSmoke)
{
    TParticleEmitterData* sparks = nullptr;
    for (i32 i = 0; i < Particles().GetEmitterDataCount(); ++i)
        if (Particles().GetEmitterData(i)->m_Name == TName(LEVEL_SPARKS))
            sparks = Particles().GetEmitterData(i);
    ASSERT_NE(sparks, nullptr);
    ASSERT_EQ(sparks->GetSubEmitterCount(), 1);
    // The first update spawns the tug's smoke.
    Update(1);
    const u32 active = Particles().GetActiveCount();
    TMatrix impact(1.0f);
    impact.aRow[3] = TVector(40.0f, 0.5f, -50.0f, 1.0f);
    TParticleSystem* spawned = Particles().SpawnEffect(sparks, nullptr, nullptr, nullptr, &impact, nullptr);
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(Particles().GetActiveCount(), active + 2);
    Update(1);
    EXPECT_GE(spawned->m_nLive, 16);
    ASSERT_NE(spawned->aSubSystem[0], nullptr);
    EXPECT_GE(spawned->aSubSystem[0]->m_nLive, 4);
    // Sparks fall and die within a second, their smoke within two; both records come back.
    Update(75);
    EXPECT_EQ(Particles().GetActiveCount(), active);
}
