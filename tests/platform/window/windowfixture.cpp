#include "windowfixture.h"

std::vector<TReceived> WindowFixture::received_;

LRESULT WindowFixture::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    received_.push_back({window, message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowFixture::SetUp()
{
    // The class stays registered for the whole run, as in the program.
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_CLASSDC;
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = u"vestam0r";
        return RegisterClassExW(&windowClass);
    }();
    ASSERT_NE(atom, 0);
    RECT rect = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    window_ =
        CreateWindowExW(0, u"vestam0r", u"vestamor", WS_OVERLAPPEDWINDOW, 50, 50, rect.right - rect.left,
                        rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    received_.clear();
}

void WindowFixture::TearDown()
{
    const RAWINPUTDEVICE remove[] = {{1, 2, RIDEV_REMOVE, nullptr}, {1, 6, RIDEV_REMOVE, nullptr}};
    RegisterRawInputDevices(remove, 2, sizeof(RAWINPUTDEVICE));
    if (window_)
        DestroyWindow(window_);
    Drain();
    received_.clear();
}

std::vector<MSG> WindowFixture::Drain(HWND filter, UINT filterMin, UINT filterMax)
{
    std::vector<MSG> messages;
    MSG message;
    while (PeekMessageW(&message, filter, filterMin, filterMax, PM_REMOVE))
    {
        // A window waiting for paint would hand out WM_PAINT for ever.
        if (message.message == WM_PAINT)
            ValidateRect(message.hwnd, nullptr);
        messages.push_back(message);
    }
    return messages;
}

int WindowFixture::Pump()
{
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++count;
    }
    return count;
}

void WindowFixture::RegisterRawInput(DWORD flags)
{
    const RAWINPUTDEVICE devices[] = {{1, 2, flags, window_}, {1, 6, flags, window_}};
    ASSERT_TRUE(RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)));
}
