#include "platform/window/messagequeue.h"

#include <algorithm>

namespace
{
// The window filter of PeekMessage that selects the messages posted without a window.
HWND const kThreadMessages = reinterpret_cast<HWND>(-1);

bool WindowMatches(HWND messageWindow, HWND filter)
{
    if (filter == nullptr)
        return true;
    if (filter == kThreadMessages)
        return messageWindow == nullptr;
    return messageWindow == filter;
}
} // namespace

bool TMessageQueue::Post(const MSG& message)
{
    if (messages_.size() >= kCapacity)
        return false;
    messages_.push_back(message);
    return true;
}

void TMessageQueue::PostQuit(int exitCode)
{
    quitPending_ = true;
    quitCode_ = exitCode;
}

bool TMessageQueue::InRange(UINT message, UINT filterMin, UINT filterMax)
{
    if (filterMin == 0 && filterMax == 0)
        return true;
    return message >= filterMin && message <= filterMax;
}

bool TMessageQueue::Take(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    auto found = std::find_if(messages_.begin(), messages_.end(), [&](const MSG& queued) {
        return WindowMatches(queued.hwnd, window) && InRange(queued.message, filterMin, filterMax);
    });
    if (found != messages_.end())
    {
        *message = *found;
        if (remove)
            messages_.erase(found);
        return true;
    }
    if (quitPending_ && (window == nullptr || window == kThreadMessages))
    {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(quitCode_);
        if (remove)
            quitPending_ = false;
        return true;
    }
    return false;
}

void TMessageQueue::RemoveWindow(HWND window)
{
    std::erase_if(messages_, [window](const MSG& queued) { return queued.hwnd == window; });
}
