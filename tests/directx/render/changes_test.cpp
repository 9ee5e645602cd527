// Device changes queued by the device variables and the window operations, and the display
// modes they are matched against.
#include "devicefixture.h"

namespace
{
using ChangesTest = CreatedDeviceTest;

TEST_F(ChangesTest, FullScreenSizesEndOnTheNearestModeAndWindowsInsideTheMonitor)
{
    TDxDeviceSettings settings = m_pManager->GetSettings();
    settings.Present.Windowed = FALSE;
    settings.Present.BackBufferWidth = 1300;
    settings.Present.BackBufferHeight = 790;
    settings.Present.FullScreen_RefreshRateInHz = 75;
    m_pManager->_MatchDisplayMode(settings);
    EXPECT_EQ(std::vector<u32>({settings.Present.BackBufferWidth, settings.Present.BackBufferHeight,
                                settings.Present.FullScreen_RefreshRateInHz, settings.DisplayMode.Width}),
              std::vector<u32>({1280, 800, 60, 1280}));
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
    Send(WM_NULL);
    IDirect3DSurface9* surface = nullptr;
    m_pManager->GetDevice()->GetRenderTarget(0, &surface);
    EXPECT_EQ(surface->Release(), 2u) << "the device manager and its back-buffer target";
    m_pManager->GetDevice()->GetDepthStencilSurface(&surface);
    EXPECT_EQ(surface->Release(), 2u);

    SetSize("800", "600");
    Send(WM_NULL);
    EXPECT_EQ(m_pManager->IsResetFailed(), 0u);
    EXPECT_EQ(m_pManager->GetBackBufferWidth(), 800);
    EXPECT_EQ(m_pManager->GetSettings().Present.BackBufferHeight, 600u);
}
} // namespace
