#include "platform/desktop/messagebox.h"

#include "platform/desktop/display.h"

#include <SDL.h>
#include <cstdio>

int PlatformMessageBox(const char* caption, const char* text, int kind)
{
    if (PlatformHasDisplay())
    {
        Uint32 flags = 0;
        if (kind == MESSAGE_BOX_ERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if (kind == MESSAGE_BOX_WARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        else if (kind == MESSAGE_BOX_QUESTION || kind == MESSAGE_BOX_INFORMATION)
            flags = SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) == 0)
            return 1;
    }
    std::fprintf(stderr, "%s\n%s\n", caption, text);
    std::fflush(stderr);
    return 0;
}
