#include "morvane/ux/datecontrol.h"

#include "core/system/datetime.h"
#include "player/formatwidetext.h"
#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
// The year list: this year and the 99 before it.
constexpr i32 kYears = 100;
constexpr i32 kMonths = 12;
constexpr i32 kDays = 31;

TControlManagerTemplate<TDateControl> s_Manager("TDateControl");
} // namespace

const TClusterTypeDecl& TDateControl::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TDateControl", DATE_CONTROL_TYPE_ID, sizeof(TDateControl),
                                   &UxPrototype<TDateControl>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TDateControl"),
                                    UX_LINK(1324, COMBO_BOX_TYPE_ID, 1, "pYear", "UX::TDateControl"),
                                    UX_LINK(1328, COMBO_BOX_TYPE_ID, 1, "pMonth", "UX::TDateControl"),
                                    UX_LINK(1332, COMBO_BOX_TYPE_ID, 1, "pDay", "UX::TDateControl")});
    return s_Decl;
}

TControlManagerTemplate<TDateControl>& TDateControl::Manager()
{
    return s_Manager;
}

const TName& TDateControl::Class()
{
    static const TName s_Name("TDateControl", true);
    return s_Name;
}

TDateControl::TDateControl() : pYear(nullptr), pMonth(nullptr), pDay(nullptr)
{
    ClassName = Class();
}

void TDateControl::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pYear, "year list");
    CheckLoadedPartOf(pMonth, "month list");
    CheckLoadedPartOf(pDay, "day list");
}

i32 TDateControl::CurrentYear()
{
    TDateTime now;
    now.FromFileTime(GetLocalFileTime());
    return now.year;
}

void TDateControl::OnLoad()
{
    const i32 year = CurrentYear();
    const struct
    {
        TComboBox* list;
        i32 first;
        i32 count;
        i32 step;
    } lists[] = {{pYear, year, kYears, -1}, {pMonth, 1, kMonths, 1}, {pDay, 1, kDays, 1}};
    for (const auto& entry : lists)
    {
        if (!entry.list)
            continue;
        entry.list->AlignVertically(0.5f);
        entry.list->Items.Clear();
        for (i32 i = 0; i < entry.count; ++i)
        {
            TLocalization text;
            entry.list->Items.Add(static_cast<u32>(i), FormatWideText(text, u"%d", entry.first + i * entry.step));
        }
        entry.list->Refresh();
        HighlightCaption(entry.list->pListBox);
    }
}

i32 TDateControl::GetYear() const
{
    return CurrentYear() - (pYear ? pYear->SelectedIndex : 0);
}

void TDateControl::SetDate(const TDate& date)
{
    if (pYear)
        pYear->SetSelectedIndex(CurrentYear() - date.Year);
    if (pMonth)
        pMonth->SetSelectedIndex(date.Month - 1);
    if (pDay)
        pDay->SetSelectedIndex(date.Day - 1);
}
} // namespace UX
