#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "engine/render/camera.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/scenetypes.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{
// Holds a block of records of every scene type that no manager of this program owns yet.
class TRecords : public TClusterManager
{
public:
    TRecords()
    {
        u32 count = 0;
        const TClusterTypeDecl* const* decls = SceneTypeDecls(count);
        for (u32 i = 0; i < count; ++i)
        {
            const u32 type = decls[i]->GetTypeId();
            if (g_pCluster->GetArrayManager(type))
                continue;
            m_Decl[type] = decls[i];
            RegisterArray(decls[i], &m_Holder[type]);
        }
    }

    std::map<u32, const TClusterTypeDecl*> m_Decl;
    std::map<u32, DArray<void*>> m_Holder;
};

TRecords& Records()
{
    static TRecords s_Records;
    return s_Records;
}

u32 Word(const u8* at)
{
    u32 word;
    std::memcpy(&word, at, 4);
    return word;
}

class SceneTypesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Records();
        g_pCluster->LinkTypes();
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
    }
    void TearDown() override { g_pCluster->Clear(); }

    // The nodes, and the test's records if asked for, saved as a repository writer saves them.
    static std::vector<u8> SaveNodes(bool withRecords)
    {
        g_pNodeManager->PackLinks();
        TClusterManager* managers[TNodeManager::SAVED_MANAGER_COUNT + 1];
        g_pNodeManager->GetSavedManagers(managers);
        managers[TNodeManager::SAVED_MANAGER_COUNT] = &Records();
        TMemoryStream stream;
        EXPECT_EQ(0, g_pCluster->SaveToStream(stream, managers, TNodeManager::SAVED_MANAGER_COUNT + withRecords));
        return std::vector<u8>(stream.GetData(), stream.GetData() + stream.GetSize());
    }
};

// Where object i of the image's array of the type starts.
u32 ImageObject(const std::vector<u8>& image, u32 type, u32 i)
{
    const u32 arrays = Word(image.data() + 12);
    u32 at = 20 + 8 * arrays;
    for (u32 j = 0; j < arrays; ++j)
    {
        const u32 count = Word(image.data() + 20 + 8 * j);
        const u32 stored = Word(image.data() + 24 + 8 * j);
        const u32 size = g_pCluster->GetSlot(stored).pDecl->GetObjectSize();
        if (stored == type)
            return at + i * size;
        at += count * size;
    }
    ADD_FAILURE() << "no array of type " << type;
    return 0;
}

void SetWord(std::vector<u8>& image, u32 at, u32 word)
{
    std::memcpy(image.data() + at, &word, 4);
}
} // namespace

// Stored trees that cannot hold are cut at the load, each with a line: a parent chain that is a
// cycle (the update would never end), a node claiming more objects than its slots, and child
// links whose run reaches past the end of their array.
TEST_F(SceneTypesTest, StoredNodeTreesThatCannotHoldAreCut)
{
    TNode* root = g_pNodeManager->CreateNode("root");
    TNode* a = g_pNodeManager->CreateNode("a");
    g_pNodeManager->CreateNode("x");
    g_pNodeManager->CreateNode("y");
    root->AddChild(a);
    std::vector<u8> image = SaveNodes(false);
    // The stored index of each node.
    auto index = [&](const char* name) {
        for (u32 i = 0; i < 4; ++i)
            if (Word(image.data() + ImageObject(image, NODE_TYPE_ID, i) + offsetof(TNode, m_Name)) ==
                TName(name).GetId())
                return i;
        ADD_FAILURE() << name;
        return 0u;
    };
    auto node = [&](const char* name) { return ImageObject(image, NODE_TYPE_ID, index(name)); };
    SetWord(image, node("x") + offsetof(TNode, pParent), index("y") * sizeof(TNode));
    SetWord(image, node("y") + offsetof(TNode, pParent), index("x") * sizeof(TNode));
    SetWord(image, node("a") + offsetof(TNode, m_nObjectCount), NODE_OBJECT_CAPACITY + 1);
    // The root's one child link is the whole array: a count of two reaches past it.
    SetWord(image, node("root") + offsetof(TNode, aChild) + 4, 2);

    TScratchWorkingFolder folder{"scenetypes"};
    const auto saw = [&](const char* text) { return folder.SystemLog().find(text) != std::string::npos; };
    ASSERT_EQ(0, g_pCluster->Load(image.data(), static_cast<u32>(image.size()), 0));
    g_pNodeManager->OnClusterLoad();
    EXPECT_TRUE(saw("node 'root': child links outside their array dropped"));
    EXPECT_EQ(0, g_pNodeManager->FindNode(TName("root").GetId())->GetChildCount());
    EXPECT_TRUE(saw("node 'a': 8 objects: cut to 7"));
    EXPECT_LE(g_pNodeManager->FindNode(TName("a").GetId())->GetObjectCount(), NODE_OBJECT_CAPACITY);
    EXPECT_TRUE(saw("parent chain is a cycle: made a root"));
    for (const char* name : {"x", "y"})
    {
        int steps = 0;
        for (const TNode* up = g_pNodeManager->FindNode(TName(name).GetId()); up && steps < 10; up = up->GetParent())
            ++steps;
        EXPECT_LT(steps, 10) << name << "'s parents still go round";
    }
    g_pNodeManager->OnClusterUnload();
    g_pCluster->Clear();
}

// Stored node-object links that do not hold together are cut, never followed.
TEST_F(SceneTypesTest, LoadedLinksThatDoNotLeadBackAreCut)
{
    DArray<void*>& holder = Records().m_Holder[48];
    std::vector<u8> block(sizeof(TCamera));
    auto* camera = new (block.data()) TCamera();
    holder.SetCount(1);
    holder[0] = camera;
    TNode* lister = g_pNodeManager->CreateNode("lister");
    TNode* other = g_pNodeManager->CreateNode("other");
    TNode* child = g_pNodeManager->CreateNode("child");
    lister->AddChild(child);
    lister->AddObject(camera);
    // The camera names another node; that one's child names a node that is not its child.
    camera->pNode = other;
    other->aChild.Add({child});
    // Loaded from a copy with the node manager's load checks.
    std::vector<u8> copy = SaveNodes(true);
    camera->pNode = nullptr;
    ASSERT_EQ(0, g_pCluster->Load(copy.data(), static_cast<u32>(copy.size()), 0));
    g_pNodeManager->OnClusterLoad();
    TNode* lLister = g_pNodeManager->FindNode(TName("lister").GetId());
    TNode* lOther = g_pNodeManager->FindNode(TName("other").GetId());
    auto* lCamera = static_cast<TCamera*>(holder[0]);
    EXPECT_EQ(0u, lLister->GetObjectCount());
    EXPECT_EQ(nullptr, lCamera->pNode);
    EXPECT_EQ(0, lOther->GetChildCount());
    EXPECT_EQ(1, lLister->GetChildCount());
    g_pCluster->Clear();
    holder.Free();
}

