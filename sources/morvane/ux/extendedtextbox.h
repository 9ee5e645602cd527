#pragma once
// UX::TExtendedTextBox (stored type 170, 1,328 bytes): an option row, a caption label beside a text box.
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.textbox.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_TEXT_BOX_TYPE_ID = 170;

class TExtendedTextBox : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedTextBox>& Manager();
    static const TName& Class();

    TExtendedTextBox();

    // The caption follows the text box; the mouse entering or leaving it does nothing.
    void OnLoad() override;
    void CheckLoadedValues();

    TTextBox* pTextBox;
};

static_assert(sizeof(TExtendedTextBox) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedTextBox, pLabel) == 1320);
static_assert(offsetof(TExtendedTextBox, pTextBox) == 1324);
#pragma GCC diagnostic pop
} // namespace UX
