#include "ux/controls/ux.control.tab.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TTab> s_Manager("TTab");
} // namespace

const TClusterTypeDecl& TTab::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TTab", TAB_TYPE_ID, sizeof(TTab), &UxPrototype<TTab>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TCheckBox::UX::TControl"), UX_CHECK_BOX_LINKS("UX::TCheckBox")});
    return s_Decl;
}

TControlManagerTemplate<TTab>& TTab::Manager()
{
    return s_Manager;
}

const TName& TTab::Class()
{
    static const TName s_Name("TTab", true);
    return s_Name;
}

TTab::TTab()
{
    ClassName = Class();
}
} // namespace UX
