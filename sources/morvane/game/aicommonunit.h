#pragma once
// TAICommonUnit (stored type 158, 312 bytes): an aircraft or a service vehicle of the level.
// Its prop's prop data carries its scene: drive node, vehicle, orbit camera, decals per gate,
// for aircraft a skeleton with their animations and the engine-sound locator, for cargo loaders
// a cargo node. LinkScene finds them by name when the prop takes its full form and UnlinkScene
// lets go; SetPlaneState moves an aircraft through its states with their animations, body
// modes and sounds.
#include "core/math/matrix.h"

#include <cstddef>

class TAnimation;
class TDynamicsBody;
class TNode;
class TOrbitCamera;
class TProp;
class TPropData;
class TSkeleton;
struct TTask;
class TVehicle;
struct TTaskArea;

constexpr u32 UNIT_ANIMATION_COUNT = 5;
constexpr u32 UNIT_ANIMATION_LANDING = 0;
constexpr u32 UNIT_ANIMATION_TAKE_OFF = 1;
constexpr u32 UNIT_ANIMATION_ENGINE_IDLE = 2;
constexpr u32 UNIT_ANIMATION_CARGO_DOOR = 3;
constexpr u32 UNIT_ANIMATION_CARGO_LIFTER = 4;
constexpr i32 UNIT_AI_LEVEL_MAX = 3;
constexpr i32 UNIT_NO_PATH = -1;

// Aircraft states.
constexpr i32 PLANE_IDLE = 0;
constexpr i32 PLANE_LANDING = 2;
constexpr i32 PLANE_LANDED = 3;
constexpr i32 PLANE_TO_GATE = 4;
constexpr i32 PLANE_PARKED = 5;
constexpr i32 PLANE_READY = 6;
constexpr i32 PLANE_TAXIING = 7;
constexpr i32 PLANE_TO_RUNWAY = 8;
constexpr i32 PLANE_LEAVING = 10;
constexpr i32 PLANE_TAKING_OFF = 11;

// Path driving: the front point's step along its segment in a frame of 1/30 s (longer or
// shorter frames step in proportion), the obstacle ray's length per fraction of the top speed
// and its least length, its filter, the seconds a unit waits behind an obstacle before it
// drives on, the speed below which an arrived unit stands.
constexpr f32 UNIT_FRONT_STEP = 0.1f;
constexpr f32 UNIT_FRONT_STEP_FRAME = 1.0f / 30.0f;
constexpr f32 UNIT_RAY_PER_SPEED = 10.0f;
constexpr f32 UNIT_RAY_MIN = 3.5f;
constexpr u32 UNIT_RAY_FILTER = 0x800;
constexpr f32 UNIT_BLOCKED_GIVE_UP = 240.0f;
constexpr f32 UNIT_STANDING_SPEED = 0.1f;

// The distance of two points in 3D.
f32 PointDistance(const TVector& a, const TVector& b);

// The top speed's factor of a unit with a task at AI levels 1 and 2.
constexpr f32 UNIT_SPEED_SCALE_LEVEL_1 = 0.4f;
constexpr f32 UNIT_SPEED_SCALE_LEVEL_2 = 0.7f;

// The abstract record: the table every unit's operations start from, and that a destroyed unit
// is left with.
class TAICommonUnitBase
{
public:
    virtual ~TAICommonUnitBase() = default;
    virtual void LinkScene(TPropData* data) = 0;
    virtual void UnlinkScene() = 0;
};

class TAICommonUnit : public TAICommonUnitBase
{
public:
    TAICommonUnit();

    void LinkScene(TPropData* data) override;
    void UnlinkScene() override;
    // Before its first link an aircraft learns its kind from a form of its pool: a freighter's
    // carries the cargo door, so "next_cargo_plane" finds it before it ever landed.
    void LearnKind(const TPropData& form);
    // The actions of the transition from the current state, then the state; the sound player
    // hears of a change.
    void SetPlaneState(i32 state);

    // The body node's world position (the prop's node while unlinked).
    TVector GetPosition() const;
    const TVector& GetFrontPoint() const { return FrontPoint; }
    // Stops or releases the driving.
    void SetHold(u32 hold) { m_nHold = hold ? 1 : 0; }
    // Starts a path (UNIT_NO_PATH: the first one) from its beginning at the unit's speed scale,
    // showing the unit.
    void SetPath(i32 curve);
    // Ends the driving; hide: the prop's node is disabled too.
    void Stop(u32 hide);
    // One frame along the current path of the pool "CommonUnit": the front point moves on, the
    // vehicle steers towards it, drives, brakes for obstacles and holds, and at the path's end
    // stands and arrives. A path or point outside the pool stops the unit with an error line.
    void UpdateDrive(f32 dt);
    // The landing animation over: the skeleton no longer animated, the first path started, the
    // bodies' matrices kept for the take-off.
    void EndLandingAnimation();
    // Copies the world matrices of the bodies' nodes.
    void SaveBodyMatrices();
    // The bodies back at their saved matrices, at rest.
    void RestoreBodies();
    // Shows the prop's full form: its node enabled and its form taken.
    void ShowProp();
    // The body switched between simulated (1) and kinematic (0).
    void SetBodyDynamic(u32 dynamic);
    // The prop node's name, for log lines.
    const char* GetName() const;
    u32 IsAircraft() const { return m_nAircraft != 0; }
    // Aircraft with a cargo-door animation.
    u32 IsCargoAircraft() const { return aAnimation[UNIT_ANIMATION_CARGO_DOOR] != nullptr; }
    // Ignored by crossroads and by the spacing test of task starts.
    u32 IsBusy() const { return m_nAircraft != 0 || m_nBusy != 0; }

    i32 m_nAILevel;
    i32 aPrice[UNIT_AI_LEVEL_MAX];
    TProp* pProp;
    TDynamicsBody* pBody;
    TDynamicsBody* pSecBody;
    TVehicle* pVehicle;
    TOrbitCamera* pOrbitCamera;
    TTaskArea* pTaskArea;
    TTask* pTask;
    f32 m_fSpeedScale;
    TNode* pVDriveNode;
    TNode* pCargo;
    i32 m_nFirstPath;
    i32 m_nSecondPath;
    i32 m_nCurrentPath;
    f32 m_fPathParameter;
    i32 m_nPointIndex;
    TVector FrontPoint;
    i32 m_nPlaneState;
    f32 m_fCrossroadWait;
    f32 m_fBlockedTime;
    // Authored, never written at run time: non-zero for aircraft.
    i32 m_nAircraft;
    i32 m_nBusy;
    f32 m_fSteerAmount;
    // 1 once the body matrices were saved (the first link).
    i32 m_nLinked;
    TSkeleton* pSkeleton;
    TAnimation* aAnimation[UNIT_ANIMATION_COUNT];
    TNode* pPlaneSoundLocator;
    TMatrix aSavedMatrix[2];
    u32 m_nDriving;
    u32 m_nHold;
    u32 m_nWorking;
    u32 m_nWaitingForStart;
    u32 m_nEndReached;
    u32 m_nBlocked;
    u32 m_aReserved304[2];

private:
    // The skeleton's channel list: cleared, or one entry {0, 0, p, 255} appended.
    void ClearChannels();
    void AppendChannel(u8 parameter);
    void SetSkeletonFlags(u32 bits, u32 set);
    void EnablePropNode(u32 enable);
    // The obstacle ray ahead of the drive node hits something.
    bool IsObstacleAhead(const TVector& from, const TVector& forward) const;
    // Arrived at the path's end, standing.
    void Arrive();
    // The state change's line: aircraft (by the name given), state, its gate, money.
    void LogPlaneState(const char* name) const;
};

static_assert(sizeof(TAICommonUnit) == 312);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TAICommonUnit, m_nAILevel) == 4);
static_assert(offsetof(TAICommonUnit, aPrice) == 8);
static_assert(offsetof(TAICommonUnit, pProp) == 20);
static_assert(offsetof(TAICommonUnit, pBody) == 24);
static_assert(offsetof(TAICommonUnit, pSecBody) == 28);
static_assert(offsetof(TAICommonUnit, pVehicle) == 32);
static_assert(offsetof(TAICommonUnit, pOrbitCamera) == 36);
static_assert(offsetof(TAICommonUnit, pTaskArea) == 40);
static_assert(offsetof(TAICommonUnit, pTask) == 44);
static_assert(offsetof(TAICommonUnit, m_fSpeedScale) == 48);
static_assert(offsetof(TAICommonUnit, pVDriveNode) == 52);
static_assert(offsetof(TAICommonUnit, pCargo) == 56);
static_assert(offsetof(TAICommonUnit, m_nFirstPath) == 60);
static_assert(offsetof(TAICommonUnit, FrontPoint) == 80);
static_assert(offsetof(TAICommonUnit, m_nPlaneState) == 96);
static_assert(offsetof(TAICommonUnit, m_nAircraft) == 108);
static_assert(offsetof(TAICommonUnit, m_nLinked) == 120);
static_assert(offsetof(TAICommonUnit, pSkeleton) == 124);
static_assert(offsetof(TAICommonUnit, aAnimation) == 128);
static_assert(offsetof(TAICommonUnit, pPlaneSoundLocator) == 148);
static_assert(offsetof(TAICommonUnit, aSavedMatrix) == 152);
static_assert(offsetof(TAICommonUnit, m_nDriving) == 280);
static_assert(offsetof(TAICommonUnit, m_nEndReached) == 296);
#pragma GCC diagnostic pop
