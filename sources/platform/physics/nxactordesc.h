#pragma once
// Actor and body descriptors. The body descriptor is kept byte for byte inside the engine's
// stored bodies, hence its asserted layout.
#include <cstddef>
#include <vector>
#include "platform/physics/nxshapedesc.h"

struct NxBodyDesc
{
    NxMat34 massLocalPose;        // mass frame in the actor's frame
    NxVec3 massSpaceInertia;      // zero: from the shapes
    NxReal mass = 0;              // zero: from the shapes' volumes and densities
    NxVec3 linearVelocity;
    NxVec3 angularVelocity;
    NxReal wakeUpCounter = 0.39999998f; // seconds of rest before the body may sleep
    NxReal linearDamping = 0;
    NxReal angularDamping = 0.05f;
    NxReal maxAngularVelocity = -1; // below 0: unlimited
    NxReal CCDMotionThreshold = 0;  // carried only
    NxU32 flags = NX_BF_VISUALIZATION | NX_BF_ENERGY_SLEEP_TEST;
    NxReal sleepLinearVelocity = -1;  // below 0: the SDK's default
    NxReal sleepAngularVelocity = -1; // below 0: the SDK's default
    NxU32 solverIterationCount = 4;
    NxReal sleepEnergyThreshold = -1; // carried only
    NxReal sleepDamping = 0;          // carried only
    NxReal contactReportThreshold = 3.4028235e38f;
};
static_assert(sizeof(NxBodyDesc) == 136);
static_assert(offsetof(NxBodyDesc, wakeUpCounter) == 88 && offsetof(NxBodyDesc, flags) == 108);
static_assert(offsetof(NxBodyDesc, solverIterationCount) == 120 && offsetof(NxBodyDesc, contactReportThreshold) == 132);

// A static actor has no body. The shapes become the actor's shapes in this order.
struct NxActorDesc
{
    NxMat34 globalPose;
    const NxBodyDesc* body = nullptr;
    NxReal density = 0;
    NxU32 flags = 0;
    NxActorGroup group = 0;
    NxDominanceGroup dominanceGroup = 0;
    NxU32 contactReportFlags = 0;
    void* userData = nullptr;
    const char* name = nullptr;
    std::vector<const NxShapeDesc*> shapes;
};
