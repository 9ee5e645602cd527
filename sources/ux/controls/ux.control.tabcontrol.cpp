#include "ux/controls/ux.control.tabcontrol.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TTabControl> s_Manager("TTabControl");
} // namespace

const TClusterTypeDecl& TTabControl::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTabControl", TAB_CONTROL_TYPE_ID, sizeof(TTabControl),
                                   &UxPrototype<TTabControl>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1328, UX_ANY_TYPE, TAB_CAPACITY, "aTab", "UX::TTabControl"),
                                    UX_LINK(1460, UX_ANY_TYPE, TAB_CAPACITY, "aPanel", "UX::TTabControl")});
    return s_Decl;
}

TControlManagerTemplate<TTabControl>& TTabControl::Manager()
{
    return s_Manager;
}

const TName& TTabControl::Class()
{
    static const TName s_Name("TTabControl", true);
    return s_Name;
}

TTabControl::TTabControl()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TTabControl::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnTabChange.Forget();
}

void TTabControl::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnTabChange.Clear();
}
} // namespace UX
