#include "ux/controls/ux.control.combobox.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TComboBox> s_Manager("TComboBox");
} // namespace

const TClusterTypeDecl& TComboBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TComboBox", COMBO_BOX_TYPE_ID, sizeof(TComboBox),
                                   &UxPrototype<TComboBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(4404, UX_ANY_TYPE, 1, "pDrop", "UX::TComboBox"),
                                    UX_LINK(4408, UX_ANY_TYPE, 1, "pLabel", "UX::TComboBox"),
                                    UX_LINK(4412, UX_ANY_TYPE, 1, "pDropForm", "UX::TComboBox"),
                                    UX_LINK(4416, UX_ANY_TYPE, 1, "pListBox", "UX::TComboBox"),
                                    UX_LINK(4420, UX_ANY_TYPE, 1, "pListBoxItem0", "UX::TComboBox")});
    return s_Decl;
}

TControlManagerTemplate<TComboBox>& TComboBox::Manager()
{
    return s_Manager;
}

const TName& TComboBox::Class()
{
    static const TName s_Name("TComboBox", true);
    return s_Name;
}

TComboBox::TComboBox()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    MaxDropRows = 24;
}

void TComboBox::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Items.ForgetLoadedWords();
}

void TComboBox::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Items.ReleaseLoaded();
}
} // namespace UX
