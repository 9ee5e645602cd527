#include "platform/window/windowsystem.h"

#include "platform/desktop/display.h"
#include "platform/desktop/terminationrequest.h"
#include "platform/window/headlessbackend.h"
#include "platform/window/sdlbackend.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
// Frame widths of the virtual window frame (the sizes of a Windows 10 frame).
constexpr LONG kSizingBorder = 8;
constexpr LONG kDialogBorder = 3;
constexpr LONG kThinBorder = 1;
constexpr LONG kCaptionHeight = 23;
constexpr LONG kMenuHeight = 20;
// Window size and place for CW_USEDEFAULT.
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
constexpr int kDefaultOffset = 50;
// Window positions and sizes stay within what WM_SIZE can carry, so that no sum overflows.
constexpr int kCoordinateLimit = 32767;

int ClampPosition(int value)
{
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

int ClampSize(int value)
{
    return std::clamp(value, 0, kCoordinateLimit);
}

LONG Width(const RECT& rect)
{
    return rect.right - rect.left;
}

LONG Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT result = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)};
    if (result.right < result.left)
        result.right = result.left;
    if (result.bottom < result.top)
        result.bottom = result.top;
    return result;
}

// Sums of caller's co-ordinates saturate instead of wrapping around.
LONG AddClamped(LONG value, LONG offset)
{
    return static_cast<LONG>(
        std::clamp<long long>(static_cast<long long>(value) + offset, INT32_MIN, INT32_MAX));
}

long long Area(const RECT& rect)
{
    return static_cast<long long>(Width(rect)) * Height(rect);
}

HMONITOR MonitorOfDisplay(int display)
{
    return reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(display + 1));
}

int DisplayOfMonitor(HMONITOR monitor)
{
    return static_cast<int>(reinterpret_cast<UINT_PTR>(monitor)) - 1;
}
} // namespace

TWindowSystem& TWindowSystem::Get()
{
    // Never destroyed: window procedures and other layers may still call in during exit.
    static TWindowSystem* system = new TWindowSystem;
    return *system;
}

bool TWindowSystem::SetBackend(std::unique_ptr<TWindowBackend> backend)
{
    std::lock_guard lock(mutex_);
    if (!windows_.empty())
        return false;
    backend_ = std::move(backend);
    pumpThread_ = std::this_thread::get_id();
    return true;
}

TWindowBackend& TWindowSystem::Backend()
{
    if (!backend_)
    {
        if (PlatformHasDisplay())
            backend_ = TSdlBackend::Start();
        if (!backend_)
        {
            auto headless = std::make_unique<THeadlessBackend>();
            // Nothing will close the window but a signal or the program itself.
            if (!headless->ClosesItself())
                std::fprintf(stderr, "headless window without VESTAMOR_HEADLESS_FRAMES: the program runs "
                                     "until it quits or gets SIGTERM, SIGINT or SIGHUP\n");
            backend_ = std::move(headless);
        }
        pumpThread_ = std::this_thread::get_id();
    }
    return *backend_;
}

RECT TWindowSystem::GetFrame(DWORD style, bool menu)
{
    LONG border = 0;
    if (style & WS_THICKFRAME)
        border = kSizingBorder;
    else if (style & WS_DLGFRAME)
        border = kDialogBorder;
    else if (style & WS_BORDER)
        border = kThinBorder;
    RECT frame = {border, border, border, border};
    if ((style & WS_CAPTION) == WS_CAPTION)
        frame.top += kCaptionHeight;
    if (menu)
        frame.top += kMenuHeight;
    return frame;
}

TWindowState* TWindowSystem::Find(HWND window)
{
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : &found->second;
}

BOOL TWindowSystem::AdjustWindowRect(RECT* rect, DWORD style, bool menu)
{
    if (!rect)
        return FALSE;
    const RECT frame = GetFrame(style, menu);
    rect->left = AddClamped(rect->left, -frame.left);
    rect->top = AddClamped(rect->top, -frame.top);
    rect->right = AddClamped(rect->right, frame.right);
    rect->bottom = AddClamped(rect->bottom, frame.bottom);
    return TRUE;
}

RECT TWindowSystem::GetClientArea(const TWindowState& state)
{
    const RECT frame = GetFrame(state.style, false);
    RECT client = {state.windowRect.left + frame.left, state.windowRect.top + frame.top,
                   state.windowRect.right - frame.right, state.windowRect.bottom - frame.bottom};
    if (client.right < client.left)
        client.right = client.left;
    if (client.bottom < client.top)
        client.bottom = client.top;
    return client;
}

DWORD TWindowSystem::Now() const
{
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

bool TWindowSystem::PostLocked(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return queue_.Post(MSG{window, message, wParam, lParam, Now(), pointer_});
}

TWindowSystem::TSentMessage TWindowSystem::SizeMessage(HWND window, const TWindowState& state) const
{
    const RECT client = GetClientArea(state);
    const WPARAM kind = state.maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
    return {state.procedure, window, WM_SIZE, kind,
            MAKELPARAM(static_cast<WORD>(Width(client)), static_cast<WORD>(Height(client)))};
}

ATOM TWindowSystem::RegisterClass(const WNDCLASSEXW* windowClass)
{
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || windowClass->lpszClassName[0] == 0)
        return 0;
    std::lock_guard lock(mutex_);
    const std::u16string name = windowClass->lpszClassName;
    for (const TWindowClass& existing : classes_)
        if (existing.name == name)
            return 0;
    classes_.push_back({name, windowClass->lpfnWndProc});
    // Atoms of registered classes start at 0xC000.
    return static_cast<ATOM>(0xC000 + classes_.size() - 1);
}

HWND TWindowSystem::CreateWindow(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                                 int y, int width, int height)
{
    if (!className)
        return nullptr;
    std::lock_guard lock(mutex_);
    const std::u16string name = className;
    auto windowClass = std::find_if(classes_.begin(), classes_.end(),
                                    [&](const TWindowClass& known) { return known.name == name; });
    if (windowClass == classes_.end())
        return nullptr;

    const RECT work = Backend().GetDisplayWorkArea(0);
    if (x == CW_USEDEFAULT)
        x = work.left + kDefaultOffset, y = work.top + kDefaultOffset;
    if (width == CW_USEDEFAULT)
        width = kDefaultWidth, height = kDefaultHeight;
    TWindowState state;
    state.procedure = windowClass->procedure;
    state.style = style & ~WS_VISIBLE;
    state.exStyle = exStyle;
    x = ClampPosition(x), y = ClampPosition(y);
    LimitToDesktop(style, width, height);
    state.windowRect = {x, y, x + width, y + height};
    state.title = windowName ? windowName : u"";

    HWND window = reinterpret_cast<HWND>(nextWindow_);
    nextWindow_ += 2;
    if (!Backend().CreateNativeWindow(window, state))
        return nullptr;
    TWindowState& stored = windows_.emplace(window, std::move(state)).first->second;
    if (style & WS_VISIBLE)
        Show(window, stored, true);
    Backend().UpdateNativeWindow(window, stored);
    return window;
}

BOOL TWindowSystem::DestroyWindow(HWND window)
{
    TSentMessage destroy;
    {
        std::lock_guard lock(mutex_);
        TWindowState* state = Find(window);
        if (!state)
            return FALSE;
        destroy = {state->procedure, window, WM_DESTROY, 0, 0};
    }
    destroy.Send();
    std::lock_guard lock(mutex_);
    // The procedure may have destroyed the window itself.
    if (!Find(window))
        return TRUE;
    Backend().DestroyNativeWindow(window);
    windows_.erase(window);
    queue_.RemoveWindow(window);
    rawInput_.RemoveWindow(window);
    if (focus_ == window)
        focus_ = nullptr;
    if (foreground_ == window)
        foreground_ = nullptr;
    return TRUE;
}

BOOL TWindowSystem::GetClientRect(HWND window, RECT* rect)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state || !rect)
        return FALSE;
    const RECT client = GetClientArea(*state);
    *rect = state->minimised ? RECT{} : RECT{0, 0, Width(client), Height(client)};
    return TRUE;
}

BOOL TWindowSystem::GetWindowRect(HWND window, RECT* rect)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state || !rect)
        return FALSE;
    *rect = state->windowRect;
    return TRUE;
}

void TWindowSystem::Show(HWND window, TWindowState& state, bool show)
{
    if (show && !state.visible)
    {
        state.needsPaint = true;
        // Showing the first window of the application makes it the active one, as on Windows.
        if (!foreground_)
            foreground_ = focus_ = window;
    }
    state.visible = show;
}

BOOL TWindowSystem::SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height,
                                 UINT flags)
{
    TSentMessage size;
    {
        std::lock_guard lock(mutex_);
        TWindowState* state = Find(window);
        if (!state)
            return FALSE;
        const RECT oldClient = GetClientArea(*state);
        RECT& rect = state->windowRect;
        if (!(flags & SWP_NOMOVE))
            rect = {ClampPosition(x), ClampPosition(y), ClampPosition(x) + Width(rect),
                    ClampPosition(y) + Height(rect)};
        if (!(flags & SWP_NOSIZE))
        {
            LimitToDesktop(state->style, width, height);
            rect.right = rect.left + width, rect.bottom = rect.top + height;
        }
        if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
            state->minimised = state->maximised = false;
        if (!(flags & SWP_NOZORDER))
        {
            if (insertAfter == HWND_TOPMOST)
                state->topmost = true;
            else if (insertAfter == HWND_NOTOPMOST)
                state->topmost = false;
        }
        if (flags & SWP_SHOWWINDOW)
            Show(window, *state, true);
        else if (flags & SWP_HIDEWINDOW)
            Show(window, *state, false);
        Backend().UpdateNativeWindow(window, *state);
        const RECT newClient = GetClientArea(*state);
        if (Width(newClient) != Width(oldClient) || Height(newClient) != Height(oldClient))
            size = SizeMessage(window, *state);
    }
    size.Send();
    return TRUE;
}

LONG TWindowSystem::GetWindowLong(HWND window, int index)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state)
        return 0;
    if (index == GWL_STYLE)
        return static_cast<LONG>(state->style | (state->visible ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE)
        return static_cast<LONG>(state->exStyle);
    return 0;
}

LONG TWindowSystem::SetWindowLong(HWND window, int index, LONG value)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || (index != GWL_STYLE && index != GWL_EXSTYLE))
        return 0;
    const LONG previous = GetWindowLong(window, index);
    // Visibility is changed by ShowWindow and SetWindowPos only.
    if (index == GWL_STYLE)
        state->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
    else
        state->exStyle = static_cast<DWORD>(value);
    Backend().UpdateNativeWindow(window, *state);
    return previous;
}

BOOL TWindowSystem::ShowWindow(HWND window, int command)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state)
        return FALSE;
    const bool wasVisible = state->visible;
    Show(window, *state, command != SW_HIDE);
    Backend().UpdateNativeWindow(window, *state);
    return wasVisible ? TRUE : FALSE;
}

BOOL TWindowSystem::UpdateWindow(HWND window)
{
    TSentMessage paint;
    {
        std::lock_guard lock(mutex_);
        const TWindowState* state = Find(window);
        if (!state)
            return FALSE;
        if (state->visible && state->needsPaint)
            paint = {state->procedure, window, WM_PAINT, 0, 0};
    }
    paint.Send();
    return TRUE;
}

BOOL TWindowSystem::ValidateRect(HWND window)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state)
        return FALSE;
    state->needsPaint = false;
    return TRUE;
}

BOOL TWindowSystem::SetWindowText(HWND window, LPCWSTR text)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state)
        return FALSE;
    state->title = text ? text : u"";
    Backend().UpdateNativeWindow(window, *state);
    return TRUE;
}

int TWindowSystem::GetWindowText(HWND window, LPWSTR text, int capacity)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state || !text || capacity <= 0)
        return 0;
    const int length = std::min(static_cast<int>(state->title.size()), capacity - 1);
    std::copy_n(state->title.data(), length, text);
    text[length] = 0;
    return length;
}

BOOL TWindowSystem::GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state || !placement || placement->length != sizeof(WINDOWPLACEMENT))
        return FALSE;
    placement->flags = 0;
    placement->showCmd = state->minimised   ? SW_SHOWMINIMIZED
                         : state->maximised ? SW_SHOWMAXIMIZED
                                            : SW_SHOWNORMAL;
    placement->ptMinPosition = {-1, -1};
    placement->ptMaxPosition = {-1, -1};
    placement->rcNormalPosition = state->windowRect;
    return TRUE;
}

BOOL TWindowSystem::ClientToScreen(HWND window, POINT* point)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state || !point)
        return FALSE;
    const RECT client = GetClientArea(*state);
    point->x = AddClamped(point->x, client.left);
    point->y = AddClamped(point->y, client.top);
    return TRUE;
}

HWND TWindowSystem::SetFocus(HWND window)
{
    std::lock_guard lock(mutex_);
    if (window && !Find(window))
        return nullptr;
    const HWND previous = focus_;
    focus_ = window;
    return previous;
}

HWND TWindowSystem::GetFocus()
{
    std::lock_guard lock(mutex_);
    return focus_;
}

BOOL TWindowSystem::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(mutex_);
    if (window && !Find(window))
        return FALSE;
    return PostLocked(window, message, wParam, lParam) ? TRUE : FALSE;
}

void TWindowSystem::PostQuitMessage(int exitCode)
{
    std::lock_guard lock(mutex_);
    queue_.PostQuit(exitCode);
}

BOOL TWindowSystem::PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!message)
        return FALSE;
    std::lock_guard lock(mutex_);
    if (std::this_thread::get_id() == pumpThread_)
    {
        Backend().PumpEvents();
        // A termination signal closes the windows, as the player would; with no window yet
        // the request waits for one.
        if (!windows_.empty() && TakeTerminationRequest())
            for (const auto& [handle, state] : windows_)
                PostLocked(handle, WM_CLOSE, 0, 0);
    }
    if (queue_.Take(message, window, filterMin, filterMax, removeFlags & PM_REMOVE))
    {
        if (message->message == WM_QUIT)
            message->time = Now(), message->pt = pointer_;
        return TRUE;
    }
    // WM_PAINT is not queued: it stands for a window that needs painting, until validated.
    if (!TMessageQueue::InRange(WM_PAINT, filterMin, filterMax))
        return FALSE;
    for (const auto& [handle, state] : windows_)
    {
        if ((window == nullptr || window == handle) && state.visible && state.needsPaint)
        {
            *message = MSG{handle, WM_PAINT, 0, 0, Now(), pointer_};
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT TWindowSystem::DispatchMessage(const MSG* message)
{
    if (!message)
        return 0;
    TSentMessage sent;
    {
        std::lock_guard lock(mutex_);
        const TWindowState* state = Find(message->hwnd);
        if (!state)
            return 0;
        sent = {state->procedure, message->hwnd, message->message, message->wParam, message->lParam};
    }
    return sent.Send();
}

void TWindowSystem::ApplyCursor()
{
    Backend().ApplyCursor(cursorCount_ >= 0, cursorClipped_ ? &cursorClip_ : nullptr);
}

int TWindowSystem::ShowCursor(bool show)
{
    std::lock_guard lock(mutex_);
    cursorCount_ += show ? 1 : -1;
    ApplyCursor();
    return cursorCount_;
}

RECT TWindowSystem::DesktopBounds()
{
    RECT bounds = Backend().GetDisplayBounds(0);
    for (int display = 1; display < Backend().GetDisplayCount(); ++display)
    {
        const RECT other = Backend().GetDisplayBounds(display);
        bounds = {std::min(bounds.left, other.left), std::min(bounds.top, other.top),
                  std::max(bounds.right, other.right), std::max(bounds.bottom, other.bottom)};
    }
    return bounds;
}

void TWindowSystem::LimitToDesktop(DWORD style, int& width, int& height)
{
    const RECT desktop = DesktopBounds();
    const RECT frame = GetFrame(style, false);
    width = std::min(ClampSize(width), static_cast<int>(Width(desktop) + frame.left + frame.right));
    height = std::min(ClampSize(height), static_cast<int>(Height(desktop) + frame.top + frame.bottom));
}

BOOL TWindowSystem::ClipCursor(const RECT* rect)
{
    std::lock_guard lock(mutex_);
    cursorClipped_ = rect != nullptr;
    if (rect)
    {
        // A reversed rectangle is taken by its corners; like Windows, the clip stays on screen.
        const RECT ordered = {std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                              std::max(rect->left, rect->right), std::max(rect->top, rect->bottom)};
        cursorClip_ = Intersect(ordered, DesktopBounds());
    }
    ApplyCursor();
    return TRUE;
}

BOOL TWindowSystem::GetClipCursor(RECT* rect)
{
    if (!rect)
        return FALSE;
    std::lock_guard lock(mutex_);
    *rect = cursorClipped_ ? cursorClip_ : DesktopBounds();
    return TRUE;
}

HMONITOR TWindowSystem::MonitorFromWindow(HWND window, DWORD flags)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    const HMONITOR fallback = flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorOfDisplay(0);
    if (!state)
        return fallback;
    int best = -1;
    long long bestArea = 0;
    for (int display = 0; display < Backend().GetDisplayCount(); ++display)
    {
        const long long area = Area(Intersect(state->windowRect, Backend().GetDisplayBounds(display)));
        if (area > bestArea)
            best = display, bestArea = area;
    }
    if (best >= 0)
        return MonitorOfDisplay(best);
    if (flags != MONITOR_DEFAULTTONEAREST)
        return fallback;
    // Off every display: the one whose centre is nearest to the window's centre.
    const LONG x = (state->windowRect.left + state->windowRect.right) / 2;
    const LONG y = (state->windowRect.top + state->windowRect.bottom) / 2;
    long long bestDistance = -1;
    for (int display = 0; display < Backend().GetDisplayCount(); ++display)
    {
        const RECT bounds = Backend().GetDisplayBounds(display);
        const long long dx = (bounds.left + bounds.right) / 2 - x;
        const long long dy = (bounds.top + bounds.bottom) / 2 - y;
        if (bestDistance < 0 || dx * dx + dy * dy < bestDistance)
            best = display, bestDistance = dx * dx + dy * dy;
    }
    return MonitorOfDisplay(std::max(best, 0));
}

BOOL TWindowSystem::GetMonitorInfo(HMONITOR monitor, MONITORINFO* info, bool wide)
{
    if (!info)
        return FALSE;
    const DWORD extendedSize = wide ? sizeof(MONITORINFOEXW) : sizeof(MONITORINFOEXA);
    if (info->cbSize != sizeof(MONITORINFO) && info->cbSize != extendedSize)
        return FALSE;
    std::lock_guard lock(mutex_);
    const int display = DisplayOfMonitor(monitor);
    if (display < 0 || display >= Backend().GetDisplayCount())
        return FALSE;
    info->rcMonitor = Backend().GetDisplayBounds(display);
    info->rcWork = Backend().GetDisplayWorkArea(display);
    info->dwFlags = display == 0 ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize == extendedSize)
    {
        char device[32];
        std::snprintf(device, sizeof(device), "\\\\.\\DISPLAY%d", display + 1);
        if (wide)
            std::copy_n(device, sizeof(device), static_cast<MONITORINFOEXW*>(info)->szDevice);
        else
            std::memcpy(static_cast<MONITORINFOEXA*>(info)->szDevice, device, sizeof(device));
    }
    return TRUE;
}

BOOL TWindowSystem::RegisterRawInputDevices(const RAWINPUTDEVICE* devices, UINT count, UINT size)
{
    std::lock_guard lock(mutex_);
    for (UINT i = 0; devices && i < count; ++i)
        if (devices[i].hwndTarget && !Find(devices[i].hwndTarget))
            return FALSE;
    return rawInput_.Register(devices, count, size);
}

UINT TWindowSystem::GetRawInputDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size)
{
    std::lock_guard lock(mutex_);
    return rawInput_.GetDeviceList(list, count, size);
}

UINT TWindowSystem::GetRawInputData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize)
{
    std::lock_guard lock(mutex_);
    return rawInput_.GetData(input, command, data, size, headerSize);
}

int TWindowSystem::GetAdapterCount()
{
    std::lock_guard lock(mutex_);
    return Backend().GetDisplayCount();
}

int TWindowSystem::GetDisplayModeCount(int adapter)
{
    std::lock_guard lock(mutex_);
    if (adapter < 0 || adapter >= Backend().GetDisplayCount())
        return 0;
    return Backend().GetDisplayModeCount(adapter);
}

bool TWindowSystem::GetDisplayMode(int adapter, int index, TDisplayMode* mode)
{
    std::lock_guard lock(mutex_);
    if (adapter < 0 || adapter >= Backend().GetDisplayCount())
        return false;
    return Backend().GetDisplayMode(adapter, index, mode);
}

HMONITOR TWindowSystem::GetAdapterMonitor(int adapter)
{
    std::lock_guard lock(mutex_);
    if (adapter < 0 || adapter >= Backend().GetDisplayCount())
        return nullptr;
    return MonitorOfDisplay(adapter);
}

bool TWindowSystem::PresentPixels(HWND window, const void* pixels, int width, int height, int pitch)
{
    std::lock_guard lock(mutex_);
    if (!Find(window) || !pixels || width <= 0 || height <= 0 || pitch / 4 < width)
        return false;
    return Backend().PresentPixels(window, pixels, width, height, pitch);
}

bool TWindowSystem::IsOnDisplay(HWND window)
{
    std::lock_guard lock(mutex_);
    return Find(window) && Backend().HasDisplay();
}

void TWindowSystem::NativeMoved(HWND window, int x, int y)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || state->minimised)
        return;
    const RECT client = GetClientArea(*state);
    const LONG dx = x - client.left;
    const LONG dy = y - client.top;
    state->windowRect = {state->windowRect.left + dx, state->windowRect.top + dy,
                         state->windowRect.right + dx, state->windowRect.bottom + dy};
}

void TWindowSystem::NativeResized(HWND window, int width, int height)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || state->minimised)
        return;
    const RECT client = GetClientArea(*state);
    if (Width(client) == width && Height(client) == height)
        return;
    state->windowRect.right += width - Width(client);
    state->windowRect.bottom += height - Height(client);
    state->needsPaint = true;
    const TSentMessage size = SizeMessage(window, *state);
    PostLocked(window, WM_SIZE, size.wParam, size.lParam);
}

void TWindowSystem::NativeMinimised(HWND window)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || state->minimised)
        return;
    state->minimised = true;
    PostLocked(window, WM_SIZE, SIZE_MINIMIZED, 0);
    NativeActivation(window, false);
}

void TWindowSystem::NativeMaximised(HWND window)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || state->maximised)
        return;
    state->minimised = false;
    state->maximised = true;
    const TSentMessage size = SizeMessage(window, *state);
    PostLocked(window, WM_SIZE, size.wParam, size.lParam);
}

void TWindowSystem::NativeRestored(HWND window)
{
    std::lock_guard lock(mutex_);
    TWindowState* state = Find(window);
    if (!state || (!state->minimised && !state->maximised))
        return;
    state->minimised = state->maximised = false;
    state->needsPaint = true;
    const TSentMessage size = SizeMessage(window, *state);
    PostLocked(window, WM_SIZE, size.wParam, size.lParam);
}

void TWindowSystem::NativeActivation(HWND window, bool active)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state)
        return;
    if (active && foreground_ != window)
    {
        foreground_ = focus_ = window;
        PostLocked(window, WM_ACTIVATEAPP, TRUE, 0);
        PostLocked(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        ApplyCursor();
    }
    else if (!active && foreground_ == window)
    {
        foreground_ = focus_ = nullptr;
        PostLocked(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, state->minimised ? 1 : 0), 0);
        PostLocked(window, WM_ACTIVATEAPP, FALSE, 0);
    }
}

void TWindowSystem::NativeExposed(HWND window)
{
    std::lock_guard lock(mutex_);
    if (TWindowState* state = Find(window))
        state->needsPaint = true;
}

void TWindowSystem::PostRawInput(RAWINPUT record)
{
    std::lock_guard lock(mutex_);
    const DWORD type = record.header.dwType;
    const TRawInput::TRegistration& registration = rawInput_.GetRegistration(type);
    if (!registration.registered)
        return;
    const HWND target = registration.target ? registration.target : focus_;
    const bool foreground = foreground_ != nullptr;
    if (!target || (!foreground && !(registration.flags & RIDEV_INPUTSINK)))
        return;
    const WPARAM code = foreground ? RIM_INPUT : RIM_INPUTSINK;
    record.header.dwSize = TRawInput::RecordSize(type);
    record.header.hDevice = type == RIM_TYPEMOUSE ? TRawInput::kMouseDevice : TRawInput::kKeyboardDevice;
    record.header.wParam = code;
    const HRAWINPUT handle = rawInput_.Store(record);
    PostLocked(target, WM_INPUT, code, reinterpret_cast<LPARAM>(handle));
}

void TWindowSystem::SetPointerPosition(HWND window, int x, int y)
{
    std::lock_guard lock(mutex_);
    const TWindowState* state = Find(window);
    if (!state)
        return;
    const RECT client = GetClientArea(*state);
    pointer_ = {client.left + x, client.top + y};
}
