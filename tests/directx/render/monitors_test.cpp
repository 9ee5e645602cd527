// A machine with two displays side by side: the window dragged onto the second one, and a
// full-screen device on it.
#include "devicefixture.h"

#include "platform/window/headlessbackend.h"
#include "platform/window/windowsystem.h"

#include <memory>

namespace
{
// The headless display, and a second one of 1280 x 1024 to its right with the same modes.
class TTwoDisplays : public THeadlessBackend
{
public:
    int GetDisplayCount() override { return 2; }
    RECT GetDisplayBounds(int display) override
    {
        return display == 0 ? THeadlessBackend::GetDisplayBounds(0) : RECT{1920, 0, 3200, 1024};
    }
    RECT GetDisplayWorkArea(int display) override { return GetDisplayBounds(display); }
    int GetDisplayModeCount(int display) override { return THeadlessBackend::GetDisplayModeCount(0); }
    bool GetDisplayMode(int display, int index, TDisplayMode* mode) override
    {
        return THeadlessBackend::GetDisplayMode(0, index, mode);
    }
};

class MonitorsTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<TTwoDisplays>()));
        DeviceTest::SetUp();
    }
    void TearDown() override
    {
        DeviceTest::TearDown();
        EXPECT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<THeadlessBackend>()));
    }
};
} // namespace

// The end of a drag resets the device to the new size first; the move to the other display then
// starts from that size, not from the one before the drag.
TEST_F(MonitorsTest, TheEndOfADragTakesTheSizeBeforeTheMonitor)
{
    Create();
    Send(WM_ENTERSIZEMOVE);
    RECT rect = {0, 0, 900, 600};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(m_pManager->GetWindowHandle(), nullptr, 2000, 50, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER);
    Send(WM_NULL);
    Send(WM_EXITSIZEMOVE);
    EXPECT_EQ(m_pManager->GetBackBufferWidth(), 900);
    ASSERT_EQ(m_pManager->GetPendingCount(), 1u);
    EXPECT_EQ(m_pManager->GetPendingSettings().nAdapter, 1);
    EXPECT_EQ(m_pManager->GetPendingSettings().Present.BackBufferWidth,
              m_pManager->GetSettings().Present.BackBufferWidth);
    EXPECT_NE(m_pManager->GetPendingSettings().Present.BackBufferWidth, 1280u);
}
