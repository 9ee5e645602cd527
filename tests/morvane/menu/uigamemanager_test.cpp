// The owner of the UX screens: IsBusy over the screens the menus wait for, and a saved screen block
// of an older image refused.
#include "menufixture.h"

namespace
{
class UIGameTest : public MenuTest
{
protected:
    static TUIGameManager& Game() { return *g_pUIGameManager; }
};

// A screen's form (the level's) shown or hidden for the test, its flags put back after.
class TShownForm
{
public:
    explicit TShownForm(UX::TInstance& screen) : m_Form(*screen.GetForm()), m_nFlags(m_Form.nFlags)
    {
        SetShowing(false);
    }
    ~TShownForm() { m_Form.nFlags = m_nFlags; }
    void SetShowing(bool showing)
    {
        constexpr u32 kShowing = UX::CONTROL_VISIBLE | UX::CONTROL_PARENT_VISIBLE;
        m_Form.nFlags = showing ? m_Form.nFlags | kShowing : m_Form.nFlags & ~kShowing;
    }

private:
    UX::TControl& m_Form;
    const u32 m_nFlags;
};
} // namespace

TEST_F(UIGameTest, IsBusyWhileAScreenTheMenusWaitForIsOnScreen)
{
    Start();
    EXPECT_FALSE(Game().ShowScreen(UI_SCREEN_COUNT)) << "a screen past the registry";
    EXPECT_FALSE(Game().IsBusy());
    for (EUIGameScreen busy : {UI_SCREEN_CREDITS, UI_SCREEN_ACCOUNT_CONNECTED, UI_SCREEN_ACCOUNT_CREATE,
                               UI_SCREEN_ACCOUNT_LOGIN, UI_SCREEN_ACCOUNT_UPDATE, UI_SCREEN_HELP})
    {
        TShownForm form(Game().GetScreen(busy));
        EXPECT_FALSE(Game().IsBusy()) << busy << ": a hidden form";
        form.SetShowing(true);
        EXPECT_TRUE(Game().IsBusy()) << busy;
    }
    {
        TShownForm form(Game().GetScreen(UI_SCREEN_VEHICLE_TASK));
        form.SetShowing(true);
        EXPECT_FALSE(Game().IsBusy()) << "the vehicle task dialog does not count";
    }
    // Nor does the message box; and while it shows, the menus answer their buttons.
    Game().GetMessageDialog().Show(UX::TLocalization(u"Title"), UX::TLocalization(u"Text"), MESSAGE_INFORMATION,
                                   MESSAGE_ANY_TIME);
    EXPECT_TRUE(Game().GetMessageDialog().GetForm()->IsVisibleOnScreen());
    EXPECT_FALSE(Game().IsBusy());
    Game().GetMessageDialog().GetFirstButton()->DoAction(nullptr, UX::ClickAction(), 0);
}

TEST_F(UIGameTest, AScreenBlockOfAnOlderImageIsRefusedAndTheScreensKeepWorking)
{
    Start();
    std::string block(4096, '\x5A');
    EXPECT_EQ(Game().SetData(0, block.data(), static_cast<i32>(block.size())), 1);
    EXPECT_EQ(m_Log.Count("TUIGameManager::SetData(): warning: screen block 0 of 4096 bytes"), 1u);
    EXPECT_EQ(Game().SetData(0, nullptr, 0), 0) << "an empty block is nothing to refuse";
    void* data = nullptr;
    i32 size = -1;
    EXPECT_EQ(Game().GetData(0, data, size), 1) << "no block is offered";
    TUIMessageDialog& box = Game().GetMessageDialog();
    box.Show(UX::TLocalization(u"Title"), UX::TLocalization(u"Still here"), MESSAGE_INFORMATION, MESSAGE_ANY_TIME);
    EXPECT_TRUE(box.IsBusy());
    box.GetFirstButton()->DoAction(nullptr, UX::ClickAction(), 0);
    EXPECT_FALSE(box.IsBusy());
}
