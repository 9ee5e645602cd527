#include "ux/controls/ux.control.trackbar.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TTrackBar> s_Manager("TTrackBar");
} // namespace

const TClusterTypeDecl& TTrackBar::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTrackBar", TRACK_BAR_TYPE_ID, sizeof(TTrackBar),
                                   &UxPrototype<TTrackBar>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1336, UX_ANY_TYPE, 1, "pScale", "UX::TTrackBar"),
                                    UX_LINK(1340, UX_ANY_TYPE, 1, "pSlider", "UX::TTrackBar")});
    return s_Decl;
}

TControlManagerTemplate<TTrackBar>& TTrackBar::Manager()
{
    return s_Manager;
}

const TName& TTrackBar::Class()
{
    static const TName s_Name("TTrackBar", true);
    return s_Name;
}

TTrackBar::TTrackBar()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    Maximum = 10;
    Value = 5;
    SnapKnob = 1;
}

void TTrackBar::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnChange.Forget();
}

void TTrackBar::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnChange.Clear();
}
} // namespace UX
