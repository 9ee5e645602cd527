#pragma once
// TInputFocus: a holder of the input focus, in one of the input manager's eight layers. Every
// frame the layers are visited in order; a holder that wants input gets its update, and unless
// it lets the input through, later holders of its group lose focus for the frame.
#include "core/system/types.h"

constexpr u32 INPUT_FOCUS_LAYER_COUNT = 8;
constexpr u32 INPUT_FOCUS_NO_LAYER = INPUT_FOCUS_LAYER_COUNT;
constexpr u32 INPUT_FOCUS_GROUP_COUNT = 8;

class TInputFocus
{
public:
    virtual bool WantsInput() = 0;
    // After the update: non-zero blocks the group for every later holder.
    virtual i32 ConsumesInput() { return 1; }
    // Zero: the holder leaves its layer when a cluster is unloaded.
    virtual i32 KeepOnClusterUnload() { return 1; }
    // Non-zero skips the holder's update this frame.
    virtual i32 OnFocusGain() { return 0; }
    virtual void OnFocusLost() {}
    virtual void UpdateFocus(f32 step) = 0;

    u32 nGroup = 0;
    u32 nHasFocus = 0;
    u32 nActive = 1;
    u32 nLayer = INPUT_FOCUS_NO_LAYER;

protected:
    ~TInputFocus() = default;
};
