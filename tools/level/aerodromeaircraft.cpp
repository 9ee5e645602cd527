#include "aerodromeaircraft.h"
#include "aerodromeanimation.h"
#include "aerodromebuilder.h"
#include "aerodromecurves.h"
#include "aerodromeunits.h"
#include "aerodromevehicles.h"

#include "ageia/dynamicsbody.h"
#include "core/system/string.h"
#include "engine/system/node.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/aicommonunit.h"

#include <cmath>
#include <string>

namespace
{
constexpr f32 DEGREES = 3.14159265f / 180.0f;
// Approach and touchdown at 70 m/s on a 3 degree glide, rolled out to a stop at the landing end.
constexpr f32 APPROACH_SPEED = 70.0f;
constexpr f32 GLIDE_SLOPE = 3.0f;
// Take-off: 3 m/s² to 72 m/s, then a climb of 8 degrees at 75 m/s.
constexpr f32 TAKE_OFF_ACCELERATION = 3.0f;
constexpr f32 ROTATION_SPEED = 72.0f;
constexpr f32 CLIMB_SPEED = 75.0f;
constexpr f32 CLIMB_ANGLE = 8.0f;
// The freighter's door hinge on the rig: left of the fuselage above the cargo door.
const TVector DOOR_HINGE(-2.05f, 3.4f, 5.25f, 1.0f);

// Its gear near the middle and its nose wheels turning far: wheels at the fuselage's ends could
// not turn it tighter than about 50, and it parked askew after the stands' last corners.
const TVehicleSpec kAirliner = {"airliner_fuselage", VEHICLE_WHEELED, ENGINE_NONE, {2.0f, 2.0f, 18.0f, 1},
                                8000.0f, 30.0f, 0.7f, 0xFFF0F2F5, 10.0f, 14.0f, 9.0f, 60.0f};

u32 Argb(u32 r, u32 g, u32 b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Keys in the body's space (forward +z): where the rig is at each frame.
std::vector<TAnimationKey> LandingKeys()
{
    const f32 rollTime = static_cast<f32>(LANDING_FRAMES - LANDING_TOUCHDOWN_FRAME) / ANIMATION_FRAME_RATE;
    const f32 braking = APPROACH_SPEED / rollTime;
    const f32 roll = APPROACH_SPEED * rollTime * 0.5f;
    std::vector<TAnimationKey> keys;
    for (u32 frame = 0; frame <= LANDING_FRAMES; ++frame)
    {
        if (frame <= LANDING_TOUCHDOWN_FRAME)
        {
            const f32 out = APPROACH_SPEED * static_cast<f32>(LANDING_TOUCHDOWN_FRAME - frame) / ANIMATION_FRAME_RATE;
            keys.push_back(PlacementKey(0.0f, std::tan(GLIDE_SLOPE * DEGREES) * out, -roll - out, 0.0f, GLIDE_SLOPE));
            continue;
        }
        const f32 t = static_cast<f32>(frame - LANDING_TOUCHDOWN_FRAME) / ANIMATION_FRAME_RATE;
        keys.push_back(PlacementKey(0.0f, 0.0f, -roll + APPROACH_SPEED * t - 0.5f * braking * t * t, 0.0f, 0.0f));
    }
    return keys;
}

std::vector<TAnimationKey> TakeOffKeys()
{
    const f32 rotation = ROTATION_SPEED / TAKE_OFF_ACCELERATION;
    const f32 ground = 0.5f * TAKE_OFF_ACCELERATION * rotation * rotation;
    std::vector<TAnimationKey> keys;
    for (u32 frame = 0; frame <= TAKE_OFF_FRAMES; ++frame)
    {
        const f32 t = static_cast<f32>(frame) / ANIMATION_FRAME_RATE;
        if (t <= rotation)
        {
            keys.push_back(PlacementKey(0.0f, 0.0f, 0.5f * TAKE_OFF_ACCELERATION * t * t, 0.0f, 0.0f));
            continue;
        }
        const f32 climb = t - rotation;
        const f32 pitch = std::min(climb * 5.0f, CLIMB_ANGLE + 2.0f);
        keys.push_back(PlacementKey(0.0f, CLIMB_SPEED * std::sin(CLIMB_ANGLE * DEGREES) * climb,
                                    ground + CLIMB_SPEED * std::cos(CLIMB_ANGLE * DEGREES) * climb, 0.0f, pitch));
    }
    return keys;
}

// The engines' idle drives no bone; the door turns out 100 degrees in three seconds.
std::vector<TAnimationKey> IdleKeys()
{
    return std::vector<TAnimationKey>(31, PlacementKey(0.0f, 0.0f, 0.0f, 0.0f, 0.0f));
}

std::vector<TAnimationKey> DoorKeys()
{
    std::vector<TAnimationKey> keys;
    for (u32 frame = 0; frame <= 90; ++frame)
        keys.push_back(PlacementKey(DOOR_HINGE.x, DOOR_HINGE.y, DOOR_HINGE.z, -100.0f * static_cast<f32>(frame) / 90.0f,
                                    0.0f));
    return keys;
}

struct TAircraftKeys
{
    TAnimationData* pLanding;
    TAnimationData* pTakeOff;
    TAnimationData* pIdle;
    TAnimationData* pDoor;
};

// A box of the rig at a place of it.
void Part(TAerodromeBuilder& builder, TNode* rig, const char* name, const char* model, TMaterial* material,
          const TVector& half, f32 x, f32 y, f32 z)
{
    builder.AddMesh(builder.AddNode(name, rig, Placement(x, y, z)), builder.BoxMeshData(model, half, material));
}

TAICommonUnit& AddAircraft(TAerodromeBuilder& builder, TPropDataPool& pool, TSkeletonData& bones,
                           const TAircraftKeys& keys, const char* name, bool freighter, u32 livery)
{
    TUnitForm form(builder, pool, name, Placement(AerodromePlan::LANDING_END, 90.0f), false);
    TVehicle& vehicle = AddVehicle(builder, form.GetRoot(), StringFormat("%s_Veh", name), kAirliner);
    // Driven by the AI only: its requests must not stick from frame to frame.
    vehicle.inputEnabled = 0;
    // It rolls on freely in the frames the path follower asks nothing (its front point near): an
    // idle brake there held it to a crawl in every corner.
    vehicle.Parameters.fIdleBrakeTorque = 0.0f;
    TNode* body = vehicle.pBody->pNode;
    form.Name(body);
    const f32 centre = kAirliner.Half.y + 0.1f;
    form.AddNamed("%s_Vdrive", body, Placement(0.0f, centre - 1.0f, AerodromePlan::AIRCRAFT_DRIVE_LEAD));
    form.AddOrbitCamera(body, 8.0f, 45.0f);

    // The rig carries what is seen of the aircraft; the fuselage box of the vehicle is its own.
    TNode* skeletonNode = form.AddNamed("%s_Skeleton", body, Placement(0.0f, 0.0f, 0.0f));
    TNode* rig = builder.AddNode(StringFormat("%s_rig", name), skeletonNode, Placement(0.0f, 0.0f, 0.0f));
    TMaterial* white = builder.ColourMaterial("aircraft_white", Argb(240, 242, 245));
    TMaterial* tail = builder.ColourMaterial(StringFormat("livery_%06x", livery & 0xFFFFFF), livery);
    Part(builder, rig, StringFormat("%s_wings", name), "aircraft_wings", white, TVector(17.0f, 0.25f, 2.5f, 1), 0.0f, 1.6f, 0.0f);
    Part(builder, rig, StringFormat("%s_fin", name), "aircraft_fin", tail, TVector(0.2f, 2.6f, 2.0f, 1), 0.0f, 4.0f, -15.5f);
    Part(builder, rig, StringFormat("%s_elevator", name), "aircraft_elevator", white, TVector(6.0f, 0.15f, 1.4f, 1), 0.0f, 4.0f, -16.0f);
    for (f32 side : {-6.0f, 6.0f})
        Part(builder, rig, StringFormat("%s_engine_%c", name, side < 0.0f ? 'l' : 'r'), "aircraft_engine", tail,
             TVector(0.9f, 0.9f, 1.8f, 1), side, 0.6f, 2.0f);
    // The engines' sounds play here, moving with the rig.
    form.Name(builder.AddNode("PlaneSoundLocator", rig, Placement(0.0f, 2.0f, 2.0f)));

    TNode* door = nullptr;
    if (freighter)
    {
        door = builder.AddNode(StringFormat("%s_door", name), skeletonNode, Placement(DOOR_HINGE.x, DOOR_HINGE.y, DOOR_HINGE.z));
        Part(builder, door, StringFormat("%s_door_panel", name), "aircraft_door", tail, TVector(0.05f, 1.2f, 1.3f, 1),
             -0.05f, -2.4f, -1.3f);
    }
    TSkeleton& skeleton = AddSkeleton(builder, skeletonNode, bones, {rig, door});
    AddAnimation(builder, skeleton, ShareAnimationKeys(builder, *keys.pLanding, StringFormat("%s_AniLanding", name)), {0});
    AddAnimation(builder, skeleton, ShareAnimationKeys(builder, *keys.pTakeOff, StringFormat("%s_AniTakeOff", name)), {0});
    AddAnimation(builder, skeleton, ShareAnimationKeys(builder, *keys.pIdle, StringFormat("%s_EngineIdle", name)), {});
    if (freighter)
        AddAnimation(builder, skeleton, ShareAnimationKeys(builder, *keys.pDoor, StringFormat("%s_CargoDoor", name)), {1});
    TAICommonUnit& unit = form.GetUnit();
    unit.m_nAircraft = 1;
    return unit;
}
} // namespace

TAerodromeAircraft AddAerodromeAircraft(TAerodromeBuilder& builder, TCurvePoolBuilder& curves)
{
    TSkeletonData& bones = AddSkeletonData(builder, "aircraft_bones", {TVector(0, 0, 0, 1), DOOR_HINGE});
    const TAircraftKeys keys = {&AddAnimationKeys(builder, "aircraft_landing_keys", 1, LandingKeys()),
                                &AddAnimationKeys(builder, "aircraft_take_off_keys", 1, TakeOffKeys()),
                                &AddAnimationKeys(builder, "aircraft_idle_keys", 1, IdleKeys()),
                                &AddAnimationKeys(builder, "aircraft_door_keys", 1, DoorKeys())};
    const i32 firstPath = curves.Add(FirstPath());
    const u32 liveries[AERODROME_AIRCRAFT] = {Argb(200, 30, 40),  Argb(30, 70, 160), Argb(20, 140, 90),
                                              Argb(230, 150, 20), Argb(120, 40, 140), Argb(20, 150, 180),
                                              Argb(90, 90, 95),   Argb(180, 60, 20), Argb(60, 60, 60)};
    TPropDataPool& airliners = AddUnitPool(builder, kAirliner.Half);
    TPropDataPool& freighters = AddUnitPool(builder, kAirliner.Half);
    TAerodromeAircraft aircraft{};
    for (u32 i = 0; i < AERODROME_AIRCRAFT; ++i)
    {
        const bool freighter = i == AERODROME_AIRLINERS;
        // Held here: the formatting ring's buffers are reused by the calls that follow.
        const std::string name = freighter ? "Freighter_pData" : StringFormat("Airliner%u_pData", i + 1);
        TAICommonUnit& plane = AddAircraft(builder, freighter ? freighters : airliners, bones, keys, name.c_str(),
                                           freighter, liveries[i]);
        plane.m_nFirstPath = firstPath;
        aircraft.aPlane[i] = &plane;
    }
    return aircraft;
}
