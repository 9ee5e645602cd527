#pragma once
// A headless window of the class the device manager registers, whose procedure records every
// message it receives. Each test leaves the layer as it found it: no window, no raw-input
// registration, an empty queue.
#include "platform/window/winuser.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

struct TReceived
{
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowFixture : public ::testing::Test
{
protected:
    static constexpr int kClientWidth = 1280;
    static constexpr int kClientHeight = 800;

    void SetUp() override;
    void TearDown() override;

    // Takes every queued message off the queue, in order, without dispatching.
    std::vector<MSG> Drain(HWND filter = nullptr, UINT filterMin = 0, UINT filterMax = 0);
    // The messages' kinds, in order.
    static std::vector<UINT> Kinds(const std::vector<MSG>& messages)
    {
        std::vector<UINT> kinds;
        for (const MSG& message : messages)
            kinds.push_back(message.message);
        return kinds;
    }
    // The client area's width and height.
    static std::pair<LONG, LONG> ClientSize(HWND window)
    {
        RECT client = {};
        GetClientRect(window, &client);
        return {client.right, client.bottom};
    }
    // Takes and dispatches every queued message; answers how many.
    int Pump();
    void RegisterRawInput(DWORD flags);

    HWND window_ = nullptr;
    static std::vector<TReceived> received_;

private:
    static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
