#pragma once
// UX::TExtendedLabel (stored type 169, 1,328 bytes): an option row, a caption label beside a value label.
#include "ux/controls/ux.control.label.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_LABEL_TYPE_ID = 169;

class TExtendedLabel : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedLabel>& Manager();
    static const TName& Class();

    TExtendedLabel();

    // A click on the value puts its text on the clipboard.
    void OnLoad() override;
    void CheckLoadedValues();

    TLabel* pValue;

private:
    void OnValueClick(TControl* value, void*);
};

static_assert(sizeof(TExtendedLabel) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedLabel, pLabel) == 1320);
static_assert(offsetof(TExtendedLabel, pValue) == 1324);
#pragma GCC diagnostic pop
} // namespace UX
