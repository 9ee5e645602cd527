// Tool tips over the demonstration form's buttons: the owner's own text in the label, the show
// delay and the duration, the place below the owner, kept on the back buffer, and hidden when the
// owner is left, pressed, hidden or disabled, or an owner inside it entered.
#include "uxfixture.h"

#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.tooltip.h"

#include <functional>

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

    bool Shown() const { return label->IsVisibleOnScreen(); }

    UX::TSimpleToolTip* tip = nullptr;
    UX::TLabel* label = nullptr;
    UX::TControl* apply = nullptr;
};
} // namespace

// The tip shows its delay after the mouse comes to rest on the owner (half a second, then a whole
// one; where, the demonstration form's golden image shows); with a duration of 3 it hides three
// seconds later. A visit left before the delay shows nothing, and each rest waits the whole delay.
TEST_F(ToolTipTest, ATipShowsAfterItsDelayAndHidesAfterItsDuration)
{
    tip->Duration = 3.0f;
    MouseOn(apply);
    Frames(18);
    MouseTo(4.0f, 4.0f);
    Frames(30);
    EXPECT_FALSE(Shown()) << "left at 0.3 s";
    for (const i32 delay : {30, 60})
    {
        SCOPED_TRACE(delay);
        tip->ShowDelay = static_cast<f32>(delay) / 60.0f;
        MouseOn(apply);
        Frame();
        EXPECT_EQ(tip->Owner, apply);
        Frames(delay - 4);
        EXPECT_FALSE(Shown()) << "0.05 s before";
        Frames(6);
        EXPECT_TRUE(Shown()) << "0.05 s after";
        Frames(174);
        EXPECT_TRUE(Shown()) << "2.95 s later";
        Frames(6);
        EXPECT_FALSE(Shown()) << "3.05 s later";
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
    UX::TControl* check = Find("ux_demo_check");
    for (const f32 height : {49.0f, 50.0f})
    {
        check->SetSize(200.0f, height);
        check->UpdateLayout(0);
        tip->Open(check, nullptr);
        Frame();
        EXPECT_FLOAT_EQ(label->Computed.Rect.y + label->Computed.Rect.height,
                        static_cast<f32>(Height()) - (height < 50.0f ? check->Computed.Rect.height : 0.0f))
            << height;
    }
    // Below its owner; beside the mouse over one taller than 200 units.
    tip->OffsetY = 0.0f;
    UX::TMouse mouse = {0, 100.0f, 100.0f, 0};
    for (const f32 height : {200.0f, 201.0f})
    {
        check->SetSize(200.0f, height);
        check->UpdateLayout(0);
        tip->Open(check, &mouse);
        Frame();
        const UX::TRect& r = check->Computed.Rect;
        EXPECT_FLOAT_EQ(label->Computed.Rect.x, height > 200.0f ? 110.0f : r.x) << height;
        EXPECT_FLOAT_EQ(label->Computed.Rect.y, height > 200.0f ? 120.0f : r.y + r.height) << height;
    }
    // Centred under its owner.
    tip->Placement = 1;
    tip->Open(apply, nullptr);
    Frame();
    EXPECT_FLOAT_EQ(label->Computed.Rect.x + label->Computed.Rect.width * 0.5f,
                    apply->Computed.Rect.x + apply->Computed.Rect.width * 0.5f);
}

TEST_F(ToolTipTest, ATipHidesWhenItsOwnerIsLeftPressedHiddenOrDisabled)
{
    // A button whose click opens nothing.
    UX::TControl* owner = Find("ux_demo_button_1");
    owner->nFlags |= UX::CONTROL_SHOWS_TOOL_TIP;
    owner->pToolTip = tip;
    owner->TControl::Text = apply->TControl::Text;
    apply = owner;
    const struct
    {
        const char* what;
        std::function<void()> act, undo;
    } cases[] = {
        {"left", [&] { MouseTo(4.0f, 4.0f); Frame(); }, [] {}},
        {"pressed", [&] { Button(true); Frame(); }, [&] { Button(false); Frame(); }},
        {"disabled", [&] { apply->Disable(); }, [&] { apply->Enable(); }},
        {"hidden", [&] { apply->Hide(1); }, [&] { apply->Show(2); }},
    };
    for (const auto& c : cases)
    {
        MouseOn(apply);
        Frames(40);
        ASSERT_TRUE(Shown()) << c.what;
        c.act();
        EXPECT_FALSE(Shown()) << c.what;
        c.undo();
        MouseTo(4.0f, 4.0f);
        Frame();
        EXPECT_EQ(tip->Owner, nullptr) << c.what;
    }
    // From an owner into one inside it: hidden until the inner one's delay.
    UX::TControl* outer = apply->pParent;
    outer->nFlags |= UX::CONTROL_SHOWS_TOOL_TIP;
    outer->pToolTip = tip;
    MouseTo(outer->Computed.Rect.x + 1.0f, outer->Computed.Rect.y + 1.0f);
    Frames(40);
    ASSERT_TRUE(Shown());
    MouseOn(apply);
    Frame();
    EXPECT_FALSE(Shown()) << "inner";
    Frames(40);
    EXPECT_TRUE(Shown() && tip->Owner == apply) << "inner, its delay later";
}
