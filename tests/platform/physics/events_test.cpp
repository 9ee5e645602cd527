#include <thread>
#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Events : public ::testing::Test, public TPhysicsTest, public NxUserContactReport, public NxUserTriggerReport
{
protected:
    Events()
    {
        scene->setUserContactReport(this);
        scene->setUserTriggerReport(this);
    }
    void onContactNotify(NxContactPair& pair, NxU32 events) override
    {
        log.push_back("contact " + std::to_string(events));
        lastNormalForce = pair.sumNormalForce;
        lastPair = pair;
        threads.push_back(std::this_thread::get_id());
    }
    void onTrigger(NxShape& trigger, NxShape& other, NxTriggerFlag status) override
    {
        log.push_back(reported(status));
        triggerShape = &trigger;
        otherShape = &other;
        threads.push_back(std::this_thread::get_id());
    }
    // A static trigger box of half-size 1 at the place.
    NxActor* addTrigger(const NxVec3& at = NxVec3(0, 0, 0))
    {
        NxBoxShapeDesc area;
        area.dimensions = NxVec3(1, 1, 1);
        area.shapeFlags |= NX_TRIGGER_ENABLE;
        return addActor(at, {&area});
    }
    static std::string reported(NxTriggerFlag status) { return "trigger " + std::to_string(status); }

    std::vector<std::string> log;
    std::vector<std::thread::id> threads;
    NxVec3 lastNormalForce;
    NxContactPair lastPair;
    NxShape* triggerShape = nullptr;
    NxShape* otherShape = nullptr;
};

// Consecutive repeats of one entry collapsed, to read the sequence of changes.
std::vector<std::string> changes(const std::vector<std::string>& log)
{
    std::vector<std::string> out;
    for (const std::string& entry : log)
        if (out.empty() || out.back() != entry)
            out.push_back(entry);
    return out;
}
} // namespace

TEST_F(Events, ContactsStartTouchAndEndInOrderOnTheSteppingThread)
{
    NxActor* ground = addStaticBox(NxVec3(0, -1, 0), NxVec3(10, 1, 10));
    NxActor* box = addBox(NxVec3(0, 0.6f, 0), NxVec3(0.5f, 0.5f, 0.5f), 2);
    box->setContactReportFlags(NX_NOTIFY_ALL);
    std::thread::id stepping;
    std::thread worker([&] {
        stepping = std::this_thread::get_id();
        run(0.5f);
    });
    worker.join();
    const std::string start = "contact " + std::to_string(NX_NOTIFY_ON_START_TOUCH | NX_NOTIFY_ON_TOUCH);
    const std::string touch = "contact " + std::to_string(NX_NOTIFY_ON_TOUCH);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(changes(log), (std::vector<std::string>{start, touch}));
    for (const std::thread::id& id : threads)
        EXPECT_EQ(id, stepping);
    // At rest the ground carries the box's weight: the force on the pair's first actor.
    const NxReal weight = 2 * 9.8f;
    EXPECT_NEAR(lastNormalForce.y * (lastPair.actors[0] == box ? 1 : -1), weight, weight * 0.05f);
    EXPECT_TRUE((lastPair.actors[0] == box && lastPair.actors[1] == ground) ||
                (lastPair.actors[1] == box && lastPair.actors[0] == ground));
    // Thrown up it ends touching once, after the touches of the steps it needs to rise clear.
    log.clear();
    box->addForce(NxVec3(0, 5, 0), NX_VELOCITY_CHANGE);
    run(0.3f);
    EXPECT_EQ(changes(log), (std::vector<std::string>{touch, "contact " + std::to_string(NX_NOTIFY_ON_END_TOUCH)}));
    // Without report flags nothing is said; with the groups' flags it is.
    box->setContactReportFlags(0);
    log.clear();
    run(1);
    EXPECT_TRUE(log.empty());
    scene->setActorGroupPairFlags(0, 0, NX_NOTIFY_ON_START_TOUCH);
    box->addForce(NxVec3(0, 3, 0), NX_VELOCITY_CHANGE);
    run(1);
    EXPECT_EQ(changes(log), std::vector<std::string>{"contact " + std::to_string(NX_NOTIFY_ON_START_TOUCH)});
}

TEST_F(Events, TriggersReportEnterStayAndLeave)
{
    NxActor* area = addTrigger();
    NxActor* ball = addBox(NxVec3(0, 3, 0), NxVec3(0.2f, 0.2f, 0.2f));
    run(1.2f); // falls through the trigger: it has no response
    const std::vector<std::string> expected = {reported(NX_TRIGGER_ENTER), reported(NX_TRIGGER_STAY),
                                               reported(NX_TRIGGER_LEAVE)};
    EXPECT_EQ(changes(log), expected);
    EXPECT_EQ(triggerShape, area->getShapes()[0]);
    EXPECT_EQ(otherShape, ball->getShapes()[0]);
    EXPECT_LT(ball->getGlobalPosition().y, -2);
    // Only the kinds asked for are reported.
    log.clear();
    area->getShapes()[0]->setFlag(NX_TRIGGER_ON_STAY, false);
    ball->setGlobalPosition(NxVec3(0, 3, 0));
    ball->setLinearVelocity(NxVec3(0, 0, 0));
    run(1.2f);
    EXPECT_EQ(changes(log), (std::vector<std::string>{expected[0], expected[2]}));
}

TEST_F(Events, BodiesThatAreNotSimulatedMakeNoContactWithEachOther)
{
    // Kinematic boxes stacked inside each other and on static ground, as parked props are.
    NxActor* ground = addStaticBox(NxVec3(0, -1, 0), NxVec3(10, 1, 10));
    NxActor* first = addBox(NxVec3(0, 0.4f, 0), NxVec3(0.5f, 0.5f, 0.5f));
    NxActor* second = addBox(NxVec3(0.2f, 0.4f, 0), NxVec3(0.5f, 0.5f, 0.5f));
    for (NxActor* actor : {ground, first, second})
        actor->setContactReportFlags(NX_NOTIFY_ALL);
    first->raiseBodyFlag(NX_BF_KINEMATIC);
    second->raiseBodyFlag(NX_BF_KINEMATIC);
    run(0.5f);
    EXPECT_TRUE(log.empty()) << log.front();
    // A simulated body touches them both; made simulated again, a body touches the ground.
    NxActor* falling = addBox(NxVec3(0, 1.5f, 0), NxVec3(0.3f, 0.3f, 0.3f));
    falling->setContactReportFlags(NX_NOTIFY_ALL);
    run(0.5f);
    EXPECT_FALSE(log.empty()) << "a simulated body on a kinematic one";
    scene->releaseActor(*falling);
    run(0.1f);
    log.clear();
    second->clearBodyFlag(NX_BF_KINEMATIC);
    run(0.5f);
    EXPECT_FALSE(log.empty()) << "the body let go touches the ground and the kinematic one";
    // A trigger still reports a kinematic body in it.
    addTrigger(NxVec3(5, 1, 5));
    log.clear();
    first->setGlobalPosition(NxVec3(5, 1, 5));
    run(0.1f);
    EXPECT_EQ(changes(log).front(), reported(NX_TRIGGER_ENTER));
}

TEST_F(Events, ATriggerOnABodyFollowsIt)
{
    NxActor* ground = addStaticBox(NxVec3(0, -1, 0), NxVec3(10, 1, 10));
    NxBoxShapeDesc solid, sensor;
    solid.dimensions = NxVec3(0.5f, 0.5f, 0.5f);
    sensor.dimensions = NxVec3(0.5f, 0.5f, 0.5f);
    sensor.localPose.t = NxVec3(0, -0.8f, 0);
    sensor.shapeFlags |= NX_TRIGGER_ON_ENTER;
    NxBodyDesc body;
    NxActor* actor = addActor(NxVec3(0, 3, 0), {&solid, &sensor}, &body);
    run(2);
    EXPECT_EQ(changes(log), std::vector<std::string>{reported(NX_TRIGGER_ENTER)});
    EXPECT_EQ(otherShape, ground->getShapes()[0]);
    EXPECT_NEAR(actor->getGlobalPosition().y, 0.5f, 0.03f); // the sensor does not hold it up
}

TEST_F(Events, AShapeReleasedInsideATriggerEndsItsPairsSilently)
{
    NxActor* area = addTrigger();
    NxActor* ball = addBox(NxVec3(0, 0, 0), NxVec3(0.2f, 0.2f, 0.2f));
    ball->raiseBodyFlag(NX_BF_DISABLE_GRAVITY);
    run(0.1f);
    ASSERT_EQ(changes(log), (std::vector<std::string>{reported(NX_TRIGGER_ENTER), reported(NX_TRIGGER_STAY)}));
    log.clear();
    area->releaseShape(*area->getShapes()[0]);
    run(0.1f);
    EXPECT_TRUE(log.empty());
}
