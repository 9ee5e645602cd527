#pragma once
// The action names the UX library itself answers: the built-in click and the steps of the value
// controls, scroll bars, panels and grids.
#include "core/system/name.h"

namespace UX
{
// "$OnClick".
const TName& ClickAction();
// "Left" and "Right": a value control's step down and up.
const TName& LeftAction();
const TName& RightAction();
// "ScrollUp" and "ScrollDown": the mouse wheel over a panel or a grid.
const TName& ScrollUpAction();
const TName& ScrollDownAction();
} // namespace UX
