#include "platform/window/winuser.h"

#include "platform/window/windowsystem.h"

namespace
{
TWindowSystem& Layer()
{
    return TWindowSystem::Get();
}

thread_local DWORD s_nLastError = 0;

// A raw-input call's result, its failure noted for GetLastError.
BOOL NoteFailure(BOOL result, DWORD error)
{
    if (!result)
        s_nLastError = error;
    return result;
}

UINT NoteFailure(UINT result, DWORD error)
{
    if (result == static_cast<UINT>(-1))
        s_nLastError = error;
    return result;
}
} // namespace

DWORD GetLastError()
{
    return s_nLastError;
}

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    return Layer().RegisterClass(windowClass);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return Layer().CreateWindow(exStyle, className, windowName, style, x, y, width, height);
}

BOOL DestroyWindow(HWND window)
{
    return Layer().DestroyWindow(window);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    default:
        return 0;
    }
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags)
{
    // Our executables carry no Windows resources: every image is missing, as Windows reports it.
    return nullptr;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    return Layer().GetClientRect(window, rect);
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    return Layer().GetWindowRect(window, rect);
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu)
{
    return TWindowSystem::AdjustWindowRect(rect, style, menu != FALSE);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    return Layer().SetWindowPos(window, insertAfter, x, y, width, height, flags);
}

LONG GetWindowLongW(HWND window, int index)
{
    return Layer().GetWindowLong(window, index);
}

LONG SetWindowLongW(HWND window, int index, LONG value)
{
    return Layer().SetWindowLong(window, index, value);
}

BOOL ShowWindow(HWND window, int command)
{
    return Layer().ShowWindow(window, command);
}

BOOL UpdateWindow(HWND window)
{
    return Layer().UpdateWindow(window);
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
    // Painting is tracked per window, not per area: any validation validates the whole window.
    return Layer().ValidateRect(window);
}

BOOL SetWindowTextW(HWND window, LPCWSTR text)
{
    return Layer().SetWindowText(window, text);
}

int GetWindowTextW(HWND window, LPWSTR text, int capacity)
{
    return Layer().GetWindowText(window, text, capacity);
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    return Layer().GetWindowPlacement(window, placement);
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    return Layer().ClientToScreen(window, point);
}

HWND SetFocus(HWND window)
{
    return Layer().SetFocus(window);
}

HWND GetFocus()
{
    return Layer().GetFocus();
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Layer().PostMessage(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    Layer().PostQuitMessage(exitCode);
}

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return Layer().PeekMessage(message, window, filterMin, filterMax, removeFlags);
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    // Our windows are all Unicode: the narrow calls see the same UTF-16 messages.
    return Layer().PeekMessage(message, window, filterMin, filterMax, removeFlags);
}

BOOL TranslateMessage(const MSG* message)
{
    // The layer posts WM_CHAR itself; what is left is telling key messages apart.
    if (!message)
        return FALSE;
    const UINT kind = message->message;
    return kind == WM_KEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYDOWN || kind == WM_SYSKEYUP;
}

LRESULT DispatchMessageW(const MSG* message)
{
    return Layer().DispatchMessage(message);
}

LRESULT DispatchMessageA(const MSG* message)
{
    return Layer().DispatchMessage(message);
}

int ShowCursor(BOOL show)
{
    return Layer().ShowCursor(show != FALSE);
}

BOOL ClipCursor(const RECT* rect)
{
    return Layer().ClipCursor(rect);
}

BOOL GetClipCursor(RECT* rect)
{
    return Layer().GetClipCursor(rect);
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags)
{
    return Layer().MonitorFromWindow(window, flags);
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info)
{
    return Layer().GetMonitorInfo(monitor, info, false);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info)
{
    return Layer().GetMonitorInfo(monitor, info, true);
}

BOOL RegisterRawInputDevices(const RAWINPUTDEVICE* devices, UINT count, UINT size)
{
    return NoteFailure(Layer().RegisterRawInputDevices(devices, count, size), ERROR_INVALID_PARAMETER);
}

UINT GetRawInputDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size)
{
    // With a list too short Windows reports the size it needs in *count.
    const bool shortList = list && count && size == sizeof(RAWINPUTDEVICELIST);
    return NoteFailure(Layer().GetRawInputDeviceList(list, count, size),
                       shortList ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
}

UINT GetRawInputData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize)
{
    return NoteFailure(Layer().GetRawInputData(input, command, data, size, headerSize), ERROR_INVALID_PARAMETER);
}

LRESULT DefRawInputProc(RAWINPUT** inputs, INT count, UINT headerSize)
{
    // Nothing else consumes raw input here; only the header size is checked, as Windows does.
    return headerSize == sizeof(RAWINPUTHEADER) ? 0 : -1;
}
