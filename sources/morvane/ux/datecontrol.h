#pragma once
// UX::TDateControl (stored type 174, 1,336 bytes): an option row, a caption label beside year, month and day
// lists.
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 DATE_CONTROL_TYPE_ID = 174;

class TDateControl : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TDateControl>& Manager();
    static const TName& Class();

    TDateControl();

    TLabel* pLabel;
    TComboBox* pYear;
    TComboBox* pMonth;
    TComboBox* pDay;
};

static_assert(sizeof(TDateControl) == 1336);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TDateControl, pLabel) == 1320);
static_assert(offsetof(TDateControl, pYear) == 1324);
static_assert(offsetof(TDateControl, pMonth) == 1328);
static_assert(offsetof(TDateControl, pDay) == 1332);
#pragma GCC diagnostic pop
} // namespace UX
