#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "core/system/criticalsection.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/automat.h"
#include "engine/system/automatmanager.h"
#include "engine/system/automatstate.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"
#include "engine/system/triggermanager.h"
#include "repositorywriter.h"
#include "scenerepositories.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
// Records the blocks that arrive, and on which thread.
class TArrivals : public TResource
{
public:
    void OnDataArrived(u32 tag) override
    {
        aTag.push_back(tag);
        aThread.push_back(std::this_thread::get_id());
    }
    std::vector<u32> aTag;
    std::vector<std::thread::id> aThread;
};

std::vector<u8> Pattern(u32 size, u8 seed)
{
    std::vector<u8> bytes(size);
    for (u32 i = 0; i < size; ++i)
        bytes[i] = static_cast<u8>(seed + i * 7);
    return bytes;
}

TResource* FindResource(const char* name)
{
    const TClusterSlot& slot = g_pCluster->GetSlot(RESOURCE_TYPE_ID);
    const u32 id = TName(name).GetId();
    for (i32 i = 0; slot.pData && i < slot.nSize / static_cast<i32>(sizeof(TResource)); ++i)
    {
        auto* resource = static_cast<TResource*>(reinterpret_cast<void**>(slot.pData)[i]);
        if (resource->m_Name.GetId() == id)
            return resource;
    }
    return nullptr;
}

class RepositoryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pCluster->LinkTypes();
            g_pResourceManager->BeginManager();
            // Loaded nodes are checked at the load and let go at the unload, as in the game.
            g_pCluster->AddListener(g_pNodeManager);
            s_bBegun = true;
        }
        g_pResourceManager->GetLoader().SetEnabled(true);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        ASSERT_TRUE(WriteSceneRepositories("."));
        for (u32 id : {COMMON_REPOSITORY_ID, MAPPED_REPOSITORY_ID, STREAMED_REPOSITORY_ID})
            g_pResourceManager->Associate(id, id == COMMON_REPOSITORY_ID   ? "common.data"
                                              : id == MAPPED_REPOSITORY_ID ? "mapped.data"
                                                                           : "streamed.data");
    }
    void TearDown() override
    {
        g_pResourceManager->GetLoader().Begin();
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
    }

    // A repository of blocks only (or with the scene's records) under the given id.
    void WriteRepository(const char* path, u32 id, u32 flags, std::vector<u32> dependencies = {},
                         bool withRecords = false)
    {
        TRepositoryWriter writer(id, flags);
        for (u32 d : dependencies)
            writer.AddDependency(d);
        TResource block;
        std::vector<u8> bytes = Pattern(64, 1);
        writer.AddBlock(&block, bytes.data(), 64);
        TClusterManager* managers[8];
        const i32 count = withRecords ? TRepositoryWriter::SceneManagers(managers) : 0;
        ASSERT_TRUE(writer.Write(path, managers, count, false));
    }

    static std::vector<bool> Open(std::initializer_list<u32> ids)
    {
        std::vector<bool> open;
        for (u32 id : ids)
            open.push_back(g_pResourceManager->FindRepository(id) != nullptr);
        return open;
    }

    TScratchWorkingFolder m_Folder{"repository"};
    bool Logged(const std::string& text) const { return m_Folder.SystemLog().find(text) != std::string::npos; }
};
} // namespace

TEST_F(RepositoryTest, TheGeneratedRepositoryLoadsWithEveryKindOfDependency)
{
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
    EXPECT_EQ(Open({MAIN_REPOSITORY_ID, COMMON_REPOSITORY_ID, MAPPED_REPOSITORY_ID, STREAMED_REPOSITORY_ID}),
              (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(g_pResourceManager->FindRepository(MAPPED_REPOSITORY_ID)->IsMapped());
    EXPECT_EQ(0u, g_pResourceManager->FindRepository(STREAMED_REPOSITORY_ID)->GetImageSize());
    // The shader repository counts, though it is not associated here.
    EXPECT_EQ(6, g_pResourceManager->m_nFilesExpected);
    EXPECT_EQ(TName("main.data").GetId(), g_pResourceManager->m_CurrentRepository.GetId());

    // The records: the node tree with its placement, and the resources with their blocks.
    TNode* gate = g_pNodeManager->FindNode(TName("gate_1").GetId());
    ASSERT_NE(nullptr, gate);
    EXPECT_STREQ("level/apron/gate_1", gate->GetPath());
    EXPECT_FLOAT_EQ(120.0f, gate->GetWorldMatrix()->aRow[3].x);
    TResource* layout = FindResource("level_layout");
    TResource* texture = FindResource("apron_texture");
    TResource* sound = FindResource("apron_sound");
    ASSERT_TRUE(layout && texture && sound);
    EXPECT_EQ(0u, layout->Require());
    EXPECT_EQ(RESOURCE_LOADED, texture->m_nState);

    std::vector<u8> read(4096);
    EXPECT_EQ(0, texture->ReadData(read.data(), 0, 0, 0, 0));
    EXPECT_EQ(Pattern(4096, 11), read);
    EXPECT_EQ(0, sound->ReadData(read.data(), 0, 0, 0, 0));
    EXPECT_EQ(Pattern(4096, 29), read);
    EXPECT_EQ(0, std::memcmp(Pattern(4096, 29).data() + 100, sound->GetData(100, 16), 16));
    std::vector<u8> inflated(2048);
    EXPECT_EQ(0, layout->ReadData(inflated.data(), 0, 2048, 0, RESOURCE_READ_COMPRESSED));
    EXPECT_EQ(Pattern(2048, 5), inflated);
    EXPECT_TRUE(Logged("MB data loaded in "));
}

// The level's animated rig plays from its keys in the repository and moves the node on its
// bone; the trigger, its link and actor, and the automat in its state come back linked.
TEST_F(RepositoryTest, TheGeneratedLevelAnimatesItsRigAndKeepsTriggersAndAutomats)
{
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
    ASSERT_EQ(1, g_pSkeletonManager->Skeletons().GetCount());
    TSkeleton* skeleton = g_pSkeletonManager->Skeletons()[0];
    TAnimation* animation = g_pAnimationManager->FindAnimation(TName("rig_wave").GetId());
    ASSERT_EQ(animation, skeleton->Function.aAnimation[0]);
    ASSERT_NE(nullptr, skeleton->pSkeletonPose);
    EXPECT_EQ(skeleton, skeleton->pSkeletonPose->pSkeleton);
    EXPECT_EQ(skeleton->pSkeletonData, g_pSkeletonManager->SkeletonMeshData()[0]->pSkeletonData);
    g_pAnimationManager->UpdateManager(0.0f);
    ASSERT_TRUE(animation->pAnimationData->IsLoaded());
    g_pAnimationManager->ThreadUpdateManager(1.5f);
    g_pSkeletonManager->UpdateManager(0.0f);
    // Bone 0 at 1.5 along x, bone 1 at 1.5 along x and 1 up from it.
    TNode* hand = g_pNodeManager->FindNode(TName("rig_hand").GetId());
    ASSERT_NE(nullptr, hand);
    EXPECT_FLOAT_EQ(3.0f, hand->GetLocalMatrix().aRow[3].x);
    EXPECT_FLOAT_EQ(1.0f, hand->GetLocalMatrix().aRow[3].y);

    EXPECT_EQ(g_pTriggerManager->Geometries()[0], g_pTriggerManager->Links()[0]->pGeometry);
    TAutomat* automat = g_pAutomatManager->Automats()[0];
    EXPECT_EQ(automat, automat->pActiveState->pAutomat);

    // Two parked carts share one pool whose free stack holds the type's one full form.
    ASSERT_EQ(2, g_pPropManager->Props().GetCount());
    TPropDataPool* pool = g_pPropManager->Pools()[0];
    TPropData* form = g_pPropManager->PropData()[0];
    TProp* first = g_pPropManager->Props()[0];
    TProp* second = g_pPropManager->Props()[1];
    EXPECT_EQ(pool, second->pPropDataPool);
    ASSERT_EQ(1, pool->m_nFreeCount);
    EXPECT_EQ(form, pool->aFree[0]);

    // The taken form's node joins the loaded cart's children, growing their loaded array: the
    // next load lets that storage go (the leak checker of the test build would see it).
    ASSERT_NE(0u, first->Activate());
    ASSERT_EQ(0, pool->m_nFreeCount);
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
}

// Eight dependencies are the most a header holds: each of the eight is walked (optional ids
// without a file here, so each only warns).
TEST_F(RepositoryTest, UnassociatedOptionalDependenciesOnlyWarnUpToEight)
{
    std::vector<u32> dependencies;
    for (u32 d = 1; d <= REPOSITORY_DEPENDENCY_CAPACITY; ++d)
        dependencies.push_back(REPOSITORY_OPTIONAL_ID + d);
    WriteRepository("optional.data", 60, 0, dependencies, true);
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("optional.data", 0));
    EXPECT_NE(nullptr, g_pResourceManager->FindRepository(60));
    for (u32 id : dependencies)
        EXPECT_TRUE(Logged(StringFormat("warning: 0x%04x: unassociated repository id", id))) << id;
    // A resource of a missing optional repository reads nothing and says nothing.
    TArrivals orphan;
    orphan.m_nRepositoryId = REPOSITORY_OPTIONAL_ID + 1;
    orphan.m_nDataSize = 4;
    u32 target = 0;
    EXPECT_EQ(0, orphan.ReadData(&target, 0, 4, 0, 0));
    EXPECT_TRUE(orphan.aTag.empty());
}

TEST_F(RepositoryTest, BlocksOutsideTheRepositoryAndDamagedCompressedBlocksAreRefused)
{
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
    TRepository* main = g_pResourceManager->FindRepository(MAIN_REPOSITORY_ID);
    TArrivals probe;
    std::vector<u8> target(8192);
    EXPECT_EQ(1, main->__LoadBlock(&probe, 1, target.data(), main->GetImageSize() - 4, 8, 0));
    EXPECT_EQ(1, main->__LoadBlock(&probe, 1, target.data(), 0xFFFFFFF0u, 32, 0));
    EXPECT_EQ(nullptr, main->__GetResourceData(main->GetImageSize(), 1));
    TRepository* streamed = g_pResourceManager->FindRepository(STREAMED_REPOSITORY_ID);
    EXPECT_EQ(1, streamed->__LoadBlock(&probe, 1, target.data(), streamed->GetSize() - 4, 100, 0));
    EXPECT_TRUE(probe.aTag.empty());

    // A compressed block whose head claims more than it holds, or another size than it
    // inflates to.
    std::vector<u8> image(200, 0);
    TCompressedBlockHead head = {0, 64, 500};
    std::memcpy(image.data() + 100, &head, sizeof head);
    TRepository fake(70, 0, TName("fake.data", true));
    fake.AttachImage(image.data(), static_cast<u32>(image.size()));
    EXPECT_EQ(1, fake.__LoadBlock(&probe, 1, target.data(), 100, 100, RESOURCE_READ_COMPRESSED));
    TArrivals resource;
    TRepositoryWriter writer(71, 0);
    std::vector<u8> bytes = Pattern(256, 9);
    writer.AddCompressedBlock(&resource, bytes.data(), 256);
    ASSERT_TRUE(writer.Write("compressed.data", nullptr, 0, false));
    std::ifstream file("compressed.data", std::ios::binary);
    std::vector<u8> stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TRepository damaged(71, 0, TName("compressed.data", true));
    damaged.AttachImage(stored.data(), static_cast<u32>(stored.size()));
    // Stated sizes the stream does not inflate to, and a target without room for it.
    for (u32 wrongSize : {255u, 300u})
    {
        std::memcpy(stored.data() + resource.m_nDataOffset + 4, &wrongSize, 4);
        EXPECT_EQ(1, damaged.__LoadBlock(&resource, 1, target.data(), resource.m_nDataOffset, 512,
                                         RESOURCE_READ_COMPRESSED));
    }
    const u32 rightSize = 256;
    std::memcpy(stored.data() + resource.m_nDataOffset + 4, &rightSize, 4);
    EXPECT_EQ(1, damaged.__LoadBlock(&resource, 1, target.data(), resource.m_nDataOffset, 255,
                                     RESOURCE_READ_COMPRESSED));
    EXPECT_EQ(0, damaged.__LoadBlock(&resource, 2, target.data(), resource.m_nDataOffset, 256,
                                     RESOURCE_READ_COMPRESSED));
    EXPECT_EQ(0, std::memcmp(bytes.data(), target.data(), 256));
    EXPECT_TRUE(probe.aTag.empty());
    EXPECT_EQ(std::vector<u32>{2}, resource.aTag);
}

TEST_F(RepositoryTest, TheLoaderReadsInKeyOrderAndDeliversOnTheMainThread)
{
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
    // A resource reading the streamed repository's sound.
    TArrivals reader;
    const TResource* sound = FindResource("apron_sound");
    reader.m_nRepositoryId = STREAMED_REPOSITORY_ID;
    reader.m_nDataOffset = sound->m_nDataOffset;
    reader.m_nDataSize = sound->m_nDataSize;
    std::vector<u8> target(3 * 16);
    // Held off the global lock, the thread cannot start before all three are queued.
    GlobalResourceLock().Enter();
    for (u32 part : {2u, 0u, 1u})
        EXPECT_EQ(
            0, reader.ReadData(target.data() + 16 * part, 16 * part, 16, part, RESOURCE_READ_LOADER_THREAD));
    EXPECT_EQ(3u, g_pResourceManager->GetLoader().GetQueueCount());
    GlobalResourceLock().Leave();
    for (int wait = 0; wait < 300 && g_pResourceManager->GetLoader().GetDoneCount() < 3; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(reader.aTag.empty());
    // Delivered in a frame though the game clock stands still (the main menu's step of 0.0).
    TManagerManager frames;
    frames.CreateSystem(TName("menu", true));
    frames.AddUpdateManager(g_pResourceManager, 0);
    frames.Update(0.0f);
    EXPECT_EQ((std::vector<u32>{0, 1, 2}), reader.aTag);
    for (std::thread::id id : reader.aThread)
        EXPECT_EQ(std::this_thread::get_id(), id);
    EXPECT_EQ(0, std::memcmp(Pattern(4096, 29).data(), target.data(), target.size()));

    // A loader that takes no requests reads at once.
    g_pResourceManager->GetLoader().SetEnabled(false);
    EXPECT_EQ(0, reader.ReadData(target.data(), 0, 16, 7, RESOURCE_READ_LOADER_THREAD));
    EXPECT_EQ(7u, reader.aTag.back());
}

TEST_F(RepositoryTest, DamagedHeadersEndWithTheirAbortText)
{
    // Death tests fork the process: without the loader thread the child holds no lock another
    // thread took.
    g_pResourceManager->GetLoader().End();
    WriteRepository("size.data", 89, 0);
    const u32 version = 1001, many = 9, beyond = static_cast<u32>(std::filesystem::file_size("size.data"));
    const struct
    {
        const char* path;
        u32 offset;
        const void* bytes;
        u32 size;
        const char* abort;
    } cases[] = {{"signature.data", 0, "vestamox", 8, "'signature.data' header error: incorrect signature"},
                 {"version.data", 8, &version, 4,
                  "'version.data' header error: incorrect version \\(version 1002 expected\\)"},
                 {"dependencies.data", 36, &many, 4, "more than 8 dependencies"},
                 // The file's size is the first offset outside it.
                 {"offset.data", 28, &beyond, 4, "cluster image offset outside the file"}};
    u32 id = 90;
    for (const auto& c : cases)
    {
        WriteRepository(c.path, id++, 0);
        std::fstream file(c.path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(c.offset);
        file.write(static_cast<const char*>(c.bytes), c.size);
        file.close();
        EXPECT_DEATH(g_pResourceManager->LoadRepository(c.path, 0), c.abort) << c.path;
    }
    WriteRepository("required.data", 94, 0, {77});
    EXPECT_DEATH(g_pResourceManager->LoadRepository("required.data", 0),
                 "0x004d: unassociated repository id");
    EXPECT_DEATH(g_pResourceManager->LoadRepository("nothing.data", 0), "missing resource 'nothing.data'");
    EXPECT_TRUE(Logged("LoadRepository(): error: 'nothing.data' is missing or cannot be read"));
    // Present but not unpacking: the abort names the cause, as the log line before it does.
    std::ofstream("packed.data", std::ios::binary)
        << "INDA" << std::string(12, '\x01') << "not a zlib stream";
    EXPECT_DEATH(g_pResourceManager->LoadRepository("packed.data", 0),
                 "'packed.data' is damaged: its data do not unpack");
    EXPECT_TRUE(Logged( "LoadRepository(): error: 'packed.data' is damaged: its data do not unpack"));
    std::ofstream("short.data") << "vestamor";
    EXPECT_DEATH(g_pResourceManager->LoadRepository("short.data", 0), "'short.data' header error");
}


TEST_F(RepositoryTest, AClusterImageAtAnUnalignedOffsetIsLoadedFromAnAlignedCopy)
{
    std::ifstream file("common.data", std::ios::binary);
    std::vector<u8> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TRepositoryHeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    // One byte more before the image: every record of it would lie off its alignment.
    bytes.insert(bytes.begin() + header.nClusterOffset, 0x5A);
    ++header.nClusterOffset;
    header.nId = 98;
    std::memcpy(bytes.data(), &header, sizeof header);
    std::ofstream("unaligned.data", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("unaligned.data", 0));
    TResource* palette = FindResource("common_palette");
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(palette) % 4);
    EXPECT_EQ(1024u, palette->m_nDataSize);
}

TEST_F(RepositoryTest, ADependencyCycleIsSkippedWithAnErrorLine)
{
    WriteRepository("first.data", 200, 0, {201});
    WriteRepository("second.data", 201, 0, {200});
    g_pResourceManager->Associate(200, "first.data");
    g_pResourceManager->Associate(201, "second.data");
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("first.data", 0));
    EXPECT_EQ(Open({200, 201}), (std::vector<bool>{true, true}));
    EXPECT_TRUE(Logged("'second.data': dependency 0x00c8 is being loaded already (a cycle): skipped"));
    // A repository depending on itself is the shortest cycle.
    WriteRepository("first.data", 200, 0, {200});
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("first.data", 0));
    EXPECT_TRUE(Logged("'first.data': dependency 0x00c8 is being loaded already (a cycle): skipped"));
}

// Dependencies load their records quietly; the repository's own load announces them, and so
// does one without records of its own: the listeners check every loaded record before anything
// uses it.
TEST_F(RepositoryTest, DependenciesRecordsAreAnnouncedWhateverTheRepositoryBrings)
{
    struct TCounter : TClusterMethods
    {
        void OnClusterLoad() override { ++nLoads; }
        i32 nLoads = 0;
    };
    // It stays registered for the rest of the run: the cluster has no way to remove one.
    static TCounter s_Counter;
    static const bool s_bAdded = (g_pCluster->AddListener(&s_Counter), true);
    ASSERT_TRUE(s_bAdded);
    // Its own records replace the dependency's arrays of the same types.
    const struct
    {
        const char* what;
        bool bRecords, bDependencyRecords;
    } cases[] = {{"its own records", true, false}, {"no records", false, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        // The dependency is kept open across loads: closed, it is loaded again.
        g_pResourceManager->CloseRepositories(0);
        WriteRepository("top.data", 320, 0, {COMMON_REPOSITORY_ID}, c.bRecords);
        s_Counter.nLoads = 0;
        ASSERT_EQ(0, g_pResourceManager->LoadRepository("top.data", 0));
        EXPECT_EQ(s_Counter.nLoads, 1);
        EXPECT_EQ(FindResource("common_palette") != nullptr, c.bDependencyRecords);
    }
}
