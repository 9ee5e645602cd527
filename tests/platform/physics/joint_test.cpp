#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Joints : public ::testing::Test, public TPhysicsTest, public NxUserNotify
{
protected:
    Joints() { scene->setUserNotify(this); }
    bool onJointBreak(NxReal impulse, NxJoint& joint) override
    {
        breaks.push_back(&joint);
        lastImpulse = impulse;
        return letBreak;
    }
    void onWake(NxActor**, NxU32) override {}
    void onSleep(NxActor**, NxU32) override {}

    // A joint of a box at the origin to the world, anchored at the box's centre along an axis.
    template <class Desc> NxJoint* toWorld(NxActor* box, Desc& desc, const NxVec3& axis)
    {
        desc.actor[0] = nullptr;
        desc.actor[1] = box;
        NxJointDesc_SetGlobalAnchor(desc, box->getGlobalPosition());
        NxJointDesc_SetGlobalAxis(desc, axis);
        return scene->createJoint(desc);
    }

    std::vector<NxJoint*> breaks;
    NxReal lastImpulse = 0;
    bool letBreak = true;
};
} // namespace

TEST_F(Joints, ARevoluteMotorReachesItsVelocityAndItsLimitsHold)
{
    NxActor* wheel = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    NxRevoluteJointDesc desc;
    desc.motor.velTarget = 2;
    desc.motor.maxForce = 100;
    desc.flags = NX_RJF_MOTOR_ENABLED;
    NxRevoluteJoint* motor = toWorld(wheel, desc, NxVec3(0, 0, 1))->isRevoluteJoint();
    ASSERT_NE(motor, nullptr);
    EXPECT_EQ(motor->getState(), NX_JS_SIMULATING);
    run(1);
    EXPECT_NEAR(motor->getVelocity(), 2, 0.05f);
    EXPECT_NEAR(wheel->getAngularVelocity().z, 2, 0.05f);
    EXPECT_NEAR(wheel->getGlobalPosition().y, 5, 0.01f); // held against gravity at its anchor

    NxActor* flap = addBox(NxVec3(5, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    NxRevoluteJointDesc limited = desc;
    limited.motor.velTarget = 5;
    limited.limit.low.value = -0.3f;
    limited.limit.high.value = 0.6f;
    limited.flags = NX_RJF_MOTOR_ENABLED | NX_RJF_LIMIT_ENABLED;
    NxRevoluteJoint* stop = toWorld(flap, limited, NxVec3(0, 0, 1))->isRevoluteJoint();
    run(1);
    EXPECT_NEAR(stop->getAngle(), 0.6f, 0.02f);
    EXPECT_NEAR(flap->getAngularVelocity().z, 0, 0.05f);
    // The state survives a trip through the descriptor.
    NxRevoluteJointDesc saved;
    stop->saveToDesc(saved);
    EXPECT_FLOAT_EQ(saved.limit.high.value, 0.6f);
    saved.motor.velTarget = -5;
    stop->loadFromDesc(saved);
    run(1);
    EXPECT_NEAR(stop->getAngle(), -0.3f, 0.02f);
}

TEST_F(Joints, AFixedJointBreaksAboveItsForceUnlessTheBreakIsVetoed)
{
    NxActor* held = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f), 10); // 10 kg: 98 N
    NxFixedJointDesc desc;
    NxJoint* joint = toWorld(held, desc, NxVec3(0, 1, 0));
    joint->setBreakable(200, 1e9f);
    run(0.5f);
    EXPECT_TRUE(breaks.empty());
    // 500 N more pulls it past 200 N: vetoed, it holds.
    letBreak = false;
    for (int i = 0; i < 30; ++i) {
        held->addForce(NxVec3(0, -500, 0));
        run(1.0f / 60.0f);
    }
    ASSERT_FALSE(breaks.empty());
    EXPECT_EQ(breaks[0], joint);
    EXPECT_NEAR(lastImpulse, (500 + 98) / 120.0f, 0.5f); // what the joint held over one sub-step
    EXPECT_EQ(joint->getState(), NX_JS_SIMULATING);
    EXPECT_NEAR(held->getGlobalPosition().y, 5, 0.05f);
    // Let go: the joint is released and the box falls.
    letBreak = true;
    breaks.clear();
    held->addForce(NxVec3(0, -500, 0));
    run(1.0f / 60.0f);
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(scene->getNbJoints(), 0u);
    run(0.5f);
    EXPECT_LT(held->getGlobalPosition().y, 4);
}

TEST_F(Joints, WithoutAListenerABrokenJointStaysBroken)
{
    scene->setUserNotify(nullptr);
    NxActor* held = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f), 10);
    NxFixedJointDesc desc;
    desc.maxForce = 50; // less than the weight
    NxJoint* joint = toWorld(held, desc, NxVec3(0, 1, 0));
    run(0.1f);
    EXPECT_EQ(joint->getState(), NX_JS_BROKEN);
    EXPECT_EQ(scene->getNbJoints(), 1u);
    EXPECT_LT(held->getGlobalPosition().y, 5);
}

TEST_F(Joints, APrismaticJointStopsAtItsTwoPlanes)
{
    NxActor* slider = addBox(NxVec3(0, 5, 0), NxVec3(0.2f, 0.2f, 0.2f));
    NxPrismaticJointDesc desc;
    NxJoint* joint = toWorld(slider, desc, NxVec3(1, 0, 0));
    // As the engine limits it: the point on the slider, planes through anchor - 0.3 and + 0.6 along the axis.
    const NxVec3 anchor = joint->getGlobalAnchor(), axis = joint->getGlobalAxis();
    EXPECT_NEAR(axis.x, 1, 1e-6f);
    joint->setLimitPoint(anchor, true);
    joint->addLimitPlane(axis, anchor - axis * 0.3f);
    joint->addLimitPlane(-axis, anchor + axis * 0.6f);
    slider->setLinearVelocity(NxVec3(3, 0, 0));
    run(1);
    EXPECT_NEAR(slider->getGlobalPosition().x, 0.6f, 0.02f);
    EXPECT_NEAR(slider->getGlobalPosition().y, 5, 0.01f);
    slider->setLinearVelocity(NxVec3(-3, 0, 0));
    run(1);
    EXPECT_NEAR(slider->getGlobalPosition().x, -0.3f, 0.02f);
    // Without planes it slides on.
    joint->purgeLimitPlanes();
    slider->setLinearVelocity(NxVec3(3, 0, 0));
    run(1);
    EXPECT_GT(slider->getGlobalPosition().x, 2);
}

TEST_F(Joints, AD6VelocityDriveTurnsAboutItsTwistAxis)
{
    NxActor* rotor = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.1f, 0.5f));
    NxD6JointDesc desc;
    desc.xMotion = desc.yMotion = desc.zMotion = NX_D6JOINT_MOTION_LOCKED;
    desc.swing1Motion = desc.swing2Motion = NX_D6JOINT_MOTION_LOCKED;
    desc.twistMotion = NX_D6JOINT_MOTION_FREE;
    desc.twistDrive.driveType = NX_D6JOINT_DRIVE_VELOCITY;
    desc.twistDrive.forceLimit = 1000;
    NxD6Joint* d6 = toWorld(rotor, desc, NxVec3(0, 1, 0))->isD6Joint();
    ASSERT_NE(d6, nullptr);
    run(0.5f);
    EXPECT_NEAR(rotor->getAngularVelocity().magnitude(), 0, 0.01f);
    d6->setDriveAngularVelocity(NxVec3(3, 0, 0));
    run(1);
    EXPECT_NEAR(rotor->getAngularVelocity().y, 3, 0.05f);
    EXPECT_NEAR(rotor->getGlobalPosition().y, 5, 0.01f);
}

TEST_F(Joints, APulleyRopeLiftsTheLighterSideAndJointsGoWithTheirActors)
{
    // Two boxes 5 m below their pulleys on a 10 m rope: the heavier one goes down, the other up.
    NxActor* heavy = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    NxActor* light = addBox(NxVec3(4, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    heavy->setMass(3);
    NxPulleyJointDesc pulley;
    pulley.actor[0] = heavy;
    pulley.actor[1] = light;
    pulley.pulley[0].set(0, 10, 0);
    pulley.pulley[1].set(4, 10, 0);
    pulley.distance = 10;
    NxJoint* rope = scene->createJoint(pulley);
    ASSERT_NE(rope, nullptr);
    EXPECT_EQ(rope->getType(), NX_JOINT_PULLEY);
    run(1);
    const NxReal down = heavy->getGlobalPosition().y, up = light->getGlobalPosition().y;
    EXPECT_LT(down, 4.5f);
    EXPECT_GT(up, 5.5f);
    EXPECT_NEAR((10 - down) + (10 - up), 10, 0.05f);
    NxFixedJointDesc fixed;
    fixed.actor[0] = heavy;
    scene->createJoint(fixed);
    EXPECT_EQ(scene->getNbJoints(), 2u);
    scene->releaseActor(*heavy);
    EXPECT_EQ(scene->getNbJoints(), 0u);
}

TEST_F(Joints, SpringsAndLinearDrivesPullTowardsTheirTargets)
{
    // A revolute spring turns the flap to its target angle.
    NxActor* flap = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.1f, 0.5f));
    flap->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    NxRevoluteJointDesc hinge;
    hinge.spring.spring = 50;
    hinge.spring.damper = 5;
    hinge.spring.targetValue = 0.7f;
    hinge.flags = NX_RJF_SPRING_ENABLED;
    NxRevoluteJoint* sprung = toWorld(flap, hinge, NxVec3(0, 0, 1))->isRevoluteJoint();
    // A D6 joint free along its axis slides at its drive's velocity.
    NxActor* sled = addBox(NxVec3(5, 5, 0), NxVec3(0.2f, 0.2f, 0.2f));
    sled->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    NxD6JointDesc rail;
    rail.yMotion = rail.zMotion = NX_D6JOINT_MOTION_LOCKED;
    rail.swing1Motion = rail.swing2Motion = rail.twistMotion = NX_D6JOINT_MOTION_LOCKED;
    rail.xDrive.driveType = NX_D6JOINT_DRIVE_VELOCITY;
    rail.xDrive.forceLimit = 100;
    rail.driveLinearVelocity = NxVec3(0.5f, 0, 0);
    toWorld(sled, rail, NxVec3(1, 0, 0));
    // A spherical joint's swing limit stops a swing.
    NxActor* bob = addBox(NxVec3(10, 4, 0), NxVec3(0.1f, 0.1f, 0.1f));
    NxSphericalJointDesc cone;
    cone.actor[1] = bob;
    NxJointDesc_SetGlobalAnchor(cone, NxVec3(10, 5, 0));
    NxJointDesc_SetGlobalAxis(cone, NxVec3(0, -1, 0));
    cone.swingLimit.value = 0.3f;
    cone.flags = NX_SJF_SWING_LIMIT_ENABLED;
    scene->createJoint(cone);
    bob->setLinearVelocity(NxVec3(3, 0, 0));
    run(3);
    EXPECT_NEAR(sprung->getAngle(), 0.7f, 0.02f);
    EXPECT_NEAR(sled->getLinearVelocity().x, 0.5f, 0.01f);
    const NxVec3 arm = bob->getGlobalPosition() - NxVec3(10, 5, 0);
    EXPECT_LT(std::atan2(std::fabs(arm.x), -arm.y), 0.35f); // free, it would swing up to 1 radian
}
