// The canvas: batches and their draw calls, reservations past a batch, the aperture and its fit,
// circles and spheres, and drawing with no camera.
#include "canvasfixture.h"

#include "directx/render/dxdynamicmeshmanager.h"
#include "engine/system/renderstats.h"

#include <string>
#include <vector>

namespace
{
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

class CanvasTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        // One shader serves every batch: the fixture holds one repository image at a time.
        m_pShader = MakeShader("canvas", {kTexturedEffect, kTexturedEffect}, {Record(0, 0), Record(0, 1)});
        m_pShader->Require();
        for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
            m_pCanvas->BindBatchShader(i, m_pShader);
        g_pRenderManager->m_nInRender = 1;
        g_RenderStatsCurrent.Clear();
    }

    // Batches draw dynamic buffers, immediate rectangles the stored unit rectangle: both count.
    u32 DrawCalls() const
    {
        return g_RenderStatsCurrent.aCounter[RENDER_STATS_DRAW_CALLS] +
               g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_DRAW_CALLS];
    }
    u32 Primitives() const
    {
        return g_RenderStatsCurrent.aCounter[RENDER_STATS_PRIMITIVES] +
               g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_PRIMITIVES];
    }
    i32 Count(u32 batch) const { return m_pCanvas->GetBatch(batch).nCount; }

    TDxShader* m_pShader = nullptr;
};

TEST_F(CanvasTest, FlushDrawsEachBatchOnceInOrderAndOnlyInAFrame)
{
    // Nothing drawn: no call.
    m_pCanvas->Flush();
    EXPECT_EQ(DrawCalls(), 0u);

    m_pCanvas->DrawLine(0, 0, 10, 10, kWhite);
    m_pCanvas->DrawRectFrame(0, 0, 10, 10, kWhite);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 10);
    TBoundBox box = {};
    box.minimum = TVector(-1, -1, -1, 1);
    box.maximum = TVector(1, 1, 1, 1);
    m_pCanvas->DrawBox(TMatrix(1.0f), box, kWhite);
    EXPECT_EQ(Count(CANVAS_BATCH_3D_LINES), 24);
    const f32 p0[4] = {0, 0, 0, 0}, p1[4] = {1, 0, 1, 0}, p2[4] = {1, 1, 1, 1}, p3[4] = {0, 1, 0, 1};
    m_pCanvas->DrawTextureQuad(p0, p1, p2, p3, m_pShader, kWhite);
    EXPECT_EQ(DrawCalls(), 0u);

    // Batch by batch: 5 2D lines, then 12 3D lines, then 2 triangles.
    g_RenderStatsCurrent.Clear();
    m_pCanvas->Flush();
    EXPECT_EQ(DrawCalls(), 3u);
    EXPECT_EQ(Primitives(), 5u + 12u + 2u);
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        EXPECT_EQ(Count(i), 0);

    // Outside a frame the batches are emptied without a draw.
    m_pCanvas->DrawLine(0, 0, 10, 10, kWhite);
    g_pRenderManager->m_nInRender = 0;
    g_RenderStatsCurrent.Clear();
    m_pCanvas->Flush();
    EXPECT_EQ(DrawCalls(), 0u);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 0);
}

TEST_F(CanvasTest, TexturesAndShadersSplitABatchOnlyWhenTheyChange)
{
    TTexture* first = g_pDxTextureManager->CreateTexture(TName("first", true), 4, 4, 1, 1, TEXTURE_2D, 0x102, 0);
    TTexture* second = g_pDxTextureManager->CreateTexture(TName("second", true), 4, 4, 1, 1, TEXTURE_2D, 0x102, 0);
    TDxShader* shader = m_pShader;
    ASSERT_NE(m_pCanvas->AllocVertices2DTriangles(3, shader, first), nullptr);
    ASSERT_NE(m_pCanvas->AllocVertices2DTriangles(3, shader, first), nullptr);
    ASSERT_NE(m_pCanvas->AllocVertices2DTriangles(3, shader, nullptr), nullptr);
    EXPECT_EQ(DrawCalls(), 0u);
    // Another texture draws the first three triangles before the new one is appended.
    ASSERT_NE(m_pCanvas->AllocVertices2DTriangles(3, shader, second), nullptr);
    EXPECT_EQ(DrawCalls(), 1u);
    EXPECT_EQ(Primitives(), 3u);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_TRIANGLES), 3);
    // So does another shader.
    ASSERT_NE(m_pCanvas->AllocVertices2DTriangles(3, nullptr, nullptr), nullptr);
    EXPECT_EQ(DrawCalls(), 2u);
    m_pCanvas->BindBatchShader(CANVAS_BATCH_2D_TRIANGLES, m_pShader);
    // The texture a batch borrowed leaves the shader's slot as it was.
    EXPECT_EQ(shader->aTexture[0], nullptr);
}

TEST_F(CanvasTest, AFullBatchIsDrawnAndALargerRequestRefused)
{
    TDxShader* shader = m_pShader;
    // More than the batch holds: refused, nothing written or drawn.
    EXPECT_EQ(m_pCanvas->AllocVertices3DTriangles(769, shader, nullptr), nullptr);
    EXPECT_NE(m_Log.SystemLog().find("769 vertices asked of a batch of 768"), std::string::npos);
    EXPECT_EQ(DrawCalls(), 0u);

    // The last vertex that fits joins the batch; the next one draws it first.
    ASSERT_NE(m_pCanvas->AllocVertices3DTriangles(765, shader, nullptr), nullptr);
    ASSERT_NE(m_pCanvas->AllocVertices3DTriangles(3, shader, nullptr), nullptr);
    EXPECT_EQ(DrawCalls(), 0u);
    ASSERT_NE(m_pCanvas->AllocVertices3DTriangles(1, shader, nullptr), nullptr);
    EXPECT_EQ(DrawCalls(), 1u);
    EXPECT_EQ(Primitives(), 256u);
    EXPECT_EQ(Count(CANVAS_BATCH_3D_TRIANGLES), 1);

    // Triangles past the capacity go in chunks.
    m_pCanvas->Flush();
    g_RenderStatsCurrent.Clear();
    std::vector<TCanvasVertex> triangles(768 * 2 + 3, TCanvasVertex{1, 2, 3, 7, 0, 0, 0xFFFFFFFF});
    m_pCanvas->DrawTriangles3D(triangles.data(), static_cast<i32>(triangles.size()), shader);
    EXPECT_EQ(DrawCalls(), 2u);
    EXPECT_EQ(Count(CANVAS_BATCH_3D_TRIANGLES), 3);
    EXPECT_EQ(m_pCanvas->GetBatch(CANVAS_BATCH_3D_TRIANGLES).pWrite[0].w, 0.0f);
    m_pCanvas->Flush();
    EXPECT_EQ(DrawCalls(), 3u);
    EXPECT_EQ(Primitives(), 256u * 2 + 1);
}

// Fitted, the aperture grows on one side to the back buffer's shape; unfitted it is kept as
// given; mode 0 follows the back buffer.
TEST_F(CanvasTest, TheApertureFitsTheBackBufferAndAChangeOutsideAFrameDiscardsPendingDrawing)
{
    const struct
    {
        i32 backWidth, backHeight, mode;
        f32 width, height;
        i32 fit;
        f32 apertureWidth, apertureHeight, scale;
    } cases[] = {
        {1920, 1080, 1, 1024, 768, 1, 1365.333f, 768.0f, 1.40625f},
        {1280, 1024, 1, 1024, 768, 1, 1024.0f, 819.2f, 1.25f},
        {1280, 1024, 1, 640, 480, 0, 640.0f, 480.0f, 1.0f},
        {1280, 1024, 0, 0, 0, 0, 1280.0f, 1024.0f, 1.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.backWidth << " " << c.width << " fit " << c.fit);
        m_pManager->SetBackBufferSize(c.backWidth, c.backHeight);
        m_pCanvas->SetApertureMode(c.mode);
        if (c.mode)
            m_pCanvas->SetApertureSize(c.width, c.height, c.fit);
        EXPECT_NEAR(m_pCanvas->GetApertureWidth(), c.apertureWidth, 0.01f);
        EXPECT_NEAR(m_pCanvas->GetApertureHeight(), c.apertureHeight, 0.01f);
        EXPECT_FLOAT_EQ(m_pCanvas->GetScaleX(), c.scale);
        EXPECT_FLOAT_EQ(m_pCanvas->GetScaleY(), c.scale);
    }
    m_pCanvas->DrawLine(0, 0, 1, 1, kWhite);
    g_pRenderManager->m_nInRender = 0;
    m_pCanvas->SetApertureSize(800, 600, 0);
    EXPECT_NE(m_Log.SystemLog().find("render data but not in render begin"), std::string::npos);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 0);
    EXPECT_EQ(DrawCalls(), 0u);
    // Inside a frame the pending drawing is drawn first.
    g_pRenderManager->m_nInRender = 1;
    m_pCanvas->DrawLine(0, 0, 1, 1, kWhite);
    m_pCanvas->SetApertureSize(800, 600, 0);
    EXPECT_EQ(DrawCalls(), 1u);
}

TEST_F(CanvasTest, CirclesUseSegmentsByTheirRadius)
{
    EXPECT_EQ(std::vector<i32>({CanvasCircleSegments(0.0f), CanvasCircleSegments(186.0f), CanvasCircleSegments(188.0f),
                                CanvasCircleSegments(1000.0f)}),
              std::vector<i32>({6, 99, 100, 100}));

    // Radius 0: 7 segments, the first of length 0 from (cx + r, cy).
    m_pCanvas->DrawCircle(5, 5, 0, kWhite);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 14);
    m_pCanvas->Flush();
    m_pCanvas->DrawCircle(0, 0, 200, kWhite);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 202);
    const TCanvasVertex* v = m_pCanvas->GetBatch(CANVAS_BATCH_2D_LINES).pWrite;
    EXPECT_FLOAT_EQ(v[0].x, 200.0f);
    EXPECT_FLOAT_EQ(v[1].x, 200.0f);
    EXPECT_NEAR(v[201].x, 200.0f, 1e-3f);
    EXPECT_NEAR(v[201].y, 0.0f, 1e-2f);
    EXPECT_NEAR(v[101].x, -200.0f, 1e-3f);
}

TEST_F(CanvasTest, ASwitchOfTheScissorTestDrawsPendingDrawingFirst)
{
    m_pCanvas->DrawLine(0, 0, 1, 1, kWhite);
    m_pManager->SetScissorTest(0);
    EXPECT_EQ(DrawCalls(), 0u);
    m_pManager->SetScissorTest(1);
    EXPECT_EQ(DrawCalls(), 1u);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 0);
    m_pManager->SetScissorTest(0);
}

void ExpectVector(const TVector& actual, f32 x, f32 y, f32 z, f32 w)
{
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
    EXPECT_NEAR(actual.w, w, 1e-6f);
}

TEST_F(CanvasTest, ShadersAreFoundByKindAndImmediateRectanglesDrawAtOnceThroughTheScreenMatrix)
{
    m_pManager->SetBackBufferSize(800, 600);
    m_pCanvas->SetApertureMode(0);
    m_pCanvas->OnClusterLoad();
    MakeUnitRect();
    MakeCanvasShader("Shader_canvasalpha");
    TTexture* texture = g_pDxTextureManager->CreateTexture(TName("tile", true), 4, 8, 1, 1, TEXTURE_2D, 0x102, 0);
    TShader* shader = m_pCanvas->SetShader(texture, CANVAS_SHADER_ALPHA);
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->aTexture[0], texture);
    // The aperture's vector.
    ExpectVector(g_aScreenMatrix[2], 1.0f / 800, -0.5f, -1.0f / 600, 0.5f);

    // A pending line stays pending: the rectangle comes first.
    m_pCanvas->BindBatchShader(CANVAS_BATCH_2D_LINES, m_pShader);
    m_pCanvas->DrawLine(0, 0, 10, 10, kWhite);
    g_RenderStatsCurrent.Clear();
    m_pCanvas->DrawTexture(10, 20, 110, 70, shader, {1.0f, 0.5f, 0.25f, 0.75f});
    EXPECT_EQ(DrawCalls(), 1u);
    EXPECT_EQ(Primitives(), 2u);
    EXPECT_EQ(Count(CANVAS_BATCH_2D_LINES), 2);
    ExpectVector(g_aScreenMatrix[0], 100.0f / 800, 120.0f / 800 * 0.5f - 0.5f, 50.0f / 600,
                 0.5f - 90.0f / 600 * 0.5f);
    ExpectVector(g_aScreenMatrix[1], 1.0f, 0.5f / 4, 1.0f, 0.5f / 8);
    ExpectVector(CanvasColor(), 1.0f, 0.5f, 0.25f, 0.75f);

    m_pCanvas->DrawTextureUV(0, 0, 800, 600, 0.25f, 0.5f, 0.75f, 1.0f, shader, kWhite);
    ExpectVector(g_aScreenMatrix[0], 1.0f, 0.0f, 1.0f, 0.0f);
    ExpectVector(g_aScreenMatrix[1], 0.5f, 0.25f + 0.5f / 4, 0.5f, 0.5f + 0.5f / 8);
    m_pCanvas->DrawFullScreen(shader, kWhite);
    ExpectVector(g_aScreenMatrix[1], 1.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(DrawCalls(), 3u);
    m_pCanvas->DrawTexture(10, 20, 110, 70, shader, kWhite);
    const f32 p0[4] = {0, 0, 0, 0}, p1[4] = {1, 0, 1, 0}, p2[4] = {1, 1, 1, 1}, p3[4] = {0, 1, 0, 1};
    m_pCanvas->DrawTextureQuad(p0, p1, p2, p3, m_pShader, kWhite);
    ExpectVector(g_aScreenMatrix[1], 1.0f, 0.0f, 1.0f, 0.0f);

    // The batches draw in aperture units and white.
    m_pCanvas->DrawTexture(0, 0, 1, 1, shader, {0.0f, 0.0f, 0.0f, 0.0f});
    m_pCanvas->Flush();
    ExpectVector(g_aScreenMatrix[0], 1.0f / 800, -0.5f, -1.0f / 600, 0.5f);
    ExpectVector(CanvasColor(), 1.0f, 1.0f, 1.0f, 1.0f);
    // A line sets white before it is appended.
    m_pCanvas->DrawTexture(0, 0, 1, 1, shader, {0.0f, 0.0f, 0.0f, 0.0f});
    m_pCanvas->DrawLine(0, 0, 1, 1, kWhite);
    ExpectVector(CanvasColor(), 1.0f, 1.0f, 1.0f, 1.0f);
    const char* names[] = {"Shader_canvas",   "Shader_canvas2dline", "Shader_canvas3dline", "Shader_canvas2d",
                           "Shader_canvas3d", "Shader_canvas3dMul",  "Shader_canvasadd"};
    TDxShader* shaders[7];
    for (int i = 0; i < 7; ++i)
        shaders[i] = g_pDxShaderManager->CreateShader(TName(names[i], true));
    EXPECT_EQ(m_pCanvas->GetShader(CANVAS_SHADER_DEFAULT), shaders[0]);
    EXPECT_EQ(m_pCanvas->GetShader(CANVAS_SHADER_3D_MUL), shaders[5]);
    // Other kinds are the default shader's.
    EXPECT_EQ(m_pCanvas->GetShader(40), shaders[0]);
    EXPECT_EQ(m_pCanvas->GetShader(-1), shaders[0]);
    EXPECT_EQ(m_pCanvas->GetShader(CANVAS_SHADER_ADD), shaders[6]);
    // A kind the data has no shader of gives none.
    EXPECT_EQ(m_pCanvas->GetShader(CANVAS_SHADER_MUL), nullptr);
    EXPECT_EQ(m_pCanvas->SetShader(nullptr, CANVAS_SHADER_MUL), nullptr);

    m_pCanvas->OnClusterLoad();
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        EXPECT_EQ(m_pCanvas->GetBatch(i).pMesh->m_pShader, shaders[1 + i]);
    // Unbound after an unload; bound again on demand.
    m_pCanvas->SetColor({0.5f, 0.5f, 0.5f, 0.5f});
    m_pCanvas->OnClusterUnload();
    m_pCanvas->SetColor(kWhite);
    ExpectVector(CanvasColor(), 0.5f, 0.5f, 0.5f, 0.5f);
    m_pCanvas->EnsureClusterBindings();
    m_pCanvas->SetColor(kWhite);
    ExpectVector(CanvasColor(), 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(m_Log.SystemLog().find("CanvasColor"), std::string::npos);
}

} // namespace
