#pragma once
// UX::TExtendedSelector (stored type 168, 1,328 bytes): an option row, a caption label beside a selector.
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.selector.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_SELECTOR_TYPE_ID = 168;

class TExtendedSelector : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedSelector>& Manager();
    static const TName& Class();

    TExtendedSelector();

    // The selector wired as the check box row's check box is.
    void OnLoad() override;
    void OnRefresh() override;
    void OnMouseEnter(TMouse* mouse) override;
    void CheckLoadedValues();

    TSelector* pSelector;
};

static_assert(sizeof(TExtendedSelector) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedSelector, pLabel) == 1320);
static_assert(offsetof(TExtendedSelector, pSelector) == 1324);
#pragma GCC diagnostic pop
} // namespace UX
