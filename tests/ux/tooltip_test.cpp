// Tool tips over the demonstration form's buttons: the owner's own text in the label, the show
// delay and the duration, the place below the owner, kept on the back buffer, and hidden when the
// owner is left, pressed, hidden or disabled.
#include "uxfixture.h"

#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.tooltip.h"


namespace
{
class ToolTipTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        SetLanguage("english");
        Form()->Show(2);
        Frames(2);
        tip = Ux().GetDefaultToolTip();
        ASSERT_NE(tip, nullptr);
        label = static_cast<UX::TLabel*>(tip->pLabel);
        ASSERT_NE(label, nullptr);
        apply = Find("ux_demo_apply");
    }
    void TearDown() override
    {
        tip->Duration = 0.0f;
        tip->OffsetX = tip->OffsetY = 0.0f;
        UxTest::TearDown();
    }

    bool Shown() const { return label->IsVisibleOnScreen(); }

    UX::TSimpleToolTip* tip = nullptr;
    UX::TLabel* label = nullptr;
    UX::TControl* apply = nullptr;
};
} // namespace

// Half a second after the mouse comes to rest on the owner the tip shows (where, the demonstration
// form's golden image shows); with a duration of 3 it hides three seconds later. A visit left
// before the delay shows nothing, and each rest after it waits the whole delay again.
TEST_F(ToolTipTest, ATipShowsAfterItsDelayAndHidesAfterItsDuration)
{
    tip->Duration = 3.0f;
    MouseOn(apply);
    Frames(18);
    MouseTo(4.0f, 4.0f);
    Frames(30);
    EXPECT_FALSE(Shown()) << "left at 0.3 s";
    for (int rest = 0; rest < 2; ++rest)
    {
        SCOPED_TRACE(rest);
        MouseOn(apply);
        Frame();
        EXPECT_EQ(tip->Owner, apply);
        EXPECT_FALSE(Shown());
        Frames(26);
        EXPECT_FALSE(Shown()) << "0.45 s";
        Frames(6);
        EXPECT_TRUE(Shown()) << "0.55 s";
        Frames(174);
        EXPECT_TRUE(Shown()) << "3.45 s";
        Frames(6);
        EXPECT_FALSE(Shown()) << "3.55 s";
        MouseTo(4.0f, 4.0f);
        Frame();
    }
}

TEST_F(ToolTipTest, ATipIsKeptOnTheBackBuffer)
{
    tip->ShowDelay = 0.0f;
    // Far to the right: it ends at the right edge.
    tip->OffsetX = 2000.0f;
    tip->Open(apply, nullptr);
    Frame();
    EXPECT_TRUE(Shown());
    EXPECT_FLOAT_EQ(label->Computed.Rect.x + label->Computed.Rect.width, static_cast<f32>(Width()));
    // Far down: it ends at the bottom, moved above an owner lower than 50 units.
    tip->OffsetX = 0.0f;
    tip->OffsetY = 2000.0f;
    tip->Open(apply, nullptr);
    Frame();
    EXPECT_FLOAT_EQ(label->Computed.Rect.y + label->Computed.Rect.height, static_cast<f32>(Height()));
    UX::TControl* check = Find("ux_demo_check");
    check->SetSize(200.0f, 40.0f);
    check->UpdateLayout(0);
    tip->Open(check, nullptr);
    Frame();
    EXPECT_FLOAT_EQ(label->Computed.Rect.y + label->Computed.Rect.height,
                    static_cast<f32>(Height()) - check->Computed.Rect.height);
    // Centred under its owner.
    tip->OffsetY = 0.0f;
    tip->Placement = 1;
    tip->Open(apply, nullptr);
    Frame();
    EXPECT_FLOAT_EQ(label->Computed.Rect.x + label->Computed.Rect.width * 0.5f,
                    apply->Computed.Rect.x + apply->Computed.Rect.width * 0.5f);
    tip->Placement = 0;
    tip->ShowDelay = 0.5f;
}

TEST_F(ToolTipTest, ATipHidesWhenItsOwnerIsLeftPressedHiddenOrDisabled)
{
    // A button whose click opens nothing.
    UX::TControl* owner = Find("ux_demo_button_1");
    owner->nFlags |= UX::CONTROL_SHOWS_TOOL_TIP;
    owner->pToolTip = tip;
    owner->TControl::Text = apply->TControl::Text;
    apply = owner;
    auto showOn = [&](UX::TControl* owner) {
        MouseOn(owner);
        Frames(40);
        ASSERT_TRUE(Shown());
    };
    showOn(apply);
    MouseTo(4.0f, 4.0f);
    Frame();
    EXPECT_FALSE(Shown()) << "left";
    EXPECT_EQ(tip->Owner, nullptr);
    showOn(apply);
    Button(true);
    Frame();
    EXPECT_FALSE(Shown()) << "pressed";
    Button(false);
    Frame();
    MouseTo(4.0f, 4.0f);
    Frame();
    showOn(apply);
    apply->Disable();
    EXPECT_FALSE(Shown()) << "disabled";
    apply->Enable();
    MouseTo(4.0f, 4.0f);
    Frame();
    showOn(apply);
    apply->Hide(1);
    EXPECT_FALSE(Shown()) << "hidden";
}
