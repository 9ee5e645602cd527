#pragma once
// What the window layer needs of the system under it: displays, native windows that follow the
// layer's virtual ones, the event pump and the frame copy. The layer itself keeps every window's
// state, so a back end only mirrors it (SDL) or does nothing (headless).
#include "platform/window/winuser.h"

#include <string>

// The layer's record of one window. Rectangles are in screen co-ordinates; the client area is
// the window rectangle less the frame of the style.
struct TWindowState
{
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT windowRect = {};
    std::u16string title;
    bool visible = false;
    bool topmost = false;
    bool minimised = false;
    bool maximised = false;
    bool needsPaint = false;
};

struct TDisplayMode
{
    int width;
    int height;
    int refreshRate;
};

class TWindowBackend
{
public:
    virtual ~TWindowBackend() = default;

    virtual int GetDisplayCount() = 0;
    // Bounds and work area of a display that exists, in screen co-ordinates.
    virtual RECT GetDisplayBounds(int display) = 0;
    virtual RECT GetDisplayWorkArea(int display) = 0;
    virtual int GetDisplayModeCount(int display) = 0;
    virtual bool GetDisplayMode(int display, int index, TDisplayMode* mode) = 0;

    virtual bool CreateNativeWindow(HWND window, const TWindowState& state) = 0;
    virtual void DestroyNativeWindow(HWND window) = 0;
    // Brings the native window in line with the layer's state.
    virtual void UpdateNativeWindow(HWND window, const TWindowState& state) = 0;
    // Turns the system's pending events into the layer's messages. Called on the thread that
    // started the layer only.
    virtual void PumpEvents() = 0;
    virtual bool PresentPixels(HWND window, const void* pixels, int width, int height, int pitch) = 0;
    // Whether the windows are shown on a display (whose refresh a present may wait for).
    virtual bool HasDisplay() const = 0;
    // Cursor visibility and the clip rectangle in screen co-ordinates (null: none).
    virtual void ApplyCursor(bool visible, const RECT* clip) = 0;
};
