#include "morvane/ux/extendedlabel.h"

#include "core/system/platform.h"
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

TExtendedLabel::TExtendedLabel() : pValue(nullptr)
{
    ClassName = Class();
}

void TExtendedLabel::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedCaption();
    CheckLoadedPartOf(pValue, "value label");
}

void TExtendedLabel::OnLoad()
{
    if (pValue)
        pValue->Event(EVENT_CLICK).AddHandler(0, this, &TExtendedLabel::OnValueClick);
}

void TExtendedLabel::OnValueClick(TControl*, void*)
{
    if (const char16_t* text = pValue->Text.GetText())
        ClipboardSetText(text);
}
} // namespace UX
