#include "morvane/ui/uivehicletaskdialog.h"

#include "morvane/game/gameenums.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/numstr.h"
#include "morvane/ui/screencontrol.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.trackbar.h"

#include <algorithm>
#include <cmath>

namespace
{
const char* const kInitializeError = "TUIVehicleTaskDialog::OnInitialize(): error: ";

// The label shows the text and takes its warning look, or leaves it.
void ShowNumber(UX::TLabel* label, const char16_t* format, f32 value, f32 limit)
{
    if (!label)
        return;
    label->Text.Format(format, NumStrW(value, VEHICLE_TASK_DECIMALS, NUMSTR_GROUPING));
    // A value that is no number is as far from docking as any.
    const u32 warning = std::fabs(value) < limit ? 0 : VEHICLE_TASK_WARNING_FLAG;
    if ((label->nFlags & VEHICLE_TASK_WARNING_FLAG) == warning)
        return;
    label->nFlags = (label->nFlags & ~VEHICLE_TASK_WARNING_FLAG) | warning;
    label->UpdateState(0, 0);
}

void ShowOnBar(UX::TTrackBar* bar, f32 value, i32 range)
{
    if (bar)
        bar->SetValue(TUIVehicleTaskDialog::BarValue(value, range), 0);
}
} // namespace

TUIVehicleTaskDialog::TUIVehicleTaskDialog() : UX::TInstance(VEHICLE_TASK_FORM_NAME) {}

void TUIVehicleTaskDialog::OnInitialize()
{
    UX::TControl* form = GetForm();
    if (!form)
        return;
    m_pDistanceBar = FindScreenControl<UX::TTrackBar>(form, VEHICLE_TASK_DISTANCE_BAR_NAME, kInitializeError);
    m_pAngleBar = FindScreenControl<UX::TTrackBar>(form, VEHICLE_TASK_ANGLE_BAR_NAME, kInitializeError);
    m_pDistance = FindScreenControl<UX::TLabel>(form, VEHICLE_TASK_DISTANCE_NAME, kInitializeError);
    m_pAngle = FindScreenControl<UX::TLabel>(form, VEHICLE_TASK_ANGLE_NAME, kInitializeError);
    form->Event(UX::EVENT_SHOW).AddHandler(0, this, &TUIVehicleTaskDialog::OnShow);
    form->Event(UX::EVENT_UPDATE).AddHandler(0, this, &TUIVehicleTaskDialog::OnUpdate);
}

i32 TUIVehicleTaskDialog::BarValue(f32 value, i32 range)
{
    if (std::isnan(value))
        return 0;
    const f32 limit = static_cast<f32>(range);
    return static_cast<i32>(std::trunc(std::clamp(value * VEHICLE_TASK_BAR_SCALE, -limit, limit)));
}

void TUIVehicleTaskDialog::OnShow(UX::TControl*, UX::TMouse*)
{
    if (m_pDistanceBar)
        m_pDistanceBar->SetRange(-VEHICLE_TASK_DISTANCE_RANGE, VEHICLE_TASK_DISTANCE_RANGE);
    if (m_pAngleBar)
        m_pAngleBar->SetRange(-VEHICLE_TASK_ANGLE_RANGE, VEHICLE_TASK_ANGLE_RANGE);
}

void TUIVehicleTaskDialog::OnUpdate(UX::TControl* form, UX::TMouse*)
{
    if (!form || !form->IsVisibleOnScreen() || (form->nFlags & UX::CONTROL_HIDING))
        return;
    i32 type = 0;
    f32 distance = 0.0f;
    f32 angle = 0.0f;
    // The main menu over the game hides it as a window of the stack does.
    const bool menuWindow = g_pGameMenuManager && g_pGameMenuManager->IsOverGame();
    const bool cargo = !menuWindow && m_pSource->GetTaskType(type) &&
                       (type == gtCargoStorageToPlane || type == gtCargoPlaneToStorage);
    if (cargo && m_pSource->GetGateValues(distance, angle))
        _ShowValues(distance, angle - VEHICLE_TASK_SQUARE_ANGLE);
    else
        form->Hide(0);
}

void TUIVehicleTaskDialog::_ShowValues(f32 distance, f32 angle)
{
    ShowOnBar(m_pDistanceBar, distance, VEHICLE_TASK_DISTANCE_RANGE);
    ShowOnBar(m_pAngleBar, angle, VEHICLE_TASK_ANGLE_RANGE);
    ShowNumber(m_pDistance, u"%sm", distance, VEHICLE_TASK_DISTANCE_WARNING);
    ShowNumber(m_pAngle, u"%s", angle, VEHICLE_TASK_ANGLE_WARNING);
}
