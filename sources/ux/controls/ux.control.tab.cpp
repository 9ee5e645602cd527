#include "ux/controls/ux.control.tab.h"

#include "ux/controls/ux.control.tabcontrol.h"
#include "ux/ux.actions.h"
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

i32 TTab::OnAction(TControl*, const TName& action)
{
    if (action == ClickAction())
        SetChecked(1, 0);
    return 0;
}

void TTab::SetChecked(u32 v, u32 silent)
{
    const u8 checked = v ? 1 : 0;
    if (checked == Checked)
        return;
    Checked = checked;
    if (checked && pParent && pParent->IsClass(TTabControl::Class()))
        static_cast<TTabControl*>(pParent)->SelectTab(this);
    ApplyStateStyle(true);
    RaiseChange(silent);
}
} // namespace UX
