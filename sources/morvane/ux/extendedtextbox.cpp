#include "morvane/ux/extendedtextbox.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedTextBox> s_Manager("TExtendedTextBox");
} // namespace

const TClusterTypeDecl& TExtendedTextBox::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedTextBox", EXTENDED_TEXT_BOX_TYPE_ID, sizeof(TExtendedTextBox),
        &UxPrototype<TExtendedTextBox>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedTextBox"),
         UX_LINK(1324, TEXT_BOX_TYPE_ID, 1, "pTextBox", "UX::TExtendedTextBox")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedTextBox>& TExtendedTextBox::Manager()
{
    return s_Manager;
}

const TName& TExtendedTextBox::Class()
{
    static const TName s_Name("TExtendedTextBox", true);
    return s_Name;
}

TExtendedTextBox::TExtendedTextBox() : pTextBox(nullptr)
{
    ClassName = Class();
}

void TExtendedTextBox::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pTextBox, "text box");
}

void TExtendedTextBox::OnLoad()
{
    IgnoreEnterAndLeave(pTextBox);
    HighlightCaption(pTextBox);
}
} // namespace UX
