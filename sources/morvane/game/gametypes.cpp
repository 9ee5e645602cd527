// The game's stored types: one descriptor each with its reference fields at their image
// offsets, and a prototype built on first use (a load restores the virtual tables of units,
// orbit cameras and curve pools from theirs).
#include "morvane/game/gametypes.h"

#include "ageia/physicstypes.h"
#include "engine/input/inputaction.h"
#include "engine/render/shader.h"
#include "engine/render/viewport.h"
#include "engine/system/scenetypes.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gameparameters.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/task.h"
#include "morvane/game/taskarea.h"
#include "morvane/game/trafficvehicle.h"

namespace
{
template <class T> const T* Prototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// The elements of a counted array field follow its count.
#define ARRAY_FIELD(type, member, typeId, name)                                                              \
    Link(offsetof(type, member) + 4, typeId, name, decltype(type::member)::GetCapacity())

// The aircraft word of each of the five wait zones of a queue.
#define ZONE_FIELD(member, i, name)                                                                          \
    Link(offsetof(TGameParameters, member) + 4 + (i) * sizeof(TWaitZone) + offsetof(TWaitZone, pWaitZonePlane), \
         AI_COMMON_UNIT_TYPE_ID, name)

// Declared with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_apDecl[] = {
    &OrbitCameraDecl(), &CurvePoolDecl(), &AICommonUnitDecl(),    &TaskAreaDecl(),        &CrossroadAreaDecl(),
    &GateDecl(),        &TaskDecl(),      &TakeOffWaitZoneDecl(), &GameParametersDecl(), &LandingWaitZoneDecl(),
    &TrafficVehicleDecl()};
} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const TClusterTypeDecl& OrbitCameraDecl()
{
    static TClusterTypeDecl s_Decl(
        "TOrbitCamera", ORBIT_CAMERA_TYPE_ID, sizeof(TOrbitCamera), Prototype<TOrbitCamera>(), 1,
        {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"), Link(offsetof(TOrbitCamera, pNodeX), NODE_TYPE_ID, "pNodeX"),
         Link(offsetof(TOrbitCamera, pCamera), CAMERA_TYPE_ID, "pCamera"),
         Link(offsetof(TOrbitCamera, pRotateLeft), INPUT_ACTION_TYPE_ID, "pRotateLeft"),
         Link(offsetof(TOrbitCamera, pRotateRight), INPUT_ACTION_TYPE_ID, "pRotateRight"),
         Link(offsetof(TOrbitCamera, pRotateUp), INPUT_ACTION_TYPE_ID, "pRotateUp"),
         Link(offsetof(TOrbitCamera, pRotateDown), INPUT_ACTION_TYPE_ID, "pRotateDown"),
         Link(offsetof(TOrbitCamera, pRotation), INPUT_ACTION_TYPE_ID, "pRotation"),
         Link(offsetof(TOrbitCamera, pZoomIn), INPUT_ACTION_TYPE_ID, "pZoomIn"),
         Link(offsetof(TOrbitCamera, pZoomOut), INPUT_ACTION_TYPE_ID, "pZoomOut")});
    return s_Decl;
}

const TClusterTypeDecl& CurvePoolDecl()
{
    static TClusterTypeDecl s_Decl(
        "TCurvePool", CURVE_POOL_TYPE_ID, sizeof(TCurvePool), Prototype<TCurvePool>(), 1,
        {TClusterField(CLUSTER_MEMBER_RUN, 36, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink"),
         TClusterField(CLUSTER_MEMBER_RUN, 48, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink")});
    return s_Decl;
}

const TClusterTypeDecl& AICommonUnitDecl()
{
    static TClusterTypeDecl s_Decl(
        "TAICommonUnit", AI_COMMON_UNIT_TYPE_ID, sizeof(TAICommonUnit), Prototype<TAICommonUnit>(), 1,
        {Link(offsetof(TAICommonUnit, pProp), PROP_TYPE_ID, "pProp"),
         Link(offsetof(TAICommonUnit, pBody), DYNAMICS_BODY_TYPE_ID, "pBody"),
         Link(offsetof(TAICommonUnit, pSecBody), DYNAMICS_BODY_TYPE_ID, "pSecBody"),
         Link(offsetof(TAICommonUnit, pVehicle), VEHICLE_TYPE_ID, "pVehicle"),
         Link(offsetof(TAICommonUnit, pOrbitCamera), ORBIT_CAMERA_TYPE_ID, "pOrbitCamera"),
         Link(offsetof(TAICommonUnit, pTaskArea), TASK_AREA_TYPE_ID, "pTaskArea"),
         Link(offsetof(TAICommonUnit, pTask), TASK_TYPE_ID, "pTask"),
         Link(offsetof(TAICommonUnit, pVDriveNode), NODE_TYPE_ID, "pVDriveNode"),
         Link(offsetof(TAICommonUnit, pCargo), NODE_TYPE_ID, "pCargo"),
         Link(offsetof(TAICommonUnit, pSkeleton), SKELETON_TYPE_ID, "pSkeleton"),
         Link(offsetof(TAICommonUnit, aAnimation), ANIMATION_TYPE_ID, "aAnimation", UNIT_ANIMATION_COUNT),
         Link(offsetof(TAICommonUnit, pPlaneSoundLocator), NODE_TYPE_ID, "pPlaneSoundLocator")});
    return s_Decl;
}

const TClusterTypeDecl& TaskAreaDecl()
{
    static TClusterTypeDecl s_Decl("TTaskArea", TASK_AREA_TYPE_ID, sizeof(TTaskArea), Prototype<TTaskArea>(), 0);
    return s_Decl;
}

const TClusterTypeDecl& CrossroadAreaDecl()
{
    static TClusterTypeDecl s_Decl(
        "TCrossroadArea", CROSSROAD_AREA_TYPE_ID, sizeof(TCrossroadArea), Prototype<TCrossroadArea>(), 0,
        {ARRAY_FIELD(TCrossroadArea, aAIUnit, AI_COMMON_UNIT_TYPE_ID, "aAIUnit")});
    return s_Decl;
}

const TClusterTypeDecl& GateDecl()
{
    static TClusterTypeDecl s_Decl("TGate", GATE_TYPE_ID, sizeof(TGate), Prototype<TGate>(), 0,
                                   {ARRAY_FIELD(TGate, aGateTask, 0, "aGateTask"),
                                    Link(offsetof(TGate, pPlane), AI_COMMON_UNIT_TYPE_ID, "pPlane")});
    return s_Decl;
}

const TClusterTypeDecl& TaskDecl()
{
    static TClusterTypeDecl s_Decl("TTask", TASK_TYPE_ID, sizeof(TTask), Prototype<TTask>(), 0,
                                   {Link(offsetof(TTask, pTaskArea), TASK_AREA_TYPE_ID, "pTaskArea"),
                                    Link(offsetof(TTask, pGate), GATE_TYPE_ID, "pGate"),
                                    Link(offsetof(TTask, pAIUnit), AI_COMMON_UNIT_TYPE_ID, "pAIUnit"),
                                    Link(offsetof(TTask, pPlayerVehicle), AI_COMMON_UNIT_TYPE_ID, "pPlayerVehicle")});
    return s_Decl;
}

const TClusterTypeDecl& TakeOffWaitZoneDecl()
{
    static TClusterTypeDecl s_Decl(
        "TTakeOffWaitZone", TAKE_OFF_WAIT_ZONE_TYPE_ID, sizeof(TTakeOffWaitZone), Prototype<TTakeOffWaitZone>(), 0,
        {Link(offsetof(TWaitZone, pWaitZonePlane), AI_COMMON_UNIT_TYPE_ID, "pWaitZonePlane")});
    return s_Decl;
}

const TClusterTypeDecl& GameParametersDecl()
{
    static TClusterTypeDecl s_Decl(
        "TGameParameters", GAME_PARAMETERS_TYPE_ID, sizeof(TGameParameters), Prototype<TGameParameters>(), 0,
        {ARRAY_FIELD(TGameParameters, aPlane, AI_COMMON_UNIT_TYPE_ID, "aPlane"),
         ZONE_FIELD(aLandingZone, 0, "TLandingWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aLandingZone, 1, "TLandingWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aLandingZone, 2, "TLandingWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aLandingZone, 3, "TLandingWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aLandingZone, 4, "TLandingWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aTakeOffZone, 0, "TTakeOffWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aTakeOffZone, 1, "TTakeOffWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aTakeOffZone, 2, "TTakeOffWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aTakeOffZone, 3, "TTakeOffWaitZone::pWaitZonePlane"),
         ZONE_FIELD(aTakeOffZone, 4, "TTakeOffWaitZone::pWaitZonePlane"),
         ARRAY_FIELD(TGameParameters, aCarMesh, MESH_TYPE_ID, "aCarMesh"),
         Link(offsetof(TGameParameters, pTrafficShader), SHADER_TYPE_ID, "pTrafficShader"),
         Link(offsetof(TGameParameters, pTaskAreaGroundLocator), NODE_TYPE_ID, "pTaskAreaGroundLocator"),
         Link(offsetof(TGameParameters, pTaskAreaAirLocator), NODE_TYPE_ID, "pTaskAreaAirLocator"),
         Link(offsetof(TGameParameters, pTaskAreaCargoLifterLocator), NODE_TYPE_ID, "pTaskAreaCargoLifterLocator"),
         Link(offsetof(TGameParameters, pLandingPlane), AI_COMMON_UNIT_TYPE_ID, "pLandingPlane"),
         Link(offsetof(TGameParameters, pTakeOffPlane), AI_COMMON_UNIT_TYPE_ID, "pTakeOffPlane"),
         Link(offsetof(TGameParameters, pActiveTask), TASK_TYPE_ID, "pActiveTask")});
    return s_Decl;
}

const TClusterTypeDecl& LandingWaitZoneDecl()
{
    static TClusterTypeDecl s_Decl(
        "TLandingWaitZone", LANDING_WAIT_ZONE_TYPE_ID, sizeof(TLandingWaitZone), Prototype<TLandingWaitZone>(), 0,
        {Link(offsetof(TWaitZone, pWaitZonePlane), AI_COMMON_UNIT_TYPE_ID, "pWaitZonePlane")});
    return s_Decl;
}

const TClusterTypeDecl& TrafficVehicleDecl()
{
    static TClusterTypeDecl s_Decl("TTrafficVehicle", TRAFFIC_VEHICLE_TYPE_ID, sizeof(TTrafficVehicle),
                                   Prototype<TTrafficVehicle>(), 0,
                                   {Link(offsetof(TTrafficVehicle, pMesh), MESH_TYPE_ID, "pMesh")});
    return s_Decl;
}
#pragma GCC diagnostic pop
