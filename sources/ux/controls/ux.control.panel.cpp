#include "ux/controls/ux.control.panel.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TPanel> s_Manager("TPanel");
} // namespace

const TClusterTypeDecl& TPanel::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TPanel", PANEL_TYPE_ID, sizeof(TPanel), &UxPrototype<TPanel>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1324, UX_ANY_TYPE, 1, "pContainer", "UX::TPanel"),
         UX_LINK(1328, UX_ANY_TYPE, 1, "pVScroller", "UX::TPanel")});
    return s_Decl;
}

TControlManagerTemplate<TPanel>& TPanel::Manager()
{
    return s_Manager;
}

const TName& TPanel::Class()
{
    static const TName s_Name("TPanel", true);
    return s_Name;
}

TPanel::TPanel()
{
    ZeroOwnPart(this);
    ClassName = Class();
}
} // namespace UX
