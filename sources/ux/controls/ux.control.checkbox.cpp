#include "ux/controls/ux.control.checkbox.h"

#include "ux/ux.reflection.h"

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
} // namespace UX
