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

    // The scale's click and the knob's press and release bound.
    void OnLoad() override;
    // While dragging, the value follows the knob.
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    void OnRefresh() override { PlaceKnob(); }
    // "Left" and "Right" step the value by one; 1 for them.
    i32 OnAction(TControl* sender, const TName& action) override;
    void CopyFrom(const TControl& source) override;

    // Clamped; 1 when not forced and unchanged, else OnChange is raised (argument: Dragging)
    // and the knob placed: 0.
    i32 SetValue(i32 value, u32 force);
    // Only for minimum < maximum; the value is clamped into the new range.
    void SetRange(i32 minimum, i32 maximum);
    // The value at x (from the track bar's left), clamped to the scale; the knob placed.
    void SetValueFromX(f32 x);
    // The knob centred on the value's place on the scale (or under the drag).
    void PlaceKnob();

    void ForgetLoadedWords();
    // The range, the value and the parts checked (each with an error line).
    void CheckLoadedValues();
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

private:
    void OnScaleClick(TControl* scale, TMouse* mouse);
    void OnKnobPressed(TControl* knob, TMouse* mouse);
    void OnKnobReleased(TControl* knob, TMouse* mouse);
    // The scale's ends, from the track bar's left: false without a scale.
    bool ScaleEnds(f32& a, f32& b) const;
    void RaiseChange() { OnChange.Invoke(this, reinterpret_cast<void*>(static_cast<uintptr_t>(Dragging ? 1 : 0))); }
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
