// A console frame as the player sees it: background, output lines with their colour codes, the
// typed line and its cursor, drawn through the canvas, its shaders and the fonts.
#include "canvasfixture.h"

#include "core/system/timer.h"
#include "directx/render/dxfontmanager.h"
#include "engine/system/console.h"
#include "targetgolden.h"


namespace
{
constexpr i32 kWidth = 620;
constexpr i32 kHeight = 560;

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

    // A 4 x 4 texture of one colour.
    TTexture* MakeTexture(const char* name, u32 argb)
    {
        TTexture* texture = g_pDxTextureManager->CreateTexture(TName(name, true), 4, 4, 1, 1, TEXTURE_2D, 0x102,
                                                                   TEXTURE_DYNAMIC);
        u32 pitch = 0, size = 0;
        auto* texels = static_cast<u32*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, size));
        EXPECT_NE(texels, nullptr);
        if (texels)
            std::fill(texels, texels + size / 4, argb);
        texture->Unlock(0);
        return texture;
    }

    TCommandMethods* m_pOldListener = nullptr;
    TConsoleManager m_Console;
};

TEST_F(ConsoleFrameTest, TypedTextAndOutputLinesMatchTheGoldenImage)
{
    m_pManager->SetBackBufferSize(kWidth, kHeight);
    m_pCanvas->SetApertureMode(0);
    MakeUnitRect();
    MakeCanvasShader("Shader_canvasalpha");
    m_pCanvas->OnClusterLoad();
    MakeTexture("Texture_console", 0xC0182030);
    MakeTexture("Texture_cursor", 0xFFFFFFFF);

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

    TRenderTarget* target =
        g_pDxRenderTargetManager->CreateRenderTarget(TName("frame", true), kWidth, kHeight, 0x102, 0, 0, 0);
    target->SetRenderTarget(nullptr);
    IDirect3DDevice9* device = m_pManager->GetDevice();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF406080, 1.0f, 0);
    device->BeginScene();
    // The cursor at the top of its blink.
    TTimer timer(FakeClock);
    s_nClock += static_cast<i64>(TIMER_COUNTS_PER_SECOND * 3.14159265 / 12.0);
    TTimer* old = g_pTimer;
    g_pTimer = &timer;
    m_Console.RenderManager();
    g_pTimer = old;
    device->EndScene();

    EXPECT_EQ(CompareTargetWithGolden(target, "console_frame", kWidth, kHeight), "");
}
} // namespace
