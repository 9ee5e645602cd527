#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/nodeobject.h"
#include "translation.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Records what its node tells it.
class TProbe : public TNodeObject
{
public:
    explicit TProbe(u32 kind = 0) { m_nClassName = kind; }
    void OnNodeUpdate(const TName* cause) override { aCause.push_back(cause->GetId()); }

    std::vector<u32> aCause;
};

class NodeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // Objects attach only once the manager system's initialize phase has opened.
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
    }
    void TearDown() override
    {
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    TNode* Node(const char* name) { return g_pNodeManager->CreateNode(name); }
};
} // namespace

TEST_F(NodeTest, WorldMatricesFollowParentsThroughMovesAndReparenting)
{
    TNode* a = Node("a");
    TNode* b = Node("b");
    TNode* child = Node("child");
    a->SetLocalMatrix(Translation(10, 0, 0), TNode::OrdinaryCause());
    b->SetLocalMatrix(TMatrix::RotationY(90.0f), TNode::OrdinaryCause());
    child->SetLocalMatrix(Translation(1, 2, 3), TNode::OrdinaryCause());

    a->AddChild(child);
    EXPECT_EQ(a, child->GetParent());
    ExpectRow(child->GetWorldMatrix()->aRow[3], 11, 2, 3);

    // The parent moves: the child's world placement follows, its local one stays.
    a->SetLocalMatrix(Translation(0, 5, 0), TNode::OrdinaryCause());
    ExpectRow(child->GetWorldMatrix()->aRow[3], 1, 7, 3);
    ExpectRow(child->GetLocalMatrix().aRow[3], 1, 2, 3);

    // Re-parented under a rotation of 90 degrees about y: the local offset turns with it.
    b->AddChild(child);
    EXPECT_EQ(0, a->GetChildCount());
    EXPECT_EQ(1, b->GetChildCount());
    const TMatrix expected = TMatrix::Multiply(Translation(1, 2, 3), TMatrix::RotationY(90.0f));
    ExpectRow(child->GetWorldMatrix()->aRow[3], expected.aRow[3].x, expected.aRow[3].y, expected.aRow[3].z);

    // A world matrix set on the child becomes its local one through the parent's inverse.
    child->SetWorldMatrix(Translation(4, 4, 4), TNode::OrdinaryCause());
    ExpectRow(child->GetWorldMatrix()->aRow[3], 4, 4, 4);
    const TMatrix back = TMatrix::Multiply(child->GetLocalMatrix(), *b->GetWorldMatrix());
    ExpectRow(back.aRow[3], 4, 4, 4);
}

TEST_F(NodeTest, DeferredNodesNotifyOncePerUpdateAndIgnoredCausesNotAtAll)
{
    TNode* parent = Node("parent");
    TNode* node = Node("deferred");
    parent->AddChild(node);
    node->m_nFlags |= NODE_DEFERRED;
    TProbe probe;
    node->AddObject(&probe);

    node->SetLocalMatrix(Translation(1, 0, 0), TNode::OrdinaryCause());
    node->SetLocalMatrix(Translation(5, 0, 0), TNode::OrdinaryCause());
    EXPECT_TRUE(probe.aCause.empty());
    g_pNodeManager->UpdateManager(0.016f);
    EXPECT_EQ(std::vector<u32>{0}, probe.aCause);
    g_pNodeManager->UpdateManager(0.016f);
    EXPECT_EQ(1u, probe.aCause.size());
    // Moved itself and through its parent: still once.
    parent->SetLocalMatrix(Translation(0, 1, 0), TNode::OrdinaryCause());
    node->SetLocalMatrix(Translation(2, 0, 0), TNode::OrdinaryCause());
    g_pNodeManager->UpdateManager(0.016f);
    EXPECT_EQ(2u, probe.aCause.size());

    // Ignored: the matrices change, nothing is queued or told.
    parent->SetLocalMatrix(Translation(0, 9, 0), &g_NameIgnoreNodeObjectUpdate);
    ExpectRow(node->GetWorldMatrix()->aRow[3], 2, 9, 0);
    EXPECT_EQ(nullptr, g_pNodeManager->GetFirstDeferred());
    g_pNodeManager->UpdateManager(0.016f);
    EXPECT_EQ(2u, probe.aCause.size());

    // Without the deferred bit the objects hear at once, with the cause.
    node->m_nFlags &= ~NODE_DEFERRED;
    node->SetLocalMatrix(Translation(3, 0, 0), &g_NodeForceUpdate);
    EXPECT_EQ((std::vector<u32>{0, 0, g_NodeForceUpdate.GetId()}), probe.aCause);
    node->DeleteObject(&probe);
}

TEST_F(NodeTest, ObjectsAttachDetachAndAreFoundBySlotOrder)
{
    TNode* a = Node("a");
    TNode* b = Node("b");
    TProbe first(7), second(7), other(9);
    EXPECT_EQ(nullptr, a->FindObject(7));
    a->AddObject(&other);
    a->AddObject(&first);
    a->AddObject(&second);
    EXPECT_EQ(&first, a->FindObject(7));
    // Attaching elsewhere detaches first; the last object takes the freed slot.
    b->AddObject(&first);
    EXPECT_EQ(2u, a->GetObjectCount());
    EXPECT_EQ(&second, a->GetObject(1));
    EXPECT_EQ(b, first.GetNode());
    b->DeleteObject(&first);
    EXPECT_EQ(&TNode::Empty(), first.GetNode());
    EXPECT_FLOAT_EQ(1.0f, first.GetMatrix()->aRow[0].x);

    // An eighth object is refused; nothing is written past the table.
    std::vector<TProbe> more(6);
    for (TProbe& probe : more)
        a->AddObject(&probe);
    EXPECT_EQ(7u, a->GetObjectCount());
    EXPECT_EQ(1, a->AddObject(&first));
    EXPECT_EQ(nullptr, first.pNode);
    EXPECT_EQ(7u, a->GetObjectCount());
    // A destroyed object leaves its node.
    {
        TProbe shortLived;
        b->AddObject(&shortLived);
    }
    EXPECT_EQ(0u, b->GetObjectCount());
    while (a->GetObjectCount())
        a->DeleteObject(a->GetObject(0));
}

TEST_F(NodeTest, ReparentingRefusesCyclesAndPathsJoinNames)
{
    TNode* root = Node("level");
    TNode* mid = Node("gate");
    TNode* leaf = Node("door");
    root->AddChild(mid);
    mid->AddChild(leaf);
    EXPECT_STREQ("level/gate/door", leaf->GetPath());
    leaf->AddChild(root);
    EXPECT_EQ(nullptr, root->GetParent());
    EXPECT_EQ(0, leaf->GetChildCount());
    EXPECT_EQ(1u, leaf->HasAncestor(root));
    EXPECT_EQ(0u, root->HasAncestor(leaf));
    EXPECT_EQ(mid, g_pNodeManager->FindNode(TName("gate").GetId()));
    EXPECT_EQ(root, g_pNodeManager->GetRoot());

    // The first child link replaced: the old child loses its parent.
    TNode* other = Node("other");
    root->ReplaceFirstChild(other);
    EXPECT_EQ(root, other->GetParent());
    EXPECT_EQ(nullptr, mid->GetParent());
    EXPECT_EQ(1, root->GetChildCount());
}
