#include "morvane/ux/optionrow.h"

namespace UX
{
void TOptionRow::HighlightCaption(TControl* inner)
{
    if (!inner)
        return;
    inner->Event(EVENT_ACTIVATE).AddHandler(0, this, &TOptionRow::OnInnerActivate);
    inner->Event(EVENT_DEACTIVATE).AddHandler(0, this, &TOptionRow::OnInnerDeactivate);
}

void TOptionRow::FocusOnEnter(TControl* inner)
{
    if (!inner)
        return;
    inner->Event(EVENT_MOUSE_ENTER).AddHandler(0, this, &TOptionRow::OnInnerEnter);
    IgnoreLeave(inner);
}

void TOptionRow::IgnoreEnterAndLeave(TControl* inner)
{
    if (!inner)
        return;
    inner->Event(EVENT_MOUSE_ENTER).AddHandler(0, this, &TOptionRow::OnInnerPass);
    IgnoreLeave(inner);
}

void TOptionRow::IgnoreLeave(TControl* inner)
{
    if (inner)
        inner->Event(EVENT_MOUSE_LEAVE).AddHandler(0, this, &TOptionRow::OnInnerPass);
}

void TOptionRow::OnInnerActivate(TControl*, void*)
{
    if (!pLabel)
        return;
    pLabel->nFlags |= CONTROL_FOCUSED;
    pLabel->UpdateState(0, 0);
}

void TOptionRow::OnInnerDeactivate(TControl*, void*)
{
    if (!pLabel)
        return;
    pLabel->nFlags &= ~CONTROL_FOCUSED;
    pLabel->UpdateState(0, 0);
}

void TOptionRow::OnInnerEnter(TControl* inner, void*)
{
    inner->SetFocus();
}
} // namespace UX
