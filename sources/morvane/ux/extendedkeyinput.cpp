#include "morvane/ux/extendedkeyinput.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedKeyInput> s_Manager("TExtendedKeyInput");
} // namespace

const TClusterTypeDecl& TExtendedKeyInput::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TExtendedKeyInput", EXTENDED_KEY_INPUT_TYPE_ID, sizeof(TExtendedKeyInput),
        &UxPrototype<TExtendedKeyInput>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1320, LABEL_TYPE_ID, 1, "pLabel", "UX::TExtendedKeyInput"),
         UX_LINK(1324, CHECK_BOX_TYPE_ID, 1, "pButtonPrimary", "UX::TExtendedKeyInput"),
         UX_LINK(1328, CHECK_BOX_TYPE_ID, 1, "pButtonSecondary", "UX::TExtendedKeyInput")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedKeyInput>& TExtendedKeyInput::Manager()
{
    return s_Manager;
}

const TName& TExtendedKeyInput::Class()
{
    static const TName s_Name("TExtendedKeyInput", true);
    return s_Name;
}

TExtendedKeyInput::TExtendedKeyInput() : pLabel(nullptr), pButtonPrimary(nullptr), pButtonSecondary(nullptr)
{
    ClassName = Class();
}
} // namespace UX
