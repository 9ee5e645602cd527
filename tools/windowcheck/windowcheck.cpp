// Opens a window the way the device manager does and runs until it is closed: close the window
// (or press Escape) and the program reports the close message and exits with code 0. Without a
// display the window is virtual and the program stops after a short while by itself.
//
//   xvfb-run build/asan/tools/windowcheck/windowcheck
#include "platform/desktop/display.h"
#include "platform/window/window.h"
#include "platform/window/winuser.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kHeadlessFrames = 100;

HWND g_window = nullptr;

LRESULT CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        std::printf("windowcheck: WM_CLOSE received\n");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SIZE:
        std::printf("windowcheck: WM_SIZE %u %dx%d\n", static_cast<unsigned>(wParam), LOWORD(lParam),
                    HIWORD(lParam));
        return 0;
    case WM_ACTIVATEAPP:
        std::printf("windowcheck: WM_ACTIVATEAPP %u\n", static_cast<unsigned>(wParam));
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A moving colour ramp, so that a real display shows frames arriving.
void DrawFrame(std::vector<DWORD>& pixels, int frame)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = ((x + frame) & 0xFF) << 16 | ((y + frame) & 0xFF) << 8 | 0x40;
}
} // namespace

int main()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = CheckWindowProc;
    windowClass.lpszClassName = u"vestam0r";
    if (!RegisterClassExW(&windowClass))
        return 1;
    RECT rect = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    g_window =
        CreateWindowExW(0, u"vestam0r", u"windowcheck: close me", WS_OVERLAPPEDWINDOW, 50, 50,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    if (!g_window)
        return 1;
    SetWindowPos(g_window, HWND_TOP, 50, 50, rect.right - rect.left, rect.bottom - rect.top, SWP_SHOWWINDOW);
    UpdateWindow(g_window);

    int width = 0, height = 0;
    for (int i = 0; WindowGetDisplayMode(0, i, &width, &height, nullptr); ++i)
        std::printf("windowcheck: display mode %dx%d\n", width, height);

    std::vector<DWORD> pixels(kWidth * kHeight);
    for (int frame = 0;; ++frame)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                std::printf("windowcheck: done\n");
                return static_cast<int>(message.wParam);
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // A virtual window is never closed by anyone: close it ourselves.
        if (frame == kHeadlessFrames && !PlatformHasDisplay())
            PostMessageW(g_window, WM_CLOSE, 0, 0);
        DrawFrame(pixels, frame);
        WindowPresentPixels(g_window, pixels.data(), kWidth, kHeight, kWidth * 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
}
