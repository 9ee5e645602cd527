#pragma once
// UX::TExtendedTrackBar (stored type 172, 1,336 bytes): an option row, a caption label beside a track bar
// with arrows.
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.trackbar.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_TRACK_BAR_TYPE_ID = 172;

class TExtendedTrackBar : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedTrackBar>& Manager();
    static const TName& Class();

    TExtendedTrackBar();

    // The arrows step the track bar's value through its forced setter; the arrows are
    // disabled at the ends (after each step, each change and once here).
    void OnLoad() override;
    void OnMouseEnter(TMouse* mouse) override;
    void UpdateArrows();
    void CheckLoadedValues();

    TButton* pLeft;
    TButton* pRight;
    TTrackBar* pTrackbar;

private:
    void OnArrowClick(TControl* arrow, void*);
    void OnValueChange(TControl*, void*);
};

static_assert(sizeof(TExtendedTrackBar) == 1336);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedTrackBar, pLabel) == 1320);
static_assert(offsetof(TExtendedTrackBar, pLeft) == 1324);
static_assert(offsetof(TExtendedTrackBar, pRight) == 1328);
static_assert(offsetof(TExtendedTrackBar, pTrackbar) == 1332);
#pragma GCC diagnostic pop
} // namespace UX
