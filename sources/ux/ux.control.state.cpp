// UX::TControl: its style, the six states and the blended transitions between them, showing,
// hiding, enabling, activation, focus, pressing, loading and the per-frame update.
#include "ux/ux.control.h"

#include "ux/controls/ux.tooltip.h"
#include "ux/ux.manager.h"

#include <algorithm>

namespace UX
{
namespace
{
const TName& FormClass()
{
    static const TName s_Name("TForm", true);
    return s_Name;
}

const TName& StackerClass()
{
    static const TName s_Name("TStacker", true);
    return s_Name;
}

TColor Blend(const TColor& from, const TColor& to, f32 t)
{
    return {from.r * (1.0f - t) + to.r * t, from.g * (1.0f - t) + to.g * t, from.b * (1.0f - t) + to.b * t,
            from.a * (1.0f - t) + to.a * t};
}

// The values a state block gives its control beyond its rectangle offsets.
void TakeStateValues(TStateBlock& computed, const TStateBlock& state)
{
    computed.Margin = state.Margin;
    computed.Padding = state.Padding;
    computed.HitInset = state.HitInset;
    computed.Font = state.Font;
    computed.TextColor = state.TextColor;
    computed.TextScale = state.TextScale;
    computed.TextSetting = state.TextSetting;
    computed.Color = state.Color;
    computed.TransitionTime = state.TransitionTime;
}
} // namespace

void TControl::SetStyle(const TName& name)
{
    StyleName = name;
    TTransitionStyle* style = g_pUXManager ? g_pUXManager->FindStyle(name) : nullptr;
    if (!style)
        return;
    pStyle = style;
    for (u32 state = 0; state < STATE_COUNT; ++state)
        aTransitionImage[state] = style->aTransition[state].Image;
    for (u32 state = STATE_FOCUSED; state < STATE_COUNT; ++state)
    {
        const TImage& image = aTransitionImage[state];
        if (!image.pTexture)
            continue;
        Base.Rect.width = image.SourceWidth();
        Base.Rect.height = image.SourceHeight();
    }
    const TImage& normal = aTransitionImage[STATE_NORMAL];
    if (normal.pTexture && Base.Rect.width == -1.0f)
        Base.Rect.width = normal.TexWidth;
    if (normal.pTexture && Base.Rect.height == -1.0f)
        Base.Rect.height = normal.TexHeight;
}

void TControl::UpdateState(u32 force, u32 immediately)
{
    u32 state = STATE_NORMAL;
    if (!(nFlags & CONTROL_VISIBLE))
        state = STATE_HIDDEN;
    else if (!IsEnabledAll())
        state = STATE_DISABLED;
    else if (nFlags & CONTROL_PRESSED)
        state = STATE_PRESSED;
    else if ((nFlags & CONTROL_HOVERED) && nState != STATE_HIDDEN)
        state = STATE_HOVER;
    else if (nFlags & CONTROL_FOCUSED)
        state = STATE_FOCUSED;
    const u32 target = nTargetState != STATE_NONE ? nTargetState : nState;
    if (force || state != target)
        SetState(state, immediately, 0);
}

void TControl::SetState(u32 state, u32 immediately, u32 layout)
{
    // States the style does not use, and every visible state of a control without a style,
    // fall back to the normal one.
    if (state != STATE_HIDDEN && (!pStyle || (pStyle->aTransition[state].nFlags & BLOCK_UNUSED)))
        state = STATE_NORMAL;
    const u32 target = nTargetState != STATE_NONE ? nTargetState : nState;
    if (state != target && !(nFlags & CONTROL_HIDING))
    {
        if (state == STATE_HIDDEN)
            nFlags |= CONTROL_HIDING;
        if (nTargetState != STATE_NONE && nState != STATE_HIDDEN)
            nState = nTargetState;
        nTargetState = state;
        const f32 time = pStyle ? pStyle->aTransition[state].TransitionTime : 0.0f;
        fTransitionDuration = fTransitionRemaining = immediately || time <= 0.0f ? 0.0f : time;
    }
    if (layout)
        UpdateLayout(0);
}

void TControl::UpdateTransition(f32 step, u32 force)
{
    UpdateState(force, 0);
    Computed = Base;
    if (nTargetState != STATE_NONE)
    {
        fTransitionRemaining -= step;
        if (fTransitionRemaining < 0.0f || fTransitionDuration == 0.0f)
        {
            fTransitionRemaining = fTransitionDuration = 0.0f;
            nState = nTargetState;
            nTargetState = STATE_NONE;
            if (nState == STATE_HIDDEN)
                HideNow();
        }
    }
    // A control without a style keeps its own values.
    if (!pStyle)
        return;
    if (nTargetState == STATE_NONE)
    {
        const TStateBlock& S = pStyle->aTransition[nState];
        Computed.Rect.x += S.Rect.x;
        Computed.Rect.y += S.Rect.y;
        Computed.Rect.width += S.Rect.width;
        Computed.Rect.height += S.Rect.height;
        TakeStateValues(Computed, S);
        return;
    }
    const TStateBlock& F = pStyle->aTransition[nState];
    const TStateBlock& T = pStyle->aTransition[nTargetState];
    const f32 t = std::clamp(1.0f - fTransitionRemaining / fTransitionDuration, 0.0f, 1.0f);
    if (T.nFlags & BLOCK_ANIMATES_SCALE)
    {
        Computed.ScaleX += (T.ScaleX - Base.ScaleX) * t;
        Computed.ScaleY += (T.ScaleY - Base.ScaleY) * t;
    }
    Computed.Rect.x += F.Rect.x + (T.Rect.x - F.Rect.x) * t;
    Computed.Rect.y += F.Rect.y + (T.Rect.y - F.Rect.y) * t;
    Computed.Rect.width += F.Rect.width + (T.Rect.width - F.Rect.width) * t;
    Computed.Rect.height += F.Rect.height + (T.Rect.height - F.Rect.height) * t;
    TakeStateValues(Computed, F);
    Computed.Color = Blend(F.Color, T.Color, t);
    Computed.TextColor = Blend(F.TextColor, T.TextColor, t);
    Computed.TextScale = F.TextScale + (T.TextScale - F.TextScale) * t;
    Computed.TransitionTime = std::max(F.TransitionTime, T.TransitionTime);
    if (!F.Font.IsValid())
    {
        Computed.Font = T.Font;
        Computed.TextScale = T.TextScale;
        Computed.TextSetting = T.TextSetting;
    }
}

void TControl::UpdateFrame(TMouse* mouse, f32 step)
{
    aEvent[EVENT_UPDATE].Invoke(this, mouse);
    if (!IsVisibleOnScreen() && !(nFlags & CONTROL_ALWAYS_UPDATED))
        return;
    const TRect box = BoxRect;
    const TRect content = ContentRect;
    UpdateTransition(step, 0);
    if (pParent && (pParent->nFlags & CONTROL_LAYOUT_NEEDED))
    {
        nFlags |= pParent->nFlags & CONTROL_LAYOUT_NEEDED;
        UpdateLayout(0);
    }
    else if (nFlags & CONTROL_LAYOUT_NEEDED)
        UpdateLayout(0);
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
        child->UpdateFrame(mouse, step);
    const u32 changed = !(box == BoxRect) || !(content == ContentRect) || (nFlags & CONTROL_CHANGED);
    Update(mouse, step, changed ? 1 : 0);
    nFlags &= ~CONTROL_CHANGED;
}

void TControl::PropagateParentVisible()
{
    const bool onScreen = IsVisibleOnScreen();
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
    {
        const bool was = child->IsVisibleOnScreen();
        if (onScreen)
            child->nFlags |= CONTROL_PARENT_VISIBLE;
        else
            child->nFlags &= ~CONTROL_PARENT_VISIBLE;
        const bool is = child->IsVisibleOnScreen();
        if (is && !was)
        {
            // Runs the show steps, which carry the flags on below it.
            child->Show(2);
            continue;
        }
        if (was && !is)
        {
            child->Deactivate(0);
            child->KillFocus();
            child->nFlags &= ~(CONTROL_HOVERED | CONTROL_PRESSED | CONTROL_PRESS_BEGAN | CONTROL_UNDER_MOUSE);
            child->CloseToolTip(nullptr);
            if ((child->nFlags & CONTROL_VISIBLE) && !(child->nFlags & CONTROL_HIDING))
            {
                child->nTargetState = STATE_NORMAL;
                child->fTransitionDuration = child->fTransitionRemaining = 0.0f;
            }
        }
        child->PropagateParentVisible();
    }
}

void TControl::Show(u32 mode)
{
    if (nFlags & CONTROL_HIDING)
    {
        nFlags &= ~(CONTROL_VISIBLE | CONTROL_HIDING);
        nState = STATE_HIDDEN;
        nTargetState = STATE_NONE;
    }
    if ((nFlags & CONTROL_VISIBLE) && mode == 0)
        return;
    nFlags |= CONTROL_VISIBLE | CONTROL_CHANGED;
    nFlags &= ~CONTROL_HIDING;
    PropagateParentVisible();
    UpdateLayout(1);
    if (mode == 2)
    {
        // No transition out of the hidden state: whatever the layout started is done.
        if (nState == STATE_HIDDEN)
            nState = STATE_NORMAL;
        nTargetState = STATE_NONE;
        fTransitionDuration = fTransitionRemaining = 0.0f;
        UpdateState(0, 1);
    }
    else
        UpdateState(0, 0);
    OnShow();
    aEvent[EVENT_SHOW].Invoke(this, nullptr);
    aEvent[EVENT_VISIBILITY_CHANGE].Invoke(this, nullptr);
    if (!IsClass(StackerClass()))
        UpdateLayout(1);
}

void TControl::Hide(u32 immediately)
{
    if (!(nFlags & CONTROL_VISIBLE))
        return;
    const u32 target = nTargetState != STATE_NONE ? nTargetState : nState;
    if (immediately || (target == STATE_HIDDEN && !(nFlags & CONTROL_HIDING)))
        HideNow();
    else
        SetState(STATE_HIDDEN, 0, 1);
}

void TControl::ClearDescendantHovered()
{
    for (TControl* c = pParent; c; c = c->pParent)
        if (!(c->nFlags & CONTROL_HOVER_MARK))
            c->nFlags &= ~CONTROL_DESCENDANT_HOVERED;
}

void TControl::HideNow()
{
    nFlags |= CONTROL_CHANGED;
    nFlags &= ~(CONTROL_VISIBLE | CONTROL_HIDING | CONTROL_PRESSED | CONTROL_HOVERED | CONTROL_HOVER_MARK |
                CONTROL_UNDER_MOUSE);
    ClearDescendantHovered();
    CloseToolTip(nullptr);
    PropagateParentVisible();
    if (nFlags & CONTROL_FOCUSED)
        KillFocus();
    OnHide();
    nState = STATE_HIDDEN;
    nTargetState = STATE_NONE;
    fTransitionDuration = fTransitionRemaining = 0.0f;
    aEvent[EVENT_HIDE].Invoke(this, nullptr);
    aEvent[EVENT_VISIBILITY_CHANGE].Invoke(this, nullptr);
    ReleaseMouse();
}

void TControl::ReleaseMouse()
{
    if (!g_pUXManager)
        return;
    if (g_pUXManager->GetCapture() == this)
        g_pUXManager->SetCapture(nullptr);
    // A pressed control kept by the manager would keep the UX from the input focus for good.
    if (g_pUXManager->GetPressed() == this)
        g_pUXManager->SetPressed(nullptr);
}

void TControl::PropagateParentEnabled(u32 enabled)
{
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
    {
        if (enabled)
            child->nFlags |= CONTROL_PARENT_ENABLED;
        else
            child->nFlags &= ~CONTROL_PARENT_ENABLED;
        child->nFlags |= CONTROL_CHANGED;
        child->PropagateParentEnabled(enabled && (child->nFlags & CONTROL_ENABLED));
    }
}

void TControl::Enable()
{
    if (nFlags & CONTROL_ENABLED)
        return;
    nFlags |= CONTROL_ENABLED | CONTROL_CHANGED;
    PropagateParentEnabled(IsEnabledAll());
    OnEnable();
    aEvent[EVENT_ENABLE_CHANGE].Invoke(this, nullptr);
}

void TControl::Disable()
{
    if (!(nFlags & CONTROL_ENABLED))
        return;
    nFlags &= ~(CONTROL_ENABLED | CONTROL_PRESSED);
    nFlags |= CONTROL_CHANGED;
    CloseToolTip(nullptr);
    PropagateParentEnabled(0);
    OnDisable();
    aEvent[EVENT_ENABLE_CHANGE].Invoke(this, nullptr);
    ReleaseMouse();
}

void TControl::Activate()
{
    for (TControl* c = this; c && !(c->nFlags & CONTROL_ACTIVE); c = c->pParent)
    {
        c->nFlags |= CONTROL_ACTIVE | CONTROL_CHANGED;
        c->OnActivate();
        c->aEvent[EVENT_ACTIVATE].Invoke(c, nullptr);
    }
}

void TControl::Deactivate(u32 upChain)
{
    for (TControl* c = this; c && (c->nFlags & CONTROL_ACTIVE); c = upChain ? c->pParent : nullptr)
    {
        c->nFlags &= ~CONTROL_ACTIVE;
        c->nFlags |= CONTROL_CHANGED;
        c->OnDeactivate();
        c->aEvent[EVENT_DEACTIVATE].Invoke(c, nullptr);
    }
}

i32 TControl::SetFocus()
{
    TControl* target = this;
    while (target &&
           !(target->IsVisibleOnScreen() && target->IsEnabledAll() && (target->nFlags & CONTROL_FOCUSABLE)))
        target = target->pParent;
    if (!target)
    {
        if (g_pUXManager)
            g_pUXManager->SetFocus(nullptr);
        return 1;
    }
    if (target->nFlags & CONTROL_FOCUSED)
        return 1;
    target->nFlags |= CONTROL_FOCUSED | CONTROL_CHANGED;
    if (g_pUXManager)
        g_pUXManager->SetFocus(target);
    for (TControl* c = target->pParent; c; c = c->pParent)
        c->nFlags |= CONTROL_CONTAINS_FOCUS;
    target->Activate();
    return 0;
}

void TControl::KillFocus()
{
    if (!(nFlags & CONTROL_FOCUSED))
        return;
    nFlags &= ~CONTROL_FOCUSED;
    nFlags |= CONTROL_CHANGED;
    for (TControl* c = pParent; c; c = c->pParent)
        c->nFlags &= ~CONTROL_CONTAINS_FOCUS;
    Deactivate(1);
    if (g_pUXManager && g_pUXManager->GetFocus() == this)
        g_pUXManager->SetFocus(nullptr);
}

void TControl::SetPressed(u32 on, u32 immediately)
{
    if (on)
    {
        nFlags |= CONTROL_PRESSED;
        if ((nFlags & CONTROL_RECORDS_PRESSED) && g_pUXManager)
            g_pUXManager->SetPressed(this);
    }
    else
    {
        nFlags &= ~CONTROL_PRESSED;
        if (g_pUXManager)
            g_pUXManager->SetPressed(nullptr);
    }
    UpdateState(0, immediately);
    UpdateLayout(0);
}

void TControl::Refresh()
{
    if (!IsVisibleOnScreen())
        return;
    UpdateLayout(0);
    OnRefresh();
}

void TControl::Load()
{
    OnLoad();
    if (!IsEnabledAll())
    {
        nState = STATE_DISABLED;
        nTargetState = STATE_NONE;
        fTransitionDuration = fTransitionRemaining = 0.0f;
        UpdateLayout(0);
    }
    if (IsClass(FormClass()))
        return;
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
        child->Load();
}
} // namespace UX
