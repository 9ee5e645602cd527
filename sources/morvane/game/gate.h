#pragma once
// TGate (stored type 161, 348 bytes): one of the eight gates (ids 1 to 8): its state, the timers
// of its stages, the random choices made once per aircraft, its tasks, its three paths and the
// aircraft parked there. The run-time block after the aircraft serves the cargo machine.
#include "core/math/vector.h"
#include "core/system/templates/sarray.h"

#include <cstddef>

class TAICommonUnit;
struct TTask;

constexpr u32 GATE_TASK_CAPACITY = 36;
constexpr i32 GATE_ID_FIRST = 1;
constexpr i32 GATE_ID_LAST = 8;
// A random flag not yet drawn for the aircraft at the gate.
constexpr i32 GATE_FLAG_NOT_DRAWN = -1;
// The stages' least times, and the times into a stage before a service may start.
constexpr f32 GATE_STAGE_TIME = 900.0f;
constexpr f32 GATE_INTERIOR_CLEANING_AFTER = 600.0f;
constexpr f32 GATE_BUS_TO_TERMINAL_AFTER = 420.0f;
constexpr f32 GATE_CATERING_AFTER = 360.0f;
constexpr f32 GATE_BUS_TO_GATE_AFTER = 120.0f;
// The bus comes when a draw is above this; exterior cleaning when the second is below.
constexpr f32 GATE_BUS_CHANCE = 0.6f;
constexpr f32 GATE_SECOND_CHANCE = 0.5f;
// Cargo: the phases of the loader's work at the door, the door's place on the aircraft, the
// docking limits, the load's place in the hold and its slide, the stages' least times.
constexpr u32 CARGO_PHASE_LOAD_ON_LOADER = 0;
constexpr u32 CARGO_PHASE_DOOR_OPEN = 1;
constexpr u32 CARGO_PHASE_LIFT_RAISED = 2;
constexpr u32 CARGO_PHASE_LOAD_MOVED = 3;
constexpr f32 CARGO_DOOR_FORWARD = 5.25f;
constexpr f32 CARGO_DOOR_SIDE = 5.8f;
constexpr f32 CARGO_DOCK_DISTANCE = 0.5f;
constexpr f32 CARGO_DOCK_ANGLE_MIN = 85.0f;
constexpr f32 CARGO_DOCK_ANGLE_MAX = 95.0f;
constexpr f32 CARGO_HOLD_X = 5.5f;
constexpr f32 CARGO_HOLD_Z = 10.45f;
constexpr f32 CARGO_SLIDE_SPEED = 0.5f;
constexpr f32 CARGO_UNLOADING_TIME = 720.0f;
constexpr f32 CARGO_IDLE_TIME = 600.0f;
constexpr f32 CARGO_LOADING_TIME = 720.0f;
// A led aircraft stops while its follow-me car is farther; it stops this near the taxi end;
// units this near the taxi end keep the runway closed.
constexpr f32 GATE_FOLLOW_DISTANCE = 18.0f;
constexpr f32 GATE_TAXI_END_DISTANCE = 25.0f;
constexpr f32 GATE_CLEAR_DISTANCE = 40.0f;

struct TGate
{
    // No tasks, no aircraft, the random flags not drawn.
    TGate();

    // Every frame: each task's update, in array order, then at most one step of the state
    // machine that takes a parked aircraft through its service to the take-off queue.
    void Update(f32 dt);
    // The state, with its log line (gate, state name, aircraft, money).
    void SetState(i32 state);
    // The cargo machine, for a freighter: the loader docks at the door and the load moves.
    void UpdateCargo(TTask* const* tasks, f32 dt);
    // The front end's docking hint for the player's cargo transfer at this gate: 1 until the
    // loader docks, 0 once docked, -1 when the active task is no such transfer of this gate.
    i32 DockingHint() const;
    // The cargo loader may set out: no other gate's loader trip is under way.
    bool IsCargoLifterFree() const;
    // The loader stands at the freighter's door, square to it, and the player presses "action".
    bool IsDocked(const TAICommonUnit& loader);
    // The door: 5.25 ahead of the aircraft's position and 5.8 to its left.
    TVector GetDoorPoint() const;
    // The loader's docking as last measured, for the front end: its distance to the door
    // (negative on the aircraft's right) and the degrees between its heading and the
    // aircraft's (90 when square to it).
    f32 GetDockingOffset() const { return m_fLoaderDoorDistance; }
    f32 GetDockingAngle() const { return m_fLoaderDoorAngle; }
    // The gate's first task of the type, or null.
    TTask* FindTask(i32 type) const;
    // The deploy task of a service kind; null for a kind outside 0..10.
    TTask* GetServiceTask(i32 kind) const;
    // One AI level more for the task of the type and its paired task (luggage 6 with 8, bus 12
    // with 14), charging the new level's price; then the completion check.
    void LevelUpService(i32 type);

    i32 m_nId;
    i32 m_nState;
    f32 m_fUnloadingTimer;
    f32 m_fIdleTimer;
    f32 m_fLoadingTimer;
    i32 m_nBusFlag;
    i32 m_nSecondFlag;
    i32 aCargoPhase[4];
    u32 m_nReserved44;
    SArray<TTask*, GATE_TASK_CAPACITY, 0> aGateTask;
    i32 m_nArrivalPath;
    i32 m_nTaxiPath;
    i32 m_nDeparturePath;
    TAICommonUnit* pPlane;
    // The docking values the front end shows, written by the docking test.
    f32 m_fLoaderDoorDistance;
    f32 m_fLoaderDoorAngle;
    u32 m_aCargoBlock[32];

private:
    // The states' steps; tasks holds the gate's first task of each type (null where missing).
    void ParkAirplane();
    void BeforeUnloading(TTask* const* tasks);
    void Unloading(TTask* const* tasks, f32 dt);
    void PlaneIdle(TTask* const* tasks, f32 dt);
    void Loading(TTask* const* tasks, f32 dt);
    void WaitForTakeoff(TTask* const* tasks);
    void ProceedingToTakeoff(TTask* const* tasks);
    void TakeOff();
    // Maintenance with repairs and exterior cleaning, and the luggage chain, as each stage runs
    // them; startHeads: maintenance and luggage may start here.
    void ServeChains(TTask* const* tasks, bool startHeads);
    // Every task cleared for the next aircraft, the random flags to be drawn again, the cargo
    // phases cleared.
    void ClearForNextAircraft();
    void CargoBeforeUnloading(TTask* const* tasks);
    void CargoUnloading(TTask* const* tasks, f32 dt);
    void CargoPlaneIdle(TTask* const* tasks, f32 dt);
    void CargoLoading(TTask* const* tasks, f32 dt);
};

static_assert(sizeof(TGate) == 348);
static_assert(offsetof(TGate, m_nState) == 4);
static_assert(offsetof(TGate, m_fUnloadingTimer) == 8);
static_assert(offsetof(TGate, m_fIdleTimer) == 12);
static_assert(offsetof(TGate, m_fLoadingTimer) == 16);
static_assert(offsetof(TGate, m_nBusFlag) == 20);
static_assert(offsetof(TGate, m_nSecondFlag) == 24);
static_assert(offsetof(TGate, aCargoPhase) == 28);
static_assert(offsetof(TGate, aGateTask) == 48);
static_assert(offsetof(TGate, m_nArrivalPath) == 196);
static_assert(offsetof(TGate, m_nTaxiPath) == 200);
static_assert(offsetof(TGate, m_nDeparturePath) == 204);
static_assert(offsetof(TGate, pPlane) == 208);
static_assert(offsetof(TGate, m_fLoaderDoorDistance) == 212);
static_assert(offsetof(TGate, m_fLoaderDoorAngle) == 216);
