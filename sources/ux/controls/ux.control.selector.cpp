#include "ux/controls/ux.control.selector.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TSelector> s_Manager("TSelector");
} // namespace

const TClusterTypeDecl& TSelector::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TSelector", SELECTOR_TYPE_ID, sizeof(TSelector),
                                   &UxPrototype<TSelector>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(4404, UX_ANY_TYPE, 1, "pLeft", "UX::TSelector"),
                                    UX_LINK(4408, UX_ANY_TYPE, 1, "pRight", "UX::TSelector"),
                                    UX_LINK(4412, UX_ANY_TYPE, 1, "pLabel", "UX::TSelector")});
    return s_Decl;
}

TControlManagerTemplate<TSelector>& TSelector::Manager()
{
    return s_Manager;
}

const TName& TSelector::Class()
{
    static const TName s_Name("TSelector", true);
    return s_Name;
}

TSelector::TSelector()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TSelector::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Items.ForgetLoadedWords();
    OnChange.Forget();
}

void TSelector::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Items.ReleaseLoaded();
    OnChange.Clear();
}
} // namespace UX
