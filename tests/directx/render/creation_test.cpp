// Window and device creation from the device variables, the fall-back chain and the refusal of
// unsuitable hardware.
#include "devicefixture.h"

#include "platform/d3d9/settings.h"

#include <algorithm>

namespace
{
using CreationTest = DeviceTest;

TEST_F(CreationTest, WindowedDeviceTakesTheClientSizeAndWritesTheVariablesBack)
{
    g_device_size.Store(1024.0f, 600.0f, 0.0f, 1.0f);
    Create();
    const TDxDeviceSettings& settings = m_pManager->GetSettings();
    EXPECT_TRUE(settings.IsWindowed());
    RECT client;
    GetClientRect(m_pManager->GetWindowHandle(), &client);
    // The settings, the manager, the window's client area and the back buffer target.
    EXPECT_EQ(std::vector<i64>({1024, 600, 1024, 600, 1, 0, 1024, 600, 1024}),
              std::vector<i64>({settings.Present.BackBufferWidth, settings.Present.BackBufferHeight,
                                m_pManager->GetBackBufferWidth(), m_pManager->GetVideoHeight(), m_pManager->IsDeviceReady(),
                                m_pManager->IsFullScreen(), client.right, client.bottom,
                                static_cast<TDxRenderTarget*>(m_pManager->GetBackBufferTarget())->m_nWidth}));
    EXPECT_EQ(g_DxDeviceStatistics.nBackBuffer, 32u * 1024 * 600 / 8 * 2);
    EXPECT_EQ(g_DxDeviceStatistics.nDepthStencil, 32u * 1024 * 600 / 8);
}

// A failed full-screen device is retried windowed at the same size, then windowed at 800 x 600
// on adapter 0 from the corner.
class CreationFallbackTest : public DeviceTest, public testing::WithParamInterface<u32>
{
};

TEST_P(CreationFallbackTest, FailedCreationsFallBackToWindowedThenTo800x600OnAdapter0)
{
    const u32 failures = GetParam();
    g_device_windowed.Store(0);
    g_device_pos.Store(100.0f, 70.0f, 0.0f, 1.0f);
    D3D9Settings().failingDeviceCreations = failures;
    Create();
    const TDxDeviceSettings& settings = m_pManager->GetSettings();
    EXPECT_TRUE(settings.IsWindowed());
    EXPECT_EQ(g_device_windowed.GetInt(), 1);
    EXPECT_EQ(settings.nAdapter, 0u);
    EXPECT_EQ(settings.Present.BackBufferWidth, failures == 1 ? 1280u : 800u);
    EXPECT_EQ(settings.Present.BackBufferHeight, failures == 1 ? 800u : 600u);
    EXPECT_EQ(g_device_pos.GetVector().x, failures == 1 ? 100.0f : 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Failures, CreationFallbackTest, testing::Values(1u, 2u));

TEST_F(CreationTest, FailedRecreationRestoresThePreviousDevice)
{
    TLogRecorder log;
    Create();
    TJournalListener listener("a", m_Journal);
    m_pManager->AddMethod(&listener);
    m_pManager->SetVerticalSync(1);
    D3D9Settings().failingDeviceCreations = 1;
    m_pManager->_ApplyPendingChange();

    ASSERT_NE(m_pManager->GetDevice(), nullptr);
    EXPECT_EQ(m_pManager->GetSettings().Present.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(m_pManager->GetSettings().Present.BackBufferWidth, 1280u);
    const std::vector<std::string> expected = {"a release", "a destroy", "a create",
                                               "a change",  "a change",  "a restore"};
    EXPECT_EQ(m_Journal, expected);
    ASSERT_FALSE(m_Console.lines.empty());
    EXPECT_NE(m_Console.lines.back().find("unable to create DirectX device (restoring previous device)"),
              std::string::npos);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "TDxDeviceManager::_CreateDeviceInt(): error: unable to create DirectX device "
                        "(restoring previous device)"),
              log.lines.end());
    m_pManager->RemoveMethod(&listener);
}

// Too little video memory ends the program; exactly enough passes, and an unknown adapter is
// replaced by adapter 0.
TEST_F(CreationTest, TooLittleVideoMemoryEndsTheProgramAndAnUnknownAdapterIsReplacedByAdapter0)
{
    D3D9Settings().textureMemoryBytes = 127u << 20;
    EXPECT_EXIT(m_pManager->InitializeManager(), ::testing::ExitedWithCode(1),
                "requires at least 128 MB of dedicated video memory");
    D3D9Settings().textureMemoryBytes = 128u << 20;
    TLogRecorder log;
    g_device_adapter.Store(7);
    Create();
    EXPECT_EQ(g_device_adapter.GetInt(), 0);
    EXPECT_EQ(m_pManager->GetSettings().nAdapter, 0u);
    // A recreation asked for an adapter the system lacks.
    TDxDeviceSettings settings = m_pManager->GetSettings();
    settings.nAdapter = 7;
    m_pManager->_CreateDeviceInt(settings, 1);
    EXPECT_EQ(m_pManager->GetSettings().nAdapter, 0u);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "TDxDeviceManager::_CreateDeviceInt(): error: invalid adapter 7 (defaulting to adapter 0)"),
              log.lines.end());
}

TEST_F(CreationTest, WindowOutsideTheMonitorIsMovedIntoIt)
{
    g_device_pos.Store(-200.0f, 1000.0f, 0.0f, 1.0f);
    Create();
    // The headless display is 1920 x 1080; the frame below the client area stays on it too.
    RECT window;
    GetWindowRect(m_pManager->GetWindowHandle(), &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.bottom, 1080);
    EXPECT_EQ(g_device_pos.GetVector().x, 0.0f);
    EXPECT_EQ(g_device_pos.GetVector().y, static_cast<f32>(window.top));
    EXPECT_LT(window.top, 1080 - 800);
}

TEST_F(CreationTest, AWindowLargerThanTheMonitorKeepsItsTitleBarOnIt)
{
    g_device_size.Store(1920.0f, 1200.0f, 0.0f, 1.0f);
    Create();
    // The desktop limits the window; what is left over hangs past the right and bottom edges.
    RECT window;
    GetWindowRect(m_pManager->GetWindowHandle(), &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_GT(window.bottom, 1080);
    EXPECT_EQ(g_device_pos.GetVector().y, 0.0f);
}

} // namespace
