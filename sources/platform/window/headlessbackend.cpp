#include "platform/window/headlessbackend.h"

#include "platform/window/windowsystem.h"

#include <cstdlib>
#include <iterator>

namespace
{
constexpr RECT kDesktop = {0, 0, 1920, 1080};
constexpr int kRefreshRate = 60;
constexpr TDisplayMode kModes[] = {
    {640, 480, kRefreshRate},  {800, 600, kRefreshRate},  {1024, 768, kRefreshRate},
    {1280, 720, kRefreshRate}, {1280, 800, kRefreshRate}, {1280, 1024, kRefreshRate},
    {1366, 768, kRefreshRate}, {1600, 900, kRefreshRate}, {1920, 1080, kRefreshRate},
};

// A positive frame number from the environment, else 0.
long FrameCount(const char* variable)
{
    const char* frames = std::getenv(variable);
    if (!frames)
        return 0;
    char* end = nullptr;
    const long count = std::strtol(frames, &end, 10);
    return end != frames && *end == 0 && count > 0 ? count : 0;
}
} // namespace

THeadlessBackend::THeadlessBackend()
    : m_nFramesLeft(FrameCount("VESTAMOR_HEADLESS_FRAMES")),
      m_nFocusFramesLeft(FrameCount("VESTAMOR_HEADLESS_FOCUS_LOST"))
{
}

int THeadlessBackend::GetDisplayCount()
{
    return 1;
}

RECT THeadlessBackend::GetDisplayBounds(int display)
{
    return kDesktop;
}

RECT THeadlessBackend::GetDisplayWorkArea(int display)
{
    return kDesktop;
}

int THeadlessBackend::GetDisplayModeCount(int display)
{
    return display == 0 ? static_cast<int>(std::size(kModes)) : 0;
}

bool THeadlessBackend::GetDisplayMode(int display, int index, TDisplayMode* mode)
{
    if (display != 0 || index < 0 || index >= static_cast<int>(std::size(kModes)))
        return false;
    *mode = kModes[index];
    return true;
}

bool THeadlessBackend::CreateNativeWindow(HWND window, const TWindowState& state)
{
    return true;
}

void THeadlessBackend::DestroyNativeWindow(HWND window) {}

void THeadlessBackend::UpdateNativeWindow(HWND window, const TWindowState& state) {}

void THeadlessBackend::PumpEvents() {}

bool THeadlessBackend::PresentPixels(HWND window, const void* pixels, int width, int height, int pitch)
{
    if (m_nFocusFramesLeft > 0 && --m_nFocusFramesLeft == 0)
        TWindowSystem::Get().NativeActivation(window, false);
    if (m_nFramesLeft > 0 && --m_nFramesLeft == 0)
        TWindowSystem::Get().PostMessage(window, WM_CLOSE, 0, 0);
    return true;
}

void THeadlessBackend::ApplyCursor(bool visible, const RECT* clip) {}
