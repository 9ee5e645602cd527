// The control base: the order of its operations, and tab
// numbering and stepping.
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/ux.control.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
// The slot of a virtual member function: the Itanium pointer holds 1 + the slot's byte offset.
template <class F> i32 Slot(F function)
{
    u32 words[2];
    static_assert(sizeof(F) == sizeof words);
    std::memcpy(words, &function, sizeof words);
    return static_cast<i32>((words[0] - 1) / sizeof(void*));
}

UX::TControl* Focusable(UX::TControl& control)
{
    control.nFlags |= UX::CONTROL_FOCUSABLE;
    return &control;
}
} // namespace

// The stored virtual-table words are those of these 21 operations, after the destructor's two.
TEST(UxControl, TheOperationsKeepTheirSlots)
{
    using C = UX::TControl;
    const i32 slots[] = {Slot(&C::SetText),       Slot(&C::OnLoad),       Slot(&C::OnLayerHook), Slot(&C::OnStyleHook),
                         Slot(&C::OnShow),        Slot(&C::OnHide),       Slot(&C::OnEnable),    Slot(&C::OnDisable),
                         Slot(&C::OnActivate),    Slot(&C::OnDeactivate), Slot(&C::Update),      Slot(&C::Draw),
                         Slot(&C::OnRefresh),     Slot(&C::OnClick),      Slot(&C::OnMouseUp),   Slot(&C::OnMouseDown),
                         Slot(&C::OnMouseEnter),  Slot(&C::OnMouseLeave), Slot(&C::CopyFrom),    Slot(&C::OnAction)};
    for (i32 i = 0; i < 20; ++i)
        EXPECT_EQ(slots[i], i + 2) << i;
}

// Focusable children are numbered from 1 in their form, transparent containers left out; a
// parent that has a tab index of its own numbers nothing.
TEST(UxControl, TabStopsAreNumberedInTheirFormAndSteppedWithWrapping)
{
    UX::TForm form;
    UX::TControl panel, a, b, c, plain, hidden;
    panel.nFlags |= UX::CONTROL_TRANSPARENT | UX::CONTROL_FOCUSABLE;
    form.AddChild(&panel);
    EXPECT_EQ(panel.nTabIndex, 0) << "a transparent container is not numbered";
    panel.AddChild(Focusable(a));
    form.AddChild(&plain);
    form.AddChild(Focusable(b));
    panel.AddChild(Focusable(c));
    EXPECT_EQ(a.nTabIndex, 1);
    EXPECT_EQ(plain.nTabIndex, 0);
    EXPECT_EQ(b.nTabIndex, 1) << "the transparent container's subtree is left out of the search";
    EXPECT_EQ(c.nTabIndex, 2);
    b.nTabIndex = 3;
    UX::TControl numbered;
    numbered.nTabIndex = 7;
    numbered.AddChild(Focusable(hidden));
    EXPECT_EQ(hidden.nTabIndex, 0);
    numbered.RemoveChild(&hidden);

    EXPECT_EQ(form.FindNextTabStop(1), &c);
    EXPECT_EQ(form.FindNextTabStop(2), &b);
    EXPECT_EQ(form.FindNextTabStop(3), &a) << "past the last it wraps to the first";
    EXPECT_EQ(form.FindPrevTabStop(3), &c);
    EXPECT_EQ(form.FindPrevTabStop(1), &b) << "before the first it wraps to the last";
    c.nFlags &= ~UX::CONTROL_ENABLED;
    EXPECT_EQ(form.FindNextTabStop(1), &b) << "a disabled control is no tab stop";
    panel.RemoveChild(&a);
    panel.RemoveChild(&c);
    form.RemoveChild(&panel);
    form.RemoveChild(&plain);
    form.RemoveChild(&b);
}
