#include "ux/controls/ux.control.slider.h"

#include "ux/ux.manager.h"

#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace UX
{
namespace
{
TControlManagerTemplate<TSlider> s_Manager("TSlider");
} // namespace

const TClusterTypeDecl& TSlider::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TSlider", SLIDER_TYPE_ID, sizeof(TSlider), &UxPrototype<TSlider>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1340, UX_ANY_TYPE, 1, "pLeft", "UX::TSlider"),
         UX_LINK(1344, UX_ANY_TYPE, 1, "pRight", "UX::TSlider"),
         UX_LINK(1348, UX_ANY_TYPE, 1, "pTrackbar", "UX::TSlider"),
         UX_LINK(1352, TRANSITION_STYLE_TYPE_ID, 1, "pTrackbarStyle", "UX::TSlider")});
    return s_Decl;
}

TControlManagerTemplate<TSlider>& TSlider::Manager()
{
    return s_Manager;
}

const TName& TSlider::Class()
{
    static const TName s_Name("TSlider", true);
    return s_Name;
}

TSlider::TSlider()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TSlider::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnChange.Forget();
    // The handlers were the other run's.
    Initialized = 0;
}

void TSlider::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    Maximum = LoadedInRange(Maximum, Minimum, std::numeric_limits<i32>::max(), "maximum");
    Value = LoadedInRange(Value, Minimum, Maximum, "value");
    if (!NoButtons)
    {
        CheckLoadedPart(pLeft, "decrease button");
        CheckLoadedPart(pRight, "increase button");
    }
    else
    {
        pLeft = g_pUXManager->IsLoadedControl(pLeft) ? pLeft : nullptr;
        pRight = g_pUXManager->IsLoadedControl(pRight) ? pRight : nullptr;
    }
    CheckLoadedPart(pTrackbar, "track");
}

void TSlider::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnChange.Clear();
}

void TSlider::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    for (TControl* button : {pLeft, pRight})
        if (button)
            button->Event(EVENT_CLICK).AddHandler(0, this, &TSlider::OnButtonClick);
    if (!pTrackbar)
        return;
    pTrackbar->Event(EVENT_RENDER).AddHandler(0, this, &TSlider::OnTrackRender);
    if (ClickToSet)
        pTrackbar->Event(EVENT_CLICK).AddHandler(0, this, &TSlider::OnTrackClick);
}

void TSlider::Update(TMouse*, f32, u32 changed)
{
    if (changed)
        LayoutTrack();
}

i32 TSlider::OnAction(TControl*, const TName& action)
{
    if (action == LeftAction())
        SetValue(Value - Step);
    else if (action == RightAction())
        SetValue(Value + Step);
    else
        return 0;
    return 1;
}

void TSlider::CopyFrom(const TControl& source)
{
    const TSlider& slider = static_cast<const TSlider&>(source);
    pLeft = lChild.pFirst;
    pRight = pLeft ? pLeft->pNext : nullptr;
    pTrackbar = pRight ? pRight->pNext : nullptr;
    pTrackbarStyle = slider.pTrackbarStyle;
    Vertical = slider.Vertical;
    NoButtons = slider.NoButtons;
    ClickToSet = slider.ClickToSet;
}

void TSlider::SetValue(i32 value)
{
    value = std::clamp(value, Minimum, Maximum);
    if (value == Value)
        return;
    if (pLeft)
    {
        if (value <= Minimum)
            pLeft->Disable();
        else
            pLeft->Enable();
    }
    if (pRight)
    {
        if (value >= Maximum)
            pRight->Disable();
        else
            pRight->Enable();
    }
    Value = value;
    OnChange.Invoke(this, nullptr);
}

f32 TSlider::Fill() const
{
    if (Maximum == Minimum)
        return 0.0f;
    return std::clamp(static_cast<f32>(Value - Minimum) / static_cast<f32>(Maximum - Minimum), 0.0f, 1.0f);
}

void TSlider::OnButtonClick(TControl* button, TMouse*)
{
    if (button == pLeft)
        SetValue(Value - Step);
    else if (button == pRight)
        SetValue(Value + Step);
}

void TSlider::OnTrackClick(TControl* track, TMouse* mouse)
{
    if (!mouse)
        return;
    const TRect& rect = track->Computed.Rect;
    f32 t = 0.0f;
    if (Vertical)
        t = rect.height > 0.0f ? 1.0f - (mouse->y - rect.y) / rect.height : 0.0f;
    else
        t = rect.width > 0.0f ? (mouse->x - rect.x) / rect.width : 0.0f;
    SetValue(static_cast<i32>(std::trunc(static_cast<f32>(Maximum - Minimum) * t + static_cast<f32>(Minimum) + 0.5f)));
}

void TSlider::LayoutTrack()
{
    if (!pTrackbar)
        return;
    f32 left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    if (!NoButtons && Vertical)
    {
        top = pRight && Computed.ScaleY > 0.0f ? pRight->Computed.Rect.height / Computed.ScaleY : 0.0f;
        bottom = pLeft && Computed.ScaleY > 0.0f ? -(pLeft->Computed.Rect.height / Computed.ScaleY) : 0.0f;
    }
    else if (!NoButtons)
    {
        left = pLeft && Computed.ScaleX > 0.0f ? pLeft->Computed.Rect.width / Computed.ScaleX : 0.0f;
        right = pRight && Computed.ScaleX > 0.0f ? -(pRight->Computed.Rect.width / Computed.ScaleX) : 0.0f;
    }
    pTrackbar->SetLeft(left);
    pTrackbar->SetRight(right);
    pTrackbar->SetTop(top);
    pTrackbar->SetBottom(bottom);
    pTrackbar->UpdateLayout(0);
}

void TSlider::OnTrackRender(TControl* track, void*)
{
    if (!pTrackbarStyle || !track->IsVisibleOnScreen())
        return;
    const f32 f = Fill();
    const TRect& r = track->Computed.Rect;
    const TColor& tint = Computed.Color;
    const TImage& filled = pTrackbarStyle->aTransition[STATE_FOCUSED].Image;
    const TImage& empty = pTrackbarStyle->aTransition[STATE_NORMAL].Image;
    if (filled.Mode != IMAGE_STRETCH)
    {
        // Whole images: the empty one over the track, the filled one over its part.
        empty.Draw(r.x, r.y, r.width, r.height, Computed.ScaleX, Computed.ScaleY, tint);
        if (Vertical)
            filled.Draw(r.x, r.y + (1.0f - f) * r.height, r.width, f * r.height, Computed.ScaleX, Computed.ScaleY,
                        tint);
        else if (r.width * f > 0.0f)
            filled.Draw(r.x, r.y, r.width * f, r.height, Computed.ScaleX, Computed.ScaleY, tint);
        return;
    }
    // Texture coordinates cut in proportion, edges half a pixel up and left.
    const f32 x = r.x - 0.5f, y = r.y - 0.5f, w = r.width, h = r.height;
    const u32 argb = tint.ToARGB();
    if (Vertical)
    {
        const f32 cut = y + h - h * f;
        if (f > 0.0f)
            DrawImagePart(filled, x, cut, x + w, y + h, filled.U0, filled.V1 - (filled.V1 - filled.V0) * f, filled.U1,
                          filled.V1, argb);
        if (f < 1.0f)
            DrawImagePart(empty, x, y, x + w, cut, empty.U0, empty.V0, empty.U1,
                          empty.V1 - (empty.V1 - empty.V0) * f, argb);
        return;
    }
    const f32 cut = x + w * f;
    if (f > 0.0f)
        DrawImagePart(filled, x, y, cut, y + h, filled.U0, filled.V0, filled.U0 + (filled.U1 - filled.U0) * f,
                      filled.V1, argb);
    if (f < 1.0f)
        DrawImagePart(empty, cut, y, x + w, y + h, empty.U0 + (empty.U1 - empty.U0) * f, empty.V0, empty.U1,
                      empty.V1, argb);
}
} // namespace UX
