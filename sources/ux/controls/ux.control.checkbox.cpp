#include "ux/controls/ux.control.checkbox.h"

#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"
#include "ux/ux.text.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TCheckBox> s_Manager("TCheckBox");
} // namespace

const TClusterTypeDecl& TCheckBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TCheckBox", CHECK_BOX_TYPE_ID, sizeof(TCheckBox),
                                   &UxPrototype<TCheckBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"), UX_CHECK_BOX_LINKS("UX::TCheckBox")});
    return s_Decl;
}

TControlManagerTemplate<TCheckBox>& TCheckBox::Manager()
{
    return s_Manager;
}

const TName& TCheckBox::Class()
{
    static const TName s_Name("TCheckBox", true);
    return s_Name;
}

TCheckBox::TCheckBox()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

TCheckBox::~TCheckBox()
{
    Text.FreeLiteral();
}

void TCheckBox::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnChange.Forget();
    Text.ForgetLiteral();
}

void TCheckBox::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnChange.Clear();
    Text.FreeLiteral();
}

void TCheckBox::SetText(const TLocalization& text)
{
    Text = text;
}

void TCheckBox::Draw()
{
    DrawLocalization(ContentRect.x, ContentRect.y, ContentRect.width, ContentRect.height, Computed, Text);
}

void TCheckBox::OnClick(TMouse* mouse)
{
    if (mouse && (mouse->nButtons & BUTTON_LEFT_RELEASED))
        SetChecked(!Checked, 0);
}

i32 TCheckBox::OnAction(TControl*, const TName& action)
{
    if (action == ClickAction())
        SetChecked(!Checked, 0);
    return 0;
}

void TCheckBox::CopyFrom(const TControl& source)
{
    const TCheckBox& box = static_cast<const TCheckBox&>(source);
    Text = box.Text;
    pStyle[0] = box.pStyle[0];
    pStyle[1] = box.pStyle[1];
}

void TCheckBox::SetChecked(u32 v, u32 silent)
{
    const u8 checked = v ? 1 : 0;
    if (checked == Checked)
        return;
    Checked = checked;
    ApplyStateStyle(true);
    RaiseChange(silent);
}

void TCheckBox::ApplyStateStyle(bool setPointer)
{
    TTransitionStyle* style = pStyle[Checked ? 1 : 0];
    if (!style)
        return;
    for (u32 state = 0; state < STATE_COUNT; ++state)
        aTransitionImage[state] = style->aTransition[state].Image;
    if (setPointer)
        TControl::pStyle = style;
}

void TCheckBox::RaiseChange(u32 silent)
{
    if (InEvent || silent)
        return;
    InEvent = 1;
    OnChange.Invoke(this, nullptr);
    InEvent = 0;
}

void TCheckBox::UncheckQuietly()
{
    if (!Checked)
        return;
    Checked = 0;
    ApplyStateStyle(true);
}
} // namespace UX
