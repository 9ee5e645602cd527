#include "ux/controls/ux.control.textbox.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TTextBox> s_Manager("TTextBox");
} // namespace

const TClusterTypeDecl& TTextBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTextBox", TEXT_BOX_TYPE_ID, sizeof(TTextBox),
                                   &UxPrototype<TTextBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TTextBox>& TTextBox::Manager()
{
    return s_Manager;
}

const TName& TTextBox::Class()
{
    static const TName s_Name("TTextBox", true);
    return s_Name;
}

TTextBox::TTextBox()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE | CONTROL_CAPTURES | CONTROL_CLIPS;
    nClipStage = CLIP_BEFORE_DRAW;
    MaxLength = 31;
    SelectionStart = SelectionEnd = -1;
    Inset = 2.0f;
}

void TTextBox::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnTextChange.Forget();
    OnSubmit.Forget();
    OnCancel.Forget();
}

void TTextBox::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnTextChange.Clear();
    OnSubmit.Clear();
    OnCancel.Clear();
}
} // namespace UX
