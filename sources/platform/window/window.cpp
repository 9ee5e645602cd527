#include "platform/window/window.h"

#include "platform/window/windowsystem.h"

bool WindowPresentPixels(HWND window, const void* pixels, int width, int height, int pitch)
{
    return TWindowSystem::Get().PresentPixels(window, pixels, width, height, pitch);
}

bool WindowOnDisplay(HWND window)
{
    return TWindowSystem::Get().IsOnDisplay(window);
}

int WindowGetAdapterCount()
{
    return TWindowSystem::Get().GetAdapterCount();
}

int WindowGetDisplayModeCount(int adapter)
{
    return TWindowSystem::Get().GetDisplayModeCount(adapter);
}

bool WindowGetDisplayMode(int adapter, int index, int* width, int* height, int* refreshRate)
{
    TDisplayMode mode;
    if (!TWindowSystem::Get().GetDisplayMode(adapter, index, &mode))
        return false;
    if (width)
        *width = mode.width;
    if (height)
        *height = mode.height;
    if (refreshRate)
        *refreshRate = mode.refreshRate;
    return true;
}

HMONITOR WindowGetAdapterMonitor(int adapter)
{
    return TWindowSystem::Get().GetAdapterMonitor(adapter);
}
