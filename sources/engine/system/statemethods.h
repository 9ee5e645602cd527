#pragma once
// TStateMethods: the interface through which an object takes part in state saves. Each of the
// five passes gives every registered object the one stream of the image.
#include "core/system/types.h"

class TStream;

class TStateMethods
{
public:
    virtual ~TStateMethods() = default;
    // 0, or an error code that stops the save.
    virtual i32 SaveState(u32 pass, TStream& stream) = 0;
    // 0, or an error code that stops the load.
    virtual i32 LoadState(u32 pass, TStream& stream) = 0;
};
