// Track decals: on a collision ground, when segments are laid
// (distance, turn, jumps) and a segment leaning too far.
#include "collisionfixture.h"

#include "core/math/half.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/trackdecal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
TMatrix Pose(f32 x, f32 z, f32 headingDegrees, f32 leanDegrees = 0.0f)
{
    const f32 h = headingDegrees * 0.017453292f, l = leanDegrees * 0.017453292f;
    TMatrix m(1.0f);
    // X across, Y up, Z forward; turned about Y by the heading, leant about Z.
    m.aRow[0] = TVector(std::cos(h) * std::cos(l), std::sin(l), -std::sin(h) * std::cos(l), 0.0f);
    m.aRow[1] = TVector(-std::cos(h) * std::sin(l), std::cos(l), std::sin(h) * std::sin(l), 0.0f);
    m.aRow[2] = TVector(std::sin(h), 0.0f, std::cos(h), 0.0f);
    m.aRow[3] = TVector(x, 0.2f, z, 1.0f);
    return m;
}

// The atlas entry's column, from start to end.
void PutAtlas(TDecalData& data, u32 entry, f32 start, f32 end)
{
    u8* at = reinterpret_cast<u8*>(&data) + entry * 100;
    std::memcpy(at + 28, &start, 4);
    std::memcpy(at + 36, &end, 4);
}

class TrackDecalTest : public CollisionTest
{
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        g_pDecalManager->OnClusterLoad();
        // The ground in the decals' group.
        TNode* node = g_pNodeManager->CreateNode("apron");
        m_pGround = Collision().CreateCollisionMesh(node, Ground("apron"), 0);
        m_pGround->SetGroupsMask(DECAL_PROJECTION_GROUP);
        m_pGround->__Create();
        PutAtlas(m_Data, 2, 0.25f, 0.5f);
        m_Decal.pDecalData = &m_Data;
        m_Decal.m_nAtlasIndex = 2;
        m_Track.pDecal = &m_Decal;
        m_Track.m_fWidth = 0.4f;
        m_Track.m_fHeight = 1.0f;
        m_Track.m_fLength = 0.3f;
        m_Track.m_fVScale = 2.0f;
        m_Track.m_Color = TColor{1.0f, 0.0f, 0.0f, 1.0f};
        m_pWheel = g_pNodeManager->CreateNode("wheel");
        m_pWheel->SetLocalMatrix(Pose(0.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
        m_pWheel->AddObject(&m_Track);
        m_Track.OnEnable(1);
    }
    void TearDown() override
    {
        m_pWheel->DeleteObject(&m_Track);
        g_pDecalManager->OnClusterLoad();
        CollisionTest::TearDown();
    }

    // As in a frame: the node manager tells the node's objects that it moved.
    void MoveTo(const TMatrix& pose)
    {
        m_pWheel->SetLocalMatrix(pose, TNode::OrdinaryCause());
        g_pNodeManager->UpdateManager(0.0f);
    }
    TDecalPool* Pool() const { return g_pDecalManager->FindPool(m_pGround, &m_Data); }
    u32 Laid() const { return Pool() ? Pool()->GetDrawnCount() : 0; }
    // The smallest and largest z, then along-strip coordinate, of what the pool holds.
    std::array<f32, 4> Extent() const
    {
        std::array<f32, 4> extent = {1e9f, -1e9f, 1e9f, -1e9f};
        for (u32 i = 0; i < Laid(); ++i)
            for (u32 k = 0; k < 2; ++k)
            {
                const f32 at = k ? Pool()->GetVertices()[i].aTexCoord[0] : Pool()->GetVertices()[i].aPosition[2];
                extent[2 * k] = std::min(extent[2 * k], at);
                extent[2 * k + 1] = std::max(extent[2 * k + 1], at);
            }
        return extent;
    }

    TNxCollisionMesh* m_pGround = nullptr;
    TDecalData m_Data{};
    TDecal m_Decal{};
    TTrackDecal m_Track;
    TNode* m_pWheel = nullptr;
};
} // namespace

TEST_F(TrackDecalTest, ShortMovesAndSmallTurnsLayNothingALongerMoveOneSegment)
{
    MoveTo(Pose(0.0f, 0.4f, 3.0f));
    EXPECT_EQ(Laid(), 0u);
    MoveTo(Pose(0.0f, 0.6f, 0.0f));
    ASSERT_GT(Laid(), 0u);
    EXPECT_EQ(Laid() % 3, 0u);
    // Forwards: between the two back edges (z -0.15 and 0.45), lifted off the ground, the
    // segment's frame and the track's colour in every vertex.
    const std::array<f32, 4> extent = Extent();
    EXPECT_NEAR(extent[0], -0.15f, 1e-3f);
    EXPECT_NEAR(extent[1], 0.45f, 1e-3f);
    const TDecalVertex& v = Pool()->GetVertices()[0];
    EXPECT_FLOAT_EQ(v.aPosition[1], DECAL_LIFT);
    EXPECT_EQ(std::vector<u16>({v.aUp[1], v.aTangent[0], v.aThird[2], v.aThird[3]}),
              std::vector<u16>({FloatToHalf(1.0f), FloatToHalf(-1.0f), FloatToHalf(1.0f), FloatToHalf(0.0f)}));
    EXPECT_EQ(v.nColour, 0xFFFF0000u);
    EXPECT_EQ(v.aOne[0], 1.0f);
    // Across: the atlas entry's column, 0.25 to 0.5.
    for (u32 i = 0; i < Laid(); ++i)
        EXPECT_NEAR(Pool()->GetVertices()[i].aTexCoord[1], 0.375f, 0.125f + 1e-4f) << i;
    // Along: 0 to the segment's length 0.6, times the V scale 2.
    EXPECT_NEAR(extent[2], 0.0f, 1e-3f);
    EXPECT_NEAR(extent[3], 1.2f, 1e-3f);

    // The next segment goes on from there.
    const u32 first = Laid();
    MoveTo(Pose(0.0f, 1.2f, 0.0f));
    EXPECT_GT(Laid(), first);
    EXPECT_NEAR(Extent()[3], 2.4f, 1e-3f);
}

// A jump restarts the strip without a segment across the gap; a segment leaning past 60 degrees
// lays nothing.
TEST_F(TrackDecalTest, AJumpRestartsTheStripAndASegmentLeaningPastSixtyDegreesLaysNothing)
{
    MoveTo(Pose(0.0f, 5.1f, 0.0f));
    EXPECT_EQ(Laid(), 0u);
    MoveTo(Pose(0.0f, 5.7f, 0.0f));
    EXPECT_NEAR(Extent()[0], 4.95f, 1e-3f);
    EXPECT_NEAR(Extent()[1], 5.55f, 1e-3f);
    const u32 laid = Laid();
    MoveTo(Pose(0.0f, 0.0f, 0.0f, 61.0f));
    MoveTo(Pose(0.0f, 0.6f, 0.0f, 61.0f));
    EXPECT_EQ(Laid(), laid);
    MoveTo(Pose(0.0f, 1.2f, 0.0f, 59.0f));
    MoveTo(Pose(0.0f, 1.8f, 0.0f, 59.0f));
    EXPECT_GT(Laid(), laid);
}
