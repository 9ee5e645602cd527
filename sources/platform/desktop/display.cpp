#include "platform/desktop/display.h"

#include <cstdlib>
#include <cstring>

bool PlatformHasDisplay()
{
    const char* headless = std::getenv("VESTAMOR_HEADLESS");
    if (headless && std::strcmp(headless, "0") != 0 && headless[0] != '\0')
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && x11[0]) || (wayland && wayland[0]);
}
