#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "testanimation.h"
#include "translation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// A small rig: bone 0 the root at the origin, bones 1 and 2 a chain of unit steps along x
// from it, bone 3 a second root at (1, 2, 0). The skeleton hangs on a node of its own.
class SkeletonTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
        m_pNode = g_pNodeManager->CreateNode("skeleton_node");
        m_pNode->AddObject(&skeleton);
        data.m_nBoneCount = 4;
        const i16 parents[4] = {-1, 0, 1, -1};
        const TMatrix rests[4] = {TMatrix(1.0f), Translation(1, 0, 0), Translation(1, 0, 0), Translation(1, 2, 0)};
        for (int b = 0; b < 4; ++b)
        {
            data.aBone[b].nParent = parents[b];
            data.aBone[b].Bind = TMatrix(1.0f);
            data.aBone[b].Rest = rests[b];
            skeleton.aRestKey[b] = Key(rests[b].aRow[3].x, rests[b].aRow[3].y, 0.0f);
        }
        pose.m_nBoneCount = 4;
        pose.pSkeleton = &skeleton;
        skeleton.pSkeletonData = &data;
        skeleton.pSkeletonPose = &pose;
    }
    void TearDown() override
    {
        g_pSkeletonManager->Skeletons().Free();
        m_pNode->DeleteObject(&skeleton);
        pose.Unload();
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    void Evaluate() { TSkeletonManager::EvaluateSkeleton(&skeleton); }
    const TMatrix& World(int bone) const { return pose.m_pWorking[bone]; }

    void Instruction(u8 operation, u8 destination, u8 a, u8 b, f32 factor = 0.0f)
    {
        skeleton.Function.aInstruction[skeleton.Function.nInstructionCount++] = {operation, destination, a, b, factor};
    }

    TNode* m_pNode = nullptr;
    TSkeletonData data;
    TSkeletonPose pose;
    TSkeleton skeleton;
};

constexpr u8 R(u8 index)
{
    return static_cast<u8>(BLEND_OPERAND_REGISTER + index);
}
} // namespace

// Mixes, copies and sums of two animations' samples through the registers; a bone no track
// drives shows its rest matrix, or with the first data's flag its previous one.
TEST_F(SkeletonTest, BlendProgramMixesAnimationsPerBone)
{
    TTestAnimation a(1, {Key(2, 0, 0), Key(2, 0, 0)});
    TTestAnimation b(1, {Key(4, 0, 0, AboutZ(90)), Key(4, 0, 0, AboutZ(90))});
    a.animation.aBoneMap[1] = 0;
    b.animation.aBoneMap[1] = 0;
    a.data.m_RootKey = Key(0, 0, 7);
    skeleton.Function.aAnimation[0] = &a.animation;
    skeleton.Function.aAnimation[1] = &b.animation;

    Instruction(BLEND_MIX, 0, 0, 1, 0.25f);
    Evaluate();
    EXPECT_TRUE(a.data.IsLoaded());
    const TMatrix quarter = World(1);
    ExpectRow(quarter.aRow[3], 2.5f, 0, 0, "mixed position");
    ExpectRow(quarter.aRow[0], std::cos(22.5f * 3.14159265f / 180.0f), std::sin(22.5f * 3.14159265f / 180.0f), 0,
              "mixed rotation");
    ExpectRow(pose.m_pWorkingPrevious[2].aRow[3], 1, 0, 0, "an undriven bone keeps its rest matrix");
    // The root key blends the animations' root keys.
    EXPECT_FLOAT_EQ(5.25f, pose.m_RootKey.aPosition[2]);

    skeleton.Function.aInstruction[0].fFactor = 0.0f;
    Evaluate();
    ExpectRow(World(1).aRow[3], 2, 0, 0, "factor 0 is A");
    ExpectRow(World(1).aRow[0], 1, 0, 0, "factor 0 is A's rotation");
    skeleton.Function.aInstruction[0].fFactor = 1.0f;
    Evaluate();
    ExpectRow(World(1).aRow[3], 4, 0, 0, "factor 1 is B");
    ExpectRow(World(1).aRow[0], 0, 1, 0, "factor 1 is B's rotation");

    // Register 3 = A, register 3 += B, bone = A + register 3: position 2 + 2 + 4. A bone
    // without a track ends at the first operand, so the root is not driven.
    skeleton.Function.nInstructionCount = 0;
    Instruction(BLEND_COPY, 3, 0, BLEND_OPERAND_NONE);
    Instruction(BLEND_ACCUMULATE, 3, 1, BLEND_OPERAND_NONE);
    Instruction(BLEND_ADD, 0, 0, R(3));
    Evaluate();
    ExpectRow(World(1).aRow[3], 8, 0, 0, "sum position");

    // A register not written yet reads as the zero key: zero + A, then A + that.
    skeleton.Function.nInstructionCount = 0;
    Instruction(BLEND_ACCUMULATE, 2, 0, BLEND_OPERAND_NONE);
    Instruction(BLEND_ADD, 0, 0, R(2));
    Evaluate();
    ExpectRow(World(1).aRow[3], 4, 0, 0, "zero + A + A");

    // Bone 2 without a track: its rest matrix, or with the flag the previous local matrix.
    skeleton.Function.nInstructionCount = 0;
    Instruction(BLEND_COPY, 0, 0, BLEND_OPERAND_NONE);
    pose.m_pWorkingPrevious[2] = Translation(0, 5, 0);
    Evaluate();
    ExpectRow(World(2).aRow[3], 3, 0, 0, "rest");
    a.data.m_nFlags = ANIMATION_KEEP_UNDRIVEN;
    pose.m_pWorkingPrevious[2] = Translation(0, 5, 0);
    Evaluate();
    ExpectRow(World(2).aRow[3], 2, 5, 0, "previous");
    // A previous matrix that is exactly the identity gives way to the rest matrix.
    pose.m_pWorkingPrevious[2] = TMatrix(1.0f);
    Evaluate();
    ExpectRow(World(2).aRow[3], 3, 0, 0, "identity previous");
}

// The frame update publishes each pose by one swap of its pairs; fixed-rate skeletons are
// evaluated only in the fixed-rate update; linked nodes follow the published bones.
TEST_F(SkeletonTest, ManagerSwapsOncePerFrameAndPlacesNodes)
{
    TNode* follower = g_pNodeManager->CreateNode("follower");
    skeleton.aLinkedNode[0] = {2, follower};
    skeleton.m_nLinkedNodeCount = 1;
    g_pSkeletonManager->Skeletons().Add(&skeleton);

    g_pSkeletonManager->UpdateManager(0.0f);
    const TMatrix* published = pose.m_pPublished;
    const TMatrix* working = pose.m_pWorking;
    ExpectRow(published[2].aRow[3], 2, 0, 0, "published after the frame");
    ExpectRow(follower->GetLocalMatrix().aRow[3], 2, 0, 0, "follower");
    g_pSkeletonManager->UpdateManager(0.0f);
    EXPECT_EQ(working, pose.m_pPublished);
    EXPECT_EQ(published, pose.m_pWorking);
    g_pSkeletonManager->UpdateManager(0.0f);
    EXPECT_EQ(published, pose.m_pPublished);

    // In world space the follower is placed under its parent through the skeleton's node.
    TNode* parent = g_pNodeManager->CreateNode("parent");
    parent->SetLocalMatrix(Translation(0, 0, 3), TNode::OrdinaryCause());
    parent->AddChild(follower);
    m_pNode->SetLocalMatrix(Translation(10, 0, 0), TNode::OrdinaryCause());
    skeleton.m_nFlags = SKELETON_NODES_IN_WORLD;
    g_pSkeletonManager->UpdateManager(0.0f);
    ExpectRow(follower->GetLocalMatrix().aRow[3], 12, 0, -3, "follower local");
    ExpectRow(follower->GetWorldMatrix()->aRow[3], 12, 0, 0, "follower world");

    // Fixed rate: the frame update only publishes what the fixed-rate update evaluated.
    skeleton.m_nFlags = SKELETON_FIXED_RATE;
    data.aBone[2].Rest = Translation(0, 4, 0);
    g_pSkeletonManager->UpdateManager(0.0f);
    g_pSkeletonManager->UpdateManager(0.0f);
    ExpectRow(pose.m_pPublished[2].aRow[3], 2, 0, 0, "not evaluated in the frame");
    g_pSkeletonManager->ThreadUpdateManager(0.01f);
    g_pSkeletonManager->UpdateManager(0.0f);
    ExpectRow(pose.m_pPublished[2].aRow[3], 1, 4, 0, "evaluated at the fixed rate");

    // A disabled node stops the updates, unless flag 32.
    skeleton.m_nFlags = 0;
    data.aBone[2].Rest = Translation(0, 6, 0);
    m_pNode->Enable(0, 0);
    const TMatrix* before = pose.m_pPublished;
    g_pSkeletonManager->UpdateManager(0.0f);
    EXPECT_EQ(before, pose.m_pPublished);
    skeleton.m_nFlags = SKELETON_UPDATE_DISABLED;
    g_pSkeletonManager->UpdateManager(0.0f);
    ExpectRow(pose.m_pPublished[2].aRow[3], 1, 6, 0, "updated while disabled");
    skeleton.m_nFlags = SKELETON_NOT_UPDATED | SKELETON_UPDATE_DISABLED;
    before = pose.m_pPublished;
    g_pSkeletonManager->UpdateManager(0.0f);
    EXPECT_EQ(before, pose.m_pPublished);
}

// Stored counts beyond the fixed tables are cut to the tables when loaded.
TEST_F(SkeletonTest, LoadedCountsBeyondTheTablesAreRefused)
{
    TSkeletonPose loaded;
    loaded.m_nBoneCount = 61;
    loaded.m_nConstraintCount = 41;
    loaded.m_pBlock = reinterpret_cast<TMatrix*>(16); // the writer's word
    g_pSkeletonManager->Poses().Add(&loaded);
    g_pSkeletonManager->SetArray(SkeletonPoseDecl().GetTypeId(), nullptr, 1);
    EXPECT_EQ(60, loaded.m_nBoneCount);
    EXPECT_EQ(40, loaded.m_nConstraintCount);
    EXPECT_EQ(nullptr, loaded.m_pBlock);

    skeleton.m_nLinkedNodeCount = 41;
    skeleton.Function.nInstructionCount = 9;
    g_pSkeletonManager->Skeletons().Add(&skeleton);
    g_pSkeletonManager->SetArray(SkeletonDecl().GetTypeId(), nullptr, 1);
    EXPECT_EQ(40, skeleton.m_nLinkedNodeCount);
    EXPECT_EQ(8u, skeleton.Function.nInstructionCount);
    g_pSkeletonManager->Poses().Free();
}

// The fixed-rate update may run on a worker: it loads nothing, and the frame update loads the
// pose and the program's animations for it.
TEST_F(SkeletonTest, FixedRateEvaluationLoadsNothing)
{
    TTestAnimation a(1, {Key(2, 0, 0), Key(2, 0, 0)});
    a.animation.aBoneMap[1] = 0;
    skeleton.Function.aAnimation[0] = &a.animation;
    Instruction(BLEND_COPY, 0, 0, BLEND_OPERAND_NONE);
    skeleton.m_nFlags = SKELETON_FIXED_RATE;
    g_pSkeletonManager->Skeletons().Add(&skeleton);

    g_pSkeletonManager->ThreadUpdateManager(0.01f);
    EXPECT_FALSE(pose.IsLoaded());
    EXPECT_FALSE(a.data.IsLoaded());
    g_pSkeletonManager->UpdateManager(0.0f);
    EXPECT_TRUE(pose.IsLoaded());
    EXPECT_TRUE(a.data.IsLoaded());
    g_pSkeletonManager->ThreadUpdateManager(0.01f);
    g_pSkeletonManager->UpdateManager(0.0f);
    ExpectRow(pose.m_pPublished[1].aRow[3], 2, 0, 0, "animated at the fixed rate");
}
