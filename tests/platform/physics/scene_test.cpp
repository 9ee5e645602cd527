#include <thread>
#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Scene : public ::testing::Test, public TPhysicsTest
{
};

class TSleepLog : public NxUserNotify
{
public:
    bool onJointBreak(NxReal, NxJoint&) override { return true; }
    void onWake(NxActor** actors, NxU32 count) override { woken.insert(woken.end(), actors, actors + count); }
    void onSleep(NxActor** actors, NxU32 count) override
    {
        slept.insert(slept.end(), actors, actors + count);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<NxActor*> woken, slept;
    std::vector<std::thread::id> threads;
};
} // namespace

TEST_F(Scene, FixedSubStepsCarryTheRemainderAndDropWhatIsOverTheLimit)
{
    NxActor* box = addBox(NxVec3(0, 100, 0), NxVec3(0.5f, 0.5f, 0.5f));
    box->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    box->setLinearVelocity(NxVec3(1, 0, 0));
    scene->simulate(0.02f); // two steps of 1/120, 1/300 carried
    EXPECT_EQ(scene->getSubStepCount(), 2u);
    scene->simulate(0.005f); // with the carried time: one more
    EXPECT_EQ(scene->getSubStepCount(), 3u);
    EXPECT_NEAR(box->getGlobalPosition().x, 3.0f / 120.0f, 1e-5f);
    // Frames of exactly two steps never leave a step behind.
    for (int i = 0; i < 60; ++i)
        scene->simulate(1.0f / 60.0f);
    EXPECT_EQ(scene->getSubStepCount(), 123u);
    // At most four sub-steps: the rest of a long frame is dropped, not carried.
    scene->setTiming(1.0f / 120.0f, 4, NX_TIMESTEP_FIXED);
    scene->simulate(1.0f);
    EXPECT_EQ(scene->getSubStepCount(), 127u);
    scene->simulate(1.0f / 120.0f);
    EXPECT_EQ(scene->getSubStepCount(), 128u);
    // Variable: one step of the time given.
    scene->setTiming(1.0f / 120.0f, 4, NX_TIMESTEP_VARIABLE);
    const NxReal x = box->getGlobalPosition().x;
    scene->simulate(0.25f);
    EXPECT_EQ(scene->getSubStepCount(), 129u);
    EXPECT_NEAR(box->getGlobalPosition().x - x, 0.25f, 1e-4f);
}

TEST_F(Scene, BoxesSettleOnACookedMeshAndFallAsleepOnTheSteppingThread)
{
    TSleepLog log;
    scene->setUserNotify(&log);
    addGround(cookGrid(10, 20));
    std::vector<NxActor*> boxes;
    for (int i = 0; i < 4; ++i)
        boxes.push_back(addBox(NxVec3(NxReal(i) * 2 - 3, 0.6f + NxReal(i) * 0.3f, 0), NxVec3(0.5f, 0.5f, 0.5f)));
    std::thread::id stepping;
    std::thread worker([&] {
        stepping = std::this_thread::get_id();
        run(3);
    });
    worker.join();
    // Resting boxes fall asleep within a second or two of simulated time with the defaults.
    for (NxActor* box : boxes) {
        EXPECT_TRUE(box->isSleeping());
        EXPECT_NEAR(box->getGlobalPosition().y, 0.5f, 0.03f);
    }
    EXPECT_EQ(log.slept.size(), 4u);
    for (const std::thread::id& id : log.threads)
        EXPECT_EQ(id, stepping);
    // Woken, they report it and sleep again.
    boxes[0]->addForce(NxVec3(0, 3, 0), NX_VELOCITY_CHANGE);
    run(0.1f);
    ASSERT_EQ(log.woken.size(), 1u);
    EXPECT_EQ(log.woken[0], boxes[0]);
    run(3);
    EXPECT_TRUE(boxes[0]->isSleeping());
}

TEST_F(Scene, ASleepingBodyStaysWhereItIsAndWakesWithItsCounter)
{
    NxActor* box = addBox(NxVec3(0, 10, 0), NxVec3(0.5f, 0.5f, 0.5f));
    box->putToSleep();
    run(0.5f);
    EXPECT_TRUE(box->isSleeping());
    EXPECT_FLOAT_EQ(box->getGlobalPosition().y, 10);
    box->wakeUp(5);
    box->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    run(2); // at rest, but its counter keeps it awake
    EXPECT_FALSE(box->isSleeping());
    run(4);
    EXPECT_TRUE(box->isSleeping());
}

TEST_F(Scene, MisuseIsReportedAndTheLayerGoesOn)
{
    TPhysicsTest other;
    NxActor* foreign = other.addBox(NxVec3(0, 1, 0), NxVec3(1, 1, 1));
    scene->releaseActor(*foreign); // the output stream answers "break"; nothing traps
    ASSERT_EQ(output.asserts.size(), 1u);
    EXPECT_EQ(other.scene->getNbActors(), 1u);
    NxActorDesc empty;
    EXPECT_EQ(scene->createActor(empty), nullptr);
    EXPECT_EQ(output.errors.size(), 1u);
    scene->setDominanceGroupPair(1, 2, 0, 1);
    scene->setDominanceGroupPair(2, 3, 0, 1);
    EXPECT_EQ(output.prints.size(), 1u); // said once
    NxReal d0, d1;
    EXPECT_TRUE(scene->getDominanceGroupPair(1, 2, d0, d1));
    EXPECT_EQ(d0, 0);
}

TEST_F(Scene, RestitutionCombinesPerContactByTheStrongerMode)
{
    NxMaterialDesc bouncy;
    bouncy.restitution = 0.9f;
    bouncy.restitutionCombineMode = NX_CM_MAX;
    const NxMaterialIndex bouncyIndex = scene->createMaterial(bouncy)->getMaterialIndex();
    NxMaterialDesc dull = bouncy;
    dull.restitutionCombineMode = NX_CM_MIN;
    const NxMaterialIndex dullIndex = scene->createMaterial(dull)->getMaterialIndex();
    addStaticBox(NxVec3(0, -1, 0), NxVec3(50, 1, 50)); // material 0: restitution 0
    auto ball = [&](NxReal x, NxMaterialIndex material) {
        NxSphereShapeDesc shape;
        shape.radius = 0.5f;
        shape.materialIndex = material;
        NxBodyDesc body;
        return addActor(NxVec3(x, 3, 0), {&shape}, &body);
    };
    NxActor* high = ball(0, bouncyIndex); // max(0.9, 0) bounces
    NxActor* low = ball(5, dullIndex);    // min(0.9, 0) does not
    // The highest point after the first touch of the ground.
    NxReal highest = 0, lowHighest = 0;
    bool landed = false, lowLanded = false;
    for (int i = 0; i < 180; ++i) {
        scene->simulate(1.0f / 120.0f);
        landed = landed || high->getGlobalPosition().y < 0.6f;
        lowLanded = lowLanded || low->getGlobalPosition().y < 0.6f;
        if (landed)
            highest = std::max(highest, high->getGlobalPosition().y);
        if (lowLanded)
            lowHighest = std::max(lowHighest, low->getGlobalPosition().y);
    }
    EXPECT_LT(lowHighest, 0.6f);
    EXPECT_GT(highest, 1.5f);
    EXPECT_NEAR(low->getGlobalPosition().y, 0.5f, 0.05f);
}
