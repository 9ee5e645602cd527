// States, transitions and visibility, on the demonstration form's loaded styles: transitions and
// instant ones, hides that wait for their transition, the per-frame update, a handler hiding its
// sender.
#include "uxfixture.h"

#include "ux/controls/ux.control.form.h"

namespace
{
class StateTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        button = Find("ux_demo_button_1");
        ASSERT_NE(button, nullptr);
    }

    // The button's update without the UX manager's input step.
    void Step(UX::TControl* control, f32 seconds)
    {
        UX::TMouse mouse{};
        control->UpdateFrame(&mouse, seconds);
    }

    UX::TControl* button = nullptr;
};

struct TUpdateProbe : UX::TControl
{
    void Update(UX::TMouse*, f32, u32 changed) override
    {
        ++nUpdates;
        nLastChanged = changed;
    }
    i32 nUpdates = 0;
    u32 nLastChanged = 9;
};

struct TCounter
{
    void Count(UX::TControl*, void*) { ++nCount; }
    void HideSender(UX::TControl* sender, void*)
    {
        ++nCount;
        sender->Hide(1);
    }
    i32 nCount = 0;
};
} // namespace

TEST_F(StateTest, ATransitionBlendsOverTheStyleTimeAndATimeOfZeroSwitchesAtTheNextStep)
{
    Form()->Show(2);
    Step(button, 0.0f);
    const f32 width = button->Computed.Rect.width;
    button->pStyle->aTransition[UX::STATE_PRESSED].Rect.width = 20.0f;
    button->SetPressed(1, 0);
    EXPECT_FLOAT_EQ(button->fTransitionDuration, 0.15f);
    Step(button, 0.075f);
    EXPECT_EQ(button->nState, UX::STATE_NORMAL);
    EXPECT_FLOAT_EQ(button->Computed.Rect.width - width, 10.0f * button->Computed.ScaleX)
        << "halfway to the pressed offset of 20";
    Step(button, 0.1f);
    EXPECT_EQ(button->nState, UX::STATE_PRESSED);
    EXPECT_EQ(button->nTargetState, UX::STATE_NONE);

    button->pStyle->aTransition[UX::STATE_NORMAL].TransitionTime = 0.0f;
    // SetPressed lays the button out: that step ends the transition without blending.
    button->SetPressed(0, 0);
    EXPECT_EQ(button->nState, UX::STATE_NORMAL);
    EXPECT_EQ(button->nTargetState, UX::STATE_NONE);
    EXPECT_FLOAT_EQ(button->Computed.Rect.width, width);
}

TEST_F(StateTest, AHideWaitsForItsTransitionAndAShowCancelsIt)
{
    UX::TControl* form = Form();
    form->Show(2);
    form->Hide(0);
    EXPECT_TRUE(form->nFlags & UX::CONTROL_VISIBLE);
    EXPECT_TRUE(form->nFlags & UX::CONTROL_HIDING);
    EXPECT_EQ(form->nTargetState, UX::STATE_HIDDEN);
    Step(form, 0.25f);
    EXPECT_TRUE(form->IsVisibleOnScreen());
    form->Show(0);
    EXPECT_FALSE(form->nFlags & UX::CONTROL_HIDING);
    EXPECT_EQ(form->nTargetState, UX::STATE_NORMAL) << "shown again from the hidden state";
    Step(form, 0.6f);
    EXPECT_EQ(form->nState, UX::STATE_NORMAL);

    form->Hide(0);
    Step(form, 0.6f);
    EXPECT_FALSE(form->nFlags & UX::CONTROL_VISIBLE);
    EXPECT_EQ(form->nState, UX::STATE_HIDDEN);
    EXPECT_FALSE(button->IsVisibleOnScreen()) << "the children left the screen with it";
}

TEST_F(StateTest, HiddenControlsRaiseOnUpdateButNothingElseUnlessAlwaysUpdated)
{
    UX::TControl* form = Form();
    TUpdateProbe probe, inner;
    probe.AddChild(&inner);
    form->AddChild(&probe);
    TCounter updates;
    probe.Event(UX::EVENT_UPDATE).AddHandler(0, &updates, &TCounter::Count);
    Step(form, 0.1f);
    EXPECT_EQ(updates.nCount, 0) << "a hidden form stops before its children";
    form->Show(2);
    probe.HideNow();
    Step(form, 0.1f);
    EXPECT_EQ(updates.nCount, 1);
    EXPECT_EQ(probe.nUpdates, 0);
    EXPECT_EQ(inner.nUpdates, 0);
    probe.nFlags |= UX::CONTROL_ALWAYS_UPDATED;
    Step(form, 0.1f);
    EXPECT_EQ(probe.nUpdates, 1);

    probe.Show(2);
    Step(form, 0.1f);
    Step(form, 0.1f);
    EXPECT_EQ(probe.nLastChanged, 0u) << "nothing moved and nothing marked it";
    EXPECT_FALSE(probe.nFlags & UX::CONTROL_CHANGED);
    probe.nFlags |= UX::CONTROL_CHANGED;
    Step(form, 0.1f);
    EXPECT_EQ(probe.nLastChanged, 1u);
    EXPECT_FALSE(probe.nFlags & UX::CONTROL_CHANGED);
    probe.RemoveChild(&inner);
    form->RemoveChild(&probe);
}

// A handler may hide the control that raised its event; the operation goes on without it.
TEST_F(StateTest, AHandlerThatHidesItsSenderLetsTheOperationFinish)
{
    UX::TControl* form = Form();
    form->Show(2);
    TCounter hider;
    button->Event(UX::EVENT_SHOW).AddHandler(0, &hider, &TCounter::HideSender);
    button->HideNow();
    button->Show(0);
    EXPECT_EQ(hider.nCount, 1);
    EXPECT_FALSE(button->nFlags & UX::CONTROL_VISIBLE);
}
