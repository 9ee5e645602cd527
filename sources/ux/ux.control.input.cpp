// UX::TControl: the mouse (hit tests against the laid-out rectangles, hover, press, capture and
// focus, the mouse events) and named actions, key bindings and the built-in "$" actions.
#include "ux/ux.control.h"

#include "core/system/log.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.radiobutton.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"
#include "xaudio2/gamesound.h"

namespace UX
{
namespace
{
struct TBuiltInAction
{
    TName Name;
    void (*Run)(TControl& control, TControl* sender, const TName& action);
};

const TBuiltInAction* BuiltInActions(u32& count)
{
    static const TBuiltInAction s_Actions[] = {
        {ClickAction(),
         [](TControl& c, TControl* sender, const TName& action) {
             c.Event(EVENT_CLICK).Invoke(sender, const_cast<TName*>(&action));
         }},
        {TName("$OnUpdate", true),
         [](TControl& c, TControl* sender, const TName& action) {
             c.Event(EVENT_UPDATE).Invoke(sender, const_cast<TName*>(&action));
         }},
        {TName("$Activate", true), [](TControl& c, TControl*, const TName&) { c.Activate(); }},
        {TName("$Deactivate", true), [](TControl& c, TControl*, const TName&) { c.Deactivate(0); }},
        {TName("$Show", true), [](TControl& c, TControl*, const TName&) { c.Show(0); }},
        {TName("$Hide", true), [](TControl& c, TControl*, const TName&) { c.Hide(0); }},
        {TName("$Enable", true), [](TControl& c, TControl*, const TName&) { c.Enable(); }},
        {TName("$Disable", true), [](TControl& c, TControl*, const TName&) { c.Disable(); }},
        {TName("$Refresh", true), [](TControl& c, TControl*, const TName&) { c.Refresh(); }},
        {TName("$Focus", true), [](TControl& c, TControl*, const TName&) { c.SetFocus(); }},
    };
    count = sizeof s_Actions / sizeof s_Actions[0];
    return s_Actions;
}

} // namespace

void TControl::HandleMouse(TMouse* mouse, u32 hitAllowed)
{
    nFlags &= ~CONTROL_UNDER_MOUSE;
    if (!IsVisibleOnScreen() || (!IsEnabledAll() && !(nFlags & CONTROL_HIT_WHEN_DISABLED)) ||
        (nFlags & CONTROL_HIDING))
        return;
    const TRect area = Computed.HitInset.Apply(BoxRect, 1.0f, 1.0f);
    const bool hit = mouse->x >= area.x && mouse->x <= area.x + area.width && mouse->y >= area.y &&
                     mouse->y <= area.y + area.height;
    bool counts = false;
    if (hit)
    {
        nFlags |= CONTROL_UNDER_MOUSE;
        TControl* modal = g_pUXManager ? g_pUXManager->GetModalForm() : nullptr;
        counts = ((nFlags & CONTROL_HIT_WITHOUT_PARENT) || hitAllowed) && (!modal || IsDescendantOf(modal));
    }
    for (TControl* child = lChild.pLast; child; child = child->pPrev)
        child->HandleMouse(mouse, counts ? 1 : 0);
    if (nFlags & CONTROL_IGNORES_MOUSE)
        return;

    TControl* capture = g_pUXManager ? g_pUXManager->GetCapture() : nullptr;
    if (counts && !(mouse->nResult & MOUSE_TAKEN) && (!capture || capture == this))
    {
        Enter(mouse);
        bool focusGiven = false;
        if (IsEnabledAll())
        {
            if ((mouse->nButtons & (BUTTON_LEFT_PRESSED | BUTTON_RIGHT_PRESSED)) &&
                !(mouse->nResult & MOUSE_PRESS_TAKEN) && (nFlags & CONTROL_HOVERED))
                focusGiven = SetFocus() == 0;
            if (mouse->nButtons & (BUTTONS_PRESSED | BUTTONS_RELEASED))
            {
                HandleButtons(mouse);
                if ((nFlags & CONTROL_CAPTURES) && g_pUXManager)
                    g_pUXManager->SetCapture(this);
            }
            if (!(mouse->nButtons & BUTTONS_HELD) && g_pUXManager && g_pUXManager->GetCapture() == this)
                g_pUXManager->SetCapture(nullptr);
        }
        if (focusGiven)
            mouse->nResult |= MOUSE_PRESS_TAKEN;
        mouse->nResult |= MOUSE_TAKEN;
        // A button put away the tip.
        if (mouse->nButtons && (nFlags & CONTROL_SHOWS_TOOL_TIP))
            CloseToolTip(mouse);
        return;
    }
    if (!counts && (nFlags & CONTROL_PRESS_BEGAN) && (nFlags & CONTROL_CAPTURES))
    {
        // A captured press dragged outside: the control stays hovered until the release.
        nFlags |= CONTROL_HOVERED;
        for (TControl* c = pParent; c; c = c->pParent)
            c->nFlags |= CONTROL_DESCENDANT_HOVERED | CONTROL_HOVER_MARK;
        mouse->nResult |= MOUSE_TAKEN;
        if (mouse->nButtons & (BUTTONS_PRESSED | BUTTONS_RELEASED))
            HandleButtons(mouse);
        // Released outside: the capture ends as it does over the control; kept, it would shut
        // every other control out of the mouse.
        if (!(mouse->nButtons & BUTTONS_HELD) && g_pUXManager && g_pUXManager->GetCapture() == this)
            g_pUXManager->SetCapture(nullptr);
        return;
    }
    Leave(mouse);
}

TControl* TControl::HoverEventTarget(EControlEvent event)
{
    TControl* c = this;
    while (!c->aEvent[event].HasHandler() && (c->nFlags & CONTROL_TRANSPARENT) && c->pParent)
        c = c->pParent;
    return c;
}

void TControl::Enter(TMouse* mouse)
{
    if (nFlags & CONTROL_HOVERED)
        return;
    nFlags |= CONTROL_HOVERED;
    for (TControl* c = pParent; c; c = c->pParent)
        c->nFlags |= CONTROL_DESCENDANT_HOVERED | CONTROL_HOVER_MARK;
    TControl* target = HoverEventTarget(EVENT_MOUSE_ENTER);
    target->aEvent[EVENT_MOUSE_ENTER].Invoke(target, mouse);
    if ((nFlags & CONTROL_SHOWS_TOOL_TIP) && pToolTip)
        pToolTip->Open(this, mouse);
    OnMouseEnter(mouse);
}

void TControl::Leave(TMouse* mouse)
{
    if (nFlags & CONTROL_HOVERED)
    {
        nFlags &= ~CONTROL_HOVERED;
        ClearDescendantHovered();
        TControl* target = HoverEventTarget(EVENT_MOUSE_LEAVE);
        target->aEvent[EVENT_MOUSE_LEAVE].Invoke(target, mouse);
        if (nFlags & CONTROL_SHOWS_TOOL_TIP)
            CloseToolTip(mouse);
        OnMouseLeave(mouse);
    }
    if (!(nFlags & CONTROL_PRESS_BEGAN))
        return;
    // A press that leaves the control is no click.
    OnMouseUp(mouse);
    aEvent[EVENT_MOUSE_UP].Invoke(this, mouse);
    nFlags &= ~(CONTROL_PRESS_BEGAN | CONTROL_PRESSED);
    KillFocus();
    if (g_pUXManager)
    {
        g_pUXManager->SetPressed(nullptr);
        if (g_pUXManager->GetCapture() == this)
            g_pUXManager->SetCapture(nullptr);
    }
    UpdateState(0, 0);
}

void TControl::HandleButtons(TMouse* mouse)
{
    if (!IsVisibleOnScreen() || !IsEnabledAll() || (mouse->nResult & MOUSE_PRESS_TAKEN))
        return;
    for (TControl* child = lChild.pLast; child; child = child->pPrev)
        child->HandleButtons(mouse);
    if (!(nFlags & CONTROL_HOVERED) || (nFlags & CONTROL_IGNORES_MOUSE) ||
        (mouse->nResult & MOUSE_PRESS_TAKEN))
        return;
    mouse->nResult |= MOUSE_PRESS_TAKEN;
    if (mouse->nButtons & BUTTONS_PRESSED)
    {
        OnMouseDown(mouse);
        aEvent[EVENT_MOUSE_DOWN].Invoke(this, mouse);
        nFlags |= CONTROL_PRESS_BEGAN | CONTROL_PRESSED;
        if (g_pUXManager)
            g_pUXManager->SetPressed((nFlags & CONTROL_RECORDS_PRESSED) ? this : nullptr);
        UpdateState(0, 0);
    }
    if (mouse->nButtons & BUTTONS_RELEASED)
    {
        if (nFlags & CONTROL_PRESS_BEGAN)
        {
            OnClick(mouse);
            aEvent[EVENT_CLICK].Invoke(this, mouse);
            nFlags &= ~(CONTROL_PRESSED | CONTROL_PRESS_BEGAN);
            if (g_pUXManager)
                g_pUXManager->SetPressed(nullptr);
            UpdateState(0, 0);
        }
        OnMouseUp(mouse);
        aEvent[EVENT_MOUSE_UP].Invoke(this, mouse);
        PlayClickSound();
    }
}

void TControl::CloseToolTip(TMouse* mouse)
{
    if (pToolTip)
        pToolTip->OnControlGone(this, mouse);
}

void TControl::PlayClickSound()
{
    const TTransitionStyle* style = nullptr;
    if (IsClass(TCheckBox::Class()) || IsClass(TRadioButton::Class()))
    {
        const TCheckBox* box = static_cast<const TCheckBox*>(this);
        style = box->pStyle[box->Checked ? 1 : 0];
    }
    else if (g_pUXManager)
        style = g_pUXManager->FindStyle(StyleName);
    if (style && style->pSoundOnClick)
        style->pSoundOnClick->Play(nullptr);
}

i32 TControl::DoAction(TControl* sender, const TName& action, u32 ancestorPass)
{
    if (!ancestorPass && sender)
        for (TControl* a = sender->pParent; a; a = a->pParent)
            if ((a->nFlags & CONTROL_INTERCEPTS_ACTIONS) && a->DoAction(sender, action, 1))
                return 1;
    u32 count = 0;
    const TBuiltInAction* builtIn = BuiltInActions(count);
    for (u32 i = 0; i < count; ++i)
        if (builtIn[i].Name == action)
        {
            builtIn[i].Run(*this, sender, action);
            break;
        }
    aEvent[EVENT_ACTION].Invoke(sender, const_cast<TName*>(&action));
    return OnAction(sender, action);
}

i32 TControl::AddActionBinding(const TName& action, const char* input, u32 scope)
{
    if (nActionBindingCount >= static_cast<i32>(ACTION_BINDING_COUNT))
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "UX::TControl::AddActionBinding(): warning: ",
                    "'%s': a ninth action binding ('%s') is refused", GetNameText(), action.GetText());
        return 1;
    }
    TActionBinding& binding = aActionBinding[nActionBindingCount++];
    binding.Action = action;
    binding.nScope = scope < SCOPE_COUNT ? scope : SCOPE_FOCUSED;
    binding.Key = {};
    binding.Key.Parse(input);
    return 0;
}
} // namespace UX
