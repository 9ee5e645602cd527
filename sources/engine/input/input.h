#pragma once
// TInput: one key, button or axis of an input driver, owned by the driver and registered with
// the input manager under its name. Its value and its edge flags of the frame are the driver's.
#include "core/system/name.h"

class TInput
{
public:
    virtual ~TInput() = default;
    virtual const TName* GetName() = 0;
    // The second name shown beside the input's name in lists (its driver's description).
    virtual const TName* GetDriverName() = 0;
    virtual u32* GetFlags() = 0;
    virtual f32 GetValue() = 0;
    // Down: the value is above 0.
    virtual bool IsPressed() = 0;
    // Went down, or up, this frame.
    virtual bool WasPressed() = 0;
    virtual bool WasReleased() = 0;
    virtual void ResetValue() = 0;
    virtual void ClearPressed() = 0;
    virtual void ClearReleased() = 0;
};
