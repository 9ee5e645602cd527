#pragma once
// UX::TTab (stored type 243, 1,364 bytes): a check box that selects itself in its tab control.
#include "ux/controls/ux.control.checkbox.h"

namespace UX
{
constexpr u16 TAB_TYPE_ID = 243;

class TTab : public TCheckBox
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TTab>& Manager();
    static const TName& Class();

    TTab();

    // A click selects the tab.
    void OnClick(TMouse* mouse) override { SetChecked(1, 0); }
    i32 OnAction(TControl* sender, const TName& action) override;
    // Checking selects the tab in its tab control.
    void SetChecked(u32 v, u32 silent) override;
    void Uncheck() override { UncheckQuietly(); }
};

static_assert(sizeof(TTab) == 1364);
} // namespace UX
