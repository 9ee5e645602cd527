#include "ux/controls/ux.control.button.h"

#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"
#include "ux/ux.text.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TButton> s_Manager("TButton");
} // namespace

const TClusterTypeDecl& TButton::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TButton", BUTTON_TYPE_ID, sizeof(TButton), &UxPrototype<TButton>(),
                                   UX_VIRTUAL_TABLE_WORDS, {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TButton>& TButton::Manager()
{
    return s_Manager;
}

const TName& TButton::Class()
{
    static const TName s_Name("TButton", true);
    return s_Name;
}

TButton::TButton()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
}

TButton::~TButton()
{
    Text.FreeLiteral();
}

void TButton::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Text.ForgetLiteral();
}

void TButton::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Text.FreeLiteral();
}

void TButton::Draw()
{
    DrawLocalization(ContentRect.x, ContentRect.y, ContentRect.width, ContentRect.height, Computed, Text);
}

void TButton::OnLayerHook()
{
    AddActionBinding(ClickAction(), "Space", SCOPE_FOCUSED);
    AddActionBinding(ClickAction(), "Enter", SCOPE_FOCUSED);
}
} // namespace UX
