#include "igame/vehicles/vehiclemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/vehicles/vehicle.h"

#include <algorithm>

TVehicleManager* g_pVehicleManager = nullptr;

const char* const g_aVehicleActionName[VEHICLE_ACTION_COUNT] = {
    "moveleft",     "moveright",   "moveup",       "movedown",       "handbrake",      "togglehandbrake",
    "togglelights", "JoyMoveLeft", "JoyMoveRight", "JoyMoveForward", "JoyMoveBackward"};

namespace
{
TVehicleManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Vehicle", "Vehicle", &g_pVehicleManager, &s_Manager);
// Names the name table keeps from the start.
const TName s_aName[] = {TName("vehicle", true), TName("vehicles", true), TName("TVehicle", true),
                         TName("TTrackShaderParameters", true), TName("TShaderParameterPlugin", true)};

// The overlay: its font, its column and its lines.
constexpr i32 OVERLAY_FONT_SIZE = 12;
constexpr f32 OVERLAY_X = 210.0f;
constexpr f32 OVERLAY_TOP = 200.0f;
constexpr f32 OVERLAY_LINE = 20.0f;

// The overlay is a debug overlay: drawn only while the debug renders are asked for. Without the
// variable nothing is drawn.
TDeferredVariable s_RenderDebug("render_debug");

bool OverlayWanted()
{
    const TVariable* variable = s_RenderDebug.GetVariable();
    return variable && variable->GetValue().ToInt() != 0;
}

void Line(f32 y, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    g_pCanvasManager->WriteColored(OVERLAY_X, y, CANVAS_DEFAULT_TEXT_COLOR, text, 0);
}
} // namespace

TVehicleManager::TVehicleManager() : m_nActiveIndex(-1), m_nSecondIndex(-1), m_apAction()
{
    // Once per frame with the frame's time: the AI's requests (and the player's keys) last one
    // frame, and a fixed-rate channel would run a second update in a long frame without them.
    m_nChannel = 0;
    if (g_pCluster)
        RegisterArray(&VehicleDecl(), &m_aVehicle);
}

void TVehicleManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
}

void TVehicleManager::UpdateManager(f32 step)
{
    for (i32 i = 0; i < m_aVehicle.GetCount(); ++i)
        m_aVehicle[i]->Update(step, m_aVehicle[i]->active);
}

void TVehicleManager::OnClusterLoad()
{
    TInputManager& input = TInputManager::Instance();
    for (u32 i = 0; i < VEHICLE_ACTION_COUNT; ++i)
        m_apAction[i] = input.CreateAction(TName(g_aVehicleActionName[i], true), 0);
    for (i32 i = 0; i < m_aVehicle.GetCount(); ++i)
    {
        TVehicle& vehicle = *m_aVehicle[i];
        vehicle.CheckStoredData();
        // Every wheel receives its values again at the next update.
        vehicle.lastSteer = vehicle.Parameters.fSteerAngle + 1.0f;
        vehicle.lastDrive = vehicle.Parameters.fDriveTorque + 1.0f;
        vehicle.lastBrake = vehicle.Parameters.fBrakingTorque + 1.0f;
    }
}

void TVehicleManager::SetActiveVehicleIndex(i32 index)
{
    if (TVehicle* active = GetActiveVehicle())
        active->Sound.Stop();
    m_nActiveIndex = index;
}

void TVehicleManager::SetActiveVehicle(TVehicle* vehicle)
{
    i32 index = m_aVehicle.GetCount() - 1;
    while (index >= 0 && m_aVehicle[index] != vehicle)
        --index;
    SetActiveVehicleIndex(index);
}

void TVehicleManager::SetActiveVehicleByName(u32 nameId)
{
    i32 index = 0;
    while (index < m_aVehicle.GetCount() && m_aVehicle[index]->nameId != nameId)
        ++index;
    SetActiveVehicleIndex(index < m_aVehicle.GetCount() ? index : -1);
}

TVehicle* TVehicleManager::GetActiveVehicle() const
{
    // A load may have left fewer vehicles than the index counted.
    return m_nActiveIndex >= 0 && m_nActiveIndex < m_aVehicle.GetCount() ? m_aVehicle[m_nActiveIndex]
                                                                         : nullptr;
}

void TVehicleManager::HandleInput()
{
    if (TVehicle* active = GetActiveVehicle())
        active->ReadInput();
}

void TVehicleManager::RenderManager()
{
    const TVehicle* vehicle = GetActiveVehicle();
    if (!vehicle || !g_pCanvasManager || !OverlayWanted())
        return;
    g_pCanvasManager->SetFont(TName("Arial", true), OVERLAY_FONT_SIZE);
    const TVehicleParameters& p = vehicle->Parameters;
    f32 y = OVERLAY_TOP;
    Line(y, "steer angle: %0.2f deg (%0.2f)", p.fSteerAngle,
         1.0f - std::clamp(p.fSpeed / p.fMaxSpeed - 0.5f, 0.0f, 0.6f));
    Line(y += OVERLAY_LINE, "speed: %0.2f km/h", p.fSpeed);
    if (vehicle->type == VEHICLE_TRACKED)
    {
        Line(y += OVERLAY_LINE, "left braking torque:  %0.2f", vehicle->leftBrakeTorque);
        Line(y += OVERLAY_LINE, "right braking torque: %0.2f", vehicle->rightBrakeTorque);
        Line(y += OVERLAY_LINE, "left torque:  %0.2f", vehicle->leftTorque);
        Line(y += OVERLAY_LINE, "right torque: %0.2f", vehicle->rightTorque);
    }
    else
    {
        Line(y += OVERLAY_LINE, "breaking torque: %0.2f", p.fBrakingTorque);
        Line(y += OVERLAY_LINE, "drive torque: %0.2f", p.fDriveTorque);
    }
    Line(y += 2 * OVERLAY_LINE, "incline: %0.2f (%0.2f)", p.fIncline, vehicle->GetSpeedInclineFactor());
    Line(y += OVERLAY_LINE, "gear: %d", p.nGear);
    Line(y += OVERLAY_LINE, "accel: %0.2f", vehicle->GetGearTorque());
    Line(y += 2 * OVERLAY_LINE, "reverse: %d", vehicle->flags & VEHICLE_REVERSE);
    Line(y += OVERLAY_LINE, "driveback: %d", vehicle->shownDriveback);
    Line(y += OVERLAY_LINE, "braking: %d", vehicle->shownBraking);
    Line(y += OVERLAY_LINE, "driving: %d", vehicle->shownDriving);
    Line(y += OVERLAY_LINE, "steering: %d", vehicle->shownSteering);
    Line(y += 2 * OVERLAY_LINE, "handbrake: %d", vehicle->flags & VEHICLE_HANDBRAKE);
    Line(y += OVERLAY_LINE, "handbrake lock: %d", vehicle->flags & VEHICLE_HANDBRAKE_LOCK);
}
