#include <gtest/gtest.h>
#include "physicstestsupport.h"

namespace {
class Records : public ::testing::Test, public TPhysicsTest, public NxUserContactReport
{
protected:
    void onContactNotify(NxContactPair& pair, NxU32 events) override
    {
        if (!(events & NX_NOTIFY_ON_START_TOUCH) || released)
            return;
        // Released from inside the report: gone after the sub-step, not under the report's feet.
        released = pair.actors[0]->isDynamic() ? pair.actors[0] : pair.actors[1];
        scene->releaseActor(*released);
        countDuringReport = scene->getNbActors();
    }
    NxActor* released = nullptr;
    NxU32 countDuringReport = 0;
};
} // namespace

TEST_F(Records, EngineRowMatricesBecomeColumnPosesAndBack)
{
    // Rows X, Y, Z, translation of a turn of 90 degrees about Y, moved to (1, 2, 3).
    const NxF32 rows[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 2, 3, 1};
    NxMat34 pose;
    pose.setRowMajor44(rows);
    const NxVec3 x = pose * NxVec3(1, 0, 0);
    EXPECT_NEAR(x.x, 1, 1e-6f);
    EXPECT_NEAR(x.z, 2, 1e-6f); // local X lands along world -Z from (1, 2, 3)
    EXPECT_EQ(pose.M.getColumn(0), NxVec3(0, 0, -1));
    NxF32 back[16];
    pose.getRowMajor44(back);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(back[i], rows[i]) << i;
    const NxQuat q = pose.M.toQuat();
    EXPECT_NEAR(q.rot(NxVec3(1, 0, 0)).z, -1, 1e-6f);
    EXPECT_NEAR((pose.inverseRT() * (pose * NxVec3(4, 5, 6)) - NxVec3(4, 5, 6)).magnitude(), 0, 1e-5f);
}

TEST_F(Records, AnActorReleasedInsideAReportGoesAfterTheSubStep)
{
    scene->setUserContactReport(this);
    addStaticBox(NxVec3(0, -1, 0), NxVec3(10, 1, 10));
    NxActor* box = addBox(NxVec3(0, 0.6f, 0), NxVec3(0.5f, 0.5f, 0.5f));
    box->setContactReportFlags(NX_NOTIFY_ALL);
    run(0.5f);
    EXPECT_EQ(released, box);
    EXPECT_EQ(countDuringReport, 2u);
    EXPECT_EQ(scene->getNbActors(), 1u);
}
