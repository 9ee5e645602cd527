// Windows of the headless back end: classes, creation, placement, style, title, monitors and
// the services of the device layer.
#include "platform/window/window.h"
#include "windowfixture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace
{
using WindowTest = WindowFixture;

LRESULT IgnoreMessages(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// The headless layer has one display: the desktop is the monitor.
RECT Monitor(HWND window)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    EXPECT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor));
    return monitor.rcMonitor;
}

TEST_F(WindowTest, ClassesAreRegisteredOnceByName)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = IgnoreMessages;
    windowClass.lpszClassName = u"vestam0r";
    EXPECT_EQ(RegisterClassExW(&windowClass), 0) << "a second class of the same name";
    windowClass.lpszClassName = u"other";
    windowClass.cbSize = sizeof(windowClass) - 4;
    EXPECT_EQ(RegisterClassExW(&windowClass), 0) << "a wrong structure size";
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExW(&windowClass), 0) << "no window procedure";
    EXPECT_EQ(CreateWindowExW(0, u"unknown", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExW(0, nullptr, u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, OverlappedWindowHasTheRequestedClientArea)
{
    EXPECT_EQ(ClientSize(window_), (std::pair<LONG, LONG>(kClientWidth, kClientHeight)));

    // The frame difference is what AdjustWindowRect adds, on every side.
    RECT adjusted = {0, 0, 0, 0};
    AdjustWindowRect(&adjusted, WS_OVERLAPPEDWINDOW, FALSE);
    RECT frame;
    ASSERT_TRUE(GetWindowRect(window_, &frame));
    EXPECT_EQ(frame.left, 50);
    EXPECT_EQ(frame.top, 50);
    EXPECT_EQ(frame.right - frame.left - kClientWidth, adjusted.right - adjusted.left);
    EXPECT_EQ(frame.bottom - frame.top - kClientHeight, adjusted.bottom - adjusted.top);
    WINDOWPLACEMENT placement = {};
    EXPECT_FALSE(GetWindowPlacement(window_, &placement)) << "length not set";
    placement.length = sizeof(placement);
    ASSERT_TRUE(GetWindowPlacement(window_, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(std::vector<LONG>({placement.rcNormalPosition.left, placement.rcNormalPosition.top,
                                 placement.rcNormalPosition.right, placement.rcNormalPosition.bottom}),
              std::vector<LONG>({frame.left, frame.top, frame.right, frame.bottom}));

    POINT origin = {0, 0};
    ASSERT_TRUE(ClientToScreen(window_, &origin));
    EXPECT_EQ(origin.x, 50 - adjusted.left);
    EXPECT_EQ(origin.y, 50 - adjusted.top);
}

TEST_F(WindowTest, AdjustWindowRectFollowsTheStyle)
{
    RECT bare = {10, 20, 110, 220};
    AdjustWindowRect(&bare, 0, FALSE);
    EXPECT_EQ(bare.left, 10);
    EXPECT_EQ(bare.bottom, 220) << "style 0 has no caption, border or frame";

    RECT overlapped = {0, 0, 100, 100};
    AdjustWindowRect(&overlapped, WS_OVERLAPPEDWINDOW, FALSE);
    RECT withMenu = {0, 0, 100, 100};
    AdjustWindowRect(&withMenu, WS_OVERLAPPEDWINDOW, TRUE);
    EXPECT_LT(overlapped.left, 0);
    EXPECT_LT(overlapped.top, overlapped.left) << "the caption is above the top border";
    EXPECT_LT(withMenu.top, overlapped.top);
    EXPECT_EQ(withMenu.bottom, overlapped.bottom);
    EXPECT_FALSE(AdjustWindowRect(nullptr, 0, FALSE));

    RECT huge = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    AdjustWindowRect(&huge, WS_OVERLAPPEDWINDOW, FALSE);
    EXPECT_EQ(huge.left, INT32_MIN) << "saturates rather than wrapping";
    EXPECT_EQ(huge.right, INT32_MAX);
}

TEST_F(WindowTest, HostilePlacementIsKeptInRange)
{
    received_.clear();
    SetWindowPos(window_, nullptr, INT32_MAX, INT32_MIN, INT32_MAX, -5, SWP_NOZORDER);
    RECT frame;
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.left, 32767);
    EXPECT_EQ(frame.top, -32767);
    EXPECT_EQ(frame.bottom, frame.top) << "a negative size is empty";
    EXPECT_EQ(ClientSize(window_).second, 0) << "no room inside the frame";
    POINT point = {INT32_MAX, 0};
    ClientToScreen(window_, &point);
    EXPECT_EQ(point.x, INT32_MAX);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].message, WM_SIZE);
}

TEST_F(WindowTest, NoWindowGrowsBeyondTheDesktopAroundItsClientArea)
{
    const RECT monitor = Monitor(window_);
    const LONG desktopWidth = monitor.right - monitor.left;
    const LONG desktopHeight = monitor.bottom - monitor.top;

    SetWindowPos(window_, nullptr, 10, 20, 99999, 99999, SWP_NOZORDER);
    EXPECT_EQ(ClientSize(window_), (std::pair<LONG, LONG>(desktopWidth, desktopHeight)));

    // Without a frame the window itself is the limit; so is it for a window made that large.
    SetWindowLongW(window_, GWL_STYLE, 0);
    SetWindowPos(window_, nullptr, 0, 0, 40000, 40000, SWP_NOZORDER);
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, desktopWidth);
    EXPECT_EQ(rect.bottom - rect.top, desktopHeight);
    HWND large = CreateWindowExW(0, u"vestam0r", u"large", WS_OVERLAPPEDWINDOW, 0, 0, 9000, 9000, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(ClientSize(large), (std::pair<LONG, LONG>(desktopWidth, desktopHeight)));
    DestroyWindow(large);
}

TEST_F(WindowTest, SetWindowPosSendsTheNewClientSizeAtOnce)
{
    RECT frame;
    GetWindowRect(window_, &frame);
    const int frameWidth = frame.right - frame.left - kClientWidth;
    const int frameHeight = frame.bottom - frame.top - kClientHeight;

    ASSERT_TRUE(SetWindowPos(window_, nullptr, 100, 120, 640 + frameWidth, 480 + frameHeight, SWP_NOZORDER));
    ASSERT_EQ(received_.size(), 1u) << "WM_SIZE is sent, not posted";
    EXPECT_EQ(received_[0].message, WM_SIZE);
    EXPECT_EQ(received_[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(received_[0].lParam, MAKELPARAM(640, 480));
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 120);

    received_.clear();
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    EXPECT_TRUE(received_.empty()) << "moving or re-ordering keeps the size";
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.right - frame.left, 640 + frameWidth);
    EXPECT_FALSE(SetWindowPos(reinterpret_cast<HWND>(0x1234), nullptr, 0, 0, 1, 1, 0));
}

TEST_F(WindowTest, FullScreenStyleCoversTheMonitorAndBack)
{
    const RECT monitor = Monitor(window_);
    EXPECT_EQ(SetWindowLongW(window_, GWL_STYLE, 0), static_cast<LONG>(WS_OVERLAPPEDWINDOW));
    const std::pair<LONG, LONG> size(monitor.right - monitor.left, monitor.bottom - monitor.top);
    SetWindowPos(window_, HWND_TOPMOST, monitor.left, monitor.top, size.first, size.second,
                 SWP_SHOWWINDOW | SWP_NOREDRAW);
    EXPECT_EQ(ClientSize(window_), size);
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE), static_cast<LONG>(WS_VISIBLE))
        << "visible, otherwise style 0";

    // Back to windowed: the client area is the frame's inside again.
    SetWindowLongW(window_, GWL_STYLE, WS_OVERLAPPEDWINDOW);
    RECT rect = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window_, nullptr, 50, 50, rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER);
    EXPECT_EQ(ClientSize(window_), (std::pair<LONG, LONG>(kClientWidth, kClientHeight)));
    EXPECT_EQ(GetWindowLongW(window_, GWL_EXSTYLE), 0);
}

TEST_F(WindowTest, DestroyWindowSendsWmDestroyAndForgetsTheWindow)
{
    PostMessageW(window_, WM_USER, 1, 2);
    ASSERT_TRUE(DestroyWindow(window_));
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].message, WM_DESTROY);
    EXPECT_TRUE(Drain().empty()) << "messages of a destroyed window are dropped";
    RECT rect;
    EXPECT_FALSE(GetClientRect(window_, &rect));
    EXPECT_FALSE(DestroyWindow(window_));
    EXPECT_FALSE(PostMessageW(window_, WM_USER, 0, 0));
    window_ = nullptr;
}

TEST_F(WindowTest, WindowMonitorIsTheAdapterMonitorWithItsModes)
{
    const HMONITOR monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTONULL);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor, WindowGetAdapterMonitor(0));
    EXPECT_EQ(WindowGetAdapterMonitor(1), nullptr);
    EXPECT_EQ(WindowGetAdapterMonitor(-1), nullptr);
    EXPECT_EQ(WindowGetAdapterCount(), 1);

    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoA(monitor, &info));
    EXPECT_EQ(info.rcMonitor.right - info.rcMonitor.left, 1920);
    EXPECT_EQ(info.rcMonitor.bottom - info.rcMonitor.top, 1080);
    EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_STREQ(info.szDevice, "\\\\.\\DISPLAY1");
    info.cbSize = sizeof(MONITORINFOEXW);
    EXPECT_FALSE(GetMonitorInfoA(monitor, &info)) << "the wide structure's size for the narrow call";
    EXPECT_FALSE(GetMonitorInfoW(reinterpret_cast<HMONITOR>(7), &info));

    // Off every display: null, the primary or the nearest, as asked.
    SetWindowPos(window_, nullptr, 5000, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(MonitorFromWindow(window_, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), monitor);
    EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), monitor);
    // Display modes of the one adapter only, up to its count.
    const int count = WindowGetDisplayModeCount(0);
    int width = 0, height = 0, refresh = 0;
    EXPECT_TRUE(WindowGetDisplayMode(0, count - 1, &width, &height, &refresh));
    EXPECT_GT(refresh, 0);
    EXPECT_FALSE(WindowGetDisplayMode(0, count, &width, nullptr, nullptr));
    EXPECT_FALSE(WindowGetDisplayMode(1, 0, &width, nullptr, nullptr));
    EXPECT_EQ(WindowGetDisplayModeCount(1), 0);
}

TEST_F(WindowTest, PresentPixelsChecksItsArguments)
{
    const DWORD pixels[4 * 2] = {};
    EXPECT_TRUE(WindowPresentPixels(window_, pixels, 4, 2, 16));
    EXPECT_FALSE(WindowPresentPixels(window_, pixels, 4, 2, 12)) << "rows shorter than the width";
    EXPECT_FALSE(WindowPresentPixels(window_, pixels, 4, 2, -16));
    EXPECT_FALSE(WindowPresentPixels(window_, nullptr, 4, 2, 16));
    EXPECT_FALSE(WindowPresentPixels(window_, pixels, 0, 2, 16));
    EXPECT_FALSE(WindowPresentPixels(nullptr, pixels, 4, 2, 16));
}
} // namespace
