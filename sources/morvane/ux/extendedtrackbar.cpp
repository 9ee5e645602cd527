#include "morvane/ux/extendedtrackbar.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedTrackBar> s_Manager("TExtendedTrackBar");
} // namespace

const TClusterTypeDecl& TExtendedTrackBar::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedTrackBar", EXTENDED_TRACK_BAR_TYPE_ID, sizeof(TExtendedTrackBar),
        &UxPrototype<TExtendedTrackBar>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedTrackBar"),
         UX_LINK(1324, BUTTON_TYPE_ID, 1, "pLeft", "UX::TExtendedTrackBar"),
         UX_LINK(1328, BUTTON_TYPE_ID, 1, "pRight", "UX::TExtendedTrackBar"),
         UX_LINK(1332, TRACK_BAR_TYPE_ID, 1, "pTrackbar", "UX::TExtendedTrackBar")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedTrackBar>& TExtendedTrackBar::Manager()
{
    return s_Manager;
}

const TName& TExtendedTrackBar::Class()
{
    static const TName s_Name("TExtendedTrackBar", true);
    return s_Name;
}

TExtendedTrackBar::TExtendedTrackBar() : pLabel(nullptr), pLeft(nullptr), pRight(nullptr), pTrackbar(nullptr)
{
    ClassName = Class();
}
} // namespace UX
