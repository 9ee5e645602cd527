#pragma once
// A ray-cast wheel of ours. It has no collision volume: each sub-step a ray from the top of the
// suspension (the shape's pose) down its -Y axis finds the ground; the suspension spring pushes
// the actor up, and the tyre turns slip into forces along the steered rolling direction (+Z
// turned about Y by the steer angle) and the axle (X). Tyre functions give a friction
// coefficient of value x stiffnessFactor / kTireStiffnessUnit, so the defaults grip with 1.0.
// Forces are those that would cancel the slip within the sub-step, limited by that grip, which
// keeps the low speeds of the game stable.
#include "platform/physics/nxshapes.h"

class NxUserWheelContactModify;

struct NxWheelContactData
{
    NxVec3 contactPoint;
    NxVec3 contactNormal;
    NxVec3 longitudalDirection;
    NxVec3 lateralDirection;
    NxReal contactForce = 0; // the suspension's push: the normal load
    NxReal longitudalSlip = 0;
    NxReal lateralSlip = 0;
    NxReal longitudalImpulse = 0;
    NxReal lateralImpulse = 0;
    NxMaterialIndex otherShapeMaterialIndex = 0;
    NxReal contactPosition = 0; // from the top of the suspension to the contact, along its axis
};

constexpr NxReal kTireStiffnessUnit = 20000;

class NxWheelShape : public NxShape
{
public:
    NxWheelShape(NxActor& actor, const NxWheelShapeDesc& desc);

    void setRadius(NxReal radius) { radius_ = radius; }
    NxReal getRadius() const { return radius_; }
    void setSuspensionTravel(NxReal travel) { travel_ = travel; }
    NxReal getSuspensionTravel() const { return travel_; }
    void setSuspension(const NxSpringDesc& spring) { suspension_ = spring; }
    NxSpringDesc getSuspension() const { return suspension_; }
    void setLongitudalTireForceFunction(const NxTireFunctionDesc& f) { longitudal_ = f; }
    NxTireFunctionDesc getLongitudalTireForceFunction() const { return longitudal_; }
    void setLateralTireForceFunction(const NxTireFunctionDesc& f) { lateral_ = f; }
    NxTireFunctionDesc getLateralTireForceFunction() const { return lateral_; }
    void setInverseWheelMass(NxReal inverse) { inverseWheelMass_ = inverse; }
    NxReal getInverseWheelMass() const { return inverseWheelMass_; }
    void setWheelFlags(NxU32 flags) { wheelFlags_ = flags; }
    NxU32 getWheelFlags() const { return wheelFlags_; }
    void setMotorTorque(NxReal torque) { motorTorque_ = torque; }
    NxReal getMotorTorque() const { return motorTorque_; }
    void setBrakeTorque(NxReal torque) { brakeTorque_ = torque; }
    NxReal getBrakeTorque() const { return brakeTorque_; }
    void setSteerAngle(NxReal radians) { steerAngle_ = radians; }
    NxReal getSteerAngle() const { return steerAngle_; }
    // Radians per second; with NX_WF_AXLE_SPEED_OVERRIDE the speed stays as set.
    void setAxleSpeed(NxReal speed) { axleSpeed_ = speed; }
    NxReal getAxleSpeed() const { return axleSpeed_; }
    void setUserWheelContactModify(NxUserWheelContactModify* modify) { contactModify_ = modify; }
    NxUserWheelContactModify* getUserWheelContactModify() const { return contactModify_; }
    // The shape the wheel stands on (null when in the air) and the contact of the last sub-step.
    NxShape* getContact(NxWheelContactData& contact) const;

    bool raycastLocal(const NxVec3&, const NxVec3&, NxReal, NxRaycastHit&) const override { return false; }
    NxReal volume() const override { return 0; }
    NxVec3 unitInertia() const override { return NxVec3(); }
    void localBounds(NxVec3& min, NxVec3& max) const override;

    // Layer side: the wheel's sub-step, before the back end steps. wheelsInContact shares
    // the body among the wheels that stand on something.
    bool findGround(NxReal dt);
    void applyForces(NxReal dt, NxU32 wheelsInContact);

private:
    NxReal radius_;
    NxReal travel_;
    NxSpringDesc suspension_;
    NxTireFunctionDesc longitudal_;
    NxTireFunctionDesc lateral_;
    NxReal inverseWheelMass_;
    NxU32 wheelFlags_;
    NxReal motorTorque_;
    NxReal brakeTorque_;
    NxReal steerAngle_;
    NxReal axleSpeed_ = 0;
    NxUserWheelContactModify* contactModify_;
    NxShape* ground_ = nullptr;
    NxWheelContactData contact_;
    NxReal compression_ = 0;
    bool hadContact_ = false;
    NxMeshRayCaches groundCaches_;
};
