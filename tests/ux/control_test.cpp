// The control base: the order of its operations.
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
