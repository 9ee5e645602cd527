#include "morvane/ux/extendedlabel.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedLabel> s_Manager("TExtendedLabel");
} // namespace

const TClusterTypeDecl& TExtendedLabel::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TExtendedLabel", EXTENDED_LABEL_TYPE_ID, sizeof(TExtendedLabel),
                                   &UxPrototype<TExtendedLabel>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedLabel"),
                                    UX_LINK(1324, LABEL_TYPE_ID, 1, "pValue", "UX::TExtendedLabel")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedLabel>& TExtendedLabel::Manager()
{
    return s_Manager;
}

const TName& TExtendedLabel::Class()
{
    static const TName s_Name("TExtendedLabel", true);
    return s_Name;
}

TExtendedLabel::TExtendedLabel() : pLabel(nullptr), pValue(nullptr)
{
    ClassName = Class();
}
} // namespace UX
