// The owner of the UX screens: its screens in their registration order, IsBusy over the screens
// the menus wait for, the images by name with the two error lines, and a saved screen block of an
// older image refused.
#include "menufixture.h"

#include "morvane/ui/uigamemanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"

#include <string>

namespace
{
class UIGameTest : public MenuTest
{
protected:
    void TearDown() override
    {
        Game().FinalizeManager();
        MenuTest::TearDown();
    }
    static TUIGameManager& Game() { return *g_pUIGameManager; }
};

// A screen's form shown or hidden for the test: the level's own, its flags put back after; a
// screen the level gives none borrows one for the while (binding the level's form again would
// bind the screen's controls a second time).
class TBorrowedForm
{
public:
    explicit TBorrowedForm(UX::TInstance& screen) : m_Screen(screen), m_pLevelForm(screen.GetForm())
    {
        if (m_pLevelForm)
            m_nLevelFlags = m_pLevelForm->nFlags;
        else
        {
            m_Object = {};
            m_Object.nCount = 1;
            m_Object.aEntry[0].pControl = &m_Form;
            m_Screen.Initialize(m_Object);
        }
        SetShowing(false);
    }
    ~TBorrowedForm()
    {
        if (m_pLevelForm)
        {
            m_pLevelForm->nFlags = m_nLevelFlags;
            return;
        }
        m_Screen.ForgetForm();
        // Loaded while visible, the form joined its layer: it leaves it before it goes.
        if (UX::TLayer* layer = m_Form.GetLayer())
        {
            layer->Remove(&m_Form);
            layer->RemoveChild(&m_Form);
        }
    }
    void SetShowing(bool showing)
    {
        constexpr u32 kShowing = UX::CONTROL_VISIBLE | UX::CONTROL_PARENT_VISIBLE;
        UX::TControl& form = m_pLevelForm ? *m_pLevelForm : m_Form;
        form.nFlags = showing ? form.nFlags | kShowing : form.nFlags & ~kShowing;
    }

private:
    UX::TInstance& m_Screen;
    UX::TControl* const m_pLevelForm;
    u32 m_nLevelFlags = 0;
    UX::TForm m_Form;
    UX::TInstanceObject m_Object;
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
        TBorrowedForm form(Game().GetScreen(busy));
        EXPECT_FALSE(Game().IsBusy()) << busy << ": a hidden form";
        form.SetShowing(true);
        EXPECT_TRUE(Game().IsBusy()) << busy;
    }
    {
        TBorrowedForm form(Game().GetScreen(UI_SCREEN_VEHICLE_TASK));
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

TEST_F(UIGameTest, GetImageLogsTheEmptyNameAndAnUnknownOne)
{
    EXPECT_EQ(Game().GetImage(TName()), nullptr);
    EXPECT_EQ(m_Log.Count("TUIGameManager::GetImage(): error: Texture name is null!"), 1u);
    EXPECT_EQ(Game().GetImage(TName("help_missing_picture", true)), nullptr);
    EXPECT_EQ(m_Log.Count("TUIGameManager::GetImage(): error: Texture help_missing_picture not found!"), 1u);
    // Registered names find their textures, whatever order they came in.
    // Stand-ins: the manager hands the pointers back, it never reads through them.
    static i32 s_aTexture[128];
    for (const char* name : {"help_c", "help_a", "help_b"})
        Game().AddImage(TName(name, true), reinterpret_cast<TTexture*>(s_aTexture + name[5]));
    EXPECT_EQ(Game().GetImage(TName("help_a")), reinterpret_cast<TTexture*>(s_aTexture + 'a'));
    EXPECT_EQ(Game().GetImage(TName("help_c")), reinterpret_cast<TTexture*>(s_aTexture + 'c'));
    EXPECT_EQ(m_Log.Count("not found"), 1u);
    Game().OnClusterUnload();
    EXPECT_EQ(Game().GetImage(TName("help_a")), nullptr) << "the images go with their data";
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
