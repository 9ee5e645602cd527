#pragma once
// The back end without a display: windows are virtual, nothing is drawn, no event ever arrives
// from outside (tests post the messages). One display of 1920 x 1080 with a fixed mode list.
//
// For scripted runs, VESTAMOR_HEADLESS_FRAMES=N posts WM_CLOSE to the window that presents the
// N-th frame, once: the program then ends as when a player closes the window.
// VESTAMOR_HEADLESS_FOCUS_LOST=N takes the focus from the window that presents the N-th frame,
// once, as when the player switches to another window.
#include "platform/window/windowbackend.h"

class THeadlessBackend : public TWindowBackend
{
public:
    // Reads VESTAMOR_HEADLESS_FRAMES and VESTAMOR_HEADLESS_FOCUS_LOST; anything but a positive
    // number leaves a switch off.
    THeadlessBackend();
    // A frame count is set: the window closes itself.
    bool ClosesItself() const { return m_nFramesLeft > 0; }

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
    bool HasDisplay() const override { return false; }
    void ApplyCursor(bool visible, const RECT* clip) override;

private:
    long m_nFramesLeft;      // 0: no close is due
    long m_nFocusFramesLeft; // 0: no focus loss is due
};
