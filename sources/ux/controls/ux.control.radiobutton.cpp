#include "ux/controls/ux.control.radiobutton.h"

#include "ux/ux.actions.h"
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

i32 TRadioButton::OnAction(TControl*, const TName& action)
{
    if (action == ClickAction())
        Click();
    return 0;
}

void TRadioButton::SetChecked(u32 v, u32 silent)
{
    const u8 checked = v ? 1 : 0;
    if (checked == Checked)
        return;
    Checked = checked;
    if (checked && pParent)
        for (TControl* sibling = pParent->lChild.pFirst; sibling; sibling = sibling->pNext)
        {
            if (sibling == this || !sibling->IsClass(Class()))
                continue;
            TRadioButton* other = static_cast<TRadioButton*>(sibling);
            if (!other->Checked)
                continue;
            other->Uncheck();
            if (Toggleable && !silent)
                other->OnChange.Invoke(this, nullptr);
        }
    ApplyStateStyle(true);
    RaiseChange(silent);
}
} // namespace UX
