#pragma once
// The window layer: window classes, the windows and their placement, the process's message
// queue, raw input, the cursor and the monitors. The Windows calls of winuser.h forward here;
// the back end (SDL or headless) mirrors the windows and feeds events in through the Native*
// entry points.
//
// Every call may come from any thread: one lock guards the state, and window procedures are
// always called with the lock released, so that they may call back into the layer. Only the
// thread that started the layer pumps the back end's events; other threads read the queue.
#include "platform/window/messagequeue.h"
#include "platform/window/rawinput.h"
#include "platform/window/windowbackend.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TWindowSystem
{
public:
    static TWindowSystem& Get();

    // Replaces the back end and makes the calling thread the one that pumps its events.
    // Refused (false) while windows exist. The layer otherwise picks SDL or headless by itself.
    bool SetBackend(std::unique_ptr<TWindowBackend> backend);

    // Frame thickness of a style, as left, top, right and bottom widths.
    static RECT GetFrame(DWORD style, bool menu);
    // Grows a client rectangle by the frame of a style.
    static BOOL AdjustWindowRect(RECT* rect, DWORD style, bool menu);
    // The client area of a window in screen co-ordinates: its rectangle less the frame.
    static RECT GetClientArea(const TWindowState& state);

    ATOM RegisterClass(const WNDCLASSEXW* windowClass);
    HWND CreateWindow(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                      int width, int height);
    BOOL DestroyWindow(HWND window);

    BOOL GetClientRect(HWND window, RECT* rect);
    BOOL GetWindowRect(HWND window, RECT* rect);
    BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
    LONG GetWindowLong(HWND window, int index);
    LONG SetWindowLong(HWND window, int index, LONG value);
    BOOL ShowWindow(HWND window, int command);
    BOOL UpdateWindow(HWND window);
    BOOL ValidateRect(HWND window);
    BOOL SetWindowText(HWND window, LPCWSTR text);
    int GetWindowText(HWND window, LPWSTR text, int capacity);
    BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
    BOOL ClientToScreen(HWND window, POINT* point);
    HWND SetFocus(HWND window);
    HWND GetFocus();

    BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuitMessage(int exitCode);
    BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
    LRESULT DispatchMessage(const MSG* message);

    int ShowCursor(bool show);
    BOOL ClipCursor(const RECT* rect);
    BOOL GetClipCursor(RECT* rect);

    HMONITOR MonitorFromWindow(HWND window, DWORD flags);
    BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info, bool wide);

    BOOL RegisterRawInputDevices(const RAWINPUTDEVICE* devices, UINT count, UINT size);
    UINT GetRawInputDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size);
    UINT GetRawInputData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize);

    int GetAdapterCount();
    int GetDisplayModeCount(int adapter);
    bool GetDisplayMode(int adapter, int index, TDisplayMode* mode);
    HMONITOR GetAdapterMonitor(int adapter);
    bool PresentPixels(HWND window, const void* pixels, int width, int height, int pitch);
    // A window of the layer that a display shows (none headless).
    bool IsOnDisplay(HWND window);

    // Entry points of the back ends. Positions and sizes are those of the client area.
    void NativeMoved(HWND window, int x, int y);
    void NativeResized(HWND window, int width, int height);
    void NativeMinimised(HWND window);
    void NativeMaximised(HWND window);
    void NativeRestored(HWND window);
    void NativeActivation(HWND window, bool active);
    void NativeExposed(HWND window);
    // Hands a raw record to the window registered for its device type (header type set by the
    // caller); dropped when nobody registered for it or the application is in the background
    // without RIDEV_INPUTSINK.
    void PostRawInput(RAWINPUT record);
    // Where the pointer is, in client co-ordinates of the window: stamped on later messages.
    void SetPointerPosition(HWND window, int x, int y);

private:
    TWindowSystem() = default;

    struct TWindowClass
    {
        std::u16string name;
        WNDPROC procedure;
    };

    // A WM_SIZE or WM_PAINT that a call sends straight to the procedure once the lock is free.
    struct TSentMessage
    {
        WNDPROC procedure = nullptr;
        HWND window = nullptr;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        LRESULT Send() const { return procedure ? procedure(window, message, wParam, lParam) : 0; }
    };

    TWindowBackend& Backend();
    TWindowState* Find(HWND window);
    void Show(HWND window, TWindowState& state, bool show);
    bool PostLocked(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    DWORD Now() const;
    RECT DesktopBounds();
    // Like Windows' maximum tracking size: a window of the style is never larger than the
    // desktop around its client area, so no device is asked for a bigger back buffer.
    void LimitToDesktop(DWORD style, int& width, int& height);
    void ApplyCursor();
    TSentMessage SizeMessage(HWND window, const TWindowState& state) const;

    std::recursive_mutex mutex_;
    std::unique_ptr<TWindowBackend> backend_;
    std::thread::id pumpThread_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

    std::vector<TWindowClass> classes_;
    std::map<HWND, TWindowState> windows_;
    UINT_PTR nextWindow_ = 0x00020000;
    HWND focus_ = nullptr;
    // The window of this application that the system considers active; null in the background.
    HWND foreground_ = nullptr;

    TMessageQueue queue_;
    TRawInput rawInput_;
    POINT pointer_ = {};

    int cursorCount_ = 0;
    bool cursorClipped_ = false;
    RECT cursorClip_ = {};
};
