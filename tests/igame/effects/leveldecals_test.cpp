// The level's decals drawn in its frame: the stains baked at the stands, and the tracks the
// tug's rear wheels lay behind it on the apron, which "effect_decals_clear" takes away while the
// stains stay and "effect_trackdecals" 0 hides with the stains.
#include "levelframefixture.h"

#include "engine/render/staticdecalpool.h"
#include "igame/effects/decalstream.h"
#include "engine/render/deferredrendering.h"
#include "support/floattarget.h"
#include "engine/render/decaldata.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"

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

    // A decal's normal and mask maps reach the shader's slots for them.
    TDecalData* data = stains->pDecalData;
    const auto make = [](const char* name) {
        return g_pDxTextureManager->CreateTexture(TName(name, true), 4, 4, 1, 1, TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
    };
    data->pTextureNormal = make("stain_normal");
    data->pTextureMask = make("stain_mask");
    DrawFrame();
    // Static, as the render code keeps its links: the cluster's clear writes to the link.
    static TShaderLink s_Normal("Decals_normal");
    TShader* shader = s_Normal.Get();
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->aTexture[2], data->pTextureNormal);
    EXPECT_EQ(shader->aTexture[3], data->pTextureMask);
    data->pTextureNormal = data->pTextureMask = nullptr;
}

// With the deferred renderer the stains go into the G-buffer, which is still bound when the decals
// draw: their colour into "Color" and the ground's normal into "Normal", by their alpha, leaving
// the positions and the material as the ground wrote them; the lit frame shows them as the
// forward one does.
TEST_F(LevelDecalsTest, StainsGoIntoTheGBufferWithTheDeferredRenderer)
{
    Variable("deferredrendering.disable")->SetInt(0);
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    Variable("shadow.enable")->SetInt(0);
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
    g_pDxViewportManager->m_nStepWord = 0;
    g_pDxViewportManager->RenderManager();
    g_pDecalManager->m_nStepWord = 0;
    g_pDecalManager->RenderManager();
    IDirect3DDevice9* device = m_pManager->GetDevice();
    std::vector<std::vector<std::uint32_t>> targets;
    for (u32 index : {DEFERRED_COLOR, DEFERRED_POSITION, DEFERRED_NORMAL, DEFERRED_TEMP1})
        targets.push_back(ToneMapped(
            ReadTargetFloats(device, static_cast<TDxRenderTarget*>(g_pDeferredRendering->GetTarget(index))->GetSurface()),
            index == DEFERRED_POSITION ? 50.0f : 1.0f));
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    EXPECT_EQ(CompareWithGolden("decal_gbuffer", Tiled(targets, kWidth, kHeight, 2), kWidth * 2, kHeight * 2), "");
    EXPECT_EQ(CompareWithGolden("decal_static_deferred", DrawFrame(), kWidth, kHeight), "");
    Variable("shadow.enable")->SetInt(1);
}
