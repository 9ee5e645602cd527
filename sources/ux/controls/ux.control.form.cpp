#include "ux/controls/ux.control.form.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TForm> s_Manager("TForm");
} // namespace

TForm* TForm::s_pActiveForm = nullptr;

const TClusterTypeDecl& TForm::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TForm", FORM_TYPE_ID, sizeof(TForm), &UxPrototype<TForm>(),
                                   UX_VIRTUAL_TABLE_WORDS, {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TForm>& TForm::Manager()
{
    return s_Manager;
}

const TName& TForm::Class()
{
    static const TName s_Name("TForm", true);
    return s_Name;
}

TForm::TForm()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags &= ~CONTROL_CAPTURES;
}
} // namespace UX
