#include "platform/desktop/messagebox.h"

#include "platform/desktop/display.h"

#include <SDL.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace
{
// The process whose box is up, else 0. SDL shows the box from a child process it forks; a
// program killed while its box waits (an abort's, say) would leave that child and its box
// behind, so the child is made to end with its parent.
std::atomic<pid_t> s_nBoxOwner{0};

// Runs in every child forked while a box is shown, before the child goes on.
void EndWithTheBoxOwner()
{
    const pid_t owner = s_nBoxOwner.load();
    if (owner == 0)
        return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The owner may have ended before the death signal was asked for.
    if (getppid() != owner)
        _exit(1);
}

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
        static const bool s_bForkHooked = pthread_atfork(nullptr, nullptr, EndWithTheBoxOwner) == 0;
        (void)s_bForkHooked;
        s_nBoxOwner.store(getpid());
        const int shown = SDL_ShowMessageBox(&box, &pressed);
        s_nBoxOwner.store(0);
        if (shown == 0)
            return pressed >= 0 ? pressed : MESSAGE_BOX_BUTTON_OK;
    }
    std::fprintf(stderr, "%s\n%s\n", caption, text);
    std::fflush(stderr);
    return MESSAGE_BOX_BUTTON_OK;
}
