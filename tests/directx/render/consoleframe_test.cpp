// A console frame as the player sees it: background, output lines with their colour codes, the
// typed line and its cursor, drawn through the canvas, its shaders and the fonts.
#include "canvasfixture.h"

#include "core/system/timer.h"
#include "directx/render/dxfontmanager.h"
#include "engine/system/console.h"

namespace
{
constexpr i32 kConsoleWidth = 620;
constexpr i32 kConsoleHeight = 560;

i64 s_nClock = 0;
i64 FakeClock()
{
    return s_nClock;
}

class ConsoleFrameTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        m_pOldListener = g_pCommandManager->GetListener();
        g_pCommandManager->SetListener(&m_Console);
    }
    void TearDown() override
    {
        g_pCommandManager->SetListener(m_pOldListener);
        g_pFontManager->SetUserColors(0, nullptr);
        // The fonts stay in the manager; their device objects go with this test's device.
        g_pDxFontManager->FinalizeManager();
        CanvasFixture::TearDown();
    }

    TCommandMethods* m_pOldListener = nullptr;
    TConsoleManager m_Console;
};

TEST_F(ConsoleFrameTest, TypedTextAndOutputLinesMatchTheGoldenImage)
{
    m_pManager->SetBackBufferSize(kConsoleWidth, kConsoleHeight);
    m_pCanvas->SetApertureMode(0);
    MakeUnitRect();
    MakeCanvasShader("Shader_canvasalpha");
    m_pCanvas->OnClusterLoad();
    MakeChecker("Texture_console", 0xC0182030, 0xC0182030);
    MakeChecker("Texture_cursor", 0xFFFFFFFF, 0xFFFFFFFF);

    m_Console.PrintLine("^Hversion 2.0.1", 0);
    m_Console.PrintLine("quick start:", 0);
    m_Console.PrintLine("   type ^Gcommand.list^. for the list of all commands", 0);
    m_Console.PrintLine("^r___________________________________________________________", 0);
    m_Console.PrintLine("^Gdevice.size 800", 0);
    m_Console.PrintLine("^Ierror: command does not take 1 parameter (2 expected)", 0);
    m_Console.PrintLine("   ^Fbloom|200^kon", 0);
    m_Console.SetInput("hello world");
    m_Console.Toggle();
    m_Console.AdvanceFade(0.2f);

    TRenderTarget* target = BeginImage(kConsoleWidth, kConsoleHeight, nullptr, 0xFF406080);
    // The cursor at the top of its blink.
    TTimer timer(FakeClock);
    s_nClock += static_cast<i64>(TIMER_COUNTS_PER_SECOND * 3.14159265 / 12.0);
    TTimer* old = g_pTimer;
    g_pTimer = &timer;
    m_Console.RenderManager();
    g_pTimer = old;
    EXPECT_EQ(EndImage(target, "console_frame"), "");
}
} // namespace
