// The canvas with the game's own shaders (the shader repository the build writes): its batches
// and an immediate rectangle bound by name at the cluster load, drawn against a golden image.
#include "canvasfixture.h"

#include "directx/render/dxdynamicmeshdata.h"
#include "engine/system/renderstats.h"

namespace
{
constexpr i32 kWidth = 160;
constexpr i32 kHeight = 120;

using CanvasGameTest = CanvasFixture;

TEST_F(CanvasGameTest, BatchesAndAnImmediateRectangleDrawWithTheGamesShaders)
{
    ASSERT_NO_FATAL_FAILURE(LoadGameShaders());
    m_pManager->SetBackBufferSize(kWidth, kHeight);
    m_pCanvas->SetApertureMode(0);
    m_pCanvas->OnClusterLoad();
    ASSERT_NE(m_pCanvas->GetShader(CANVAS_SHADER_ALPHA), nullptr);
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        EXPECT_NE(m_pCanvas->GetBatch(i).pMesh->m_pShader, nullptr);
    MakeUnitRect();
    TTexture* texture = MakeChecker("checker", 0xFFFFFFFF, 0xFF202020, 2);
    TRenderTarget* target = BeginImage(kWidth, kHeight, nullptr, 0xFF102030);
    g_pRenderManager->m_nInRender = 1;
    g_RenderStatsCurrent.Clear();
    // A frame and a circle in the line batch, a textured quad in the triangle batch, and a
    // half-transparent textured rectangle drawn at once.
    m_pCanvas->DrawRectFrame(10, 10, 70, 50, {1.0f, 0.8f, 0.2f, 1.0f});
    m_pCanvas->DrawCircle(120, 30, 20, {0.2f, 1.0f, 0.4f, 1.0f});
    const f32 p0[4] = {10, 70, 0, 0}, p1[4] = {70, 70, 1, 0}, p2[4] = {70, 110, 1, 1}, p3[4] = {10, 110, 0, 1};
    TShader* quad = m_pCanvas->SetShader(texture, CANVAS_SHADER_2D);
    m_pCanvas->DrawTextureQuad(p0, p1, p2, p3, static_cast<TDxShader*>(quad), {1.0f, 1.0f, 1.0f, 1.0f});
    TShader* rect = m_pCanvas->SetShader(texture, CANVAS_SHADER_ALPHA);
    m_pCanvas->DrawTexture(90, 60, 150, 110, rect, {1.0f, 0.5f, 0.5f, 0.5f});
    m_pCanvas->Flush();
    g_pRenderManager->m_nInRender = 0;
    // Two batches of dynamic buffers and the rectangle of the stored unit rectangle.
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_DRAW_CALLS], 2u);
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DRAW_CALLS], 1u);
    EXPECT_EQ(EndImage(target, "canvas_game_shaders"), "");
}
} // namespace
