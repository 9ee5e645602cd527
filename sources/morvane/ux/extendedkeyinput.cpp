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

TExtendedKeyInput::TExtendedKeyInput() : pButtonPrimary(nullptr), pButtonSecondary(nullptr)
{
    ClassName = Class();
}

void TExtendedKeyInput::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pButtonPrimary, "primary button");
    CheckLoadedPartOf(pButtonSecondary, "secondary button");
}

void TExtendedKeyInput::OnLoad()
{
    for (TCheckBox* button : {pButtonPrimary, pButtonSecondary})
        if (button)
        {
            button->Event(EVENT_MOUSE_ENTER).AddHandler(0, this, &TExtendedKeyInput::OnButtonEnter);
            IgnoreLeave(button);
            HighlightCaption(button);
        }
}

bool TExtendedKeyInput::IsListening() const
{
    auto waits = [](const TCheckBox* button) { return button && button->Checked; };
    if (!pParent)
        return waits(pButtonPrimary) || waits(pButtonSecondary);
    for (const TControl* row = pParent->lChild.pFirst; row; row = row->pNext)
        if (row->IsClass(Class()))
        {
            const TExtendedKeyInput* keys = static_cast<const TExtendedKeyInput*>(row);
            if (waits(keys->pButtonPrimary) || waits(keys->pButtonSecondary))
                return true;
        }
    return false;
}

void TExtendedKeyInput::OnMouseEnter(TMouse*)
{
    if (pButtonPrimary && !IsListening())
        pButtonPrimary->SetFocus();
}

void TExtendedKeyInput::OnButtonEnter(TControl* button, void*)
{
    if (!IsListening())
        button->SetFocus();
}
} // namespace UX
