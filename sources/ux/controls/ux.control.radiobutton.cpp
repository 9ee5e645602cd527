#include "ux/controls/ux.control.radiobutton.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TRadioButton> s_Manager("TRadioButton");
} // namespace

const TClusterTypeDecl& TRadioButton::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TRadioButton", RADIO_BUTTON_TYPE_ID, sizeof(TRadioButton), &UxPrototype<TRadioButton>(),
        UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TCheckBox::UX::TControl"), UX_CHECK_BOX_LINKS("UX::TCheckBox")});
    return s_Decl;
}

TControlManagerTemplate<TRadioButton>& TRadioButton::Manager()
{
    return s_Manager;
}

const TName& TRadioButton::Class()
{
    static const TName s_Name("TRadioButton", true);
    return s_Name;
}

TRadioButton::TRadioButton()
{
    Toggleable = 0;
    ClassName = Class();
}
} // namespace UX
