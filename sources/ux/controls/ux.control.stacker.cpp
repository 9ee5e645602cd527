#include "ux/controls/ux.control.stacker.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TStacker> s_Manager("TStacker");
} // namespace

const TClusterTypeDecl& TStacker::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TStacker", STACKER_TYPE_ID, sizeof(TStacker), &UxPrototype<TStacker>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"),
         UX_LINK(9552, UX_ANY_TYPE, STACKER_ITEM_CAPACITY, "aDetail", "UX::TStacker")});
    return s_Decl;
}

TControlManagerTemplate<TStacker>& TStacker::Manager()
{
    return s_Manager;
}

const TName& TStacker::Class()
{
    static const TName s_Name("TStacker", true);
    return s_Name;
}

TStacker::TStacker()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TStacker::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnItemClick.Forget();
}

void TStacker::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnItemClick.Clear();
}
} // namespace UX
