#pragma once
// TTask (stored type 162, 88 bytes): one errand of a service vehicle at a gate: reach the task
// area before the deadline (each second left pays, each second late costs), work there for a
// drawn time, or only arrive. The AI does it when its unit's AI level is above 0, else the
// player's vehicle. The gate's state machine starts it, begins and finishes its work.
#include "core/system/types.h"

#include <cstddef>

class TAICommonUnit;
struct TGate;
struct TTaskArea;

// The pay for each second left when the area is reached, the cost of a reset.
constexpr f32 TASK_PAY_PER_SECOND = 1.16f;
constexpr i32 TASK_RESET_COST = 2500;
// A player's vehicle arrives below this speed (km/h) and works within the radius plus the margin.
constexpr f32 TASK_ARRIVAL_SPEED = 0.2f;
constexpr f32 TASK_WORK_MARGIN = 0.5f;
// A unit whose prop is not shown yet waits while another stands this close.
constexpr f32 TASK_START_SPACING = 10.0f;
// Extra work is drawn in whole minutes.
constexpr f32 TASK_EXTRA_WORK_STEP = 60.0f;

struct TTask
{
    // Every frame, by the gate: the deadline, the arrival and the work.
    void Update(f32 dt);
    void Start();
    void ReachArea();
    void BeginWork();
    void FinishWork();
    // The player's cancel: the unit sent back, the task started again, at a cost.
    void Reset();
    void RequestStart() { m_nStartRequest = 1; }
    void MarkTakenOver() { m_nTakenOver = 1; }

    u32 IsDeploying() const { return m_nStarted && !m_nArrived && !m_nWorking; }
    u32 IsPlayerDeploying() const { return IsDeploying() && m_nTakenOver; }
    u32 IsArrived() const { return m_nStarted && m_nArrived; }
    u32 IsWorking() const { return m_nStarted && m_nWorking; }
    i32 GetAILevel() const;
    // The price of the current level (0 at level 0) and of the next (0 at the top level).
    i32 GetCurrentLevelPrice() const;
    i32 GetNextLevelPrice() const;
    // The unit that does the task: the AI's, or the player's vehicle.
    TAICommonUnit* GetUnit() const;
    i32 GetGateId() const;

    // The task grid's order: running countdowns first; among them working tasks by remaining
    // work, the others by the countdown; the rest by gate.
    static bool SortLess(const TTask* a, const TTask* b);

    i32 m_nType;
    TTaskArea* pTaskArea;
    TGate* pGate;
    TAICommonUnit* pAIUnit;
    TAICommonUnit* pPlayerVehicle;
    f32 m_fDeadline;
    f32 m_fCountdown;
    f32 m_fBaseWorkTime;
    f32 m_fWorkTime;
    f32 m_fWorkTimer;
    f32 m_fExtraWorkTime;
    i32 m_nAI;
    i32 m_nStartRequest;
    i32 m_nCountdownStarted;
    i32 m_nHideOnArrival;
    i32 m_nPathSelector;
    i32 m_nStarted;
    i32 m_nTakenOver;
    i32 m_nArrived;
    i32 m_nWorking;
    i32 m_nDone;
    i32 m_nNoArrival;

private:
    // The countdown runs; each whole second passed below 0 costs 1.
    void RunCountdown(f32 dt);
    // Within the area (plus the margin) of its place.
    bool IsInArea(const TAICommonUnit& unit, f32 margin) const;
    // When this is the task the player drives, the view goes back to the tower.
    void LeaveActive();
};

static_assert(sizeof(TTask) == 88);
static_assert(offsetof(TTask, pTaskArea) == 4);
static_assert(offsetof(TTask, pGate) == 8);
static_assert(offsetof(TTask, pAIUnit) == 12);
static_assert(offsetof(TTask, pPlayerVehicle) == 16);
static_assert(offsetof(TTask, m_fDeadline) == 20);
static_assert(offsetof(TTask, m_fCountdown) == 24);
static_assert(offsetof(TTask, m_fBaseWorkTime) == 28);
static_assert(offsetof(TTask, m_fWorkTime) == 32);
static_assert(offsetof(TTask, m_fWorkTimer) == 36);
static_assert(offsetof(TTask, m_fExtraWorkTime) == 40);
static_assert(offsetof(TTask, m_nAI) == 44);
static_assert(offsetof(TTask, m_nStartRequest) == 48);
static_assert(offsetof(TTask, m_nCountdownStarted) == 52);
static_assert(offsetof(TTask, m_nHideOnArrival) == 56);
static_assert(offsetof(TTask, m_nPathSelector) == 60);
static_assert(offsetof(TTask, m_nStarted) == 64);
static_assert(offsetof(TTask, m_nTakenOver) == 68);
static_assert(offsetof(TTask, m_nArrived) == 72);
static_assert(offsetof(TTask, m_nWorking) == 76);
static_assert(offsetof(TTask, m_nDone) == 80);
static_assert(offsetof(TTask, m_nNoArrival) == 84);
