// The canvas with the game's own shaders (the shader repository the build writes): its batches
// and an immediate rectangle bound by name at the cluster load, drawn against a golden image.
#include "canvasfixture.h"

#include "directx/render/dxdynamicmeshdata.h"
#include "engine/system/renderstats.h"
#include "engine/system/resourcemanager.h"
#include "targetgolden.h"


namespace
{
constexpr i32 kWidth = 160;
constexpr i32 kHeight = 120;

class CanvasGameTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        g_pCluster->LinkTypes();
        ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_SHADER_REPOSITORY, 0), 0);
    }
    void TearDown() override
    {
        // What the resource manager does when the cluster goes: the loaded shaders are unloaded.
        for (i32 i = 0; i < g_pDxShaderManager->GetShaderCount(); ++i)
            g_pDxShaderManager->GetShader(i)->Unload();
        CanvasFixture::TearDown();
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
    }
};

TEST_F(CanvasGameTest, BatchesAndAnImmediateRectangleDrawWithTheGamesShaders)
{
    m_pManager->SetBackBufferSize(kWidth, kHeight);
    m_pCanvas->SetApertureMode(0);
    m_pCanvas->OnClusterLoad();
    ASSERT_NE(m_pCanvas->GetShader(CANVAS_SHADER_ALPHA), nullptr);
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        EXPECT_NE(m_pCanvas->GetBatch(i).pMesh->m_pShader, nullptr);
    MakeUnitRect();
    TTexture* texture = g_pDxTextureManager->CreateTexture(TName("checker", true), 2, 2, 1, 1, TEXTURE_2D, 0x102,
                                                           TEXTURE_DYNAMIC);
    u32 pitch = 0, size = 0;
    auto* texels = static_cast<u32*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, size));
    ASSERT_NE(texels, nullptr);
    const u32 checker[4] = {0xFFFFFFFF, 0xFF202020, 0xFF202020, 0xFFFFFFFF};
    for (u32 row = 0; row < 2; ++row)
        for (u32 column = 0; column < 2; ++column)
            texels[row * pitch / 4 + column] = checker[row * 2 + column];
    texture->Unlock(0);

    TRenderTarget* target =
        g_pDxRenderTargetManager->CreateRenderTarget(TName("canvas", true), kWidth, kHeight, 0x102, 0, 0, 0);
    target->SetRenderTarget(nullptr);
    IDirect3DDevice9* device = m_pManager->GetDevice();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    device->BeginScene();
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
    device->EndScene();
    // Two batches of dynamic buffers and the rectangle of the stored unit rectangle.
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_DRAW_CALLS], 2u);
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DRAW_CALLS], 1u);

    EXPECT_EQ(CompareTargetWithGolden(target, "canvas_game_shaders", kWidth, kHeight), "");
}
} // namespace
