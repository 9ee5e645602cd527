#pragma once
// The wait zones of the runway's two queues: landing zones (zone 0 nearest the gates) and
// take-off zones (zone 0 at the runway end). One aircraft holds in a zone at a time. Stored
// inside TGameParameters, 28 bytes each.
#include "core/system/types.h"

#include <cstddef>

class TAICommonUnit;

constexpr f32 WAIT_ZONE_RADIUS = 8.0f;

struct TWaitZone
{
    f32 fX = 0.0f;
    f32 fY = 0.0f;
    f32 fZ = 0.0f;
    f32 fW = 0.0f;
    f32 fRadius = WAIT_ZONE_RADIUS;
    // 1 while an aircraft holds here.
    i32 nEntered = 0;
    TAICommonUnit* pWaitZonePlane = nullptr;
};

struct TLandingWaitZone : TWaitZone
{
};

struct TTakeOffWaitZone : TWaitZone
{
};

static_assert(sizeof(TLandingWaitZone) == 28 && sizeof(TTakeOffWaitZone) == 28);
static_assert(offsetof(TWaitZone, fRadius) == 16);
static_assert(offsetof(TWaitZone, nEntered) == 20);
static_assert(offsetof(TWaitZone, pWaitZonePlane) == 24);
