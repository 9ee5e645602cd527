// Icon frames as quads of a recording canvas: icons whose stored data cannot be drawn, and the
// cursor; unknown names and the records going with the cluster (the placement rules are the
// golden screen's).
#include "uifixture.h"

#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "support/recordingcanvas.h"
#include "ui/uibutton.h"

#include <functional>
#include <string>
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

    static TUIItem* Root() { return MakeRoot<TUIItem>("TUITabControl", "parent", 10.0f, 10.0f); }

    TRecordingCanvas m_Canvas;
    TCanvasManager* m_pOld = nullptr;
    TTexture* m_pStrip = nullptr;
    TUIIcon m_Icon{};
};

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

// A class, style, icon or font of no such name: told once per load, and nothing made or changed.
TEST_F(UIDrawTest, UnknownNamesAreToldOnceAndChangeNothing)
{
    EXPECT_EQ(g_pUIManager->CreateItem("TUINoSuchItem", "x", 1.0f, 1.0f), nullptr);
    EXPECT_EQ(Root()->CreateChild("TUINoSuchItem", "y"), nullptr);
    TUIItem* item = Root();
    item->SetStyle("DialogTextStyle");
    const TUIStyle* style = item->GetStyle();
    ASSERT_NE(style, nullptr);
    TUIText text;
    text.SetText("Missing");
    text.m_Font = TName("no such font", true);
    for (i32 i = 0; i < 2; ++i)
    {
        item->SetStyle("NoSuchStyle");
        EXPECT_EQ(item->GetStyle(), style);
        EXPECT_GT(text.Measure(-1.0f).fWidth, 0.0f) << "the first font measures";
    }
    EXPECT_EQ(g_pUIManager->__FindIcon(TName("NoSuchIcon", true)), nullptr);
    for (const char* line : {"'TUINoSuchItem': no such item class", "'NoSuchStyle': undefined style",
                             "NoSuchIcon: undefined icon", "'no such font': undeclared font"})
        EXPECT_EQ(m_Log.Count(line), 1u) << line;
}

TEST_F(UIDrawTest, ItemsLetTheLoadedRecordsGoWithTheClusterAndFindThemAgain)
{
    auto* button = MakeRoot<TUIButton>("TUIButton", "b", 0.0f, 0.0f);
    button->SetStyle("MenuButtonStyle");
    button->SetIconByName("UI Panel");
    TTexture* white = g_pUIManager->GetWhiteTexture();
    ASSERT_NE(white, nullptr);
    button->SetImage(white);
    const TUIStyle* style = button->GetStyle();
    const TUIIcon* icon = button->m_pIcon;
    g_pUIManager->OnClusterUnload();
    EXPECT_EQ(button->GetStyle(), nullptr);
    EXPECT_EQ(button->m_pIcon, nullptr);
    EXPECT_EQ(button->m_pImage, nullptr);
    g_pUIManager->OnClusterLoad();
    EXPECT_EQ(button->GetStyle(), style);
    EXPECT_EQ(button->m_pIcon, icon);
    EXPECT_EQ(button->m_pImage, white);
}
} // namespace
