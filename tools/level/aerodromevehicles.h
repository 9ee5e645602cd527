#pragma once
// The aerodrome's vehicles: a body on a node named as the game looks for it ("%s_Veh"), a box
// chassis in the groups of vehicle bodies (solid and the obstacle rays'), four wheels, and the
// vehicle record with its kind, top speed, torques scaled to its mass and the engine sounds every
// vehicle shares. A joint-steered vehicle has a second body before the first, turned by a
// revolute joint's motor; a tracked one drives its wheels per side.
#include "core/math/vector.h"
#include "core/system/types.h"

class TAerodromeBuilder;
class TGameSound;
class TNode;
class TVehicle;

// The sound player's engine kinds (the vehicle's word after its type); 10 has no engine sound.
constexpr i32 ENGINE_FUEL_TRUCK = 1;
constexpr i32 ENGINE_TAXI = 2;
constexpr i32 ENGINE_TAXI_2 = 3;
constexpr i32 ENGINE_LUGGAGE = 4;
constexpr i32 ENGINE_LUGGAGE_2 = 5;
constexpr i32 ENGINE_HYDRAULICS = 6;
constexpr i32 ENGINE_HYDRAULICS_2 = 7;
constexpr i32 ENGINE_NONE = 10;

struct TVehicleSpec
{
    // The drawn box's mesh data, shared by every vehicle of this kind.
    const char* pModel;
    // VEHICLE_WHEELED, VEHICLE_JOINT_STEERED or VEHICLE_TRACKED.
    i32 nKind;
    i32 nEngine;
    // The chassis box's half-sizes (its body's second one, of a joint-steered vehicle, alike).
    TVector Half;
    f32 fMass;
    // km/h.
    f32 fMaxSpeed;
    f32 fWheelRadius;
    u32 nColour;
    // The path follower's near and far distances.
    f32 fNear;
    f32 fFar;
    // The axles' distance from the chassis' middle (0: at its ends) and the steering's limit in
    // degrees (0: 35).
    f32 fAxle = 0.0f;
    f32 fMaxSteerAngle = 0.0f;
};

// The engine sounds every vehicle plays (made once per level by the clip writer).
void MakeAerodromeEngineSounds(TAerodromeBuilder& builder);

// The vehicle on a new node under the parent, named as given, with its body, chassis, wheels
// and a drawn box; its body node stands at the wheels' height above the parent's origin.
TVehicle& AddVehicle(TAerodromeBuilder& builder, TNode* parent, const char* name, const TVehicleSpec& spec);
// The height of a vehicle's body node above the ground it stands on.
f32 VehicleBodyHeight(const TVehicleSpec& spec);
