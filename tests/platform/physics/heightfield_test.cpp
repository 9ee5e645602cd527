#include <gtest/gtest.h>
#include "physicstestsupport.h"
#include "platform/physics/nxheightfield.h"

namespace {
class HeightField : public ::testing::Test, public TPhysicsTest
{
protected:
    // 21 x 21 samples 1 m apart falling 0.3 m per row along +X; row 0 at height 7 m, row 20 at 1 m.
    NxActor* addSlope()
    {
        std::vector<NxHeightFieldSample> samples(21 * 21);
        for (NxU32 row = 0; row < 21; ++row)
            for (NxU32 column = 0; column < 21; ++column)
                samples[row * 21 + column] = {NxI16((20 - row) * 300 + 1000), 1, 0};
        NxHeightFieldDesc desc;
        desc.nbRows = desc.nbColumns = 21;
        desc.samples = samples.data();
        field = sdk->createHeightField(desc);
        NxHeightFieldShapeDesc shape;
        shape.heightField = field;
        shape.heightScale = 0.001f;
        shape.rowScale = 1;
        shape.columnScale = 1;
        NxActorDesc actor;
        actor.globalPose.t = NxVec3(-10, 0, -10);
        actor.shapes.push_back(&shape);
        return scene->createActor(actor);
    }
    NxHeightField* field = nullptr;
};
} // namespace

TEST_F(HeightField, RaysMeetTheSurfaceWhereTheSamplesPutIt)
{
    NxActor* slope = addSlope();
    ASSERT_NE(slope, nullptr);
    EXPECT_EQ(field->getSample(3, 7).height, 17 * 300 + 1000);
    NxRaycastHit hit;
    // Row 5 lies at x = -5: height 5.5 m; half-way to row 6 it is 5.35 m.
    ASSERT_EQ(scene->raycastClosestShape({NxVec3(-5, 20, 2), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit), slope->getShapes()[0]);
    EXPECT_NEAR(hit.worldImpact.y, 5.5f, 1e-4f);
    scene->raycastClosestShape({NxVec3(-4.5f, 20, 2.25f), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit);
    EXPECT_NEAR(hit.worldImpact.y, 5.35f, 1e-4f);
    const NxReal slopeNormalX = 0.3f / std::sqrt(1 + 0.09f);
    EXPECT_NEAR(hit.worldNormal.x, slopeNormalX, 1e-4f);
    auto& shape = static_cast<NxHeightFieldShape&>(*slope->getShapes()[0]);
    EXPECT_NEAR(shape.getHeightAtShapePoint(5.5f, 3), 5.35f, 1e-4f);
    // Outside the grid: nothing.
    EXPECT_EQ(scene->raycastClosestShape({NxVec3(11, 20, 0), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit), nullptr);
    // In use it stays; a grid too small is refused.
    sdk->releaseHeightField(*field);
    EXPECT_EQ(sdk->getNbHeightFields(), 1u);
    NxHeightFieldDesc tiny;
    tiny.nbRows = 1;
    tiny.nbColumns = 5;
    tiny.samples = field;
    EXPECT_EQ(sdk->createHeightField(tiny), nullptr);
}
