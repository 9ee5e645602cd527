// The cursor's clip rectangle.
#include "windowfixture.h"

#include <vector>

namespace
{
using CursorTest = WindowFixture;

TEST_F(CursorTest, ClipFollowsTheCallsAndStaysOnScreen)
{
    RECT desktop;
    ASSERT_TRUE(ClipCursor(nullptr));
    ASSERT_TRUE(GetClipCursor(&desktop));
    EXPECT_EQ(desktop.right - desktop.left, 1920) << "no clip: the whole screen";
    EXPECT_EQ(desktop.bottom - desktop.top, 1080);

    // The device manager clips to the client area in screen co-ordinates.
    RECT client;
    GetClientRect(window_, &client);
    POINT topLeft = {client.left, client.top};
    POINT bottomRight = {client.right, client.bottom};
    ClientToScreen(window_, &topLeft);
    ClientToScreen(window_, &bottomRight);
    const RECT clip = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    ASSERT_TRUE(ClipCursor(&clip));
    const auto current = [] {
        RECT rect;
        GetClipCursor(&rect);
        return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
    };
    EXPECT_EQ(current(), (std::vector<LONG>{clip.left, clip.top, clip.right, clip.bottom}));
    // Reversed and partly off the screen: ordered and cut to it.
    const RECT reversedAndOff = {2500, 300, 100, -50};
    ClipCursor(&reversedAndOff);
    EXPECT_EQ(current(), (std::vector<LONG>{100, 0, 1920, 300}));
    ClipCursor(nullptr);
    EXPECT_EQ(current()[2], desktop.right);
    EXPECT_FALSE(GetClipCursor(nullptr));
}
} // namespace
