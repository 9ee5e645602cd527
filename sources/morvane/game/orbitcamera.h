#pragma once
// TOrbitCamera (stored type 156, 168 bytes): a pivot node turned by yaw and pitch around its
// place, and a camera node on an arm whose length eases towards the chosen zoom level and is
// shortened where scenery is in the way. The player turns it while the rotation action is held
// and zooms with the two zoom actions.
#include "engine/system/nodeobject.h"

#include <cstddef>

class TCamera;
class TInputAction;

constexpr u32 ORBIT_ZOOM_LEVEL_COUNT = 4;
// Flags.
constexpr u32 ORBIT_FOLLOW_PARENT_HEADING = 0x2;
constexpr u32 ORBIT_ROTATE_ALWAYS = 0x4;
// The arm: its shortest length, the ray's and the capsule's reach beyond the arm, the capsule's
// radius, the step it is shortened by and the tries.
constexpr f32 ORBIT_MIN_ARM = 4.5f;
constexpr f32 ORBIT_RAY_BEYOND = 0.05f;
constexpr f32 ORBIT_CAPSULE_BEYOND = 0.0475f;
constexpr f32 ORBIT_CAPSULE_RADIUS = 0.3f;
constexpr f32 ORBIT_ARM_STEP = 0.05f;
constexpr i32 ORBIT_CAPSULE_TRIES = 20;
constexpr f32 ORBIT_EASING = 0.2f;
// The pitch splits between pivot and camera by f = pitch x (-1/60) within these bounds.
constexpr f32 ORBIT_SPLIT_MIN = 0.1f;
constexpr f32 ORBIT_SPLIT_MAX = 1.0f;
// The collision groups the arm meets (scenery).
constexpr u32 ORBIT_COLLISION_FILTER = 2;

class TOrbitCamera : public TNodeObject
{
public:
    TOrbitCamera();

    // The player's zoom and rotation for this frame (the timer's frame time turns it).
    void HandleInput(u32 zoomAllowed);
    // Places the pivot and the camera node.
    void Update(f32 dt);
    // The zoom level in force (the stored index held to the stored levels).
    u32 GetZoomIndex() const;

    TName m_Name;
    f32 m_fYaw;
    f32 m_fPitch;
    f32 m_aUnused24[2];
    TNode* pNodeX;
    TCamera* pCamera;
    TInputAction* pRotateLeft;
    TInputAction* pRotateRight;
    TInputAction* pRotateUp;
    TInputAction* pRotateDown;
    TInputAction* pRotation;
    TInputAction* pZoomIn;
    TInputAction* pZoomOut;
    u32 m_nFlags;
    f32 m_aYawLimit[2];
    f32 m_aPitchLimit[2];
    u32 m_nZoomIndex;
    f32 m_fArmLength;
    u32 m_nZoomLevelCount;
    TVector aZoomLevel[ORBIT_ZOOM_LEVEL_COUNT];
    f32 m_fEasing;

private:
    // The arm length shortened to the scenery along the line from the pivot.
    f32 FitArm(const TVector& pivot, const TVector& direction, f32 length) const;
};

static_assert(sizeof(TOrbitCamera) == 168);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TOrbitCamera, m_Name) == 12);
static_assert(offsetof(TOrbitCamera, m_fYaw) == 16);
static_assert(offsetof(TOrbitCamera, m_fPitch) == 20);
static_assert(offsetof(TOrbitCamera, pNodeX) == 32);
static_assert(offsetof(TOrbitCamera, pCamera) == 36);
static_assert(offsetof(TOrbitCamera, pRotateLeft) == 40);
static_assert(offsetof(TOrbitCamera, pRotation) == 56);
static_assert(offsetof(TOrbitCamera, pZoomOut) == 64);
static_assert(offsetof(TOrbitCamera, m_nFlags) == 68);
static_assert(offsetof(TOrbitCamera, m_aYawLimit) == 72);
static_assert(offsetof(TOrbitCamera, m_aPitchLimit) == 80);
static_assert(offsetof(TOrbitCamera, m_nZoomIndex) == 88);
static_assert(offsetof(TOrbitCamera, m_fArmLength) == 92);
static_assert(offsetof(TOrbitCamera, m_nZoomLevelCount) == 96);
static_assert(offsetof(TOrbitCamera, aZoomLevel) == 100);
static_assert(offsetof(TOrbitCamera, m_fEasing) == 164);
#pragma GCC diagnostic pop
