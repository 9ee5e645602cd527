// The UI manager's input pass driven through the window layer: clicks, the design-size fit of
// the pointer, modal blocking, hot keys and tooltips.
#include "uifixture.h"

#include "core/system/timer.h"
#include "engine/system/managermanager.h"
#include "engine/system/command/deferredvariable.h"
#include "ui/uibutton.h"
#include "ui/uilabel.h"
#include "ui/uisounds.h"
#include "ui/uiwindow.h"
#include "ux/ux.control.h"
#include "ux/ux.manager.h"

namespace
{
u32 s_nClicks = 0;
void CountClick(i32)
{
    ++s_nClicks;
}

class UIInputTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        s_nClicks = 0;
        g_UISoundPlayer.pPlayButtonClick = CountClick;
    }
    void TearDown() override
    {
        g_UISoundPlayer.pPlayButtonClick = nullptr;
        UITest::TearDown();
    }

    // A button at (x, y) of the parent (a root without one), counting its clicks.
    TUIButton* Button(TUIItem* parent, const char* name, f32 x, f32 y, i32& clicks)
    {
        TUIButton* button = parent ? static_cast<TUIButton*>(parent->CreateChild("TUIButton", name))
                                   : MakeRoot<TUIButton>("TUIButton", name, 0.0f, 0.0f);
        button->SetSize(100.0f, 40.0f);
        button->SetPosition(x, y);
        button->OnClickList.Add([&clicks](TUIItem*, const void*) {
            ++clicks;
            return 0;
        });
        return button;
    }
    using UITest::Button;
};

TEST_F(UIInputTest, AModalWindowAloneTakesHoverClicksAndHotKeys)
{
    i32 outside = 0, inside = 0;
    TUIButton* back = Button(nullptr, "back", 0.0f, 0.0f, outside);
    back->SetSize(1280.0f, 720.0f);
    ASSERT_EQ(back->AddAction("menuselect"), 0);
    auto* dialog = MakeRoot<TUIWindow>("TUIWindow", "dialog", 400.0f, 200.0f);
    dialog->SetPosition(400.0f, 200.0f);
    dialog->m_nFlags |= UI_MODAL;
    dialog->Show(false, true);
    Button(dialog, "ok", 10.0f, 10.0f, inside);
    dialog->Show(true, true);
    EXPECT_EQ(g_pUIManager->GetModalTop(), dialog);

    MoveTo(50, 50);
    Frame();
    EXPECT_FALSE(back->m_nFlags & UI_POINTER_INSIDE);
    ClickAt(50, 50);
    Tap(0x1C);
    EXPECT_EQ(outside, 0);
    ClickAt(420, 220);
    EXPECT_EQ(inside, 1);
    EXPECT_EQ(s_nClicks, 1u) << "only the click that reached a button sounds";
    // Closed, it leaves the stack; the back takes input again.
    dialog->Show(false, true);
    EXPECT_EQ(g_pUIManager->GetModalCount(), 0u);
    ClickAt(50, 50);
    EXPECT_EQ(outside, 1);
}

TEST_F(UIInputTest, TheModalStackHoldsFortyAndAWindowClosedBelowTheTopLeavesIt)
{
    std::vector<TUIItem*> windows;
    for (u32 i = 0; i < UI_MODAL_CAPACITY + 1; ++i)
    {
        auto* window = MakeRoot<TUIWindow>("TUIWindow", "modal", 10.0f, 10.0f);
        window->m_nFlags |= UI_MODAL;
        window->Show(false, true);
        window->Show(true, true);
        windows.push_back(window);
    }
    EXPECT_EQ(g_pUIManager->GetModalCount(), UI_MODAL_CAPACITY);
    EXPECT_EQ(g_pUIManager->GetModalTop(), windows[UI_MODAL_CAPACITY - 1]);
    windows[0]->Show(false, true);
    EXPECT_EQ(g_pUIManager->GetModalCount(), UI_MODAL_CAPACITY - 1);
    EXPECT_EQ(g_pUIManager->GetModalTop(), windows[UI_MODAL_CAPACITY - 1]);
    for (TUIItem* window : windows)
        g_pUIManager->RemoveModal(window);
    g_pUIManager->RemoveModal(windows[0]);
    EXPECT_EQ(g_pUIManager->GetModalCount(), 0u) << "popping an empty stack does nothing";
}

TEST_F(UIInputTest, EightHotKeysTheFirstItemOfTheKeyOrTheDefaultItemsSubtreeAndNoneWhileTheConsoleShows)
{
    TUIItem* item = MakeRoot<TUIItem>("TUITabControl", "keys", 0.0f, 0.0f);
    for (u32 i = 0; i < UI_HOT_KEY_COUNT; ++i)
        EXPECT_EQ(item->AddAction(UI_ACTION_NAMES[i]), 0);
    EXPECT_EQ(item->AddAction(UI_ACTION_NAMES[UI_HOT_KEY_COUNT]), 1);
    EXPECT_EQ(item->GetHotKeyCount(), UI_HOT_KEY_COUNT);
    EXPECT_EQ(item->AddAction("no such action"), 1);
    item->SetVisible(false);
    i32 first = 0, second = 0, inside = 0, always = 0;
    Button(nullptr, "first", 0.0f, 0.0f, first)->AddAction("menuselect2");
    Button(nullptr, "second", 0.0f, 100.0f, second)->AddAction("menuselect2");
    Tap(0x39);
    TDeferredVariable console("console_show");
    console.SetInt(1);
    Tap(0x39);
    console.SetInt(0);
    EXPECT_EQ(std::make_pair(first, second), std::make_pair(1, 0));
    // An open default item keeps the keys to its subtree; hidden, it restricts nothing.
    TUIButton* panel = Button(nullptr, "panel", 0.0f, 0.0f, inside);
    panel->m_nFlags |= UI_DEFAULT;
    panel->Show(false, true);
    panel->Show(true, true);
    ASSERT_EQ(g_pUIManager->m_pDefaultItem, panel);
    Button(panel, "child", 0.0f, 0.0f, inside)->AddAction("menuselect2");
    Tap(0x39);
    EXPECT_EQ(std::make_pair(inside, first), std::make_pair(1, 1));
    panel->SetVisible(false);
    Button(nullptr, "free", 0.0f, 200.0f, always)->AddAction("menuselect2");
    Tap(0x39);
    EXPECT_EQ(std::make_pair(first, always), std::make_pair(2, 0));
}

TEST_F(UIInputTest, ARestingPointerShowsTheTooltipAndMovingAwayOrHidingTheOwnerClosesIt)
{
    auto* tooltip = MakeRoot<TUILabel>("TUILabel", "tooltip", 10.0f, 10.0f);
    tooltip->m_Caption.SetMargins(4.0f, 2.0f);
    tooltip->Show(false, true);
    g_pUIManager->SetTooltipItem(tooltip);
    i32 clicks = 0;
    TUIButton* owner = Button(nullptr, "owner", 100.0f, 100.0f, clicks);
    owner->SetTooltip("HelpText");
    MoveTo(120, 110);
    Frames(40, 0.025f);
    EXPECT_EQ(g_pUIManager->GetTooltipOwner(), nullptr) << "1.0 s has not passed yet";
    MoveTo(125, 112);
    Frames(3, 0.025f);
    ASSERT_EQ(g_pUIManager->GetTooltipOwner(), owner) << "a move under 10 keeps the rest";
    EXPECT_TRUE(tooltip->IsOpen());
    EXPECT_GE(tooltip->m_Position.x, 125.0f + UI_TOOLTIP_OFFSET);
    EXPECT_GE(tooltip->m_Position.y, 112.0f + UI_TOOLTIP_OFFSET);
    EXPECT_GT(tooltip->m_Size.x, tooltip->m_Size.y) << "one line: text plus margins and (5, 10)";
    EXPECT_EQ(tooltip->m_Size.y, 20.0f + 2 * 2.0f + 10.0f);
    MoveTo(150, 112);
    Frame();
    EXPECT_EQ(g_pUIManager->GetTooltipOwner(), owner) << "25 away is still near";
    MoveTo(160, 112);
    Frame();
    EXPECT_EQ(g_pUIManager->GetTooltipOwner(), nullptr);

    MoveTo(110, 105);
    Frames(45, 0.025f);
    ASSERT_EQ(g_pUIManager->GetTooltipOwner(), owner);
    owner->SetVisible(false);
    Frame();
    EXPECT_EQ(g_pUIManager->GetTooltipOwner(), nullptr);

    // Near the corner it stays thirty inside the screen.
    TUIButton* corner = Button(nullptr, "corner", 1180.0f, 680.0f, clicks);
    corner->SetTooltip("HelpText");
    MoveTo(1270, 710);
    Frames(60, 0.025f);
    ASSERT_EQ(g_pUIManager->GetTooltipOwner(), corner);
    EXPECT_LE(tooltip->m_Position.x + tooltip->m_Size.x, 1280.0f - UI_TOOLTIP_OFFSET + 0.01f);
    EXPECT_LE(tooltip->m_Position.y + tooltip->m_Size.y, 720.0f - UI_TOOLTIP_OFFSET + 0.01f);
}
} // namespace

// The menus stand the game clock still (frames of step 0.0): the UI is still updated, on the
// real frame time, so that its fades and clicks go on.
TEST_F(UIInputTest, PausedFramesUpdateTheUIOnTheRealFrameTime)
{
    static i64 s_nClock = 0;
    TTimer timer([] { return s_nClock; });
    TTimer* const old = g_pTimer;
    g_pTimer = &timer;
    timer.SetScale(0.0f, TName("ui_test_stopped", true));
    s_nClock += TIMER_COUNTS_PER_SECOND / 2;
    timer.Update();
    ASSERT_EQ(timer.GetGameTimeStep(), 0.0f);
    ASSERT_GT(timer.GetRealTimeStep(), 0.0f);
    TManagerManager frames;
    frames.CreateSystem(TName("menu", true));
    frames.AddUpdateManager(g_pUIManager, 0);
    const f32 before = g_pUIManager->GetTime();
    frames.Update(timer.GetGameTimeStep());
    EXPECT_EQ(g_pUIManager->GetTime() - before, timer.GetRealTimeStep());
    g_pTimer = old;
}

TEST_F(UIInputTest, APressTakenByAUXFormOverAButtonDoesNotReachTheButton)
{
    UX::TUXManager& ux = UX::TUXManager::Instance();
    UX::TControl* form = ux.PrepareForm(TName("UXDemo", true));
    ASSERT_NE(form, nullptr);
    form->Show(2);
    Frame();
    UX::TControl* control = form->FindChild(TName("ux_demo_button_1", true));
    ASSERT_NE(control, nullptr);
    const i32 x = static_cast<i32>(control->BoxRect.x + control->BoxRect.width * 0.5f);
    const i32 y = static_cast<i32>(control->BoxRect.y + control->BoxRect.height * 0.5f);
    i32 clicks = 0;
    TUIButton* below = Button(nullptr, "below", static_cast<f32>(x - 50), static_cast<f32>(y - 20), clicks);

    ClickAt(x, y);
    EXPECT_EQ(ux.GetFocus(), control) << "the UX, drawn on top, takes the press";
    EXPECT_EQ(clicks, 0) << "the button under the form is not pressed too";
    // With the form gone the same press is the button's.
    form->Hide(1);
    Frame();
    ClickAt(x, y);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(below->m_nFlags & UI_POINTER_INSIDE);
}
