// TUXManager: the frame's input. Events are queued as they arrive; once per frame the input
// step dispatches key actions over the form list, reads the mouse buttons, updates the layers'
// trees and offers the mouse to their forms, topmost first. As a holder of the input focus
// (layer 4) the UX serves the focused control's own key bindings.
#include "ux/ux.manager.h"

#include "core/system/timer.h"
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.actions.h"

namespace UX
{
namespace
{
// The button bits of the frame: pressed, held and released, left, right and middle.
constexpr u32 kPressedBit[3] = {0x8, 0x10, 0x20};
constexpr u32 kHeldBit[3] = {0x1, 0x2, 0x4};
constexpr u32 kReleasedBit[3] = {0x40, 0x80, 0x100};
constexpr const char* kButtonName[3] = {"mbLeftButton", "mbRightButton", "mbMiddleButton"};

f32 FrameTime()
{
    return g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
}

// The last form of the layer that is on screen and takes the mouse: a tool tip's label over the
// forms does not take their key bindings and capture away.
TControl* TopForm(TLayer* layer)
{
    for (u32 i = layer ? layer->aControl.GetCount() : 0; i-- > 0;)
    {
        TControl* form = layer->aControl[i];
        if (form->IsVisibleOnScreen() && !(form->nFlags & CONTROL_IGNORES_MOUSE))
            return form;
    }
    return nullptr;
}
} // namespace

void TUXManager::OnInputEvent(const TInputEvent& event)
{
    if (m_aQueue.GetCount() < INPUT_QUEUE_CAPACITY)
        m_aQueue.Add(event);
}

bool TUXManager::MatchesFrameEvent(const TInputKey& key) const
{
    for (u32 i = 0; i < m_aFrameEvent.GetCount(); ++i)
    {
        const TInputEvent& event = m_aFrameEvent[i];
        if (TInputKey::Equals(key, TInputKey{event.nModifiers, event.nCode, 0}))
            return true;
    }
    return false;
}

void TUXManager::DispatchKeyActions(u32& unclaimed, bool& scrolled)
{
    for (u32 f = 0; f < static_cast<u32>(m_FormList.nCount); ++f)
    {
        TControl* form = ResolveForm(f);
        if (!form || !form->IsVisibleOnScreen() || !form->IsEnabledAll())
            continue;
        for (i32 b = 0; b < form->nActionBindingCount; ++b)
        {
            const TActionBinding& binding = form->aActionBinding[b];
            bool applies = binding.nScope == SCOPE_ALWAYS;
            if (binding.nScope == SCOPE_FOCUS_INSIDE)
                applies = m_pFocus && m_pFocus->IsDescendantOf(form);
            else if (binding.nScope == SCOPE_TOP_FORM)
                applies = IsOnTopForm(form);
            if (!applies || !MatchesFrameEvent(binding.Key))
                continue;
            // The handler may unload or hide: the binding is copied before it runs.
            const TName action = binding.Action;
            if (form->DoAction(form, action, 0) == 0)
            {
                ++unclaimed;
                scrolled = scrolled || action == ScrollUpAction() || action == ScrollDownAction();
            }
        }
    }
}

void TUXManager::ReadButtons()
{
    TInputManager& input = TInputManager::Instance();
    const TVector& pointer = input.GetPointerPosition();
    m_Mouse.x = pointer.x;
    m_Mouse.y = pointer.y;
    m_Mouse.nButtons = 0;
    for (u32 b = 0; b < 3; ++b)
    {
        if (!m_apButton[b])
            m_apButton[b] = input.FindInput(TName(kButtonName[b]));
        TInput* button = m_apButton[b];
        if (!button || !nActive)
            continue;
        if (button->WasPressed())
            m_Mouse.nButtons |= kPressedBit[b];
        if (button->IsPressed())
            m_Mouse.nButtons |= kHeldBit[b];
        if (button->WasReleased())
            m_Mouse.nButtons |= kReleasedBit[b];
    }
}

void TUXManager::ClearPresses()
{
    for (TInput* button : m_apButton)
        if (button)
            button->ClearPressed();
}

void TUXManager::OnInputTick()
{
    // 1. The topmost forms of the two layers.
    for (u32 i = 0; i < DRAWN_LAYER_COUNT; ++i)
        m_aTopForm[i] = TopForm(GetLayer(i));
    // 2. The queued events become the frame's.
    m_aFrameEvent = m_aQueue;
    m_aQueue.SetCount(0);
    // 3. Key actions of the forms of the form list.
    u32 unclaimed = 0;
    bool scrolled = false;
    if (m_aFrameEvent.GetCount())
        DispatchKeyActions(unclaimed, scrolled);
    // 4. The mouse.
    ReadButtons();
    const u32 dragAtStart = m_nDragState;
    const bool pressed = (m_Mouse.nButtons & BUTTONS_PRESSED) != 0;
    const bool released = (m_Mouse.nButtons & BUTTONS_RELEASED) != 0;
    // 5. The hover marks of the frame.
    const u32 layers = GetLayerCount();
    for (u32 i = 0; i < layers; ++i)
        if (TLayer* layer = GetLayer(i))
            ClearHoverMarks(layer);
    // 6. Held and released buttons reach the controls only for a press that began over the UX.
    if (!m_nDragState && !pressed)
        m_Mouse.nButtons = 0;
    // 7. The trees of every layer.
    const f32 step = FrameTime();
    m_Mouse.nResult = 0;
    for (u32 i = 0; i < layers; ++i)
        if (TLayer* layer = GetLayer(i))
            layer->UpdateFrame(&m_Mouse, step);
    // 8. The mouse, to the forms of layer 1 then layer 0, topmost first; then the layer's
    // overlays advance.
    m_Mouse.nResult = 0;
    for (u32 i = DRAWN_LAYER_COUNT; i-- > 0;)
        if (TLayer* layer = GetLayer(i))
        {
            for (u32 f = layer->aControl.GetCount(); f-- > 0;)
                if (f < layer->aControl.GetCount())
                    layer->aControl[f]->HandleMouse(&m_Mouse, 1);
            for (u32 o = 0; o < layer->aOverlay.GetCount(); ++o)
                layer->aOverlay[o]->Update(step);
        }
    // 9. A click that no control took removes the focus.
    if ((m_Mouse.nButtons & (BUTTONS_PRESSED | BUTTONS_RELEASED)) && !(m_Mouse.nResult & MOUSE_PRESS_TAKEN) &&
        m_pFocus)
        SetFocus(nullptr);
    // 10. The result of the frame, and the drag state of the next.
    m_nMouseResult = m_Mouse.nResult & (MOUSE_TAKEN | MOUSE_PRESS_TAKEN);
    // The UX lies over the UI toolkit and the game: a press it took is not theirs too.
    if (pressed && m_nMouseResult)
        ClearPresses();
    if (!released && (dragAtStart || pressed))
        m_nDragState = m_nMouseResult;
    else
        m_nDragState = 0;
    if (unclaimed)
        m_nDragState = scrolled ? 3 : 1;
}

void TUXManager::ClearHoverMarks(TControl* control)
{
    if (!control->IsVisibleOnScreen())
        return;
    control->nFlags &= ~CONTROL_HOVER_MARK;
    for (TControl* child = control->lChild.pFirst; child; child = child->pNext)
        ClearHoverMarks(child);
}

bool TUXManager::WantsInput()
{
    return (m_pFocus || m_nDragState) && !m_pPressed;
}

i32 TUXManager::OnFocusGain()
{
    m_aQueue.SetCount(0);
    m_aFrameEvent.SetCount(0);
    return 0;
}

void TUXManager::OnFocusLost()
{
    SetFocus(nullptr);
}

void TUXManager::UpdateFocus(f32)
{
    TControl* focus = m_pFocus;
    if (!focus || !m_aFrameEvent.GetCount())
        return;
    for (i32 b = 0; b < focus->nActionBindingCount && focus == m_pFocus; ++b)
    {
        const TActionBinding& binding = focus->aActionBinding[b];
        if (binding.nScope != SCOPE_FOCUSED || !MatchesFrameEvent(binding.Key))
            continue;
        const TName action = binding.Action;
        focus->DoAction(focus, action, 0);
    }
}

void TUXManager::UpdateManager(f32)
{
    if (m_pDefaultToolTip)
        m_pDefaultToolTip->Update(FrameTime());
    // The UX draws last: while it draws, the cursor is drawn by it alone, over its forms.
    TInputManager& input = TInputManager::Instance();
    if (IsShown())
        input.SetCursorDrawer(this);
    else if (input.GetCursorDrawer() == this)
        input.SetCursorDrawer(nullptr);
    if (m_pCapture && (!m_pCapture->IsVisibleOnScreen() || !IsOnTopForm(m_pCapture)))
        m_pCapture = nullptr;
}
} // namespace UX
