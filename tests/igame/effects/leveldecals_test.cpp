// The level's decals drawn in its frame: the stains baked at the stands, and the tracks the
// tug's rear wheels lay behind it on the apron, which "effect_decals_clear" takes away while the
// stains stay and "effect_trackdecals" 0 hides with the stains.
#include "levelframefixture.h"

#include "leveldecals.h"
#include "engine/render/staticdecalpool.h"
#include "igame/effects/decalstream.h"

namespace
{
class LevelDecalsTest : public LevelFrameTest
{
protected:
    static u32 TrackVertices()
    {
        u32 n = 0;
        for (u32 i = 0; i < g_pDecalManager->GetPoolCount(); ++i)
            n += g_pDecalManager->GetPoolAt(i)->GetDrawnCount();
        return n;
    }
};
} // namespace

TEST_F(LevelDecalsTest, StainsAtTheStandsAndTracksBehindTheTug)
{
    ASSERT_EQ(g_pDecalManager->StaticPools().GetCount(), 1);
    ASSERT_EQ(g_pDecalManager->TrackDecals().GetCount(), 2);
    TStaticDecalPool* stains = g_pDecalManager->StaticPools()[0];
    TDecalStream& stream = TDecalStream::Get();

    // The first frame: the stains alone.
    u32 before = stream.GetDrawnVertices();
    EXPECT_EQ(CompareWithGolden("decal_static", DrawFrame(), kWidth, kHeight), "");
    EXPECT_EQ(stains->GetVertexCount(), 5u * 6u);
    EXPECT_EQ(stream.GetDrawnVertices() - before, stains->GetVertexCount());
    EXPECT_EQ(TrackVertices(), 0u);

    // Three seconds of driving: two tracks behind the rear wheels.
    Update(90);
    ASSERT_GT(TrackVertices(), 0u);
    EXPECT_EQ(g_pDecalManager->GetPoolCount(), 1u);
    EXPECT_EQ(CompareWithGolden("decal_tracks", DrawFrame(), kWidth, kHeight), "");

    // Switched off, nothing is drawn, but the wheels still lay their tracks.
    TVariable* draw = Variable("effect.trackdecals");
    draw->SetInt(0);
    const u32 laid = TrackVertices();
    Update(15);
    EXPECT_GT(TrackVertices(), laid);
    before = stream.GetDrawnVertices();
    DrawFrame();
    EXPECT_EQ(stream.GetDrawnVertices(), before);
    draw->SetInt(1);

    // Cleared: the tracks go at once, the stains stay.
    TCommandManager::Instance().ExecuteText("effect.decals.clear");
    EXPECT_EQ(TrackVertices(), 0u);
    before = stream.GetDrawnVertices();
    DrawFrame();
    EXPECT_EQ(stream.GetDrawnVertices() - before, stains->GetVertexCount());
}
