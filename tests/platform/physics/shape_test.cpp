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
    NxSphereShapeDesc sphere;
    sphere.radius = 0.5f;
    NxActor* ball = addActor(NxVec3(5, 0.5f, 0), {&sphere}, &body);
    static_cast<NxSphereShape*>(ball->getShapes()[0])->setRadius(1);
    NxCapsuleShapeDesc capsule;
    capsule.radius = 0.5f;
    capsule.height = 1;
    NxActor* pill = addActor(NxVec3(10, 1, 0), {&capsule}, &body);
    static_cast<NxCapsuleShape*>(pill->getShapes()[0])->setDimensions(0.25f, 3);
    run(1);
    EXPECT_NEAR(ball->getGlobalPosition().y, 1, 0.02f);
    EXPECT_NEAR(pill->getGlobalPosition().y, 1.75f, 0.03f); // standing on its lower cap
}
