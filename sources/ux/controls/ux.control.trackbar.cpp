#include "ux/controls/ux.control.trackbar.h"

#include "ux/ux.actions.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace UX
{
namespace
{
TControlManagerTemplate<TTrackBar> s_Manager("TTrackBar");
} // namespace

const TClusterTypeDecl& TTrackBar::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTrackBar", TRACK_BAR_TYPE_ID, sizeof(TTrackBar),
                                   &UxPrototype<TTrackBar>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1336, UX_ANY_TYPE, 1, "pScale", "UX::TTrackBar"),
                                    UX_LINK(1340, UX_ANY_TYPE, 1, "pSlider", "UX::TTrackBar")});
    return s_Decl;
}

TControlManagerTemplate<TTrackBar>& TTrackBar::Manager()
{
    return s_Manager;
}

const TName& TTrackBar::Class()
{
    static const TName s_Name("TTrackBar", true);
    return s_Name;
}

TTrackBar::TTrackBar()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    Maximum = 10;
    Value = 5;
    SnapKnob = 1;
}

void TTrackBar::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnChange.Forget();
    Dragging = 0;
}

void TTrackBar::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    Maximum = static_cast<i16>(LoadedInRange(Maximum, Minimum, INT16_MAX, "maximum"));
    Value = static_cast<i16>(LoadedInRange(Value, Minimum, Maximum, "value"));
    CheckLoadedPart(pScale, "scale");
    CheckLoadedPart(pSlider, "knob");
}

void TTrackBar::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnChange.Clear();
}

void TTrackBar::OnLoad()
{
    if (pScale)
        pScale->Event(EVENT_CLICK).AddHandler(0, this, &TTrackBar::OnScaleClick);
    if (pSlider)
    {
        pSlider->Event(EVENT_MOUSE_DOWN).AddHandler(0, this, &TTrackBar::OnKnobPressed);
        pSlider->Event(EVENT_MOUSE_UP).AddHandler(0, this, &TTrackBar::OnKnobReleased);
    }
}

void TTrackBar::Update(TMouse* mouse, f32, u32)
{
    if (!Dragging || !mouse)
        return;
    DragX = mouse->x - GrabOffset;
    SetValueFromX(DragX);
}

i32 TTrackBar::OnAction(TControl*, const TName& action)
{
    i32 value = Value;
    if (action == LeftAction())
        --value;
    else if (action == RightAction())
        ++value;
    else
        return 0;
    value = std::clamp<i32>(value, Minimum, Maximum);
    if (value != Value)
    {
        Value = static_cast<i16>(value);
        RaiseChange();
        PlaceKnob();
    }
    return 1;
}

void TTrackBar::CopyFrom(const TControl&)
{
    pScale = lChild.pFirst;
    pSlider = pScale ? pScale->pNext : nullptr;
}

i32 TTrackBar::SetValue(i32 value, u32 force)
{
    value = std::clamp<i32>(value, Minimum, Maximum);
    if (!force && value == Value)
        return 1;
    Value = static_cast<i16>(value);
    RaiseChange();
    PlaceKnob();
    return 0;
}

void TTrackBar::SetRange(i32 minimum, i32 maximum)
{
    if (minimum >= maximum)
        return;
    Minimum = static_cast<i16>(std::clamp<i32>(minimum, INT16_MIN, INT16_MAX));
    Maximum = static_cast<i16>(std::clamp<i32>(maximum, Minimum, INT16_MAX));
    const i16 value = static_cast<i16>(std::clamp<i32>(Value, Minimum, Maximum));
    if (value == Value)
        return;
    Value = value;
    RaiseChange();
    PlaceKnob();
}

bool TTrackBar::ScaleEnds(f32& a, f32& b) const
{
    if (!pScale)
        return false;
    a = pScale->Computed.Rect.x - ContentRect.x;
    b = a + pScale->Computed.Rect.width;
    return true;
}

void TTrackBar::SetValueFromX(f32 x)
{
    f32 a = 0.0f, b = 0.0f;
    if (ScaleEnds(a, b))
    {
        // A scale without width reads as its minimum.
        const f32 t = b > a ? (std::clamp(x, a, b) - a) / (b - a) : 0.0f;
        const i32 value = std::clamp<i32>(
            static_cast<i32>(std::trunc(static_cast<f32>(Maximum - Minimum) * t + static_cast<f32>(Minimum) + 0.5f)),
            Minimum, Maximum);
        if (value != Value)
        {
            Value = static_cast<i16>(value);
            RaiseChange();
        }
    }
    PlaceKnob();
}

void TTrackBar::PlaceKnob()
{
    f32 a = 0.0f, b = 0.0f;
    if (!pSlider || !ScaleEnds(a, b))
        return;
    f32 centre = a;
    if (Dragging && !SnapKnob)
        centre = DragX;
    else if (Maximum != Minimum)
        centre = static_cast<f32>(Value - Minimum) * (b - a) / static_cast<f32>(Maximum - Minimum) + a;
    const TStateBlock& knob = pSlider->Computed;
    const f32 x = centre - knob.Rect.width * 0.5f;
    const f32 y = knob.Rect.y - ContentRect.y;
    pSlider->SetPosition(knob.ScaleX > 0.0f ? x / knob.ScaleX : x, knob.ScaleY > 0.0f ? y / knob.ScaleY : y);
}

void TTrackBar::OnScaleClick(TControl*, TMouse* mouse)
{
    // Measured from the track bar's left, as the scale's ends are.
    if (mouse)
        SetValueFromX(mouse->x - ContentRect.x);
}

void TTrackBar::OnKnobPressed(TControl* knob, TMouse* mouse)
{
    if (!mouse)
        return;
    Dragging = 1;
    GrabOffset = mouse->x - (knob->Computed.Rect.x - ContentRect.x) - knob->Computed.Rect.width * 0.5f;
}

void TTrackBar::OnKnobReleased(TControl*, TMouse*)
{
    Dragging = 0;
    Value = static_cast<i16>(std::clamp<i32>(Value, Minimum, Maximum));
    // The end of a drag is told whether the value moved or not.
    OnChange.Invoke(this, nullptr);
    PlaceKnob();
}
} // namespace UX
