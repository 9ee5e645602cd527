#pragma once
// UX::TExtendedCheckBox (stored type 167, 1,328 bytes): an option row, a caption label beside a check box.
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 EXTENDED_CHECK_BOX_TYPE_ID = 167;

class TExtendedCheckBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedCheckBox>& Manager();
    static const TName& Class();

    TExtendedCheckBox();

    TLabel* pLabel;
    TCheckBox* pCheckBox;
};

static_assert(sizeof(TExtendedCheckBox) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedCheckBox, pLabel) == 1320);
static_assert(offsetof(TExtendedCheckBox, pCheckBox) == 1324);
#pragma GCC diagnostic pop
} // namespace UX
