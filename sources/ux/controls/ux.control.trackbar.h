#pragma once
// UX::TTrackBar (stored type 240, 1,372 bytes): a 16-bit value chosen by dragging a knob along
// a scale or clicking the scale.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 TRACK_BAR_TYPE_ID = 240;

class TTrackBar : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TTrackBar>& Manager();
    static const TName& Class();

    TTrackBar();

    void ForgetLoadedWords();
    void ReleaseLoaded();

    i16 Maximum;
    i16 Minimum;
    i16 Value;
    u16 Dragging;
    f32 GrabOffset;
    f32 DragX;
    TControl* pScale;
    TControl* pSlider;
    u32 SnapKnob;
    TEvent OnChange;
};

static_assert(sizeof(TTrackBar) == 1372);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTrackBar, Value) == 1324);
static_assert(offsetof(TTrackBar, pScale) == 1336);
static_assert(offsetof(TTrackBar, pSlider) == 1340);
static_assert(offsetof(TTrackBar, OnChange) == 1348);
#pragma GCC diagnostic pop
} // namespace UX
