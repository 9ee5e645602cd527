#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Actor : public ::testing::Test, public TPhysicsTest
{
};
} // namespace

TEST_F(Actor, MassAndInertiaComeFromVolumesTimesDensity)
{
    NxActor* box = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 1, 1.5f), 2);
    EXPECT_FLOAT_EQ(box->getMass(), 2 * 1 * 2 * 3);
    const NxReal m = box->getMass();
    const NxVec3 inertia = box->getMassSpaceInertiaTensor();
    EXPECT_NEAR(inertia.x, m * (1 + 2.25f) / 3, 1e-4f);
    EXPECT_NEAR(inertia.y, m * (0.25f + 2.25f) / 3, 1e-4f);
    EXPECT_NEAR(inertia.z, m * (0.25f + 1) / 3, 1e-4f);

    // A body with only a trigger shape has no volume to weigh: unit inertia and mass.
    NxBodyDesc body;
    NxSphereShapeDesc trigger;
    trigger.shapeFlags |= NX_TRIGGER_ENABLE;
    NxActor* triggerOnly = addActor(NxVec3(0, 0, 0), {&trigger}, &body);
    EXPECT_EQ(triggerOnly->getMassSpaceInertiaTensor(), NxVec3(1, 1, 1));
    EXPECT_FLOAT_EQ(triggerOnly->getMass(), 1);

    // A given mass scales the shapes' distribution.
    body.mass = 10;
    NxSphereShapeDesc sphere;
    sphere.radius = 2;
    NxActor* ball = addActor(NxVec3(0, 0, 0), {&sphere}, &body);
    EXPECT_FLOAT_EQ(ball->getMass(), 10);
    EXPECT_NEAR(ball->getMassSpaceInertiaTensor().x, 0.4f * 10 * 4, 1e-4f);
}

TEST_F(Actor, CompoundKeepsShapeOrderAndFoldsTheMassFrame)
{
    NxBoxShapeDesc heavy, light;
    heavy.dimensions = light.dimensions = NxVec3(0.5f, 0.5f, 0.5f);
    heavy.localPose.t = NxVec3(-1, 0, 0);
    heavy.density = 3;
    light.localPose.t = NxVec3(1, 0, 0);
    NxSphereShapeDesc ball;
    ball.radius = 0.25f;
    ball.localPose.t = NxVec3(0, 2, 0);
    ball.density = 0;
    NxBodyDesc body;
    NxActor* actor = addActor(NxVec3(1, 10, 2), {&heavy, &light, &ball}, &body);
    ASSERT_EQ(actor->getNbShapes(), 3u);
    EXPECT_EQ(actor->getShapes()[0]->getType(), NX_SHAPE_BOX);
    EXPECT_EQ(actor->getShapes()[2]->getType(), NX_SHAPE_SPHERE);
    // Centre of mass three quarters of the way to the heavy box; the actor's frame stays put.
    EXPECT_NEAR(actor->getCMassLocalPose().t.x, -0.5f, 1e-5f);
    EXPECT_EQ(actor->getGlobalPose().t, NxVec3(1, 10, 2));
    EXPECT_NEAR(actor->getShapes()[1]->getGlobalPose().t.x, 2, 1e-5f);
    EXPECT_NEAR(actor->getShapes()[2]->getGlobalPose().t.y, 12, 1e-5f);

    // Moving the mass frame keeps the actor and its shapes where they are.
    NxMat34 frame;
    frame.t = NxVec3(0, 1, 0);
    actor->setCMassOffsetLocalPose(frame);
    EXPECT_NEAR(actor->getGlobalPose().t.y, 10, 1e-5f);
    EXPECT_NEAR(actor->getShapes()[2]->getGlobalPose().t.y, 12, 1e-5f);
    EXPECT_NEAR(actor->getCMassGlobalPosition().y, 11, 1e-5f);
}

TEST_F(Actor, GravityOffAndFreezesHold)
{
    NxActor* floating = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    floating->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    NxActor* frozenY = addBox(NxVec3(5, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    frozenY->raiseBodyFlag(NX_BF_FROZEN_POS_Y);
    NxActor* frozenRotation = addBox(NxVec3(10, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    frozenRotation->raiseBodyFlag(NX_BF_FROZEN_ROT);
    NxActor* falling = addBox(NxVec3(15, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    frozenY->addForce(NxVec3(3, 0, 0), NX_VELOCITY_CHANGE);
    frozenRotation->addTorque(NxVec3(0, 5, 0), NX_VELOCITY_CHANGE);
    run(0.5f);
    EXPECT_NEAR(floating->getGlobalPosition().y, 5, 1e-5f);
    EXPECT_NEAR(frozenY->getGlobalPosition().y, 5, 1e-5f);
    EXPECT_GT(frozenY->getGlobalPosition().x, 6); // other axes still move
    EXPECT_TRUE(frozenRotation->getGlobalOrientation().isIdentity());
    EXPECT_LT(frozenRotation->getGlobalPosition().y, 4);
    EXPECT_LT(falling->getGlobalPosition().y, 4);
    // Gravity back on: the body falls once woken (at rest it has fallen asleep meanwhile).
    floating->clearBodyFlag(NX_BF_DISABLE_GRAVITY);
    floating->wakeUp();
    run(0.25f);
    EXPECT_LT(floating->getGlobalPosition().y, 4.8f);
}

TEST_F(Actor, EachForceModeChangesVelocityAsItSays)
{
    struct TCase
    {
        NxForceMode mode;
        NxReal expected; // velocity after one sub-step of a mass-2 body pushed by 2 along X
    };
    const NxReal dt = 1.0f / 120.0f;
    const TCase cases[] = {{NX_FORCE, 2 / 2.0f * dt},           {NX_IMPULSE, 2 / 2.0f},
                           {NX_VELOCITY_CHANGE, 2},               {NX_SMOOTH_IMPULSE, 2 / 2.0f},
                           {NX_SMOOTH_VELOCITY_CHANGE, 2},        {NX_ACCELERATION, 2 * dt}};
    for (const TCase& c : cases) {
        NxActor* box = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f), 2);
        box->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
        box->setAngularDamping(0);
        ASSERT_FLOAT_EQ(box->getMass(), 2);
        box->addForce(NxVec3(2, 0, 0), c.mode);
        scene->simulate(dt);
        EXPECT_NEAR(box->getLinearVelocity().x, c.expected, 1e-4f) << "mode " << c.mode;
        // Forces last for one simulate call; the velocity holds afterwards.
        scene->simulate(dt);
        EXPECT_NEAR(box->getLinearVelocity().x, c.expected, 1e-4f) << "mode " << c.mode;

        box->addTorque(NxVec3(0, 0, 2), c.mode);
        scene->simulate(dt);
        const NxReal inertia = box->getMassSpaceInertiaTensor().z;
        const bool onMass = c.mode == NX_VELOCITY_CHANGE || c.mode == NX_SMOOTH_VELOCITY_CHANGE || c.mode == NX_ACCELERATION;
        EXPECT_NEAR(box->getAngularVelocity().z, onMass ? c.expected : c.expected * 2 / inertia, 1e-3f) << "mode " << c.mode;
        scene->releaseActor(*box);
    }
}

TEST_F(Actor, ForcesActOnEverySubStepOfOneSimulateCall)
{
    NxActor* box = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f), 1);
    box->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    box->addForce(NxVec3(1, 0, 0), NX_FORCE);
    scene->simulate(4.0f / 120.0f);
    EXPECT_NEAR(box->getLinearVelocity().x, 4.0f / 120.0f, 1e-5f);
}

TEST_F(Actor, KinematicMoveReachesItsTargetThroughTheSubSteps)
{
    NxActor* actor = addBox(NxVec3(0, 5, 0), NxVec3(0.5f, 0.5f, 0.5f));
    actor->raiseBodyFlag(NX_BF_KINEMATIC);
    NxMat34 target;
    target.t = NxVec3(1, 5, 0);
    actor->moveGlobalPose(target);
    scene->simulate(2.0f / 120.0f);
    EXPECT_NEAR(actor->getGlobalPosition().x, 1, 1e-5f);
    // Half the way in each of the two sub-steps.
    EXPECT_NEAR(actor->getLinearVelocity().x, 0.5f * 120, 1e-2f);
    EXPECT_NEAR(actor->getGlobalPosition().y, 5, 1e-5f); // no gravity on a kinematic actor
    // The reached target is gone: the next steps leave the actor at rest where it is.
    scene->simulate(2.0f / 120.0f);
    EXPECT_NEAR(actor->getGlobalPosition().x, 1, 1e-5f);
    EXPECT_NEAR(actor->getLinearVelocity().x, 0, 1e-3f);
    // Kinematic again: dynamic, it falls.
    actor->clearBodyFlag(NX_BF_KINEMATIC);
    run(0.2f);
    EXPECT_LT(actor->getGlobalPosition().y, 4.9f);
}
