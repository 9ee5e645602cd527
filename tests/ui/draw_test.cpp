// Icon frames as quads of a recording canvas: clipping, icons whose stored data cannot be drawn,
// and the cursor.
#include "uifixture.h"

#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
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
