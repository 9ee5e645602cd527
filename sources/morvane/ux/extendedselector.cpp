#include "morvane/ux/extendedselector.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedSelector> s_Manager("TExtendedSelector");
} // namespace

const TClusterTypeDecl& TExtendedSelector::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedSelector", EXTENDED_SELECTOR_TYPE_ID, sizeof(TExtendedSelector),
        &UxPrototype<TExtendedSelector>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedSelector"),
         UX_LINK(1324, SELECTOR_TYPE_ID, 1, "pSelector", "UX::TExtendedSelector")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedSelector>& TExtendedSelector::Manager()
{
    return s_Manager;
}

const TName& TExtendedSelector::Class()
{
    static const TName s_Name("TExtendedSelector", true);
    return s_Name;
}

TExtendedSelector::TExtendedSelector() : pSelector(nullptr)
{
    ClassName = Class();
}

void TExtendedSelector::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pSelector, "selector");
}

void TExtendedSelector::OnLoad()
{
    FocusOnEnter(pSelector);
    HighlightCaption(pSelector);
}

void TExtendedSelector::OnRefresh()
{
    if (pSelector)
        pSelector->Refresh();
}

void TExtendedSelector::OnMouseEnter(TMouse*)
{
    if (pSelector)
        pSelector->SetFocus();
}
} // namespace UX
