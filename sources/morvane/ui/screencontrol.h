#pragma once
// Finding a UX screen's controls by name below its form when the screen binds them: a control
// that is missing, or of another class than the screen expects, is an error line with the
// caller's prefix, and null, so that damaged UX data degrade instead of crashing.
#include "core/system/name.h"

namespace UX
{
class TControl;
}

// The descendant of the name (of the class, when one is given), or null with the line.
UX::TControl* FindScreenControl(UX::TControl* parent, const char* name, const TName* className, const char* prefix);

template <class T> T* FindScreenControl(UX::TControl* parent, const char* name, const char* prefix)
{
    return static_cast<T*>(FindScreenControl(parent, name, &T::Class(), prefix));
}
