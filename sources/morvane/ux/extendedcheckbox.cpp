#include "morvane/ux/extendedcheckbox.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedCheckBox> s_Manager("TExtendedCheckBox");
} // namespace

const TClusterTypeDecl& TExtendedCheckBox::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedCheckBox", EXTENDED_CHECK_BOX_TYPE_ID, sizeof(TExtendedCheckBox),
        &UxPrototype<TExtendedCheckBox>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedCheckBox"),
         UX_LINK(1324, CHECK_BOX_TYPE_ID, 1, "pCheckBox", "UX::TExtendedCheckBox")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedCheckBox>& TExtendedCheckBox::Manager()
{
    return s_Manager;
}

const TName& TExtendedCheckBox::Class()
{
    static const TName s_Name("TExtendedCheckBox", true);
    return s_Name;
}

TExtendedCheckBox::TExtendedCheckBox() : pCheckBox(nullptr)
{
    ClassName = Class();
}

void TExtendedCheckBox::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pCheckBox, "check box");
}

void TExtendedCheckBox::OnLoad()
{
    FocusOnEnter(pCheckBox);
    HighlightCaption(pCheckBox);
}

void TExtendedCheckBox::OnMouseEnter(TMouse*)
{
    if (pCheckBox)
        pCheckBox->SetFocus();
}
} // namespace UX
