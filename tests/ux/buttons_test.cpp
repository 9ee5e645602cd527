// Check boxes, radio buttons and tabs of the demonstration form: clicks and "$OnClick" toggling
// check states with their styles and events, radio groups, tabs selecting their panels and
// sharing their control's width, and stored tab controls checked at load.
#include "uxfixture.h"

#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.radiobutton.h"
#include "ux/controls/ux.control.tab.h"
#include "ux/controls/ux.control.tabcontrol.h"
#include "ux/ux.actions.h"

#include <cstring>
#include <vector>

namespace
{
// Keeps the sender and the argument of every event it hears.
struct TEvents
{
    void Hear(UX::TControl* sender, void* argument)
    {
        senders.push_back(sender);
        arguments.push_back(argument);
    }
    void Listen(UX::TEvent& event) { event.AddHandler(0, this, &TEvents::Hear); }
    size_t Count() const { return senders.size(); }

    std::vector<UX::TControl*> senders;
    std::vector<void*> arguments;
};

class ButtonsTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        Form()->Show(2);
        Frames(2);
    }

    static void Act(UX::TControl* control) { control->DoAction(control, UX::ClickAction(), 0); }
    template <class T> static T* Get(const char* name) { return static_cast<T*>(Find(name)); }
};
} // namespace

TEST_F(ButtonsTest, TheClickActionRaisesOnClickAndTogglesACheckBoxWithItsStyle)
{
    auto* check = Get<UX::TCheckBox>("ux_demo_check");
    TEvents clicks, changes;
    clicks.Listen(check->Event(UX::EVENT_CLICK));
    changes.Listen(check->OnChange);
    ASSERT_EQ(check->Checked, 0);
    EXPECT_EQ(check->aTransitionImage[UX::STATE_NORMAL], check->pStyle[0]->aTransition[UX::STATE_NORMAL].Image);
    Act(check);
    EXPECT_EQ(check->Checked, 1);
    EXPECT_EQ(clicks.Count(), 1u);
    ASSERT_EQ(changes.Count(), 1u);
    EXPECT_EQ(changes.senders[0], check);
    EXPECT_EQ(check->UX::TControl::pStyle, check->pStyle[1]);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        EXPECT_EQ(check->aTransitionImage[state], check->pStyle[1]->aTransition[state].Image) << state;
    Act(check);
    EXPECT_EQ(check->Checked, 0);
    EXPECT_EQ(changes.Count(), 2u);
    EXPECT_EQ(check->UX::TControl::pStyle, check->pStyle[0]);
    // The mouse toggles on a left release only.
    Click(check);
    EXPECT_EQ(check->Checked, 1);
    Click(check, 1);
    EXPECT_EQ(check->Checked, 1) << "a right click";
    // Checking to the state it has, or silently, raises nothing.
    check->SetChecked(1, 0);
    check->SetChecked(0, 1);
    EXPECT_EQ(changes.Count(), 3u);
}

TEST_F(ButtonsTest, CheckingARadioButtonUnchecksItsSiblingQuietlyUnlessItIsToggleable)
{
    UX::TRadioButton* radio[3] = {Get<UX::TRadioButton>("ux_demo_radio_1"), Get<UX::TRadioButton>("ux_demo_radio_2"),
                                  Get<UX::TRadioButton>("ux_demo_radio_3")};
    TEvents changes[3];
    for (int i = 0; i < 3; ++i)
        changes[i].Listen(radio[i]->OnChange);
    ASSERT_EQ(radio[1]->Checked, 1);
    Act(radio[0]);
    EXPECT_EQ(radio[0]->Checked, 1);
    EXPECT_EQ(radio[1]->Checked, 0);
    EXPECT_EQ(radio[1]->UX::TControl::pStyle, radio[1]->pStyle[0]) << "its unchecked style";
    EXPECT_EQ(changes[0].Count(), 1u);
    EXPECT_EQ(changes[1].Count(), 0u) << "unchecked without its event";
    // A checked radio button that is not toggleable: nothing.
    Act(radio[0]);
    EXPECT_EQ(radio[0]->Checked, 1);
    EXPECT_EQ(changes[0].Count(), 1u);
    // A toggleable one tells the sibling it unchecks, as its sender.
    radio[2]->Toggleable = 1;
    Act(radio[2]);
    EXPECT_EQ(radio[2]->Checked, 1);
    EXPECT_EQ(radio[0]->Checked, 0);
    ASSERT_EQ(changes[0].Count(), 2u);
    EXPECT_EQ(changes[0].senders[1], radio[2]);
    EXPECT_EQ(changes[2].Count(), 1u);
    Act(radio[2]);
    EXPECT_EQ(radio[2]->Checked, 0) << "toggled off";
    EXPECT_EQ(changes[2].Count(), 2u);
}

TEST_F(ButtonsTest, SelectingATabShowsItsPanelAndHidesTheOthersAtOnce)
{
    auto* tabs = Get<UX::TTabControl>("ux_demo_tabs");
    auto* first = Get<UX::TTab>("ux_demo_tab_1");
    auto* second = Get<UX::TTab>("ux_demo_tab_2");
    UX::TControl* panels[2] = {Find("ux_demo_panel_1"), Find("ux_demo_panel_2")};
    ASSERT_EQ(tabs->SelectedTab, 0);
    ASSERT_TRUE(panels[0]->IsVisibleOnScreen());
    ASSERT_FALSE(panels[1]->nFlags & UX::CONTROL_VISIBLE);
    TEvents changes, hides;
    changes.Listen(tabs->OnTabChange);
    hides.Listen(panels[0]->Event(UX::EVENT_HIDE));
    Act(second);
    EXPECT_EQ(tabs->SelectedTab, 1);
    EXPECT_EQ(second->Checked, 1);
    EXPECT_EQ(first->Checked, 0);
    EXPECT_TRUE(panels[1]->IsVisibleOnScreen());
    EXPECT_FALSE(panels[0]->nFlags & UX::CONTROL_VISIBLE);
    EXPECT_EQ(panels[0]->nState, UX::STATE_HIDDEN) << "at once";
    ASSERT_EQ(changes.Count(), 1u);
    EXPECT_EQ(changes.arguments[0], second);
    EXPECT_EQ(hides.Count(), 1u);
    // Selected again, the tab hides the other panels again, hidden or not.
    TEvents hiddenAgain;
    hiddenAgain.Listen(panels[0]->Event(UX::EVENT_HIDE));
    tabs->SelectTab(second);
    EXPECT_EQ(hiddenAgain.Count(), 1u);
    EXPECT_EQ(changes.Count(), 2u);
    // Clicking the selected tab changes nothing; a tab without its panel still selects.
    Act(second);
    EXPECT_EQ(changes.Count(), 2u);
    tabs->aPanel.SetCount(1);
    Act(first);
    EXPECT_EQ(tabs->SelectedTab, 0);
    EXPECT_EQ(second->Checked, 0);
    EXPECT_TRUE(panels[0]->IsVisibleOnScreen());
    tabs->aPanel.SetCount(2);
}

// T = width + spacing; each tab T / n wide (+ 1 when the whole part of T is no multiple of n)
// less the spacing, at i x T / n.
TEST_F(ButtonsTest, TabsShareTheWidthOfTheirControl)
{
    struct TCase
    {
        i32 tabs;
        f32 width;
        std::vector<f32> x;
    };
    for (const TCase& c : {TCase{4, 99.0f, {0.0f, 101.0f, 202.0f, 303.0f}},
                           TCase{5, 79.0f, {0.0f, 80.0f, 161.0f, 242.0f, 323.0f}}})
    {
        LoadWritten([&](TUxDataWriter& data) {
            UX::TLayer* layer = data.AddLayer("layer");
            UX::TForm* form = data.AddControl<UX::TForm>("tabform", nullptr);
            form->SetSize(800.0f, 400.0f);
            data.AddFormToLayer(form, layer);
            auto* control = data.AddControl<UX::TTabControl>("tabs", form);
            control->SetSize(402.0f, 100.0f);
            control->TabSpacing = 2.0f;
            control->AutoLayoutTabs = 1;
            for (i32 i = 0; i < c.tabs; ++i)
            {
                auto* tab = data.AddControl<UX::TTab>("tab", control);
                tab->SetPosition(0.0f, 5.0f);
                tab->SetSize(10.0f, 30.0f);
                control->aTab.Add(tab);
            }
            form->HideNow();
        });
        UX::TForm* form = UX::TForm::Manager().Get(0);
        form->Show(2);
        auto* control = UX::TTabControl::Manager().Get(0);
        ASSERT_EQ(control->aTab.GetCount(), static_cast<u32>(c.tabs));
        for (i32 i = 0; i < c.tabs; ++i)
        {
            const UX::TRect& rect = control->aTab[static_cast<u32>(i)]->Base.Rect;
            EXPECT_EQ(rect.width, c.width) << c.tabs << " tabs";
            EXPECT_EQ(rect.x, c.x[static_cast<size_t>(i)]) << c.tabs << " tabs, tab " << i;
            EXPECT_EQ(rect.y, 5.0f);
            EXPECT_EQ(rect.height, 30.0f);
        }
    }
}

TEST_F(ButtonsTest, StoredTabControlsAreCheckedAtLoad)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* control = data.AddControl<UX::TTabControl>("stored_tabs", layer);
        auto* tab = data.AddControl<UX::TTab>("tab", control);
        control->aTab.Add(tab);
        // Not a tab.
        control->aTab.Add(data.AddControl<UX::TButton>("not_a_tab", control));
        control->aPanel.Add(data.AddControl<UX::TPictureBox>("panel", control));
        // One entry more than the array holds: the count word of the panels would be read as a
        // tab.
        const u32 count = UX::TAB_CAPACITY + 1;
        std::memcpy(static_cast<void*>(&control->aTab), &count, sizeof count);
        control->SelectedTab = 40;
    });
    auto* control = UX::TTabControl::Manager().Get(0);
    EXPECT_EQ(control->aTab.GetCount(), UX::TAB_CAPACITY);
    EXPECT_TRUE(Logged("'stored_tabs': tab count 33 above 32: cut"));
    EXPECT_NE(control->aTab[0], nullptr);
    EXPECT_EQ(control->aTab[1], nullptr);
    EXPECT_TRUE(Logged("'stored_tabs': its tab is no loaded control of its kind: cut"));
    EXPECT_TRUE(Logged("'stored_tabs': no tab: its work is skipped"));
    EXPECT_EQ(control->SelectedTab, 31);
    EXPECT_TRUE(Logged("'stored_tabs': selected tab 40 outside 0 .. 31: 31 kept"));
    // Selecting through the checked array: the missing entries are passed over.
    static_cast<UX::TTab*>(control->aTab[0])->SetChecked(1, 0);
    EXPECT_EQ(control->SelectedTab, 0);
}
