#pragma once
// The back end without a display: windows are virtual, nothing is drawn, no event ever arrives
// from outside (tests post the messages). One display of 1920 x 1080 with a fixed mode list.
#include "platform/window/windowbackend.h"

class THeadlessBackend : public TWindowBackend
{
public:
    int GetDisplayCount() override;
    RECT GetDisplayBounds(int display) override;
    RECT GetDisplayWorkArea(int display) override;
    int GetDisplayModeCount(int display) override;
    bool GetDisplayMode(int display, int index, TDisplayMode* mode) override;

    bool CreateNativeWindow(HWND window, const TWindowState& state) override;
    void DestroyNativeWindow(HWND window) override;
    void UpdateNativeWindow(HWND window, const TWindowState& state) override;
    void PumpEvents() override;
    bool PresentPixels(HWND window, const void* pixels, int width, int height, int pitch) override;
    void ApplyCursor(bool visible, const RECT* clip) override;
};
