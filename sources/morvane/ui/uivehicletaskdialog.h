#pragma once
// TUIVehicleTaskDialog: the vehicle task dialog, one of the UI game manager's screens. While the
// player drives the cargo loader to or from an aircraft's cargo door it shows the two docking
// values of the task's gate, the loader's distance to the door and its angle off square, as two
// track bars and two numbers; a number past its limit takes its warning look. It hides itself
// for any other task, without one, and while a game-menu window is open.
#include "morvane/ui/gamevehicletasksource.h"
#include "ux/ux.instance.h"

namespace UX
{
class TControl;
class TLabel;
class TTrackBar;
struct TMouse;
} // namespace UX

// The bars' ranges and their steps per unit: centimetres of distance, hundredths of a degree.
constexpr i32 VEHICLE_TASK_DISTANCE_RANGE = 100;
constexpr i32 VEHICLE_TASK_ANGLE_RANGE = 1000;
constexpr f32 VEHICLE_TASK_BAR_SCALE = 100.0f;
// The gate's angle when the loader stands square to the aircraft.
constexpr f32 VEHICLE_TASK_SQUARE_ANGLE = 90.0f;
// From these on a value warns (docking needs less).
constexpr f32 VEHICLE_TASK_DISTANCE_WARNING = 0.5f;
constexpr f32 VEHICLE_TASK_ANGLE_WARNING = 5.0f;
// The value labels' warning look: the control flag of their style's pressed state.
constexpr u32 VEHICLE_TASK_WARNING_FLAG = 0x8000;
// The two decimals and the grouping of the numbers.
constexpr u32 VEHICLE_TASK_DECIMALS = 2;

// The names of the form's controls in the UX data.
inline constexpr const char* VEHICLE_TASK_FORM_NAME = "TUIVehicleTaskDialog";
inline constexpr const char* VEHICLE_TASK_TITLE_NAME = "lblVehicleTaskTitle";
inline constexpr const char* VEHICLE_TASK_DISTANCE_BAR_NAME = "tbVehicleTaskDistance";
inline constexpr const char* VEHICLE_TASK_ANGLE_BAR_NAME = "tbVehicleTaskAngle";
inline constexpr const char* VEHICLE_TASK_DISTANCE_NAME = "lblVehicleTaskDistance";
inline constexpr const char* VEHICLE_TASK_ANGLE_NAME = "lblVehicleTaskAngle";
inline constexpr const char* VEHICLE_TASK_DISTANCE_CAPTION_NAME = "lblVehicleTaskDistanceCaption";
inline constexpr const char* VEHICLE_TASK_ANGLE_CAPTION_NAME = "lblVehicleTaskAngleCaption";

class TUIVehicleTaskDialog : public UX::TInstance
{
public:
    TUIVehicleTaskDialog();

    // Finds the bars and labels (a missing one is logged and left out) and binds the form's show
    // and per-frame update.
    void OnInitialize() override;
    // Where the dialog reads the game; null: the running game's.
    void SetSource(TVehicleTaskSource* source) { m_pSource = source ? source : &m_GameSource; }

    UX::TTrackBar* GetDistanceBar() const { return m_pDistanceBar; }
    UX::TTrackBar* GetAngleBar() const { return m_pAngleBar; }
    UX::TLabel* GetDistanceLabel() const { return m_pDistance; }
    UX::TLabel* GetAngleLabel() const { return m_pAngle; }

    // A value's place on its bar: trunc(value x 100) within the range (a value beyond it, or
    // none at all, at an end or the middle).
    static i32 BarValue(f32 value, i32 range);

private:
    void OnShow(UX::TControl*, UX::TMouse*);
    void OnUpdate(UX::TControl*, UX::TMouse*);
    // The bars and numbers of the two values, each number warning from its limit on.
    void _ShowValues(f32 distance, f32 angle);

    UX::TTrackBar* m_pDistanceBar = nullptr;
    UX::TTrackBar* m_pAngleBar = nullptr;
    UX::TLabel* m_pDistance = nullptr;
    UX::TLabel* m_pAngle = nullptr;
    TGameVehicleTaskSource m_GameSource;
    TVehicleTaskSource* m_pSource = &m_GameSource;
};
