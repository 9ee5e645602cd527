#pragma once
// UX::TDateControl (stored type 174, 1,336 bytes): an option row, a caption label beside year, month and day
// lists.
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.label.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 DATE_CONTROL_TYPE_ID = 174;

class TDateControl : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TDateControl>& Manager();
    static const TName& Class();

    // The date record the screens pass: year at 0, month at 2, day at 4.
    struct TDate
    {
        i16 Year;
        u8 Month;
        u8 nReserved3;
        u8 Day;
        u8 aReserved5[3];
    };

    TDateControl();

    // The three lists centred vertically and filled: this year back 99 years, 1-12, 1-31.
    void OnLoad() override;
    // This year less the chosen year's place.
    i32 GetYear() const;
    // The nearest entries of the lists: nothing outside them is chosen.
    void SetDate(const TDate& date);
    // This year of the local clock.
    static i32 CurrentYear();
    void CheckLoadedValues();

    TComboBox* pYear;
    TComboBox* pMonth;
    TComboBox* pDay;
};

static_assert(sizeof(TDateControl) == 1336);
static_assert(sizeof(TDateControl::TDate) == 8);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TDateControl, pLabel) == 1320);
static_assert(offsetof(TDateControl, pYear) == 1324);
static_assert(offsetof(TDateControl, pMonth) == 1328);
static_assert(offsetof(TDateControl, pDay) == 1332);
static_assert(offsetof(TDateControl::TDate, Month) == 2);
static_assert(offsetof(TDateControl::TDate, Day) == 4);
#pragma GCC diagnostic pop
} // namespace UX
