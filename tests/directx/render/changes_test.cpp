// Device changes queued by the device variables and the window operations, and the display
// modes they are matched against.
#include "devicefixture.h"

namespace
{
class ChangesTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        Create();
    }
};

TEST_F(ChangesTest, FullScreenSizeEndsOnTheNearestMode)
{
    TDxDeviceSettings settings = m_pManager->GetSettings();
    settings.Present.Windowed = FALSE;
    settings.Present.BackBufferWidth = 1300;
    settings.Present.BackBufferHeight = 790;
    settings.Present.FullScreen_RefreshRateInHz = 75;
    m_pManager->_MatchDisplayMode(settings);
    EXPECT_EQ(settings.Present.BackBufferWidth, 1280u);
    EXPECT_EQ(settings.Present.BackBufferHeight, 800u);
    EXPECT_EQ(settings.Present.FullScreen_RefreshRateInHz, 60u);
    EXPECT_EQ(settings.DisplayMode.Width, 1280u);
}

TEST_F(ChangesTest, VideoModeFromWindowedToFullScreenUsesTheGivenSize)
{
    m_pManager->SetVideoMode(1024, 768, 1);
    EXPECT_EQ(m_pManager->GetVideoWidth(), 1024);
    EXPECT_EQ(m_pManager->GetPendingSettings().Present.BackBufferWidth, 1024u);
    m_pManager->_ApplyPendingChange();
    EXPECT_EQ(m_pManager->IsFullScreen(), 1u);
    EXPECT_EQ(m_pManager->GetBackBufferWidth(), 1024);
    EXPECT_EQ(m_pManager->GetBackBufferHeight(), 768);
    EXPECT_EQ(g_device_windowed.GetInt(), 0);
    // The window covers the monitor without a frame.
    RECT window;
    GetWindowRect(m_pManager->GetWindowHandle(), &window);
    EXPECT_EQ(window.right - window.left, 1920);
    EXPECT_EQ(GetWindowLongW(m_pManager->GetWindowHandle(), GWL_STYLE) & WS_CAPTION, 0);
}

TEST_F(ChangesTest, WindowPositionIsKeptInsideTheMonitor)
{
    g_device_pos.Assign(std::vector<TName>{TName("1800", true), TName("900", true)}.data(), 2);
    // The whole window, frame included, ends at the monitor's right and bottom edges.
    RECT window;
    GetWindowRect(m_pManager->GetWindowHandle(), &window);
    EXPECT_EQ(window.right, 1920);
    EXPECT_EQ(window.bottom, 1080);
    EXPECT_EQ(g_device_pos.GetVector().x, static_cast<f32>(window.left));
    EXPECT_EQ(g_device_pos.GetVector().y, static_cast<f32>(window.top));
    i32 x, y;
    m_pManager->GetWindowPosition(x, y);
    EXPECT_EQ(x, window.left);

    g_device_pos.Assign(std::vector<TName>{TName("-40", true), TName("-40", true)}.data(), 2);
    GetWindowRect(m_pManager->GetWindowHandle(), &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
}

TEST_F(ChangesTest, VariablesChangedWithoutADeviceOnlyKeepTheirValues)
{
    // As a script or the console may change them after manager.finalize.
    m_pManager->m_nStepWord = 1;
    m_pManager->FinalizeManager();
    ASSERT_EQ(m_pManager->GetDevice(), nullptr);
    const HWND window = m_pManager->GetWindowHandle();
    RECT before;
    GetWindowRect(window, &before);
    g_device_windowed.Store(0);
    g_device_pos.Assign(std::vector<TName>{TName("10", true), TName("20", true)}.data(), 2);
    g_device_adapter.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_device_size.Assign(std::vector<TName>{TName("800", true), TName("600", true)}.data(), 2);
    g_device_verticalsyn.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_device_refreshrate.Assign(std::vector<TName>{TName("75", true)}.data(), 1);
    g_window_title.Assign(std::vector<TName>{TName("Morvane", true)}.data(), 1);
    g_device_cursor_clip.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_device_cursor_show.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_device_present_flush.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_game_gamma.Assign(std::vector<TName>{TName("3", true)}.data(), 1);
    g_device_gamma.Assign(std::vector<TName>{TName("1.2", true)}.data(), 1);
    g_device_windowed.Assign(std::vector<TName>{TName("1", true)}.data(), 1);

    EXPECT_EQ(g_device_pos.GetVector().x, 10.0f);
    EXPECT_STREQ(m_pManager->GetWindowTitle(), "Morvane");
    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left) << "nothing applied to the window";
    EXPECT_EQ(after.right, before.right);
    g_window_title.Assign(std::vector<TName>{TName("vestamor", true)}.data(), 1);
    g_device_gamma.Assign(std::vector<TName>{TName("1", true)}.data(), 1);
    g_game_gamma.Store(5);
}

TEST_F(ChangesTest, TitleVariableRenamesTheWindow)
{
    g_window_title.Assign(std::vector<TName>{TName("Morvane", true)}.data(), 1);
    char16_t title[32] = {};
    GetWindowTextW(m_pManager->GetWindowHandle(), title, 32);
    EXPECT_EQ(std::u16string(title), u"Morvane");
    EXPECT_STREQ(m_pManager->GetWindowTitle(), "Morvane");
    g_window_title.Assign(std::vector<TName>{TName("vestamor", true)}.data(), 1);
}
} // namespace

namespace
{
void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

void SetSize(const char* width, const char* height)
{
    g_device_size.Assign(std::vector<TName>{TName(width, true), TName(height, true)}.data(), 2);
}

// Back to windowed from a full-screen size no mode has: the new window's size message resets the
// device while it is being created, and the surfaces stay held once, so later resets still work.
TEST_F(ChangesTest, WindowedResizeResetsAfterAnOversizedFullScreenMode)
{
    g_device_windowed.SetInt(0);
    m_pManager->_ApplyPendingChange();
    SetSize("100000", "100000");
    m_pManager->_ApplyPendingChange();
    g_device_windowed.SetInt(1);
    m_pManager->_ApplyPendingChange();
    Pump();
    IDirect3DSurface9* surface = nullptr;
    m_pManager->GetDevice()->GetRenderTarget(0, &surface);
    EXPECT_EQ(surface->Release(), 2u) << "the device manager and its back-buffer target";
    m_pManager->GetDevice()->GetDepthStencilSurface(&surface);
    EXPECT_EQ(surface->Release(), 2u);

    SetSize("800", "600");
    Pump();
    EXPECT_EQ(m_pManager->IsResetFailed(), 0u);
    EXPECT_EQ(m_pManager->GetBackBufferWidth(), 800);
    EXPECT_EQ(m_pManager->GetSettings().Present.BackBufferHeight, 600u);
}
} // namespace
