#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Filter : public ::testing::Test, public TPhysicsTest
{
protected:
    Filter() { ground = addStaticBox(NxVec3(0, -1, 0), NxVec3(50, 1, 50)); }
    bool restsOnGround(NxActor* actor) const { return actor->getGlobalPosition().y > -0.5f; }
    NxActor* ground;
};

NxGroupsMask mask(NxU32 bits)
{
    NxGroupsMask m;
    m.bits0 = bits;
    return m;
}
} // namespace

// A pair of groups, an actor pair or a shape pair ignored, collision or response off on the actor
// or the shape: each lets its box fall through the ground, while boxes of other groups stay.
TEST_F(Filter, EachPairOrFlagSwitchedOffLetsItsBoxFallThrough)
{
    const NxVec3 half(0.5f, 0.5f, 0.5f);
    // A released actor's pairs go with it: the box made next, in its memory, is another actor.
    NxActor* released = addBox(NxVec3(24, 1, 0), half);
    scene->setActorPairFlags(*released, *ground, NX_IGNORE_PAIR);
    scene->releaseActor(*released);
    NxActor* next = addBox(NxVec3(24, 1, 0), half);
    NxActor* group3 = addBox(NxVec3(0, 1, 0), half, 1, 3);
    scene->setGroupCollisionFlag(3, 0, false);
    EXPECT_FALSE(scene->getGroupCollisionFlag(0, 3));
    NxActor* actorPair = addBox(NxVec3(3, 1, 0), half);
    scene->setActorPairFlags(*actorPair, *ground, NX_IGNORE_PAIR);
    EXPECT_EQ(scene->getActorPairFlags(*ground, *actorPair), NxU32(NX_IGNORE_PAIR));
    NxActor* shapePair = addBox(NxVec3(6, 1, 0), half);
    scene->setShapePairFlags(*shapePair->getShapes()[0], *ground->getShapes()[0], NX_IGNORE_PAIR);
    NxActor* actorOff = addBox(NxVec3(9, 1, 0), half);
    actorOff->raiseActorFlag(NX_AF_DISABLE_COLLISION);
    NxActor* shapeOff = addBox(NxVec3(12, 1, 0), half);
    shapeOff->getShapes()[0]->setFlag(NX_SF_DISABLE_COLLISION, true);
    EXPECT_EQ(shapeOff->getShapes()[0]->getFlags(), NxU32(NX_SF_DEFAULT | NX_SF_DISABLE_COLLISION));
    NxActor* responseOff = addBox(NxVec3(15, 1, 0), half);
    responseOff->raiseActorFlag(NX_AF_DISABLE_RESPONSE);
    NxActor* group4 = addBox(NxVec3(18, 1, 0), half, 1, 4);
    NxActor* group0 = addBox(NxVec3(21, 1, 0), half);
    run(1);
    for (NxActor* through : {group3, actorPair, shapePair, actorOff, shapeOff, responseOff})
        EXPECT_FALSE(restsOnGround(through)) << "the box at x " << through->getGlobalPosition().x;
    EXPECT_TRUE(restsOnGround(group4));
    EXPECT_TRUE(restsOnGround(group0));
    EXPECT_TRUE(restsOnGround(next));
}

TEST_F(Filter, GroupsMasksMustShareABitUnderTheEnginesFilter)
{
    scene->setFilterOps(NX_FILTEROP_OR, NX_FILTEROP_OR, NX_FILTEROP_AND);
    scene->setFilterBool(true);
    scene->setFilterConstant0(NxGroupsMask());
    scene->setFilterConstant1(NxGroupsMask());
    NxGroupsMask groundMask = mask(0x2);
    groundMask.bits3 = 0x80000000u;
    ground->getShapes()[0]->setGroupsMask(groundMask);
    NxActor* passes = addBox(NxVec3(0, 1, 0), NxVec3(0.5f, 0.5f, 0.5f));
    passes->getShapes()[0]->setGroupsMask(mask(0x1));
    NxActor* stays = addBox(NxVec3(3, 1, 0), NxVec3(0.5f, 0.5f, 0.5f));
    stays->getShapes()[0]->setGroupsMask(mask(0x3));
    NxActor* unmasked = addBox(NxVec3(6, 1, 0), NxVec3(0.5f, 0.5f, 0.5f));
    // The last bit of the last word counts as much as the first.
    NxActor* staysOnLastBit = addBox(NxVec3(9, 1, 0), NxVec3(0.5f, 0.5f, 0.5f));
    NxGroupsMask lastBit;
    lastBit.bits3 = 0x80000000u;
    staysOnLastBit->getShapes()[0]->setGroupsMask(lastBit);
    run(1);
    EXPECT_FALSE(restsOnGround(passes));
    EXPECT_TRUE(restsOnGround(stays));
    EXPECT_FALSE(restsOnGround(unmasked)); // a zero mask shares nothing
    EXPECT_TRUE(restsOnGround(staysOnLastBit));
}

TEST_F(Filter, ChildShapesAreFilteredOneByOne)
{
    // Two feet at different heights; the lower foot's group does not touch the ground.
    NxBoxShapeDesc low, high;
    low.dimensions = high.dimensions = NxVec3(0.5f, 0.5f, 0.5f);
    low.localPose.t = NxVec3(-1, -1, 0);
    low.group = 5;
    high.localPose.t = NxVec3(1, 0, 0);
    NxBodyDesc body;
    NxActor* actor = addActor(NxVec3(0, 2, 0), {&low, &high}, &body);
    actor->raiseBodyFlag(NX_BF_FROZEN_ROT);
    scene->setGroupCollisionFlag(5, 0, false);
    run(1);
    EXPECT_NEAR(actor->getShapes()[1]->getGlobalPosition().y, 0.5f, 0.03f); // the high foot stands on the ground
    // Now both feet touch: the low foot lifts the body.
    scene->setGroupCollisionFlag(5, 0, true);
    actor->setGlobalPosition(NxVec3(0, 3, 0));
    actor->wakeUp();
    run(1);
    EXPECT_NEAR(actor->getShapes()[0]->getGlobalPosition().y, 0.5f, 0.03f);
}
