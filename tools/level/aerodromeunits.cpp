#include "aerodromeunits.h"
#include "aerodromeanimation.h"
#include "aerodromebuilder.h"
#include "aerodromecurves.h"
#include "aerodromevehicles.h"

#include "ageia/dynamicsbody.h"
#include "core/system/string.h"
#include "engine/render/meshdata.h"
#include "engine/system/animationdata.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "igame/vehicles/vehicle.h"
#include "levelgame.h"
#include "levelmeshes.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/orbitcamera.h"

#include <algorithm>
#include <cstring>

namespace
{
u32 Argb(u32 r, u32 g, u32 b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

struct TServiceKind
{
    const char* pName;
    TVehicleSpec Spec;
};

// The cargo loaders roll on wheels: on tracks, the path follower's least turn brakes the inner
// track, and they crawled round every corner and missed the next.
// The bus's engine kind is the fuel truck's: the sound player reads its kind from the word that
// also stops a vehicle at 0, so no driving vehicle can carry the bus's own kind.
const TServiceKind kService[SERVICE_COUNT] = {
    {"Maintenance", {"van", VEHICLE_WHEELED, ENGINE_TAXI, {1.0f, 0.9f, 2.4f, 1}, 1200.0f, 40.0f, 0.4f, Argb(230, 190, 40), 5.0f, 6.0f}},
    {"Repairs", {"repair_truck", VEHICLE_WHEELED, ENGINE_TAXI_2, {1.1f, 1.0f, 2.8f, 1}, 1500.0f, 35.0f, 0.45f, Argb(230, 120, 30), 5.0f, 6.0f}},
    {"Stairs", {"stairs_truck", VEHICLE_WHEELED, ENGINE_HYDRAULICS, {1.1f, 1.3f, 3.0f, 1}, 1600.0f, 25.0f, 0.45f, Argb(235, 235, 230), 5.0f, 6.0f}},
    {"ExtCleaning", {"cleaning_truck", VEHICLE_WHEELED, ENGINE_TAXI_2, {1.1f, 1.1f, 3.0f, 1}, 1500.0f, 30.0f, 0.45f, Argb(120, 190, 230), 5.0f, 6.0f}},
    {"IntCleaning", {"cleaning_van", VEHICLE_WHEELED, ENGINE_TAXI, {1.0f, 0.9f, 2.4f, 1}, 1200.0f, 40.0f, 0.4f, Argb(60, 110, 200), 5.0f, 6.0f}},
    {"Taxi", {"followme_car", VEHICLE_WHEELED, ENGINE_TAXI, {0.9f, 0.6f, 2.1f, 1}, 900.0f, 50.0f, 0.35f, Argb(250, 210, 0), 5.0f, 6.0f}},
    {"CargoUnload", {"cargo_loader", VEHICLE_WHEELED, ENGINE_HYDRAULICS_2, {1.4f, 0.6f, 3.2f, 1}, 2000.0f, 20.0f, 0.45f, Argb(110, 115, 120), 5.0f, 6.0f}},
    {"CargoLoad", {"cargo_loader", VEHICLE_WHEELED, ENGINE_HYDRAULICS_2, {1.4f, 0.6f, 3.2f, 1}, 2000.0f, 20.0f, 0.45f, Argb(110, 115, 120), 5.0f, 6.0f}},
    {"LuggageOut", {"luggage_tractor", VEHICLE_WHEELED, ENGINE_LUGGAGE, {0.9f, 0.8f, 1.9f, 1}, 900.0f, 30.0f, 0.35f, Argb(60, 150, 70), 5.0f, 6.0f}},
    {"LuggageIn", {"luggage_tractor", VEHICLE_WHEELED, ENGINE_LUGGAGE_2, {0.9f, 0.8f, 1.9f, 1}, 900.0f, 30.0f, 0.35f, Argb(60, 150, 70), 5.0f, 6.0f}},
    {"BusOut", {"bus", VEHICLE_WHEELED, ENGINE_FUEL_TRUCK, {1.3f, 1.4f, 5.5f, 1}, 3000.0f, 35.0f, 0.5f, Argb(240, 240, 240), 6.0f, 8.0f}},
    {"BusIn", {"bus_half", VEHICLE_JOINT_STEERED, ENGINE_FUEL_TRUCK, {1.3f, 1.4f, 3.5f, 1}, 3000.0f, 30.0f, 0.5f, Argb(200, 220, 240), 6.0f, 8.0f}},
    {"Fuel", {"fuel_truck", VEHICLE_WHEELED, ENGINE_FUEL_TRUCK, {1.2f, 1.3f, 4.0f, 1}, 3000.0f, 30.0f, 0.5f, Argb(200, 40, 40), 5.0f, 7.0f}},
    {"Catering", {"catering_truck", VEHICLE_WHEELED, ENGINE_HYDRAULICS, {1.2f, 1.5f, 3.5f, 1}, 2500.0f, 30.0f, 0.5f, Argb(245, 245, 245), 5.0f, 7.0f}},
    {"Tunnel", {"jet_bridge", VEHICLE_TRACKED, ENGINE_NONE, {1.5f, 1.8f, 3.0f, 1}, 3000.0f, 10.0f, 0.5f, Argb(150, 150, 155), 3.0f, 4.0f}},
};

// Digits of three by five pixels, rows from the top.
constexpr u8 DIGIT[8][5] = {{2, 6, 2, 2, 7}, {6, 1, 2, 4, 7}, {6, 1, 2, 1, 6}, {5, 5, 7, 1, 1},
                            {7, 4, 6, 1, 6}, {3, 4, 6, 5, 2}, {7, 1, 2, 2, 2}, {2, 5, 2, 5, 2}};

// The gate's number in black on a yellow plate.
TDxMeshData* DecalMeshData(TAerodromeBuilder& builder, u32 gate)
{
    std::vector<u32> pixels(16 * 16, Argb(250, 200, 20));
    for (u32 row = 0; row < 15; ++row)
        for (u32 column = 0; column < 9; ++column)
            if (DIGIT[gate - 1][row / 3] & (4 >> (column / 3)))
                pixels[(row + 1) * 16 + column + 4] = Argb(20, 20, 20);
    std::vector<TLitVertex> plate;
    // Facing +x: its back (a x b) points into the vehicle.
    AddFace(plate, TVector(0, 0, 0, 0), TVector(0, 0, 0.35f, 0), TVector(0, 0.35f, 0, 0));
    return builder.MeshData(StringFormat("decal_%u", gate), plate,
                            builder.TexturedMaterial(StringFormat("decal_%u", gate), 16, pixels));
}

// The lift's keys: the platform rises 3 m in three seconds.
TAnimationData& AddLiftKeys(TAerodromeBuilder& builder)
{
    std::vector<TAnimationKey> keys;
    for (u32 frame = 0; frame <= 90; ++frame)
        keys.push_back(PlacementKey(0.0f, 3.0f * static_cast<f32>(frame) / 90.0f, 0.0f, 0.0f, 0.0f));
    return AddAnimationKeys(builder, "cargo_lift_keys", 1, keys);
}

// The pieces of a service unit's form.
void BuildServiceForm(TAerodromeBuilder& builder, TUnitForm& form, u32 service, TSkeletonData& lift,
                      TAnimationData& liftKeys)
{
    const TVehicleSpec& spec = kService[service].Spec;
    TVehicle& vehicle = AddVehicle(builder, form.GetRoot(), StringFormat("%s_Veh", form.GetName()), spec);
    // The AI asks for driving and braking anew every frame: its requests must not stick. (A
    // player's keys are read every frame too.)
    vehicle.inputEnabled = 0;
    TNode* body = vehicle.pBody->pNode;
    form.Name(body);
    // The obstacle ray starts 1.0 above the drive node, inside the chassis, ahead of its middle.
    // A jointed vehicle drives from its front body: from the rear one the ray would meet the front
    // one and the unit would wait for itself.
    const f32 centre = spec.Half.y + 0.1f;
    TNode* front = vehicle.pSecondaryBody ? vehicle.pSecondaryBody->pNode : body;
    form.AddNamed("%s_Vdrive", front, Placement(0.0f, centre - 1.0f, spec.Half.z * 0.5f));
    form.AddOrbitCamera(body, 1.5f + 2.0f * spec.Half.y, 6.0f + spec.Half.z);

    // The gate's number on the left side; the game shows the one of the unit's task.
    TNode* decals = builder.AddNode("Decals", body, Placement(spec.Half.x + 0.03f, centre, 0.0f));
    form.Name(decals);
    for (u32 gate = 1; gate <= PLAN_GATE_COUNT; ++gate)
        builder.AddMesh(builder.AddNode(StringFormat("Decal%u", gate), decals, Placement(0.0f, 0.0f, 0.0f)),
                        DecalMeshData(builder, gate));

    if (service == SERVICE_CARGO_UNLOAD || service == SERVICE_CARGO_LOAD)
    {
        // The lift: a platform on the rig its skeleton raises, the load on it.
        TNode* skeletonNode = form.AddNamed("%s_Skeleton", body, Placement(0.0f, 2.0f * centre, 0.0f));
        TNode* rig = builder.AddNode(StringFormat("%s_lift", form.GetName()), skeletonNode, Placement(0.0f, 0.0f, 0.0f));
        builder.AddMesh(rig, builder.BoxMeshData("cargo_lift", TVector(1.3f, 0.1f, 1.6f, 1),
                                                 builder.ColourMaterial("lift_grey", Argb(80, 80, 85))));
        TNode* cargo = form.AddNamed("%s_Cargo", rig, Placement(0.0f, 0.2f, 0.0f));
        builder.AddMesh(cargo, builder.BoxMeshData("cargo_load", TVector(1.1f, 0.8f, 1.4f, 1),
                                                   builder.ColourMaterial("load_brown", Argb(150, 110, 60))));
        TSkeleton& skeleton = AddSkeleton(builder, skeletonNode, lift, {rig});
        AddAnimation(builder, skeleton,
                     ShareAnimationKeys(builder, liftKeys, StringFormat("%s_CargoLifter", form.GetName())),
                     {0});
    }
}
} // namespace

TUnitForm::TUnitForm(TAerodromeBuilder& builder, TPropDataPool& pool, const char* name, const TMatrix& home, bool shown)
    : m_Builder(builder)
{
    FormatStringN(m_aName, sizeof m_aName, "%s", name);
    TNode* place = builder.AddNode(StringFormat("%s_prop", m_aName), nullptr, home);
    TProp& prop = builder.Make<TProp>();
    place->AddObject(&prop);
    prop.pPropDataPool = &pool;
    // Service units keep no form while hidden; the follow-me car keeps its own.
    prop.m_nFlags = PROP_NO_IMPOSTER | (shown ? PROP_KEEP : 0);
    place->Enable(shown ? 1 : 0, 0);
    g_pPropManager->Props().Add(&prop);

    m_pForm = &builder.Make<TPropData>();
    m_pForm->m_Name.Set(m_aName, true);
    // The form waits switched off until a prop takes it.
    m_pRoot = builder.AddNode(m_aName, nullptr, Placement(0.0f, 0.0f, 0.0f));
    m_pRoot->Enable(0, 0);
    m_pForm->pNode = m_pRoot;
    pool.aFree[pool.m_nFreeCount++] = m_pForm;
    g_pPropManager->PropData().Add(m_pForm);

    m_pUnit = &builder.Make<TAICommonUnit>();
    m_pUnit->pProp = &prop;
    g_pGameLogicManager->Units().Add(m_pUnit);
}

TNode* TUnitForm::AddNamed(const char* pattern, TNode* parent, const TMatrix& local)
{
    TNode* node = m_Builder.AddNode(StringFormat(pattern, m_aName), parent, local);
    Name(node);
    return node;
}

void TUnitForm::Name(TNode* node)
{
    TPropData& form = *m_pForm;
    if (form.m_nSubNodeCount >= 16)
        return;
    form.aSubNode[form.m_nSubNodeCount++] = {node->m_Name.GetId(), node};
    std::sort(form.aSubNode, form.aSubNode + form.m_nSubNodeCount,
              [](const TNamedNode& a, const TNamedNode& b) { return a.nName < b.nName; });
}

void TUnitForm::AddOrbitCamera(TNode* above, f32 height, f32 nearest)
{
    TNode* pivot = AddNamed("%s_OrbCam", above, Placement(0.0f, height, 0.0f));
    TOrbitCamera& camera = MakeLevelOrbitCamera(m_Builder.Store<TOrbitCamera>(), StringFormat("%s_OrbCam", m_aName), pivot,
                                                StringFormat("%s_OrbCamArm", m_aName), 15.0f,
                                                {nearest, nearest * 1.6f, nearest * 2.5f}, 2500.0f);
    camera.m_nFlags = ORBIT_FOLLOW_PARENT_HEADING;
}

TPropDataPool& AddUnitPool(TAerodromeBuilder& builder, const TVector& half)
{
    TPropDataPool& pool = builder.Make<TPropDataPool>();
    pool.m_BoundBox.minimum = TVector(-half.x, 0.0f, -half.z, 1.0f);
    pool.m_BoundBox.maximum = TVector(half.x, 2.0f * half.y + 1.0f, half.z, 1.0f);
    pool.m_BoundBox.Update();
    g_pPropManager->Pools().Add(&pool);
    return pool;
}

TServiceUnits AddServiceUnits(TAerodromeBuilder& builder, TCurvePoolBuilder& curves)
{
    TServiceUnits units{};
    TSkeletonData& lift = AddSkeletonData(builder, "cargo_lift_bones", {TVector(0.0f, 0.0f, 0.0f, 1.0f)});
    TAnimationData& liftKeys = AddLiftKeys(builder);
    for (u32 service = 0; service < SERVICE_COUNT; ++service)
    {
        const TServiceKind& kind = kService[service];
        TPropDataPool& pool = AddUnitPool(builder, kind.Spec.Half);
        for (u32 gate = 1; gate <= PLAN_GATE_COUNT; ++gate)
        {
            f32 heading = 0.0f;
            const TPlanPoint home = UnitHome(service, gate, &heading);
            TUnitForm form(builder, pool, StringFormat("%s%u_pData", kind.pName, gate), Placement(home, heading),
                           false);
            BuildServiceForm(builder, form, service, lift, liftKeys);
            TAICommonUnit& unit = form.GetUnit();
            // The AI's levels 1 to 3 in turn across services and gates, so both speed scales occur.
            unit.m_nAILevel = 1 + static_cast<i32>((gate + service) % 3);
            unit.m_nFirstPath = curves.Add(UnitPath(service, gate, 0));
            unit.m_nSecondPath = curves.Add(UnitPath(service, gate, 1));
            units.aUnit[gate - 1][service] = &unit;
        }
    }
    return units;
}

TAICommonUnit& AddFollowMeUnit(TAerodromeBuilder& builder)
{
    const TVehicleSpec& spec = kService[SERVICE_TAXI].Spec;
    TUnitForm form(builder, AddUnitPool(builder, spec.Half), GAME_FOLLOW_ME_UNIT,
                   Placement(AerodromePlan::FOLLOW_ME_HOME, 180.0f), true);
    TVehicle& vehicle = AddVehicle(builder, form.GetRoot(), GAME_FOLLOW_ME_VEHICLE, spec);
    form.Name(vehicle.pBody->pNode);
    form.AddNamed("%s_Vdrive", vehicle.pBody->pNode, Placement(0.0f, spec.Half.y + 0.1f - 1.0f, spec.Half.z * 0.5f));
    form.AddOrbitCamera(vehicle.pBody->pNode, 1.0f, 9.0f);
    return form.GetUnit();
}
