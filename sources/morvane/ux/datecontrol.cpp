#include "morvane/ux/datecontrol.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TDateControl> s_Manager("TDateControl");
} // namespace

const TClusterTypeDecl& TDateControl::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TDateControl", DATE_CONTROL_TYPE_ID, sizeof(TDateControl),
                                   &UxPrototype<TDateControl>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TDateControl"),
                                    UX_LINK(1324, COMBO_BOX_TYPE_ID, 1, "pYear", "UX::TDateControl"),
                                    UX_LINK(1328, COMBO_BOX_TYPE_ID, 1, "pMonth", "UX::TDateControl"),
                                    UX_LINK(1332, COMBO_BOX_TYPE_ID, 1, "pDay", "UX::TDateControl")});
    return s_Decl;
}

TControlManagerTemplate<TDateControl>& TDateControl::Manager()
{
    return s_Manager;
}

const TName& TDateControl::Class()
{
    static const TName s_Name("TDateControl", true);
    return s_Name;
}

TDateControl::TDateControl() : pLabel(nullptr), pYear(nullptr), pMonth(nullptr), pDay(nullptr)
{
    ClassName = Class();
}
} // namespace UX
