#include "morvane/ux/extendedslider.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TExtendedSlider> s_Manager("TExtendedSlider");
} // namespace

const TClusterTypeDecl& TExtendedSlider::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TExtendedSlider", EXTENDED_SLIDER_TYPE_ID, sizeof(TExtendedSlider),
                                   &UxPrototype<TExtendedSlider>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1320, UX_ANY_TYPE, 1, "pLabel", "UX::TExtendedSlider"),
                                    UX_LINK(1324, UX_ANY_TYPE, 1, "pLabelPercent", "UX::TExtendedSlider"),
                                    UX_LINK(1328, UX_ANY_TYPE, 1, "pLabelValue", "UX::TExtendedSlider"),
                                    UX_LINK(1332, UX_ANY_TYPE, 1, "pSlider", "UX::TExtendedSlider")});
    return s_Decl;
}

TControlManagerTemplate<TExtendedSlider>& TExtendedSlider::Manager()
{
    return s_Manager;
}

const TName& TExtendedSlider::Class()
{
    static const TName s_Name("TExtendedSlider", true);
    return s_Name;
}

TExtendedSlider::TExtendedSlider()
    : pLabelPercent(nullptr), pLabelValue(nullptr), pSlider(nullptr)
{
    ClassName = Class();
}

void TExtendedSlider::CopyFrom(const TControl&)
{
    auto child = [](const TControl* parent, u32 place) {
        TControl* control = parent ? parent->lChild.pFirst : nullptr;
        for (; control && place; --place)
            control = control->pNext;
        return control;
    };
    pLabel = child(this, 0);
    pSlider = child(this, 1);
    pLabelValue = child(pSlider, 3);
    pLabelPercent = child(pSlider, 4);
}
} // namespace UX
