#include "ux/controls/ux.tooltip.h"

#include "ux/ux.reflection.h"

#include <cstring>

namespace UX
{
const TClusterTypeDecl& TToolTip::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TToolTip", TOOL_TIP_TYPE_ID, sizeof(TToolTip),
                                   &UxPrototype<TToolTip>(), UX_VIRTUAL_TABLE_WORDS);
    return s_Decl;
}

const TClusterTypeDecl& TSimpleToolTip::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TSimpleToolTip", SIMPLE_TOOL_TIP_TYPE_ID, sizeof(TSimpleToolTip),
                                   &UxPrototype<TSimpleToolTip>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_LINK(36, UX_ANY_TYPE, 1, "pLabel", "UX::TSimpleToolTip")});
    return s_Decl;
}

TToolTip::TToolTip()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(void*), 0, sizeof(TToolTip) - sizeof(void*));
    ShowDelay = 0.5f;
    Enabled = 1;
}

TSimpleToolTip::TSimpleToolTip() : pLabel(nullptr), Owner(nullptr), Placement(0) {}
} // namespace UX
