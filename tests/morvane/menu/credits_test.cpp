// The credits: the scroll from below the screen, the close by itself at the end and by the close
// button, the main menu's buttons back; and their golden image mid-scroll.
#include "menufixture.h"

#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.vscroller.h"

namespace
{
class CreditsTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_NE(Credits().GetForm(), nullptr) << "the level carries the credits' form";
        Start();
    }
    void TearDown() override
    {
        if (Credits().GetForm())
            Credits().GetForm()->HideNow();
        MenuTest::TearDown();
    }
    static TUICreditsMenu& Credits()
    {
        return static_cast<TUICreditsMenu&>(g_pUIGameManager->GetScreen(UI_SCREEN_CREDITS));
    }
    static UX::TVScroller& Bar() { return *Credits().GetPanel()->GetScrollBar(); }
    static f32 ContentBottom()
    {
        const UX::TControl* content = Credits().GetContent();
        return content->Base.Rect.y + content->Base.Rect.height;
    }
    // The scroll held still at a position (the step scrolls by the frame's real time).
    void Hold(i32 position)
    {
        Bar().Step = 0;
        Bar().SetPosition(position);
        MenuFrame();
        Bar().Step = m_nStep;
    }
    void Open()
    {
        m_nStep = Bar().Step;
        Menu().OnCredits(Menu().GetButton(MENU_CREDITS));
        MenuFrames(40);
        ASSERT_TRUE(Credits().GetForm()->IsVisibleOnScreen());
    }
    // Frames until the form has gone (its transition runs on the real clock); at most two
    // seconds.
    void UntilClosed()
    {
        for (i32 i = 0; i < 200 && Credits().GetForm()->IsVisibleOnScreen(); ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            g_pTimer->Update();
            MenuFrame();
        }
        MenuFrames(40);
    }
    i32 m_nStep = 0;
};
} // namespace

TEST_F(CreditsTest, TheyRiseFromBelowTheScreenCloseByThemselvesAtTheEndAndMatchTheirGoldenImageMidScroll)
{
    Open();
    EXPECT_FALSE(Menu().GetButton(MENU_NEW_GAME)->IsOpen()) << "the menu's buttons make room";
    Hold(0);
    EXPECT_EQ(Credits().GetContent()->Base.Rect.y, CREDITS_START_Y);
    // The last line still on screen: one unit of content left above the top.
    const i32 end = static_cast<i32>(CREDITS_START_Y + Credits().GetContentHeight());
    Hold(end - 1);
    EXPECT_EQ(ContentBottom(), 1.0f);
    EXPECT_TRUE(Credits().GetForm()->IsVisibleOnScreen());
    Hold(end + 1);
    UntilClosed();
    EXPECT_FALSE(Credits().GetForm()->IsVisibleOnScreen());
    EXPECT_TRUE(Menu().GetButton(MENU_NEW_GAME)->IsOpen()) << "the menu's buttons come back";

    // Shown again (held still) they start over; the close button ends them at once.
    Bar().Step = 0;
    Open();
    EXPECT_EQ(Bar().Position, 0) << "started over";
    EXPECT_EQ(Credits().GetContent()->Base.Rect.y, CREDITS_START_Y - static_cast<f32>(Bar().Position));
    Credits().GetCloseButton()->DoAction(Credits().GetCloseButton(), UX::ClickAction(), 0);
    UntilClosed();
    EXPECT_FALSE(Credits().GetForm()->IsVisibleOnScreen());
    EXPECT_TRUE(Menu().GetButton(MENU_NEW_GAME)->IsOpen());
    // A third time, past the fade-in, held mid-scroll.
    Open();
    RealFrames(60);
    Hold(1700);
    EXPECT_EQ(RenderGolden("credits_1280x720", 1280, 720, true), "");
}
