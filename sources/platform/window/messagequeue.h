#pragma once
// The process's queue of posted messages and its quit request. Not locked itself: the window
// system guards it.
#include "platform/window/winuser.h"

#include <deque>

class TMessageQueue
{
public:
    // Windows' limit of posted messages per queue: beyond it a post fails.
    static constexpr std::size_t kCapacity = 10000;

    bool Post(const MSG& message);
    // Sets the quit request; WM_QUIT is handed out once no other message matches.
    void PostQuit(int exitCode);
    // The first message that passes the filters (Windows' PeekMessage rules: a null window takes
    // every message, (HWND)-1 only those without a window; a 0..0 range takes every message and
    // WM_QUIT passes any range), removed when `remove` is set.
    bool Take(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove);
    // Drops the messages of a window that no longer exists.
    void RemoveWindow(HWND window);

    static bool InRange(UINT message, UINT filterMin, UINT filterMax);

private:
    std::deque<MSG> messages_;
    bool quitPending_ = false;
    int quitCode_ = 0;
};
