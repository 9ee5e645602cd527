#pragma once
// TGameParameters (stored type 164, 560 bytes): one per level, and the game logic works on
// the first: the aircraft, the two queues of wait zones, the runway and apron flags, money,
// the arrival and rain timers, the game clock and the task the player now drives. The game
// front end writes the chosen gate.
#include "core/system/templates/sarray.h"
#include "morvane/game/waitzone.h"

#include <cstddef>

class TMesh;
class TNode;
class TShader;
struct TTask;

constexpr u32 GAME_PLANE_CAPACITY = 16;
constexpr u32 GAME_WAIT_ZONE_COUNT = 5;
constexpr u32 GAME_CAR_MESH_CAPACITY = 12;

// Flags: the runway carries one movement at a time; the apron token lets one aircraft taxi
// between the queues and the gates.
constexpr u32 GAME_LANDING_ALLOWED = 0x1;
constexpr u32 GAME_TAKE_OFF_ALLOWED = 0x2;
constexpr u32 GAME_LANDING = 0x4;
constexpr u32 GAME_FLAG_8 = 0x8;
constexpr u32 GAME_APRON_TOKEN = 0x10;
constexpr u32 GAME_TAKING_OFF = 0x20;
constexpr u32 GAME_FLAGS_AT_START = 0x19;

constexpr i32 GAME_MONEY_AT_START = 1000;
constexpr f32 GAME_ARRIVAL_INTERVAL = 1800.0f;
constexpr f32 GAME_FIRST_RAIN = 1500.0f;
constexpr f32 GAME_FIRST_RAIN_DURATION = 240.0f;

// A point of three floats, the fourth word unused.
struct TGamePoint
{
    f32 x, y, z;
    u32 nUnused;
};

struct TGameParameters
{
    TGameParameters();

    // Loaded records: zone counts below five are completed with empty zones, counts above the
    // tables cut, each with an error line.
    void CheckStoredData();

    SArray<TAICommonUnit*, GAME_PLANE_CAPACITY, 0> aPlane;
    SArray<TLandingWaitZone, GAME_WAIT_ZONE_COUNT, 0> aLandingZone;
    u32 nReserved212;
    SArray<TTakeOffWaitZone, GAME_WAIT_ZONE_COUNT, 0> aTakeOffZone;
    SArray<TMesh*, GAME_CAR_MESH_CAPACITY, 0> aCarMesh;
    TShader* pTrafficShader;
    // The gate the player picked for the aircraft in landing zone 0; 0 = none.
    i32 nChosenGate;
    TGamePoint TakeOffQueueEntry;
    TGamePoint TaxiEnd;
    TNode* pTaskAreaGroundLocator;
    TNode* pTaskAreaAirLocator;
    TNode* pTaskAreaCargoLifterLocator;
    u32 nFlags;
    TAICommonUnit* pLandingPlane;
    TAICommonUnit* pTakeOffPlane;
    i32 nMoney;
    f32 fArrivalTimer;
    f32 fArrivalInterval;
    i32 nSkipLandingAnimation;
    i32 nLandAtOnce;
    f32 fZone0WaitTime;
    f32 fPenaltySecond;
    i32 nWaitReset;
    i32 nTouchdownPending;
    i32 nRainScheduled;
    i32 nRainEffectsPending;
    f32 fNextRainTimer;
    f32 fRainDurationTimer;
    f32 fSavedTransition;
    // i386 aligns 64-bit members at 4: the start time (a local file time) follows a pad word.
    u32 nReserved532;
    u64 nGameStartTime;
    f32 fGameClock;
    TTask* pActiveTask;
    i32 nStarted;
    u32 nReserved556;
};

static_assert(sizeof(TGameParameters) == 560);
static_assert(offsetof(TGameParameters, aPlane) == 0);
static_assert(offsetof(TGameParameters, aLandingZone) == 68);
static_assert(offsetof(TGameParameters, aTakeOffZone) == 216);
static_assert(offsetof(TGameParameters, aCarMesh) == 360);
static_assert(offsetof(TGameParameters, pTrafficShader) == 412);
static_assert(offsetof(TGameParameters, nChosenGate) == 416);
static_assert(offsetof(TGameParameters, TakeOffQueueEntry) == 420);
static_assert(offsetof(TGameParameters, TaxiEnd) == 436);
static_assert(offsetof(TGameParameters, pTaskAreaGroundLocator) == 452);
static_assert(offsetof(TGameParameters, pTaskAreaAirLocator) == 456);
static_assert(offsetof(TGameParameters, pTaskAreaCargoLifterLocator) == 460);
static_assert(offsetof(TGameParameters, nFlags) == 464);
static_assert(offsetof(TGameParameters, pLandingPlane) == 468);
static_assert(offsetof(TGameParameters, pTakeOffPlane) == 472);
static_assert(offsetof(TGameParameters, nMoney) == 476);
static_assert(offsetof(TGameParameters, fArrivalTimer) == 480);
static_assert(offsetof(TGameParameters, fArrivalInterval) == 484);
static_assert(offsetof(TGameParameters, nSkipLandingAnimation) == 488);
static_assert(offsetof(TGameParameters, nLandAtOnce) == 492);
static_assert(offsetof(TGameParameters, fZone0WaitTime) == 496);
static_assert(offsetof(TGameParameters, fPenaltySecond) == 500);
static_assert(offsetof(TGameParameters, nWaitReset) == 504);
static_assert(offsetof(TGameParameters, nTouchdownPending) == 508);
static_assert(offsetof(TGameParameters, nRainScheduled) == 512);
static_assert(offsetof(TGameParameters, nRainEffectsPending) == 516);
static_assert(offsetof(TGameParameters, fNextRainTimer) == 520);
static_assert(offsetof(TGameParameters, fRainDurationTimer) == 524);
static_assert(offsetof(TGameParameters, fSavedTransition) == 528);
static_assert(offsetof(TGameParameters, nReserved532) == 532);
static_assert(offsetof(TGameParameters, nGameStartTime) == 536);
static_assert(offsetof(TGameParameters, fGameClock) == 544);
static_assert(offsetof(TGameParameters, pActiveTask) == 548);
static_assert(offsetof(TGameParameters, nStarted) == 552);
