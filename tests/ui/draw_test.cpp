// Icon frames as quads of a recording canvas: clipping, icons whose stored data cannot be drawn,
// and the cursor.
#include "uifixture.h"

#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "support/recordingcanvas.h"

#include <functional>
#include <tuple>

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
    TTexture* white = g_pTextureManager->FindTexture(TName("ui.white"));
    ASSERT_NE(white, nullptr);
    // (the icon's damage, its state, the line told; borders of exactly the texture's width draw)
    const std::tuple<std::function<void(TUIIcon&)>, u32, const char*> cases[] = {
        {[](TUIIcon& i) { i.nSlicing = 3; }, UI_STATE_NORMAL, "slicing mode 3 unknown"},
        {[](TUIIcon& i) { i.aFrame[UI_STATE_OVER] = 6; }, UI_STATE_OVER, "frame 6 beyond the frame count"},
        {[](TUIIcon& i) { i.aBorder[0] = 200.0f, i.aBorder[2] = 121.0f; }, UI_STATE_NORMAL,
         "borders wider than the texture"},
        {[white](TUIIcon& i) { i.pNormal = white, i.nFrameCount = 5, i.aFrame[0] = 0; }, UI_STATE_NORMAL,
         "texture of height 4 cannot hold its frames"},
        {[](TUIIcon& i) { i.aBorder[0] = 200.0f, i.aBorder[2] = 120.0f; }, UI_STATE_NORMAL, nullptr}};
    for (const auto& [damage, state, line] : cases)
    {
        TUIIcon icon = m_Icon;
        icon.Name = TName(line ? line : "fitting", true);
        damage(icon);
        m_Canvas.Clear();
        icon.Draw(rect, state, 0xFFFFFFFF, nullptr);
        icon.Draw(rect, state, 0xFFFFFFFF, nullptr);
        EXPECT_EQ(m_Canvas.Quads(), line ? 0u : 18u) << icon.Name.GetText();
        if (line)
            EXPECT_EQ(m_Log.Count("'" + std::string(line) + "': " + line), 1u) << line;
    }
    // A frame index below 0 takes the normal state's frame.
    TUIIcon fallback = m_Icon;
    fallback.aFrame[UI_STATE_DOWN] = -1;
    fallback.nSlicing = UI_SLICE_PLAIN;
    m_Canvas.Clear();
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
