#pragma once
// The script value that hands a stored object to a script function: kind 6 holding the
// object's cluster handle, the trailing word 0.
#include "core/cluster/cluster.h"
#include "engine/system/command/variablevalue.h"

#include <cstring>

inline TVariableValue ScriptObjectArgument(const void* object)
{
    TVariableValue value;
    std::memset(&value, 0, sizeof value);
    value.nType = VALUE_COLOUR;
    value.nInt = static_cast<i32>(g_pCluster->GetHandle(object).GetWord());
    return value;
}
