#pragma once
// UX::TExtendedCheckBox (stored type 167, 1,328 bytes): an option row, a caption label beside a check box.
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.label.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_CHECK_BOX_TYPE_ID = 167;

class TExtendedCheckBox : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedCheckBox>& Manager();
    static const TName& Class();

    TExtendedCheckBox();

    // The check box wired: focused when the mouse enters it, the caption following it.
    void OnLoad() override;
    // The mouse on the row focuses the check box.
    void OnMouseEnter(TMouse* mouse) override;
    void CheckLoadedValues();

    TCheckBox* pCheckBox;
};

static_assert(sizeof(TExtendedCheckBox) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedCheckBox, pLabel) == 1320);
static_assert(offsetof(TExtendedCheckBox, pCheckBox) == 1324);
#pragma GCC diagnostic pop
} // namespace UX
