#include "platform/window/sdlbackend.h"

#include "platform/window/textconversion.h"
#include "platform/window/windowsystem.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>

namespace
{
// SDL leaves the refresh rate 0 when the system does not tell it.
constexpr int kAssumedRefreshRate = 60;
constexpr int kEventBatch = 64;

RECT ToRect(const SDL_Rect& rect)
{
    return {rect.x, rect.y, rect.x + rect.w, rect.y + rect.h};
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool HasFrame(DWORD style)
{
    return (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0;
}

Uint32 EventWindowId(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    default:
        return 0;
    }
}
} // namespace

std::unique_ptr<TWindowBackend> TSdlBackend::Start()
{
    // Ctrl+C must stay a signal for the process, not become an SDL quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Frames are drawn in software: a window surface backed by a renderer texture would make
    // SDL re-create the native window at its first present, back at its creation position.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "window: SDL video failed to start (%s); running without a display\n",
                     SDL_GetError());
        return nullptr;
    }
    SDL_StartTextInput();
    return std::unique_ptr<TWindowBackend>(new TSdlBackend);
}

TSdlBackend::~TSdlBackend()
{
    for (auto& [handle, native] : windows_)
        SDL_DestroyWindow(native.window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int TSdlBackend::GetDisplayCount()
{
    return std::max(SDL_GetNumVideoDisplays(), 0);
}

RECT TSdlBackend::GetDisplayBounds(int display)
{
    SDL_Rect bounds = {};
    SDL_GetDisplayBounds(display, &bounds);
    return ToRect(bounds);
}

RECT TSdlBackend::GetDisplayWorkArea(int display)
{
    SDL_Rect bounds = {};
    if (SDL_GetDisplayUsableBounds(display, &bounds) != 0)
        SDL_GetDisplayBounds(display, &bounds);
    return ToRect(bounds);
}

const std::vector<TDisplayMode>& TSdlBackend::Modes(int display)
{
    auto cached = modes_.find(display);
    if (cached != modes_.end())
        return cached->second;
    std::vector<TDisplayMode>& modes = modes_[display];
    for (int i = 0; i < SDL_GetNumDisplayModes(display); ++i)
    {
        SDL_DisplayMode sdlMode = {};
        if (SDL_GetDisplayMode(display, i, &sdlMode) != 0)
            continue;
        // SDL lists a mode once per pixel format; the device layer only sees 32-bit modes.
        const TDisplayMode mode = {sdlMode.w, sdlMode.h,
                                   sdlMode.refresh_rate ? sdlMode.refresh_rate : kAssumedRefreshRate};
        const bool listed = std::any_of(modes.begin(), modes.end(), [&](const TDisplayMode& other) {
            return other.width == mode.width && other.height == mode.height &&
                   other.refreshRate == mode.refreshRate;
        });
        if (!listed)
            modes.push_back(mode);
    }
    return modes;
}

int TSdlBackend::GetDisplayModeCount(int display)
{
    return static_cast<int>(Modes(display).size());
}

bool TSdlBackend::GetDisplayMode(int display, int index, TDisplayMode* mode)
{
    const std::vector<TDisplayMode>& modes = Modes(display);
    if (index < 0 || index >= static_cast<int>(modes.size()))
        return false;
    *mode = modes[index];
    return true;
}

HWND TSdlBackend::FindWindow(Uint32 windowId) const
{
    for (const auto& [handle, native] : windows_)
        if (SDL_GetWindowID(native.window) == windowId)
            return handle;
    return nullptr;
}

bool TSdlBackend::CreateNativeWindow(HWND window, const TWindowState& state)
{
    const RECT client = TWindowSystem::GetClientArea(state);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (state.style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    if (!HasFrame(state.style))
        flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* sdlWindow = SDL_CreateWindow(Utf16ToUtf8(state.title).c_str(), client.left, client.top,
                                             std::max<int>(client.right - client.left, 1),
                                             std::max<int>(client.bottom - client.top, 1), flags);
    if (!sdlWindow)
    {
        std::fprintf(stderr, "window: SDL could not create a window (%s)\n", SDL_GetError());
        return false;
    }
    TNativeWindow& native = windows_[window];
    native.window = sdlWindow;
    native.applied = state;
    native.applied.visible = false;
    return true;
}

void TSdlBackend::DestroyNativeWindow(HWND window)
{
    auto found = windows_.find(window);
    if (found == windows_.end())
        return;
    SDL_DestroyWindow(found->second.window);
    windows_.erase(found);
}

int TSdlBackend::FullScreenDisplay(const TWindowState& state)
{
    if (HasFrame(state.style) || !state.visible)
        return -1;
    for (int display = 0; display < GetDisplayCount(); ++display)
        if (SameRect(state.windowRect, GetDisplayBounds(display)))
            return display;
    return -1;
}

void TSdlBackend::UpdateNativeWindow(HWND window, const TWindowState& state)
{
    auto found = windows_.find(window);
    if (found == windows_.end())
        return;
    TNativeWindow& native = found->second;
    SDL_Window* sdlWindow = native.window;
    TWindowState& applied = native.applied;
    // Full screen is how Windows programs ask for it: no frame, covering a whole display.
    const int fullScreenDisplay = FullScreenDisplay(state);

    if (state.title != applied.title)
        SDL_SetWindowTitle(sdlWindow, Utf16ToUtf8(state.title).c_str());
    if (fullScreenDisplay < 0 && native.fullScreen)
    {
        SDL_SetWindowFullscreen(sdlWindow, 0);
        native.fullScreen = false;
    }
    if (HasFrame(state.style) != HasFrame(applied.style))
        SDL_SetWindowBordered(sdlWindow, HasFrame(state.style) ? SDL_TRUE : SDL_FALSE);
    if ((state.style & WS_THICKFRAME) != (applied.style & WS_THICKFRAME))
        SDL_SetWindowResizable(sdlWindow, (state.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    if (state.topmost != applied.topmost)
        SDL_SetWindowAlwaysOnTop(sdlWindow, state.topmost ? SDL_TRUE : SDL_FALSE);

    const RECT client = TWindowSystem::GetClientArea(state);
    const RECT appliedClient = TWindowSystem::GetClientArea(applied);
    if (fullScreenDisplay < 0 && !SameRect(client, appliedClient))
    {
        if (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MAXIMIZED)
            SDL_RestoreWindow(sdlWindow);
        SDL_SetWindowPosition(sdlWindow, client.left, client.top);
        SDL_SetWindowSize(sdlWindow, std::max<int>(client.right - client.left, 1),
                          std::max<int>(client.bottom - client.top, 1));
    }
    if (state.visible && !applied.visible)
        SDL_ShowWindow(sdlWindow);
    else if (!state.visible && applied.visible)
        SDL_HideWindow(sdlWindow);
    if (fullScreenDisplay >= 0 && !native.fullScreen)
    {
        // Without a window manager nobody grows the window to the display on the full-screen
        // request: it is given the display's size first.
        SDL_SetWindowPosition(sdlWindow, client.left, client.top);
        SDL_SetWindowSize(sdlWindow, std::max<int>(client.right - client.left, 1),
                          std::max<int>(client.bottom - client.top, 1));
        SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
        native.fullScreen = true;
    }
    applied = state;
    ApplyClip(native);
}

void TSdlBackend::PumpEvents()
{
    SDL_PumpEvents();
    SDL_Event events[kEventBatch];
    int count;
    while ((count = SDL_PeepEvents(events, kEventBatch, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
        for (int i = 0; i < count; ++i)
            translator_.Translate(events[i], FindWindow(EventWindowId(events[i])));
}

bool TSdlBackend::PresentPixels(HWND window, const void* pixels, int width, int height, int pitch)
{
    auto found = windows_.find(window);
    if (found == windows_.end())
        return false;
    SDL_Surface* target = SDL_GetWindowSurface(found->second.window);
    // SDL only reads the pixels; its interface is not const.
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), width, height, 32,
                                                            pitch, SDL_PIXELFORMAT_RGB888);
    bool copied = false;
    if (target && frame)
        copied = SDL_BlitScaled(frame, nullptr, target, nullptr) == 0 &&
                 SDL_UpdateWindowSurface(found->second.window) == 0;
    SDL_FreeSurface(frame);
    return copied;
}

void TSdlBackend::ApplyClip(const TNativeWindow& native)
{
    if (!clip_)
    {
        SDL_SetWindowMouseRect(native.window, nullptr);
        return;
    }
    // SDL confines the pointer inside one window: the part of the clip that lies over it.
    const RECT client = TWindowSystem::GetClientArea(native.applied);
    const int left = std::max(clip_->left, client.left);
    const int top = std::max(clip_->top, client.top);
    const int right = std::min(clip_->right, client.right);
    const int bottom = std::min(clip_->bottom, client.bottom);
    if (right <= left || bottom <= top)
    {
        SDL_SetWindowMouseRect(native.window, nullptr);
        return;
    }
    const SDL_Rect area = {left - client.left, top - client.top, right - left, bottom - top};
    SDL_SetWindowMouseRect(native.window, &area);
}

void TSdlBackend::ApplyCursor(bool visible, const RECT* clip)
{
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    clip_ = clip ? std::optional<RECT>(*clip) : std::nullopt;
    for (const auto& [handle, native] : windows_)
        ApplyClip(native);
}
