#include "platform/physics/nxwheelshape.h"
#include <algorithm>
#include <btBulletDynamicsCommon.h>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/scenequeries.h"

namespace {
// Below this speed slips are measured against it, so that a wheel at rest has finite slip.
constexpr NxReal kSlipSpeedFloor = 0.5f;

NxReal sign(NxReal x)
{
    return x < 0 ? -1.0f : 1.0f;
}

// The friction coefficient a tyre function allows at a slip: its peak until the extremum.
NxReal grip(const NxTireFunctionDesc& f, NxReal slip)
{
    const NxReal value = std::fabs(slip) <= f.extremumSlip ? f.extremumValue : f.hermiteEval(std::fabs(slip));
    return value * f.stiffnessFactor / kTireStiffnessUnit;
}

NxVec3 alongPlane(const NxVec3& direction, const NxVec3& normal)
{
    NxVec3 d = direction - normal * direction.dot(normal);
    d.normalize();
    return d;
}
} // namespace

NxReal NxTireFunctionDesc::hermiteEval(NxReal slip) const
{
    if (slip <= extremumSlip)
        return extremumSlip > 0 ? extremumValue * slip / extremumSlip : extremumValue;
    if (slip >= asymptoteSlip)
        return asymptoteValue;
    const NxReal t = (slip - extremumSlip) / (asymptoteSlip - extremumSlip);
    const NxReal smooth = t * t * (3 - 2 * t);
    return extremumValue + (asymptoteValue - extremumValue) * smooth;
}

NxWheelShape::NxWheelShape(NxActor& actor, const NxWheelShapeDesc& desc)
    : NxShape(actor, desc, nullptr), radius_(desc.radius), travel_(desc.suspensionTravel),
      suspension_(desc.suspension), longitudal_(desc.longitudalTireForceFunction),
      lateral_(desc.lateralTireForceFunction), inverseWheelMass_(desc.inverseWheelMass), wheelFlags_(desc.wheelFlags),
      motorTorque_(desc.motorTorque), brakeTorque_(desc.brakeTorque), steerAngle_(desc.steerAngle),
      contactModify_(desc.wheelContactModify)
{
}

void NxWheelShape::localBounds(NxVec3& min, NxVec3& max) const
{
    min = NxVec3(-radius_, -travel_ - radius_, -radius_);
    max = NxVec3(radius_, radius_, radius_);
}

NxShape* NxWheelShape::getContact(NxWheelContactData& contact) const
{
    contact = contact_;
    return ground_;
}

bool NxWheelShape::findGround(NxReal dt)
{
    const NxMat34 pose = getGlobalPose();
    const NxVec3 up = pose.M.getColumn(1);
    NxRaycastHit hit;
    NxShape* ground = getActor().getScene().queries().groundHit({pose.t, -up}, travel_ + radius_, *this, hit,
                                                                 groundCaches_);
    NxVec3 point = hit.worldImpact, normal = hit.worldNormal;
    NxReal position = hit.distance;
    NxMaterialIndex material = hit.materialIndex;
    NxReal load = contact_.contactForce;
    if (ground && contactModify_ &&
        !contactModify_->onWheelContact(this, point, normal, position, load, ground, material, hit.faceID))
        ground = nullptr;
    const NxReal previous = compression_;
    const bool had = hadContact_;
    ground_ = ground;
    hadContact_ = ground != nullptr;
    contact_ = NxWheelContactData();
    if (!ground) {
        compression_ = 0;
        return false;
    }
    // Compression from full extension, the wheel centre kept within the travel.
    compression_ = std::clamp(travel_ + radius_ - position, NxReal(0), travel_);
    const NxReal rate = had ? (compression_ - previous) / dt : 0;
    const NxReal push = suspension_.spring * (compression_ - suspension_.targetValue * travel_) + suspension_.damper * rate;
    contact_.contactPoint = point;
    contact_.contactNormal = normal;
    contact_.contactPosition = position;
    contact_.contactForce = std::max(push, NxReal(0));
    contact_.otherShapeMaterialIndex = material;
    return true;
}

void NxWheelShape::applyForces(NxReal dt, NxU32 wheelsInContact)
{
    const NxReal inertiaInverse = inverseWheelMass_ > 0 ? inverseWheelMass_ : 1;
    // The axle turns under motor and brake; the brake stops it but does not turn it back.
    NxReal spin = axleSpeed_;
    const bool overridden = (wheelFlags_ & NX_WF_AXLE_SPEED_OVERRIDE) != 0;
    if (!overridden) {
        spin += motorTorque_ * inertiaInverse * dt;
        const NxReal braking = brakeTorque_ * inertiaInverse * dt;
        spin = std::fabs(spin) <= braking ? 0 : spin - sign(spin) * braking;
    }
    if (!ground_) {
        if (!overridden)
            axleSpeed_ = spin;
        return;
    }
    btRigidBody& body = *getActor().body();
    const NxMat34 pose = getGlobalPose();
    const NxVec3 up = pose.M.getColumn(1);
    const NxReal c = std::cos(steerAngle_), s = std::sin(steerAngle_);
    const NxVec3 forward = pose.M.getColumn(2) * c + pose.M.getColumn(0) * s;
    const NxVec3& normal = contact_.contactNormal;
    const NxVec3 longitudal = alongPlane(forward, normal);
    const NxVec3 lateral = alongPlane(normal.cross(longitudal), normal);
    const btVector3 arm = toBt(contact_.contactPoint) - body.getCenterOfMassPosition();
    const NxVec3 velocity = toNx(body.getVelocityInLocalPoint(arm));
    const NxReal vLong = velocity.dot(longitudal), vLat = velocity.dot(lateral);
    // The body's mass seen at the contact along a direction, shared by the wheels that touch.
    auto massAlong = [&](const NxVec3& d) {
        const btVector3 turn = arm.cross(toBt(d));
        const btScalar inverse = body.getInvMass() + turn.dot(body.getInvInertiaTensorWorld() * turn);
        return inverse > 0 ? NxReal(1 / inverse) / NxReal(std::max<NxU32>(wheelsInContact, 1)) : NxReal(0);
    };
    const NxReal load = contact_.contactForce;
    const NxReal floor = std::max(std::fabs(vLong), kSlipSpeedFloor);
    // Longitudinal: the force that brings tyre and ground to the same speed, within the grip.
    const NxReal bodyMass = massAlong(longitudal);
    const NxReal wheelMass = 1 / (radius_ * radius_ * inertiaInverse);
    const bool locked = !overridden && brakeTorque_ > 0 && spin == 0;
    const NxReal effective = bodyMass > 0 ? (locked ? bodyMass : 1 / (1 / bodyMass + 1 / wheelMass)) : 0;
    const NxReal slip = (spin * radius_ - vLong) / floor;
    const NxReal limit = grip(longitudal_, slip) * load;
    const NxReal along = std::clamp((spin * radius_ - vLong) * effective / dt, -limit, limit);
    if (!overridden)
        axleSpeed_ = locked ? 0 : spin - along * radius_ * inertiaInverse * dt;
    // Lateral: the force that stops the sideways slide, within the grip.
    const NxReal lateralSlip = vLat / floor;
    const NxReal lateralLimit = grip(lateral_, lateralSlip) * load;
    const NxReal across = std::clamp(-vLat * massAlong(lateral) / dt, -lateralLimit, lateralLimit);
    const NxVec3 force = up * load + longitudal * along + lateral * across;
    body.applyForce(toBt(force), arm);
    contact_.longitudalDirection = longitudal;
    contact_.lateralDirection = lateral;
    contact_.longitudalSlip = slip;
    contact_.lateralSlip = lateralSlip;
    contact_.longitudalImpulse = along * dt;
    contact_.lateralImpulse = across * dt;
}
