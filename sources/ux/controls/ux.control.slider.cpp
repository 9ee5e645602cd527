#include "ux/controls/ux.control.slider.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TSlider> s_Manager("TSlider");
} // namespace

const TClusterTypeDecl& TSlider::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TSlider", SLIDER_TYPE_ID, sizeof(TSlider), &UxPrototype<TSlider>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1340, UX_ANY_TYPE, 1, "pLeft", "UX::TSlider"),
         UX_LINK(1344, UX_ANY_TYPE, 1, "pRight", "UX::TSlider"),
         UX_LINK(1348, UX_ANY_TYPE, 1, "pTrackbar", "UX::TSlider"),
         UX_LINK(1352, TRANSITION_STYLE_TYPE_ID, 1, "pTrackbarStyle", "UX::TSlider")});
    return s_Decl;
}

TControlManagerTemplate<TSlider>& TSlider::Manager()
{
    return s_Manager;
}

const TName& TSlider::Class()
{
    static const TName s_Name("TSlider", true);
    return s_Name;
}

TSlider::TSlider()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TSlider::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnChange.Forget();
}

void TSlider::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnChange.Clear();
}
} // namespace UX
