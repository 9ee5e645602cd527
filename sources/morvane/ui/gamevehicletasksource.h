#pragma once
// TGameVehicleTaskSource: the vehicle task dialog's view of the running game: the task the
// player drives (the game parameters' active task) and the record of its gate, looked up by the
// gate's id.
#include "morvane/ui/vehicletasksource.h"

class TGameVehicleTaskSource final : public TVehicleTaskSource
{
public:
    bool GetTaskType(i32& type) override;
    bool GetGateValues(f32& distance, f32& angle) override;
};
