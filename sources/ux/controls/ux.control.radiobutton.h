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

    // A click checks, or toggles when Toggleable.
    void OnClick(TMouse* mouse) override { Click(); }
    i32 OnAction(TControl* sender, const TName& action) override;
    // Checking unchecks the checked sibling radio buttons without their events, unless this one
    // is Toggleable: then each unchecked sibling raises its OnChange with this one as sender.
    void SetChecked(u32 v, u32 silent) override;
    void Uncheck() override { UncheckQuietly(); }

    // 0: a click always checks; otherwise a click toggles.
    i32 Toggleable;

private:
    void Click() { SetChecked(Toggleable ? !Checked : 1, 0); }
};

static_assert(sizeof(TRadioButton) == 1368);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TRadioButton, Toggleable) == 1364);
#pragma GCC diagnostic pop
} // namespace UX
