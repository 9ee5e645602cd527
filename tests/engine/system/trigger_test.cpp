#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"
#include "engine/system/triggermanager.h"
#include "recordingscript.h"
#include "translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using TJournal = std::vector<std::string>;

class TRecordingGeometry : public TTriggerGeometry
{
public:
    explicit TRecordingGeometry(TJournal* journal) : m_pJournal(journal) {}
    void OnEnter(TTriggerActor*) override { m_pJournal->push_back("OnEnter"); }
    void OnExit(TTriggerActor*) override { m_pJournal->push_back("OnExit"); }

private:
    TJournal* m_pJournal;
};

// A sphere of radius 1 at (10, 0, 0) and an actor of index 3 at the origin, each on its node.
class TriggerTest : public testing::Test
{
protected:
    TriggerTest()
        : volume(&journal), actorEnter("actor enter", &journal), actorExit("actor exit", &journal),
          volumeEnter("volume enter", &journal), volumeExit("volume exit", &journal)
    {
    }

    void SetUp() override
    {
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
        m_pVolumeNode = g_pNodeManager->CreateNode("volume");
        m_pActorNode = g_pNodeManager->CreateNode("actor");
        m_pVolumeNode->AddObject(&volume);
        m_pActorNode->AddObject(&actor);
        volume.m_Bounds.minimum = TVector(-1, -1, -1, 1);
        volume.m_Bounds.maximum = TVector(1, 1, 1, 1);
        volume.m_Bounds.Update();
        volume.pScriptOnEnter = &volumeEnter;
        volume.pScriptOnExit = &volumeExit;
        actor.m_nIndex = 3;
        actor.pScriptOnEnter = &actorEnter;
        actor.pScriptOnExit = &actorExit;
        link.pGeometry = &volume;
        g_pTriggerManager->Geometries().Add(&volume);
        g_pTriggerManager->Links().Add(&link);
        g_pTriggerManager->Actors().Add(&actor);
        Move(m_pVolumeNode, Translation(10, 0, 0));
        journal.clear();
    }
    void TearDown() override
    {
        m_pVolumeNode->DeleteObject(&volume);
        m_pActorNode->DeleteObject(&actor);
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    // Nodes tell their objects at the node manager's update.
    void Move(TNode* node, const TMatrix& matrix)
    {
        node->SetLocalMatrix(matrix, TNode::OrdinaryCause());
        g_pNodeManager->UpdateManager(0.0f);
    }
    void MoveActor(f32 x, f32 y, f32 z) { Move(m_pActorNode, Translation(x, y, z)); }
    u32 Inside() const { return volume.m_nInsideMask; }

    TJournal journal;
    TRecordingGeometry volume;
    TTriggerActor actor;
    TTriggerGeometryLink link;
    TRecordingScript actorEnter, actorExit, volumeEnter, volumeExit;
    TNode* m_pVolumeNode = nullptr;
    TNode* m_pActorNode = nullptr;
};

const TJournal kEnter = {"OnEnter", "actor enter", "volume enter"};
const TJournal kExit = {"OnExit", "actor exit", "volume exit"};
} // namespace

TEST_F(TriggerTest, SweptActorEntersLeavesAndPassesThroughInOneStep)
{
    MoveActor(20, 0, 0);
    EXPECT_EQ((TJournal{"OnEnter", "OnExit", "actor enter", "volume enter", "actor exit", "volume exit"}), journal);
    EXPECT_EQ(0u, Inside());
    // Each script gets the actor and the volume as objects.
    EXPECT_EQ(VALUE_COLOUR, volumeEnter.aRunArgument[0].first.nType);
    EXPECT_EQ(VALUE_COLOUR, volumeEnter.aRunArgument[0].second.nType);

    journal.clear();
    MoveActor(10, 0.5f, 0);
    EXPECT_EQ(kEnter, journal);
    EXPECT_EQ(1u << 3, Inside());
    journal.clear();
    MoveActor(10, 0.6f, 0);
    MoveActor(10, 0.6f + 5e-6f, 0);
    EXPECT_TRUE(journal.empty());
    MoveActor(30, 0, 0);
    EXPECT_EQ(kExit, journal);
    EXPECT_EQ(0u, Inside());
    // A move that passes beside the sphere fires nothing.
    journal.clear();
    MoveActor(0, 3, 0);
    EXPECT_TRUE(journal.empty());
    MoveActor(20, 1.5f, 0);
    EXPECT_TRUE(journal.empty());
}

// Indices outside 0 to 31 have no bit in the masks: such actors take no part.
TEST_F(TriggerTest, ActorsWithoutAMaskBitAreIgnored)
{
    for (i32 index : {-1, 32, 1000})
    {
        actor.m_nIndex = index;
        MoveActor(20, 0, 0);
        MoveActor(10, 0, 0);
        g_pTriggerManager->_TestActor(&actor, TVector(10, 0, 0, 1));
        EXPECT_TRUE(journal.empty()) << index;
        EXPECT_EQ(0u, Inside()) << index;
    }
}

// A loaded link may name any stored object: one that is not a volume is cut.
TEST_F(TriggerTest, LoadedLinksToOtherObjectsAreCut)
{
    TTriggerGeometryLink stray;
    stray.pGeometry = reinterpret_cast<TTriggerGeometry*>(&actor);
    g_pTriggerManager->Links().Add(&stray);
    g_pTriggerManager->OnClusterLoad();
    EXPECT_EQ(nullptr, stray.pGeometry);
    EXPECT_EQ(&volume, link.pGeometry);
    MoveActor(20, 0, 0);
    EXPECT_EQ(6u, journal.size());
}
