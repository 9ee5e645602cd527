#pragma once
// What a scene is created with. Only what changes behaviour here is held.
#include "platform/physics/nxvec3.h"

class NxUserNotify;
class NxUserTriggerReport;
class NxUserContactReport;
class NxUserContactModify;

struct NxSceneDesc
{
    NxVec3 gravity;
    NxUserNotify* userNotify = nullptr;
    NxUserTriggerReport* userTriggerReport = nullptr;
    NxUserContactReport* userContactReport = nullptr;
    NxUserContactModify* userContactModify = nullptr;
    NxReal maxTimestep = 1.0f / 60.0f;
    NxU32 maxIter = 8;
    NxTimeStepMethod timeStepMethod = NX_TIMESTEP_FIXED;
    NxU32 flags = 0;
    NxSimulationType simType = NX_SIMULATION_SW; // a hardware scene is made in software
    void* userData = nullptr;
};

enum NxSceneQueryExecuteMode { NX_SQE_SYNCHRONOUS = 0, NX_SQE_ASYNCHRONOUS };

class NxSceneQueryReport;

struct NxSceneQueryDesc
{
    NxSceneQueryReport* report = nullptr;
    NxSceneQueryExecuteMode executeMode = NX_SQE_SYNCHRONOUS;
};
