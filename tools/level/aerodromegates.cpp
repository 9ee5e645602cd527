#include "aerodromegates.h"
#include "aerodromebuilder.h"
#include "aerodromecurves.h"

#include "core/system/string.h"
#include "engine/system/node.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gameparameters.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"
#include "morvane/game/taskarea.h"
#include "levelmeshes.h"

#include <cmath>

using namespace AerodromePlan;

namespace
{
// Work areas take a unit within this radius; the player's own tasks are wider.
constexpr f32 WORK_RADIUS = 3.0f;
constexpr f32 STORAGE_RADIUS = 6.0f;
constexpr f32 TAXI_END_RADIUS = 25.0f;

u32 Argb(u32 r, u32 g, u32 b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TTaskArea& AddArea(TAerodromeBuilder& builder, const TPlanPoint& at, f32 heading, f32 radius)
{
    TTaskArea& area = builder.Make<TTaskArea>();
    area.Position = TVector(at.x, at.y, at.z, 1.0f);
    area.Transform = Placement(at, heading);
    area.fRadius = radius;
    g_pGameLogicManager->TaskAreas().Add(&area);
    return area;
}

// The heading (degrees about y from +z towards +x) of a path's last stretch.
f32 EndHeading(const TPlanPath& path)
{
    const TPlanPoint& a = path[path.size() - 2];
    const TPlanPoint& b = path.back();
    return std::atan2(b.x - a.x, b.z - a.z) * 57.29578f;
}

// Where a task's unit works: its path's end, or the place the player drives to.
TTaskArea& TaskArea(TAerodromeBuilder& builder, const TPlanTask& plan, const TCurvePoolBuilder& curves,
                    const TAICommonUnit& unit)
{
    if (plan.nType == gtTaxi)
        return AddArea(builder, TAXI_END, 90.0f, TAXI_END_RADIUS);
    if (plan.nType == gtCargoStorageToPlane || plan.nType == gtCargoPlaneToStorage)
        return AddArea(builder, CARGO_STORAGE, 0.0f, STORAGE_RADIUS);
    const TPlanPath& path = curves.GetCurve(static_cast<u32>(plan.nPath ? unit.m_nSecondPath : unit.m_nFirstPath));
    return AddArea(builder, path.back(), EndHeading(path), WORK_RADIUS);
}

// A marker node of the task areas, switched off until a task shows it.
TNode* Locator(TAerodromeBuilder& builder, const char* name, u32 colour, const TVector& half)
{
    TNode* node = builder.AddNode(name, nullptr, Placement(0.0f, 0.0f, 0.0f));
    builder.AddMesh(node, builder.BoxMeshData(name, half, builder.ColourMaterial(name, colour)));
    node->Enable(0, 0);
    return node;
}

void AddTasks(TAerodromeBuilder& builder, TGate& gate, const TCurvePoolBuilder& curves, const TServiceUnits& units)
{
    for (const TPlanTask& plan : g_aPlanTask)
    {
        TTask& task = builder.Make<TTask>();
        TAICommonUnit* unit = units.aUnit[gate.m_nId - 1][plan.nService];
        task.m_nType = plan.nType;
        task.pGate = &gate;
        task.pAIUnit = plan.bPlayer ? nullptr : unit;
        task.pPlayerVehicle = unit;
        task.m_nPathSelector = plan.nPath;
        task.m_nHideOnArrival = plan.bHideOnArrival ? 1 : 0;
        task.m_fDeadline = plan.fDeadline;
        task.m_fBaseWorkTime = plan.fBaseWork;
        task.m_fExtraWorkTime = plan.fExtraWork;
        if (plan.bArea)
            task.pTaskArea = &TaskArea(builder, plan, curves, *unit);
        gate.aGateTask.Add(&task);
        g_pGameLogicManager->Tasks().Add(&task);
    }
}

void AddCrossroad(TAerodromeBuilder& builder, const TPlanPoint& centre)
{
    TCrossroadArea& crossroad = builder.Make<TCrossroadArea>();
    crossroad.fX = centre.x;
    crossroad.fY = centre.y;
    crossroad.fZ = centre.z;
    crossroad.fRadius = CROSSROAD_RADIUS;
    g_pGameLogicManager->Crossroads().Add(&crossroad);
}
} // namespace

TGameParameters& AddAerodromeGates(TAerodromeBuilder& builder, TCurvePoolBuilder& curves, const TServiceUnits& units,
                                   const TAerodromeAircraft& aircraft, TAICommonUnit& followMe)
{
    TGameParameters& parameters = builder.Make<TGameParameters>();
    for (TAICommonUnit* plane : aircraft.aPlane)
        parameters.aPlane.Add(plane);
    for (u32 zone = 0; zone < PLAN_ZONE_COUNT; ++zone)
    {
        const TPlanPoint landing = LandingZone(zone), takeOff = TakeOffZone(zone);
        parameters.aLandingZone[zone].fX = landing.x;
        parameters.aLandingZone[zone].fY = landing.y;
        parameters.aLandingZone[zone].fZ = landing.z;
        parameters.aTakeOffZone[zone].fX = takeOff.x;
        parameters.aTakeOffZone[zone].fY = takeOff.y;
        parameters.aTakeOffZone[zone].fZ = takeOff.z;
    }
    parameters.TakeOffQueueEntry = {TAKE_OFF_QUEUE_ENTRY.x, TAKE_OFF_QUEUE_ENTRY.y, TAKE_OFF_QUEUE_ENTRY.z, 0};
    parameters.TaxiEnd = {TAXI_END.x, TAXI_END.y, TAXI_END.z, 0};
    parameters.pTaskAreaGroundLocator =
        Locator(builder, "task_area_ground_locator", Argb(40, 220, 60), TVector(0.5f, 0.02f, 0.5f, 1));
    parameters.pTaskAreaAirLocator =
        Locator(builder, "task_area_air_locator", Argb(40, 220, 60), TVector(0.05f, 0.4f, 0.05f, 1));
    parameters.pTaskAreaCargoLifterLocator =
        Locator(builder, "task_area_cargo_lifter_locator", Argb(240, 160, 20), TVector(0.6f, 0.02f, 0.6f, 1));
    g_pGameLogicManager->Parameters().Add(&parameters);

    const i32 departure = curves.Add(DeparturePath());
    for (u32 id = 1; id <= PLAN_GATE_COUNT; ++id)
    {
        TGate& gate = builder.Make<TGate>();
        gate.m_nId = static_cast<i32>(id);
        gate.m_nArrivalPath = curves.Add(ArrivalPath(id));
        gate.m_nTaxiPath = curves.Add(TaxiPath(id));
        gate.m_nDeparturePath = departure;
        AddTasks(builder, gate, curves, units);
        g_pGameLogicManager->Gates().Add(&gate);
    }
    // The follow-me task is the last of them all.
    TTask& followMeTask = builder.Make<TTask>();
    followMeTask.m_nType = gtTaxi;
    followMeTask.pPlayerVehicle = &followMe;
    g_pGameLogicManager->Tasks().Add(&followMeTask);

    AddCrossroad(builder, CROSSROAD_YARD_1);
    AddCrossroad(builder, CROSSROAD_YARD_2);
    return parameters;
}

u32 CountUnitsReaching(const TCurvePoolBuilder& curves, const TPlanPoint& centre, f32 radius)
{
    u32 count = 0;
    DArray<TAICommonUnit*>& units = g_pGameLogicManager->Units();
    for (i32 i = 0; i < units.GetCount(); ++i)
    {
        const TAICommonUnit& unit = *units[i];
        // Crossroads let aircraft pass.
        if (unit.IsAircraft())
            continue;
        bool reaches = false;
        for (i32 path : {unit.m_nFirstPath, unit.m_nSecondPath})
            if (path >= 0 && static_cast<u32>(path) < curves.GetCurveCount() &&
                DistanceToPath(centre, curves.GetCurve(static_cast<u32>(path))) <= radius)
                reaches = true;
        count += reaches ? 1 : 0;
    }
    return count;
}
