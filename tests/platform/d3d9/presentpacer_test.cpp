// Vertical sync without a display: presents wait on a clock the tests drive, so every wait is
// checked exactly and nothing sleeps.
#include "devicefixture.h"
#include "platform/d3d9/presentpacer.h"
#include "platform/d3d9/settings.h"
#include "platform/window/headlessbackend.h"
#include "platform/window/windowsystem.h"
#include "platform/window/winuser.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
constexpr std::int64_t kSecond = 1000000000;

// Time stands still except when the pacer sleeps or the test moves it on.
class TFakeClock : public TPresentClock
{
public:
    std::int64_t Now() override { return now; }
    void SleepUntil(std::int64_t time) override
    {
        sleeps.push_back(time - now);
        now = time;
    }
    std::int64_t now = 5 * kSecond;
    std::vector<std::int64_t> sleeps;
};

// The virtual windows, shown on a display as a desktop shows them.
class TShownDisplay : public THeadlessBackend
{
public:
    bool HasDisplay() const override { return true; }
};

class PresentPacerTest : public ::testing::Test
{
protected:
    void SetUp() override { D3D9Settings().presentClock = &clock; }
    void TearDown() override { D3D9Settings().presentClock = nullptr; }

    TFakeClock clock;
    TPresentPacer pacer;
};

TEST_F(PresentPacerTest, ALateFrameWaitsForTheNextRefresh)
{
    const std::int64_t period = kSecond / 50;
    pacer.WaitForSlot(1, 50);
    const std::int64_t start = clock.now;
    // Work of one and a half refreshes: shown on the second refresh, not at once.
    clock.now += period + period / 2;
    pacer.WaitForSlot(1, 50);
    EXPECT_EQ(start + 2 * period, clock.now);
    // Exactly on a refresh: shown without a wait, and the grid stays.
    clock.now += period;
    clock.sleeps.clear();
    pacer.WaitForSlot(1, 50);
    EXPECT_TRUE(clock.sleeps.empty());
    pacer.WaitForSlot(1, 50);
    EXPECT_EQ(start + 4 * period, clock.now);
}

// Two presents into a window of a new device of the interval; the second one's wait.
std::int64_t SecondPresentWait(TFakeClock& clock, HWND window, UINT interval, BOOL windowed, UINT rate)
{
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = Parameters(640, 480, D3DFMT_X8R8G8B8, windowed);
    parameters.FullScreen_RefreshRateInHz = rate;
    parameters.PresentationInterval = interval;
    parameters.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(D3D_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0x52, &parameters, &device));
    std::int64_t wait = -1;
    if (device)
    {
        device->Present(nullptr, nullptr, nullptr, nullptr);
        const std::int64_t before = clock.now;
        device->Present(nullptr, nullptr, nullptr, nullptr);
        wait = clock.now - before;
        device->Release();
    }
    direct3d->Release();
    return wait;
}

TEST_F(PresentPacerTest, DevicePresentsFollowTheirIntervalOnADisplay)
{
    ASSERT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<TShownDisplay>()));
    const HWND window = MakeWindow(u"PacedWindow", 640, 480);
    ASSERT_NE(nullptr, window);
    // interval, windowed, full-screen rate, expected wait of the second present
    struct TCase
    {
        UINT interval;
        BOOL windowed;
        UINT rate;
        std::int64_t wait;
    };
    const TCase cases[] = {
        {D3DPRESENT_INTERVAL_ONE, TRUE, 0, kSecond / 60},
        {D3DPRESENT_INTERVAL_DEFAULT, TRUE, 0, kSecond / 60},
        {D3DPRESENT_INTERVAL_TWO, TRUE, 0, 2 * (kSecond / 60)},
        {D3DPRESENT_INTERVAL_ONE, FALSE, 75, kSecond / 75},
        {D3DPRESENT_INTERVAL_IMMEDIATE, TRUE, 0, 0},
    };
    for (const TCase& test : cases)
        EXPECT_EQ(test.wait, SecondPresentWait(clock, window, test.interval, test.windowed, test.rate))
            << test.interval << " " << test.rate;
    DestroyWindow(window);
    EXPECT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<THeadlessBackend>()));
}

// No display refreshes for a headless window, or for none: its presents go at once.
TEST_F(PresentPacerTest, FramesForNoDisplayNeverWait)
{
    const HWND window = MakeWindow(u"PacedWindow", 640, 480);
    ASSERT_NE(nullptr, window);
    for (const HWND target : {window, HWND(nullptr)})
    {
        EXPECT_EQ(0, SecondPresentWait(clock, target, D3DPRESENT_INTERVAL_ONE, TRUE, 0));
        EXPECT_EQ(0, SecondPresentWait(clock, target, D3DPRESENT_INTERVAL_TWO, FALSE, 75));
    }
    EXPECT_TRUE(clock.sleeps.empty());
    DestroyWindow(window);
}
} // namespace
