#pragma once
// UX::TRadioButton (stored type 242, 1,368 bytes): a check box that unchecks its checked
// siblings.
#include "ux/controls/ux.control.checkbox.h"

namespace UX
{
constexpr u16 RADIO_BUTTON_TYPE_ID = 242;

class TRadioButton : public TCheckBox
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TRadioButton>& Manager();
    static const TName& Class();

    TRadioButton();

    // 0: a click always checks; otherwise a click toggles.
    i32 Toggleable;
};

static_assert(sizeof(TRadioButton) == 1368);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TRadioButton, Toggleable) == 1364);
#pragma GCC diagnostic pop
} // namespace UX
