#include "morvane/ux/extendedtrackbar.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedTrackBar> s_Manager("TExtendedTrackBar");
} // namespace

const TClusterTypeDecl& TExtendedTrackBar::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedTrackBar", EXTENDED_TRACK_BAR_TYPE_ID, sizeof(TExtendedTrackBar),
        &UxPrototype<TExtendedTrackBar>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedTrackBar"),
         UX_LINK(1324, BUTTON_TYPE_ID, 1, "pLeft", "UX::TExtendedTrackBar"),
         UX_LINK(1328, BUTTON_TYPE_ID, 1, "pRight", "UX::TExtendedTrackBar"),
         UX_LINK(1332, TRACK_BAR_TYPE_ID, 1, "pTrackbar", "UX::TExtendedTrackBar")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedTrackBar>& TExtendedTrackBar::Manager()
{
    return s_Manager;
}

const TName& TExtendedTrackBar::Class()
{
    static const TName s_Name("TExtendedTrackBar", true);
    return s_Name;
}

TExtendedTrackBar::TExtendedTrackBar() : pLeft(nullptr), pRight(nullptr), pTrackbar(nullptr)
{
    ClassName = Class();
}

void TExtendedTrackBar::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pLeft, "left arrow");
    CheckLoadedPartOf(pRight, "right arrow");
    CheckLoadedPartOf(pTrackbar, "track bar");
}

void TExtendedTrackBar::OnLoad()
{
    if (!pTrackbar)
        return;
    for (TButton* arrow : {pLeft, pRight})
        if (arrow)
            arrow->Event(EVENT_CLICK).AddHandler(0, this, &TExtendedTrackBar::OnArrowClick);
    pTrackbar->OnChange.AddHandler(0, this, &TExtendedTrackBar::OnValueChange);
    UpdateArrows();
    FocusOnEnter(pTrackbar);
    HighlightCaption(pTrackbar);
}

void TExtendedTrackBar::OnMouseEnter(TMouse*)
{
    if (pTrackbar)
        pTrackbar->SetFocus();
}

void TExtendedTrackBar::UpdateArrows()
{
    if (!pTrackbar)
        return;
    if (pLeft)
        pTrackbar->Value <= pTrackbar->Minimum ? pLeft->Disable() : pLeft->Enable();
    if (pRight)
        pTrackbar->Value >= pTrackbar->Maximum ? pRight->Disable() : pRight->Enable();
}

void TExtendedTrackBar::OnArrowClick(TControl* arrow, void*)
{
    pTrackbar->SetValue(pTrackbar->Value + (arrow == pLeft ? -1 : 1), 1);
    UpdateArrows();
}

void TExtendedTrackBar::OnValueChange(TControl*, void*)
{
    UpdateArrows();
}
} // namespace UX
