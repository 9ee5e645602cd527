#include "platform/desktop/messagebox.h"

#include "platform/desktop/display.h"

#include <SDL.h>
#include <cstdio>

namespace
{
Uint32 IconFlags(int kind)
{
    if (kind == MESSAGE_BOX_ERROR)
        return SDL_MESSAGEBOX_ERROR;
    if (kind == MESSAGE_BOX_WARNING)
        return SDL_MESSAGEBOX_WARNING;
    if (kind == MESSAGE_BOX_QUESTION || kind == MESSAGE_BOX_INFORMATION)
        return SDL_MESSAGEBOX_INFORMATION;
    return 0;
}
} // namespace

int PlatformMessageBox(const char* caption, const char* text, int kind)
{
    if (PlatformHasDisplay())
    {
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
             MESSAGE_BOX_BUTTON_OK, "OK"}};
        const SDL_MessageBoxData box = {IconFlags(kind), nullptr, caption, text, SDL_arraysize(buttons), buttons,
                                        nullptr};
        int pressed = -1;
        if (SDL_ShowMessageBox(&box, &pressed) == 0)
            return pressed >= 0 ? pressed : MESSAGE_BOX_BUTTON_OK;
    }
    std::fprintf(stderr, "%s\n%s\n", caption, text);
    std::fflush(stderr);
    return MESSAGE_BOX_BUTTON_OK;
}
