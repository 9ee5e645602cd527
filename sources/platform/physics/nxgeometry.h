#pragma once
// Query volumes and rays of the physics SDK layer, in world space.
#include "platform/physics/nxmat34.h"

// A ray: origin and unit direction.
struct NxRay
{
    NxVec3 orig;
    NxVec3 dir;
};

struct NxSphere
{
    NxVec3 center;
    NxReal radius = 0;
};

// An oriented box: centre, half extents, rotation (columns are the box axes).
struct NxBox
{
    NxVec3 center;
    NxVec3 extents;
    NxMat33 rot;
};

// A capsule: the segment from p0 to p1 swept by a radius.
struct NxCapsule
{
    NxVec3 p0;
    NxVec3 p1;
    NxReal radius = 0;
};

struct NxBounds3
{
    NxVec3 min;
    NxVec3 max;
};
