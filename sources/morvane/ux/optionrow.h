#pragma once
// UX::TOptionRow: what the game's option rows share: a caption label (the first stored part)
// beside an inner control that holds the value, and the wiring between them: the caption shows
// its focused state while the inner control is active, the inner control takes the focus when
// the mouse enters it, and its leave event has a handler that does nothing.
#include "ux/ux.controlmanager.h"

namespace UX
{
class TOptionRow : public TControl
{
public:
    TOptionRow() : pLabel(nullptr) {}

    // The caption follows the inner control's activation.
    void HighlightCaption(TControl* inner);
    // The inner control takes the focus when the mouse enters it; its leave does nothing.
    void FocusOnEnter(TControl* inner);
    void IgnoreEnterAndLeave(TControl* inner);
    void IgnoreLeave(TControl* inner);

    // The caption and a part of the row's class checked at load: a link to anything else is
    // cut and a missing part told (an error line each); its wiring is then skipped.
    void CheckLoadedCaption() { CheckLoadedPart(pLabel, "caption"); }
    template <class T> bool CheckLoadedPartOf(T*& part, const char* what)
    {
        TControl* control = part;
        const bool present = CheckLoadedPart(control, what, &T::Class());
        part = static_cast<T*>(control);
        return present;
    }

    TControl* pLabel;

protected:
    void OnInnerActivate(TControl*, void*);
    void OnInnerDeactivate(TControl*, void*);
    void OnInnerEnter(TControl* inner, void*);
    void OnInnerPass(TControl*, void*) {}
};

static_assert(sizeof(TOptionRow) == 1324);
} // namespace UX
