#pragma once
// The back end over SDL2 video: one SDL window per layer window, kept in line with the layer's
// state (a window without frame that covers a whole display becomes SDL desktop full screen),
// SDL's events translated into messages, frames copied through the window surface.
#include "platform/window/sdleventtranslator.h"
#include "platform/window/windowbackend.h"

#include <SDL2/SDL_video.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class TSdlBackend : public TWindowBackend
{
public:
    // Starts SDL's video subsystem; null, with the reason on the standard error, when it fails.
    static std::unique_ptr<TWindowBackend> Start();
    ~TSdlBackend() override;

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
    bool HasDisplay() const override { return true; }
    void ApplyCursor(bool visible, const RECT* clip) override;

private:
    TSdlBackend() = default;

    struct TNativeWindow
    {
        SDL_Window* window = nullptr;
        TWindowState applied; // the state the SDL window shows
        bool fullScreen = false;
    };

    const std::vector<TDisplayMode>& Modes(int display);
    int FullScreenDisplay(const TWindowState& state);
    void ApplyClip(const TNativeWindow& native);
    HWND FindWindow(Uint32 windowId) const;

    std::map<HWND, TNativeWindow> windows_;
    std::map<int, std::vector<TDisplayMode>> modes_;
    std::optional<RECT> clip_;
    TSdlEventTranslator translator_;
};
