// Track decals: the stored record's links; on a collision ground, when segments are laid
// (distance, turn, jumps) and a segment leaning too far.
#include "collisionfixture.h"

#include "core/math/half.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/trackdecal.h"
#include "support/declaredlinks.h"

#include <algorithm>
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

void PutAtlas(TDecalData& data, u32 entry, f32 start, f32 end, std::initializer_list<f32> materials)
{
    u8* at = reinterpret_cast<u8*>(&data) + entry * 100;
    std::memcpy(at + 28, &start, 4);
    std::memcpy(at + 36, &end, 4);
    u32 k = 0;
    for (f32 m : materials)
        std::memcpy(at + 92 + 4 * k++, &m, 4);
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
        PutAtlas(m_Data, 2, 0.25f, 0.5f, {});
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
    // The smallest and largest z and along-strip coordinate of what the pool holds.
    void Extent(f32& low, f32& high, f32& alongLow, f32& alongHigh) const
    {
        low = alongLow = 1e9f;
        high = alongHigh = -1e9f;
        for (u32 i = 0; i < Laid(); ++i)
        {
            const TDecalVertex& v = Pool()->GetVertices()[i];
            low = std::min(low, v.aPosition[2]);
            high = std::max(high, v.aPosition[2]);
            alongLow = std::min(alongLow, v.aTexCoord[0]);
            alongHigh = std::max(alongHigh, v.aTexCoord[0]);
        }
    }

    TNxCollisionMesh* m_pGround = nullptr;
    TDecalData m_Data{};
    TDecal m_Decal{};
    TTrackDecal m_Track;
    TNode* m_pWheel = nullptr;
};
} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
TEST(TrackDecalRecord, EveryDeclaredLinkIsTheMemberItNames)
{
    ExpectDeclaredLinks(TrackDecalDecl(), {LINK(TTrackDecal, pNode), LINK(TTrackDecal, pDecal)});
}
#pragma GCC diagnostic pop

TEST_F(TrackDecalTest, ShortMovesAndSmallTurnsLayNothingALongerMoveOneSegment)
{
    MoveTo(Pose(0.0f, 0.4f, 3.0f));
    EXPECT_EQ(Laid(), 0u);
    MoveTo(Pose(0.0f, 0.6f, 0.0f));
    ASSERT_GT(Laid(), 0u);
    EXPECT_EQ(Laid() % 3, 0u);
    // Forwards: between the two back edges (z -0.15 and 0.45), lifted off the ground, the
    // segment's frame and the track's colour in every vertex.
    f32 low, high, alongLow, alongHigh;
    Extent(low, high, alongLow, alongHigh);
    EXPECT_NEAR(low, -0.15f, 1e-3f);
    EXPECT_NEAR(high, 0.45f, 1e-3f);
    const TDecalVertex& v = Pool()->GetVertices()[0];
    EXPECT_FLOAT_EQ(v.aPosition[1], DECAL_LIFT);
    EXPECT_EQ(std::vector<u16>({v.aUp[1], v.aTangent[0], v.aThird[2], v.aThird[3]}),
              std::vector<u16>({FloatToHalf(1.0f), FloatToHalf(-1.0f), FloatToHalf(1.0f), FloatToHalf(0.0f)}));
    EXPECT_EQ(v.nColour, 0xFFFF0000u);
    EXPECT_EQ(v.aOne[0], 1.0f);
    // Across: the atlas entry's column, 0.25 to 0.5.
    for (u32 i = 0; i < Laid(); ++i)
    {
        EXPECT_GE(Pool()->GetVertices()[i].aTexCoord[1], 0.25f - 1e-4f);
        EXPECT_LE(Pool()->GetVertices()[i].aTexCoord[1], 0.5f + 1e-4f);
    }
    // Along: 0 to the segment's length 0.6, times the V scale 2.
    EXPECT_NEAR(alongLow, 0.0f, 1e-3f);
    EXPECT_NEAR(alongHigh, 1.2f, 1e-3f);

    // The next segment goes on from there.
    const u32 first = Laid();
    MoveTo(Pose(0.0f, 1.2f, 0.0f));
    EXPECT_GT(Laid(), first);
    f32 z0, z1, a0, a1;
    Extent(z0, z1, a0, a1);
    EXPECT_NEAR(a1, 2.4f, 1e-3f);
}

// A jump restarts the strip without a segment across the gap; a segment leaning past 60 degrees
// lays nothing.
TEST_F(TrackDecalTest, AJumpRestartsTheStripAndASegmentLeaningPastSixtyDegreesLaysNothing)
{
    MoveTo(Pose(0.0f, 5.1f, 0.0f));
    EXPECT_EQ(Laid(), 0u);
    MoveTo(Pose(0.0f, 5.7f, 0.0f));
    f32 low, high, alongLow, alongHigh;
    Extent(low, high, alongLow, alongHigh);
    EXPECT_NEAR(low, 4.95f, 1e-3f);
    EXPECT_NEAR(high, 5.55f, 1e-3f);
    const u32 laid = Laid();
    MoveTo(Pose(0.0f, 0.0f, 0.0f, 61.0f));
    MoveTo(Pose(0.0f, 0.6f, 0.0f, 61.0f));
    EXPECT_EQ(Laid(), laid);
    MoveTo(Pose(0.0f, 1.2f, 0.0f, 59.0f));
    MoveTo(Pose(0.0f, 1.8f, 0.0f, 59.0f));
    EXPECT_GT(Laid(), laid);
}
