#include "ux/controls/ux.control.vscroller.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TVScroller> s_Manager("TVScroller");
} // namespace

const TClusterTypeDecl& TVScroller::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TVScroller", VSCROLLER_TYPE_ID, sizeof(TVScroller),
                                   &UxPrototype<TVScroller>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1364, UX_ANY_TYPE, 1, "pUp", "UX::TVScroller"),
                                    UX_LINK(1368, UX_ANY_TYPE, 1, "pDown", "UX::TVScroller"),
                                    UX_LINK(1372, UX_ANY_TYPE, 1, "pSlider", "UX::TVScroller")});
    return s_Decl;
}

TControlManagerTemplate<TVScroller>& TVScroller::Manager()
{
    return s_Manager;
}

const TName& TVScroller::Class()
{
    static const TName s_Name("TVScroller", true);
    return s_Name;
}

TVScroller::TVScroller()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    Range = 10;
    Page = 1;
    Step = 1;
    ThumbWidth = -1.0f;
    MinThumbLength = 16.0f;
}

void TVScroller::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnScroll.Forget();
}

void TVScroller::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnScroll.Clear();
}
} // namespace UX
