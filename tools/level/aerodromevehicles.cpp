#include "aerodromevehicles.h"
#include "aerodromebuilder.h"

#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxjoint.h"
#include "core/system/string.h"
#include "engine/system/node.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelsounds.h"

#include <algorithm>
#include <string>

namespace
{
// The cart's factors for its 400 kg: other vehicles' torques grow with their mass.
constexpr f32 TORQUE_FACTOR_PER_KG = 4.0f / 400.0f;
constexpr f32 SUSPENSION_TRAVEL = 0.3f;
constexpr f32 DEFAULT_MAX_STEER_ANGLE = 35.0f;
// The chassis' underside above the wheels' hubs.
constexpr f32 CHASSIS_CLEARANCE = 0.1f;

TGameSound* s_aEngineSound[VEHICLE_SOUND_SLOTS] = {};

// `carried`: the mass resting on this wheel.
TDynamicsGeometry* AddWheel(TAerodromeBuilder& builder, TDynamicsBody* body, const char* name, f32 x, f32 z,
                            f32 radius, f32 carried)
{
    TNode* hub = builder.AddNode(name, body->pNode, Placement(x, 0.0f, z));
    TDynamicsGeometry* wheel = body->__CreateGeometry(hub, GEOMETRY_WHEEL);
    wheel->SetSize(TVector(radius, 0.3f, 0.0f, 1.0f));
    wheel->SetWheelParameter(WHEEL_SUSPENSION_TRAVEL, SUSPENSION_TRAVEL, 0.0f, 0.0f, 0.0f, 0.0f);
    // Springs carrying their share at about 0.15 of travel.
    const f32 spring = carried * 9.8f / 0.15f;
    wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, spring, spring * 0.1f, 0.0f, 0.0f, 0.0f);
    wheel->SetGroupsMask(GROUPS_SOLID);
    return wheel;
}

// A body of the chassis box on a node under the parent; the box drawn.
TDynamicsBody* AddBody(TAerodromeBuilder& builder, TNode* parent, const char* name, const TMatrix& at,
                       const TVehicleSpec& spec, f32 mass)
{
    TNode* node = builder.AddNode(name, parent, at);
    TDynamicsBody* body = g_pNxDynamicsManager->CreateBody(node);
    const f32 centre = spec.Half.y + CHASSIS_CLEARANCE;
    TNode* chassis = builder.AddNode(StringFormat("%s_chassis", name), node, Placement(0.0f, centre, 0.0f));
    TDynamicsGeometry* box = body->__CreateGeometry(chassis, GEOMETRY_BOX);
    box->SetSize(TVector(spec.Half.x, spec.Half.y, spec.Half.z, 1.0f));
    box->SetGroupsMask(GROUPS_CHASSIS);
    body->SetMass(mass);
    TNode* shape = builder.AddNode(StringFormat("%s_body", name), node, Placement(0.0f, CHASSIS_CLEARANCE, 0.0f));
    builder.AddMesh(shape, builder.BoxMeshData(spec.pModel, spec.Half,
                                               builder.ColourMaterial(StringFormat("paint_%08x", spec.nColour),
                                                                      spec.nColour)));
    return body;
}

void Wheel(TVehicle& vehicle, TDynamicsGeometry* geometry, u32 flags, f32 drive, f32 brake)
{
    vehicle.aWheelGeometry.Add(geometry);
    vehicle.aWheel[vehicle.wheelCount++] = {flags, 1.0f, drive, brake};
}
} // namespace

void MakeAerodromeEngineSounds(TAerodromeBuilder& builder)
{
    MakeLevelEngineSounds(builder.Writer(), s_aEngineSound);
}

f32 VehicleBodyHeight(const TVehicleSpec& spec)
{
    return spec.fWheelRadius + SUSPENSION_TRAVEL * 0.5f;
}

TVehicle& AddVehicle(TAerodromeBuilder& builder, TNode* parent, const char* formatted, const TVehicleSpec& spec)
{
    // Held here: the name may be a buffer of the formatting ring, which the calls below reuse.
    const std::string held(formatted);
    const char* name = held.c_str();
    TVehicle& vehicle = builder.Make<TVehicle>();
    const bool jointed = spec.nKind == VEHICLE_JOINT_STEERED;
    // A joint-steered vehicle's two bodies share the mass; the rear one drives.
    const f32 mass = jointed ? spec.fMass * 0.5f : spec.fMass;
    const f32 factor = mass * TORQUE_FACTOR_PER_KG;
    const f32 height = VehicleBodyHeight(spec);
    const f32 length = spec.Half.z;
    TDynamicsBody* body = AddBody(builder, parent, name, Placement(0.0f, height, jointed ? -length - 0.5f : 0.0f),
                                  spec, mass);
    body->pNode->AddObject(&vehicle);
    vehicle.pBody = body;
    vehicle.type = spec.nKind;
    vehicle.active = spec.nEngine;
    vehicle.nameId = body->pNode->m_Name.GetId();
    for (u32 slot = 0; slot < VEHICLE_SOUND_SLOTS; ++slot)
        vehicle.Sound.aSound.Add(s_aEngineSound[slot]);
    vehicle.Sound.nEnabled = 1;
    TVehicleParameters& parameters = vehicle.Parameters;
    parameters.fMaxSpeed = spec.fMaxSpeed;
    parameters.aGear[0].fShiftUp = spec.fMaxSpeed + 10.0f;
    parameters.fNearDistance = spec.fNear;
    parameters.fFarDistance = spec.fFar;
    parameters.fMaxSteerAngle = spec.fMaxSteerAngle > 0.0f ? spec.fMaxSteerAngle : DEFAULT_MAX_STEER_ANGLE;

    const f32 x = spec.Half.x - 0.1f;
    const f32 z = spec.fAxle > 0.0f ? spec.fAxle : std::max(length - spec.fWheelRadius - 0.2f, 0.5f);
    const f32 r = spec.fWheelRadius;
    const char* const hub[4] = {"_wheel_fl", "_wheel_fr", "_wheel_rl", "_wheel_rr"};
    const f32 corner[4][2] = {{x, z}, {-x, z}, {x, -z}, {-x, -z}};
    switch (spec.nKind)
    {
    case VEHICLE_TRACKED:
        // Two powered wheels a side, the left side at +x (the side a left turn goes).
        for (u32 i = 0; i < 4; ++i)
        {
            const u32 side = corner[i][0] > 0.0f ? VEHICLE_WHEEL_LEFT : VEHICLE_WHEEL_RIGHT;
            Wheel(vehicle,
                  AddWheel(builder, body, StringFormat("%s%s", name, hub[i]), corner[i][0], corner[i][1], r,
                           mass * 0.25f),
                  VEHICLE_WHEEL_STEERED | side, factor * 1.5f, factor * 1.5f);
        }
        break;
    case VEHICLE_JOINT_STEERED:
    {
        // The front body ahead of the rear one, turned about a vertical hinge between them.
        TDynamicsBody* front =
            AddBody(builder, parent, StringFormat("%s_front", name), Placement(0.0f, height, length + 0.5f), spec, mass);
        vehicle.pSecondaryBody = front;
        // Each body rests on its own axle: its two wheels carry half its mass each.
        for (u32 i = 0; i < 4; ++i)
        {
            TDynamicsBody* carrier = i < 2 ? front : body;
            const u32 flags = i < 2 ? VEHICLE_WHEEL_BRAKED : VEHICLE_WHEEL_DRIVEN | VEHICLE_WHEEL_BRAKED;
            Wheel(vehicle,
                  AddWheel(builder, carrier, StringFormat("%s%s", name, hub[i]), corner[i][0], corner[i][1], r,
                           mass * 0.5f),
                  flags, i < 2 ? 0.0f : factor, factor);
        }
        TMatrix place = TMatrix::RotationX(-90.0f);
        place.aRow[3] = TVector(0.0f, height, 0.0f, 1.0f);
        TNode* hinge = builder.AddNode(StringFormat("%s_hinge", name), parent, place);
        auto* joint = static_cast<TNxDynamicsJoint*>(g_pNxDynamicsManager->CreateJoint(hinge, JOINT_REVOLUTE));
        joint->SetBodyA(body);
        joint->SetBodyB(front);
        auto& desc = static_cast<NxRevoluteJointDesc&>(joint->GetDescriptor());
        desc.flags |= NX_RJF_LIMIT_ENABLED | NX_RJF_MOTOR_ENABLED;
        desc.limit.low.value = -0.5f;
        desc.limit.high.value = 0.5f;
        desc.motor.velTarget = 0.0f;
        desc.motor.maxForce = 3000.0f * factor;
        vehicle.pDriveJoint = joint;
        break;
    }
    default:
        // Front wheels steered, rear wheels driven, all braked.
        for (u32 i = 0; i < 4; ++i)
        {
            const u32 flags = (i < 2 ? VEHICLE_WHEEL_STEERED : VEHICLE_WHEEL_DRIVEN) | VEHICLE_WHEEL_BRAKED;
            Wheel(vehicle,
                  AddWheel(builder, body, StringFormat("%s%s", name, hub[i]), corner[i][0], corner[i][1], r,
                           mass * 0.25f),
                  flags, factor, factor);
        }
        break;
    }
    g_pVehicleManager->Vehicles().Add(&vehicle);
    return vehicle;
}
