#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Shapes : public ::testing::Test, public TPhysicsTest
{
protected:
    Shapes() { addStaticBox(NxVec3(0, -1, 0), NxVec3(50, 1, 50)); }
};
} // namespace

TEST_F(Shapes, LiveResizeAndLocalPoseMoveTheVolume)
{
    NxActor* box = addBox(NxVec3(0, 0.5f, 0), NxVec3(0.5f, 0.5f, 0.5f));
    run(1);
    EXPECT_NEAR(box->getGlobalPosition().y, 0.5f, 0.02f);
    auto* shape = static_cast<NxBoxShape*>(box->getShapes()[0]);
    shape->setDimensions(NxVec3(0.5f, 1, 0.5f));
    EXPECT_EQ(shape->getDimensions(), NxVec3(0.5f, 1, 0.5f));
    box->wakeUp();
    run(1);
    EXPECT_NEAR(box->getGlobalPosition().y, 1, 0.02f); // pushed up out of the ground
    // The shape lowered in the actor's frame lifts the actor.
    NxMat34 local;
    local.t = NxVec3(0, -0.5f, 0);
    shape->setLocalPose(local);
    box->wakeUp();
    run(1);
    EXPECT_NEAR(box->getGlobalPosition().y, 1.5f, 0.03f);
    EXPECT_NEAR(shape->getGlobalPosition().y, 1, 0.03f);
    // A sphere and a capsule grow the same way.
    NxBodyDesc body;
    NxActorDesc desc;
    desc.body = &body;
    desc.globalPose.t = NxVec3(5, 0.5f, 0);
    NxSphereShapeDesc sphere;
    sphere.radius = 0.5f;
    desc.shapes.push_back(&sphere);
    NxActor* ball = scene->createActor(desc);
    static_cast<NxSphereShape*>(ball->getShapes()[0])->setRadius(1);
    desc.globalPose.t = NxVec3(10, 1, 0);
    NxCapsuleShapeDesc capsule;
    capsule.radius = 0.5f;
    capsule.height = 1;
    desc.shapes = {&capsule};
    NxActor* pill = scene->createActor(desc);
    static_cast<NxCapsuleShape*>(pill->getShapes()[0])->setDimensions(0.25f, 3);
    run(1);
    EXPECT_NEAR(ball->getGlobalPosition().y, 1, 0.02f);
    EXPECT_NEAR(pill->getGlobalPosition().y, 1.75f, 0.03f); // standing on its lower cap
}

TEST_F(Shapes, DampingAndTheAngularSpeedLimitSlowBodies)
{
    NxActor* damped = addBox(NxVec3(0, 10, 0), NxVec3(0.5f, 0.5f, 0.5f));
    damped->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    damped->setLinearDamping(1);
    damped->setLinearVelocity(NxVec3(4, 0, 0));
    NxActor* spinner = addBox(NxVec3(5, 10, 0), NxVec3(0.5f, 0.5f, 0.5f));
    spinner->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    spinner->setMaxAngularVelocity(2);
    spinner->setAngularDamping(0);
    spinner->setAngularVelocity(NxVec3(0, 10, 0));
    run(1);
    EXPECT_NEAR(damped->getLinearVelocity().x, 4 * std::exp(-1.0f), 0.05f); // a rate of 1 per second
    EXPECT_NEAR(spinner->getAngularVelocity().y, 2, 1e-4f);
}
