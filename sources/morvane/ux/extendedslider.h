#pragma once
// UX::TExtendedSlider (stored type 173, 1,336 bytes): an option row, a caption label beside a slider and its
// value labels.
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_SLIDER_TYPE_ID = 173;

class TExtendedSlider : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedSlider>& Manager();
    static const TName& Class();

    TExtendedSlider();

    // The parts by their places: the caption and the slider are the row's first two children,
    // the value and percent labels the slider's fourth and fifth. A missing one stays null.
    void CopyFrom(const TControl& source) override;

    TControl* pLabelPercent;
    TControl* pLabelValue;
    TControl* pSlider;
};

static_assert(sizeof(TExtendedSlider) == 1336);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedSlider, pLabel) == 1320);
static_assert(offsetof(TExtendedSlider, pLabelPercent) == 1324);
static_assert(offsetof(TExtendedSlider, pLabelValue) == 1328);
static_assert(offsetof(TExtendedSlider, pSlider) == 1332);
#pragma GCC diagnostic pop
} // namespace UX
