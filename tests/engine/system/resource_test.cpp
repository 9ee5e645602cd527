#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "engine/system/managermanager.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// Loads at once unless told to fail.
class TTestResource : public TResource
{
public:
    i32 Load() override
    {
        ++nLoads;
        if (bFail)
        {
            SetLoaded(0, 0);
            return 1;
        }
        return TResource::Load();
    }
    i32 Release() override
    {
        ++nReleased;
        return 0;
    }
    bool bFail = false;
    int nReleased = 0;
    int nLoads = 0;
};

class ResourceTest : public testing::Test
{
protected:
    void SetUp() override { g_ManagerManager.Initialize(); }
    void TearDown() override { g_pResourceManager->UnloadAll(); }

    bool Listed(const TResource& resource) const
    {
        return resource.m_nListIndex < g_pResourceManager->GetResourceCount() &&
               g_pResourceManager->GetResource(resource.m_nListIndex) == &resource;
    }
    static TResource* Loaded(i32 i)
    {
        return static_cast<TResource*>(reinterpret_cast<void**>(g_pCluster->GetSlot(RESOURCE_TYPE_ID).pData)[i]);
    }
};
} // namespace

TEST_F(ResourceTest, RequireLoadsWhatIsUsedAndUnloadCascades)
{
    TTestResource material, texture, shader, lonely;
    TResource::LinkTo(&material, &texture);
    TResource::LinkTo(&material, &shader);
    EXPECT_EQ(0u, lonely.Require());
    EXPECT_EQ(RESOURCE_LOADED, lonely.m_nState);

    EXPECT_EQ(0u, material.Require());
    for (TTestResource* r : {&material, &texture, &shader})
    {
        EXPECT_EQ(RESOURCE_LOADED, r->m_nState);
        EXPECT_TRUE(Listed(*r));
    }
    EXPECT_EQ(2, material.m_nReadyUses);
    EXPECT_EQ(1, texture.m_nHoldingUsers);

    // The texture goes: the material waits and lets go of the shader, which nobody holds.
    texture.Unload();
    EXPECT_EQ(RESOURCE_UNLOADED, texture.m_nState);
    EXPECT_EQ(RESOURCE_WAITING, material.m_nState);
    EXPECT_EQ(RESOURCE_UNLOADED, shader.m_nState);
    EXPECT_EQ(1, shader.nReleased);
    EXPECT_FALSE(Listed(texture));
    EXPECT_FALSE(Listed(shader));
    EXPECT_EQ(0, material.m_nReadyUses);

    // Asked again: everything comes back and the material is complete.
    EXPECT_EQ(0u, material.Require());
    EXPECT_EQ(RESOURCE_LOADED, material.m_nState);
    EXPECT_EQ(2, material.m_nReadyUses);

    // A use cycle does not recurse for ever: each waits for the other, and asking returns.
    TTestResource a, b;
    TResource::LinkTo(&a, &b);
    TResource::LinkTo(&b, &a);
    a.Require();
    b.Require();
    EXPECT_EQ(RESOURCE_WAITING, a.m_nState);
    a.Unload();
    b.Unload();
}

// Damaged data is refused once: the frames that go on asking for the resource do not load it
// (and log its fault) again, until it is unloaded with its cluster.
TEST_F(ResourceTest, AFailedLoadAnswersNotLoadedAndIsNotTriedAgainUntilUnloaded)
{
    TTestResource broken;
    broken.bFail = true;
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(1u, broken.Require());
    EXPECT_EQ(1, broken.nLoads);
    EXPECT_FALSE(broken.IsLoaded());
    EXPECT_TRUE(Listed(broken));
    g_pResourceManager->UnloadAll();
    EXPECT_EQ(RESOURCE_UNLOADED, broken.m_nState);
    EXPECT_FALSE(Listed(broken));
    broken.bFail = false;
    EXPECT_EQ(0u, broken.Require());
    EXPECT_EQ(2, broken.nLoads);
}

TEST_F(ResourceTest, AFullListRefusesTheResourceWithoutWritingPastIt)
{
    std::vector<TTestResource> resources(RESOURCE_LIST_CAPACITY + 1);
    for (TTestResource& r : resources)
        r.Require();
    EXPECT_EQ(RESOURCE_LIST_CAPACITY, g_pResourceManager->GetResourceCount());
    EXPECT_EQ(RESOURCE_NOT_LISTED, resources.back().m_nListIndex);
}

TEST_F(ResourceTest, LoadedResourcesStartUnloadedAndUnpairedLinksAreCut)
{
    g_pCluster->LinkTypes();
    g_pCluster->Clear();
    TResource* user = g_pResourceManager->CreateResource("user");
    TResource* used = g_pResourceManager->CreateResource("used");
    TResource* other = g_pResourceManager->CreateResource("other");
    TResource* sound = g_pResourceManager->CreateResource("sound");
    TResource::LinkTo(user, used);
    TResource::LinkTo(other, sound);
    user->m_nState = RESOURCE_LOADED;
    user->m_nListIndex = 4000;
    g_pResourceManager->PackLinks();
    // The second pair's back link names a wrong index.
    sound->aUsers[0].nIndex = 3;
    // Saved as a repository writer saves them, the running records changed, then loaded.
    TClusterManager* managers[TResourceManager::SAVED_MANAGER_COUNT];
    g_pResourceManager->GetSavedManagers(managers);
    TMemoryStream stream;
    ASSERT_EQ(0, g_pCluster->SaveToStream(stream, managers, TResourceManager::SAVED_MANAGER_COUNT));
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());
    user->m_nState = RESOURCE_UNLOADED;
    user->m_nListIndex = RESOURCE_NOT_LISTED;
    ASSERT_EQ(0, g_pCluster->Load(image.data(), static_cast<u32>(image.size()), 0));
    g_pResourceManager->OnClusterLoad();
    EXPECT_EQ(RESOURCE_UNLOADED, Loaded(0)->m_nState);
    EXPECT_EQ(RESOURCE_NOT_LISTED, Loaded(0)->m_nListIndex);
    EXPECT_FALSE(Loaded(0)->aUses.IsOwned());
    EXPECT_EQ(1, Loaded(0)->aUses.GetCount());
    EXPECT_EQ(0, Loaded(2)->aUses.GetCount());
    EXPECT_EQ(0, Loaded(3)->aUsers.GetCount());
    EXPECT_EQ(0u, Loaded(0)->Require());
    EXPECT_EQ(RESOURCE_LOADED, Loaded(1)->m_nState);
    // The records live in the copy: nothing may stay listed when it goes.
    g_pResourceManager->UnloadAll();
    g_pCluster->Clear();
}

// What a repository writer saves must not depend on where the records lie in memory: the links
// are packed in the order of the cluster's arrays, whatever the records' addresses.
TEST_F(ResourceTest, LinksArePackedInTheClusterOrderWhateverTheAddresses)
{
    g_pCluster->LinkTypes();
    g_pCluster->Clear();
    constexpr i32 kCount = 8;
    for (i32 i = 0; i < kCount; ++i)
        g_pResourceManager->CreateResource(("ordered " + std::to_string(i)).c_str());
    g_pCluster->RefreshSlots();
    const TClusterSlot& slot = g_pCluster->GetSlot(RESOURCE_TYPE_ID);
    ASSERT_EQ(CLUSTER_ARRAY_POINTERS, slot.nKind);
    ASSERT_EQ(static_cast<u32>(kCount), static_cast<u32>(slot.nSize) / slot.pDecl->GetObjectSize());
    auto** records = reinterpret_cast<TResource**>(slot.pData);
    // The array's order runs against the addresses.
    std::sort(records, records + kCount, [](TResource* a, TResource* b) { return a > b; });
    for (i32 i = 0; i + 1 < kCount; i += 2)
        TResource::LinkTo(records[i], records[i + 1]);
    g_pResourceManager->PackLinks();
    // Each record has one link (its use or its user), packed one after the other.
    const TResourceLink* last = nullptr;
    for (i32 i = 0; i < kCount; ++i)
    {
        TResource* record = records[i];
        ASSERT_EQ(1, record->aUses.GetCount() + record->aUsers.GetCount());
        const TResourceLink* link = record->aUses.GetCount() ? record->aUses.GetData() : record->aUsers.GetData();
        EXPECT_TRUE(!last || link == last + 1) << "record " << i;
        last = link;
    }
    g_pCluster->Clear();
}
