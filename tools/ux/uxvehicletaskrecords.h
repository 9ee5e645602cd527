#pragma once
// The vehicle task dialog's form "TUIVehicleTaskDialog": a small panel at the top of the in-game
// screen with its title and two rows, the loader's distance to the cargo door and its angle off
// square, each a caption, a track bar and a value label whose pressed look is the warning (keys
// "VehicleTaskTitle", "VehicleTaskDistance", "VehicleTaskAngle"). It never takes the mouse.
class TUxDataWriter;

namespace UX
{
class TLayer;
}

void AddVehicleTaskForm(TUxDataWriter& data, UX::TLayer* layer);
