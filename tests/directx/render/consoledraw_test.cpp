// The console drawn through the canvas: where its output lines, input line and completion rows
// go, in which colours, and that a hidden console draws nothing.
#include "devicefixture.h"

#include "core/cluster/cluster.h"
#include "directx/input/wininput.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/fontmanager.h"
#include "engine/system/console.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
// Records every text the console writes.
class TRecordingCanvas : public TCanvasManager
{
public:
    struct TText
    {
        f32 rect[4];
        TColor color;
        std::string text;
    };
    TFont SetFont(const TName&, i32) override { return {}; }
    TFont SetDefaultFont() override { return {}; }
    i32 GetTextWidth(const char* text, i32 length) override
    {
        return 7 * (length < 0 ? static_cast<i32>(std::strlen(text)) : length);
    }
    TShader* SetShader(TTexture* texture, i32) override { return reinterpret_cast<TShader*>(texture); }
    void DrawTexture(f32, f32, f32, f32, TShader*, const TColor&) override {}
    void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32) override
    {
        texts.push_back({{rect[0], rect[1], rect[2], rect[3]}, color, text});
    }
    std::vector<TText> texts;
};

class ConsoleDrawTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        Create();
        m_pManager->SetBackBufferSize(800, 600);
        m_pOldCanvas = g_pCanvasManager;
        g_pCanvasManager = &m_Canvas;
        m_pOldListener = g_pCommandManager->GetListener();
        g_pCommandManager->SetListener(&m_Console);
    }
    void TearDown() override
    {
        g_pDxTextureManager->Clear();
        // The console's links forget this test's textures.
        g_pCluster->ResetPointers();
        g_pCommandManager->SetListener(m_pOldListener);
        g_pCanvasManager = m_pOldCanvas;
        g_pFontManager->SetUserColors(0, nullptr);
        DeviceTest::TearDown();
    }

    TRecordingCanvas m_Canvas;
    TCanvasManager* m_pOldCanvas = nullptr;
    TCommandMethods* m_pOldListener = nullptr;
    TConsoleManager m_Console;
};

// A line wider than the window (558 at 7 a character: 79 fit) goes on in the rows above its
// end, at a space where one is, carrying its colour; the line before it stands above.
TEST_F(ConsoleDrawTest, LongLinesWrapUpwardsAtSpacesKeepingTheirColour)
{
    const std::string fits(79, 'a'), word(40, 'w');
    const struct
    {
        std::string line;
        std::vector<std::string> rows; // top first
    } cases[] = {
        {fits, {fits}},
        {fits + "b", {fits, "b"}},
        {"^H" + word + " " + word + " end", {"^H" + word, "^H" + word + " end"}},
    };
    for (const auto& c : cases)
    {
        TConsoleManager console;
        console.PrintLine("before", 0);
        console.PrintLine(c.line.c_str(), 0);
        console.Toggle();
        console.AdvanceFade(0.2f);
        m_Canvas.texts.clear();
        console.RenderManager();
        const auto& t = m_Canvas.texts;
        ASSERT_EQ(t.size(), c.rows.size() + 2) << c.line;
        for (size_t row = 0; row < c.rows.size(); ++row)
        {
            const auto& text = t[c.rows.size() - 1 - row];
            EXPECT_EQ(text.text, c.rows[row]) << c.line;
            EXPECT_FLOAT_EQ(text.rect[1], 600.0f - 196.0f - 20.0f * static_cast<f32>(c.rows.size() - 1 - row));
        }
        EXPECT_EQ(t[c.rows.size()].text, "before");
        EXPECT_FLOAT_EQ(t[c.rows.size()].rect[1], 600.0f - 196.0f - 20.0f * static_cast<f32>(c.rows.size()));
    }
}

TEST_F(ConsoleDrawTest, WithoutAViewportALoadOpensTheConsoleAndOnePressOfTheKeyTogglesItOnce)
{
    m_Console.OnClusterLoad();
    EXPECT_EQ(m_Console.IsVisible(), 1u);
    EXPECT_FLOAT_EQ(m_Console.GetFadeTime(), -0.2f);
    // The pause: drawn, but at alpha 0.
    m_Console.AdvanceFade(0.1f);
    m_Console.RenderManager();
    ASSERT_FALSE(m_Canvas.texts.empty());
    EXPECT_FLOAT_EQ(m_Canvas.texts.back().color.a, 0.0f);
    m_Console.AdvanceFade(0.2f);
    EXPECT_NEAR(m_Console.GetFadeTime(), 0.1f, 1e-6f);

    // A visible console, or one with a viewport to show, is left alone.
    m_Console.OnClusterLoad();
    EXPECT_NEAR(m_Console.GetFadeTime(), 0.1f, 1e-6f);
    m_Console.Toggle();
    g_pDxViewportManager->__CreateViewport(TName("main", true), 0);
    m_Console.OnClusterLoad();
    g_pDxViewportManager->Clear();
    EXPECT_EQ(m_Console.IsVisible(), 0u);
    // The registered console: its begin registers it with the cluster and the resources for
    // the run, so it begins once.
    static const bool s_bBegun = (g_pConsoleManager->BeginManager(), true);
    ASSERT_TRUE(s_bBegun);
    TInput* tilde = g_pInputManager->FindInput(TName("Tilde"));
    ASSERT_NE(tilde, nullptr);
    const u32 visible = g_pConsoleManager->IsVisible();
    // The inputs update at their own rate: two frames pass before the edge is cleared.
    *tilde->GetFlags() |= WIN_INPUT_PRESSED;
    for (int frame = 0; frame < 2; ++frame)
        g_pConsoleManager->UpdateManager(0.0f);
    EXPECT_NE(g_pConsoleManager->IsVisible(), visible);
    g_pConsoleManager->Toggle();
}
} // namespace
