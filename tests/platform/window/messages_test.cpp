// The message queue: order, filters, quit, paint, dispatch and the default procedure.
#include "windowfixture.h"

namespace
{
using MessageTest = WindowFixture;

TEST_F(MessageTest, PostedMessagesArriveInOrderWithTheirParameters)
{
    ASSERT_TRUE(PostMessageW(window_, WM_USER, 1, -1));
    ASSERT_TRUE(PostMessageW(window_, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480)));
    ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 1, 0xFFFFFFFFu, 0x7FFFFFFF));

    MSG peeked;
    ASSERT_TRUE(PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(peeked.message, WM_USER) << "PM_NOREMOVE leaves the message in place";

    const std::vector<MSG> messages = Drain();
    EXPECT_EQ(Kinds(messages), (std::vector<UINT>{WM_USER, WM_SIZE, WM_USER + 1}));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].hwnd, window_);
    EXPECT_EQ(messages[0].wParam, 1u);
    EXPECT_EQ(messages[0].lParam, -1);
    EXPECT_EQ(messages[1].lParam, MAKELPARAM(640, 480));
    EXPECT_EQ(messages[2].hwnd, nullptr);
    EXPECT_EQ(messages[2].wParam, 0xFFFFFFFFu);
    EXPECT_EQ(messages[2].lParam, 0x7FFFFFFF);
    EXPECT_LE(messages[0].time, messages[2].time);
}

TEST_F(MessageTest, AFullQueueRefusesPosts)
{
    int posted = 0;
    while (PostMessageW(window_, WM_USER, posted, 0) && posted < 20000)
        ++posted;
    EXPECT_EQ(posted, 10000);
    const std::vector<MSG> messages = Drain();
    ASSERT_EQ(messages.size(), 10000u);
    EXPECT_EQ(messages.back().wParam, 9999u) << "the earlier messages are kept";
    EXPECT_TRUE(PostMessageW(window_, WM_USER, 0, 0));
}

TEST_F(MessageTest, FiltersSelectByWindowAndRange)
{
    PostMessageW(window_, WM_KEYDOWN, 'A', 0);
    PostMessageW(nullptr, WM_USER, 0, 0);
    PostMessageW(window_, WM_INPUT, 0, 0);
    PostMessageW(window_, WM_MOUSEMOVE, 0, 0);
    PostMessageW(window_, WM_KEYUP, 'A', 0);

    // The purge ranges of the input driver: keys, then mouse messages.
    EXPECT_EQ(Kinds(Drain(nullptr, WM_KEYFIRST, 0x109)), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ(Kinds(Drain(nullptr, WM_MOUSEFIRST, 0x20E)), std::vector<UINT>{WM_MOUSEMOVE});
    // A window filter skips the messages posted without a window; (HWND)-1 takes only those.
    EXPECT_EQ(Kinds(Drain(window_)), std::vector<UINT>{WM_INPUT});
    EXPECT_EQ(Kinds(Drain(reinterpret_cast<HWND>(-1))), std::vector<UINT>{WM_USER});
}

TEST_F(MessageTest, QuitComesLastAndOnce)
{
    PostQuitMessage(3);
    PostMessageW(window_, WM_USER, 0, 0);

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, window_, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER);
    EXPECT_FALSE(PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) << "WM_QUIT belongs to no window";
    // WM_QUIT passes any range.
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, ShownWindowAsksForPaintUntilValidated)
{
    ShowWindow(window_, SW_SHOW);
    PostMessageW(window_, WM_USER, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER) << "posted messages come before paint";
    for (int i = 0; i < 2; ++i)
    {
        ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(message.message, WM_PAINT) << "PM_REMOVE does not take a paint request away";
    }
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_REMOVE)) << "outside the range";
    // The default procedure validates.
    DispatchMessageW(&message);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));

    // UpdateWindow sends the paint request straight to the procedure, once.
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    received_.clear();
    UpdateWindow(window_);
    UpdateWindow(window_);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].message, WM_PAINT);
}

TEST_F(MessageTest, ClosingThroughTheDefaultProcedureEndsTheLoop)
{
    // The default procedure destroys the window on WM_CLOSE; our procedure sees WM_DESTROY.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(received_.size(), 2u);
    EXPECT_EQ(received_[0].message, WM_CLOSE);
    EXPECT_EQ(received_[1].message, WM_DESTROY);
    RECT rect;
    EXPECT_FALSE(GetClientRect(window_, &rect));
    window_ = nullptr;
}

} // namespace
