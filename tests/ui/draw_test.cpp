// Icon frames and slices as quads of a recording canvas: plain, three- and nine-slice
// coordinates, clipping, and icons whose stored data cannot be drawn.
#include "uifixture.h"

#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "support/recordingcanvas.h"
#include "ui/uibutton.h"

namespace
{
class UIDrawTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        m_pOld = g_pCanvasManager;
        g_pCanvasManager = &m_Canvas;
        m_pStrip = g_pTextureManager->FindTexture(TName("ui.button"));
        ASSERT_NE(m_pStrip, nullptr);
        m_Icon.Name = TName("test icon", true);
        for (f32& b : m_Icon.aBorder)
            b = 6.0f;
        for (u32 s = 0; s < UI_STATE_COUNT; ++s)
            m_Icon.aFrame[s] = static_cast<i32>(s);
        m_Icon.nFrameCount = 6;
        m_Icon.nSlicing = UI_SLICE_NINE;
        m_Icon.pNormal = m_pStrip;
    }
    void TearDown() override
    {
        g_pCanvasManager = m_pOld;
        UITest::TearDown();
    }

    TRecordingCanvas m_Canvas;
    TCanvasManager* m_pOld = nullptr;
    TTexture* m_pStrip = nullptr;
    TUIIcon m_Icon{};
};

TEST_F(UIDrawTest, NineSlicesCutTheFrameInThirdsAroundTheWidenedRectangle)
{
    ASSERT_EQ(m_pStrip->m_nWidth, 320);
    ASSERT_EQ(m_pStrip->m_nHeight, 384);
    m_Icon.Draw({100.0f, 100.0f, 400.0f, 164.0f}, UI_STATE_OVER, 0xFFFFFFFF, nullptr);
    ASSERT_EQ(m_Canvas.Quads(), 9u);
    const f32 third = (320.0f - 12.0f) / 3.0f;
    const f32 rowThird = (64.0f - 12.0f) / 3.0f;
    const f32 xs[4] = {94.0f, 100.0f + third, 400.0f - third, 406.0f};
    const f32 ys[4] = {94.0f, 100.0f + rowThird, 164.0f - rowThird, 170.0f};
    const f32 us[4] = {0.0f, (6.0f + third) / 320.0f, (314.0f - third) / 320.0f, 1.0f};
    auto v = [](f32 row) { return (2.0f + row / 64.0f) / 6.0f; };
    const f32 vs[4] = {v(0.0f), v(6.0f + rowThird), v(58.0f - rowThird), v(64.0f)};
    for (u32 j = 0; j < 3; ++j)
        for (u32 i = 0; i < 3; ++i)
        {
            const TCanvasVertex& a = m_Canvas.TopLeft(j * 3 + i);
            const TCanvasVertex& b = m_Canvas.BottomRight(j * 3 + i);
            EXPECT_NEAR(a.x, xs[i], 1e-3f);
            EXPECT_NEAR(b.x, xs[i + 1], 1e-3f);
            EXPECT_NEAR(a.y, ys[j], 1e-3f);
            EXPECT_NEAR(b.y, ys[j + 1], 1e-3f);
            EXPECT_NEAR(a.u, us[i], 1e-5f);
            EXPECT_NEAR(b.u, us[i + 1], 1e-5f);
            EXPECT_NEAR(a.v, vs[j], 1e-5f);
            EXPECT_NEAR(b.v, vs[j + 1], 1e-5f);
        }
}

TEST_F(UIDrawTest, ThreeSlicesSpanTheFrameRowsAndPlainIconsOneQuad)
{
    m_Icon.nSlicing = UI_SLICE_THREE;
    m_Icon.Draw({100.0f, 100.0f, 400.0f, 164.0f}, UI_STATE_NORMAL, 0xFFFFFFFF, nullptr);
    ASSERT_EQ(m_Canvas.Quads(), 3u);
    EXPECT_EQ(m_Canvas.TopLeft(1).y, 94.0f);
    EXPECT_EQ(m_Canvas.BottomRight(1).y, 170.0f);
    EXPECT_EQ(m_Canvas.TopLeft(1).v, 0.0f);
    EXPECT_NEAR(m_Canvas.BottomRight(1).v, 1.0f / 6.0f, 1e-6f);
    m_Canvas.vertices.clear();
    m_Icon.nSlicing = UI_SLICE_PLAIN;
    m_Icon.Draw({100.0f, 100.0f, 400.0f, 164.0f}, UI_STATE_DISABLED, 0xFFFFFFFF, nullptr);
    ASSERT_EQ(m_Canvas.Quads(), 1u);
    EXPECT_EQ(m_Canvas.TopLeft(0).x, 94.0f);
    EXPECT_NEAR(m_Canvas.TopLeft(0).v, 5.0f / 6.0f, 1e-6f);
}

TEST_F(UIDrawTest, ClippingCutsQuadsWithTheirTextureCoordinatesAndDropsThoseOutside)
{
    m_Icon.nSlicing = UI_SLICE_PLAIN;
    for (f32& b : m_Icon.aBorder)
        b = 0.0f;
    const TUIRect clip = {150.0f, 0.0f, 250.0f, 1000.0f};
    m_Icon.Draw({100.0f, 100.0f, 300.0f, 164.0f}, UI_STATE_NORMAL, 0xFFFFFFFF, &clip);
    ASSERT_EQ(m_Canvas.Quads(), 1u);
    EXPECT_EQ(m_Canvas.TopLeft(0).x, 150.0f);
    EXPECT_EQ(m_Canvas.BottomRight(0).x, 250.0f);
    EXPECT_NEAR(m_Canvas.TopLeft(0).u, 0.25f, 1e-6f);
    EXPECT_NEAR(m_Canvas.BottomRight(0).u, 0.75f, 1e-6f);
    const TUIRect away = {500.0f, 0.0f, 600.0f, 100.0f};
    m_Icon.Draw({100.0f, 100.0f, 300.0f, 164.0f}, UI_STATE_NORMAL, 0xFFFFFFFF, &away);
    EXPECT_EQ(m_Canvas.Quads(), 1u);
}

TEST_F(UIDrawTest, IconsThatCannotBeDrawnDrawNothingAndAreToldOnce)
{
    const TUIRect rect = {0.0f, 0.0f, 100.0f, 40.0f};
    TUIIcon slicing = m_Icon;
    slicing.Name = TName("bad slicing", true);
    slicing.nSlicing = 3;
    TUIIcon frame = m_Icon;
    frame.Name = TName("bad frame", true);
    frame.aFrame[UI_STATE_OVER] = 6;
    TUIIcon borders = m_Icon;
    borders.Name = TName("bad borders", true);
    borders.aBorder[0] = 200.0f;
    borders.aBorder[2] = 121.0f;
    TUIIcon tall = m_Icon;
    tall.Name = TName("too many frames", true);
    tall.pNormal = g_pTextureManager->FindTexture(TName("ui.white"));
    ASSERT_NE(tall.pNormal, nullptr);
    tall.nFrameCount = 5;
    tall.aFrame[0] = 0;
    TUIIcon lastFitting = m_Icon;
    lastFitting.aBorder[0] = 200.0f;
    lastFitting.aBorder[2] = 120.0f;
    for (u32 pass = 0; pass < 2; ++pass)
    {
        slicing.Draw(rect, UI_STATE_NORMAL, 0xFFFFFFFF, nullptr);
        frame.Draw(rect, UI_STATE_OVER, 0xFFFFFFFF, nullptr);
        borders.Draw(rect, UI_STATE_NORMAL, 0xFFFFFFFF, nullptr);
        tall.Draw(rect, UI_STATE_NORMAL, 0xFFFFFFFF, nullptr);
    }
    EXPECT_EQ(m_Canvas.Quads(), 0u);
    EXPECT_EQ(m_Log.Count("'bad slicing': slicing mode 3 unknown"), 1u);
    EXPECT_EQ(m_Log.Count("'bad frame': frame 6 beyond the frame count"), 1u);
    EXPECT_EQ(m_Log.Count("'bad borders': borders wider than the texture"), 1u);
    EXPECT_EQ(m_Log.Count("'too many frames': texture of height 4 cannot hold its frames"), 1u);
    lastFitting.Draw(rect, UI_STATE_NORMAL, 0xFFFFFFFF, nullptr);
    EXPECT_EQ(m_Canvas.Quads(), 9u) << "borders of exactly the texture's width still draw";
    // A frame index below 0 takes the normal state's frame.
    TUIIcon fallback = m_Icon;
    fallback.aFrame[UI_STATE_DOWN] = -1;
    fallback.nSlicing = UI_SLICE_PLAIN;
    m_Canvas.vertices.clear();
    fallback.Draw(rect, UI_STATE_DOWN, 0xFFFFFFFF, nullptr);
    ASSERT_EQ(m_Canvas.Quads(), 1u);
    EXPECT_EQ(m_Canvas.TopLeft(0).v, 0.0f);
}

TEST_F(UIDrawTest, NothingIsDrawnWhileTheDeviceIsNotRunning)
{
    auto* button = MakeRoot<TUIButton>("TUIButton", "b", 100.0f, 40.0f);
    button->SetIcon(&m_Icon);
    g_pDeviceManager->SetRunning(0);
    g_pUIManager->RenderManager();
    g_pDeviceManager->SetRunning(1);
    EXPECT_EQ(m_Canvas.Quads(), 0u);
    g_pUIManager->RenderManager();
    EXPECT_GT(m_Canvas.Quads(), 0u);
}

// The cursor is drawn once a frame: not by the UI while another manager (the UX, drawn after
// it) claims it.
TEST_F(UIDrawTest, TheCursorIsLeftToTheManagerThatClaimsIt)
{
    TInputCursor* cursor = g_pUIManager->GetCursor();
    ASSERT_NE(cursor, nullptr);
    ASSERT_NE(cursor->pTexture, nullptr);
    auto cursorQuads = [&] {
        u32 count = 0;
        for (TTexture* texture : m_Canvas.textures)
            count += texture == cursor->pTexture ? 1 : 0;
        return count;
    };
    g_pUIManager->RenderManager();
    EXPECT_EQ(cursorQuads(), 1u);
    const int other = 0;
    TInputManager::Instance().SetCursorDrawer(&other);
    m_Canvas.Clear();
    g_pUIManager->RenderManager();
    EXPECT_EQ(cursorQuads(), 0u);
    TInputManager::Instance().SetCursorDrawer(nullptr);
}
} // namespace
