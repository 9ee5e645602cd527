#include "platform/desktop/clipboard.h"

#include "platform/desktop/display.h"

#include <SDL.h>
#include <mutex>

namespace
{
std::mutex s_lock;
std::string s_text; // the headless clipboard

// SDL's clipboard needs its video subsystem; it is started once, on first use.
bool DesktopClipboard()
{
    static const bool s_ready = PlatformHasDisplay() && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    return s_ready;
}
} // namespace

std::string PlatformClipboardGetText()
{
    std::lock_guard<std::mutex> lock(s_lock);
    if (!DesktopClipboard())
        return s_text;
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

void PlatformClipboardSetText(const char* text)
{
    std::lock_guard<std::mutex> lock(s_lock);
    if (DesktopClipboard() && SDL_SetClipboardText(text) == 0)
        return;
    s_text = text;
}
