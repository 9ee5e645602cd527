#include "ux/ux.actions.h"

namespace UX
{
const TName& ClickAction()
{
    static const TName s_Name("$OnClick", true);
    return s_Name;
}

const TName& LeftAction()
{
    static const TName s_Name("Left", true);
    return s_Name;
}

const TName& RightAction()
{
    static const TName s_Name("Right", true);
    return s_Name;
}

const TName& ScrollUpAction()
{
    static const TName s_Name("ScrollUp", true);
    return s_Name;
}

const TName& ScrollDownAction()
{
    static const TName s_Name("ScrollDown", true);
    return s_Name;
}
} // namespace UX
