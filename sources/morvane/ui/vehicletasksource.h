#pragma once
// TVehicleTaskSource: what the vehicle task dialog reads of the game each frame. The game's own
// source reads the game logic (TGameVehicleTaskSource); tests feed theirs.
#include "core/system/types.h"

class TVehicleTaskSource
{
public:
    // The type of the task the player's vehicle has now; false when it has none.
    virtual bool GetTaskType(i32& type) = 0;
    // The two docking values of that task's gate record, as stored: the loader's signed distance
    // to the door and the angle between the loader and the aircraft in degrees (90 when square);
    // false when the task's gate is not found.
    virtual bool GetGateValues(f32& distance, f32& angle) = 0;

protected:
    ~TVehicleTaskSource() = default;
};
