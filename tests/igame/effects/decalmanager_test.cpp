// The decal manager's pools: one per {object, decal data} in byte order, rings of 16,000
// vertices, the 65th pool refused, clearing, the cluster load's reset and the console; baked
// pools whose vertex count their block cannot hold.
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/staticdecalpool.h"
#include "engine/system/command/commandmanager.h"
#include "igame/effects/decalmanager.h"
#include "vegetation/loglines.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class DecalManagerTest : public ::testing::Test
{
protected:
    ~DecalManagerTest() override { g_pDecalManager->OnClusterLoad(); }

    // An object at that address (only the address is a key).
    static const void* Object(uintptr_t at) { return reinterpret_cast<const void*>(at); }

    TDecalData m_aData[2]{};
    TDecal m_aDecal[2]{};
    void SetUp() override
    {
        g_pDecalManager->OnClusterLoad();
        m_aDecal[0].pDecalData = &m_aData[0];
        m_aDecal[1].pDecalData = &m_aData[1];
    }
};
} // namespace

TEST_F(DecalManagerTest, OnePoolAKeyKeptInByteOrder)
{
    TDecalManager& manager = *g_pDecalManager;
    // Same data on the same object share a pool; on another object it makes another.
    TDecalPool* a = manager.GetPool(Object(0x1000), &m_aDecal[0]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(manager.GetPool(Object(0x1000), &m_aDecal[0]), a);
    TDecalPool* b = manager.GetPool(Object(0x2000), &m_aDecal[0]);
    EXPECT_NE(b, a);
    EXPECT_NE(manager.GetPool(Object(0x1000), &m_aDecal[1]), a);
    EXPECT_EQ(manager.GetPoolCount(), 3u);
    EXPECT_EQ(manager.GetPool(Object(0x1000), nullptr), nullptr);

    // Keys that differ only in high bytes (the byte order is not the numeric one) are all found
    // after inserts in any order; a float-step search misses some of these.
    std::vector<uintptr_t> addresses;
    for (u32 i = 0; i < 40; ++i)
        addresses.push_back((i * 0x9E3779B1u) & 0xFFFFFF00u);
    for (uintptr_t at : addresses)
        manager.GetPool(Object(at), &m_aDecal[1]);
    for (uintptr_t at : addresses)
    {
        TDecalPool* pool = manager.FindPool(Object(at), &m_aData[1]);
        ASSERT_NE(pool, nullptr) << at;
        EXPECT_EQ(pool->GetObject(), Object(at));
    }
    EXPECT_EQ(manager.FindPool(Object(0x3000), &m_aData[0]), nullptr);
}

TEST_F(DecalManagerTest, TheRingWrapsTheDrawnCountStaysAndTheSixtyFifthPoolIsRefused)
{
    TDecalPool* pool = g_pDecalManager->GetPool(Object(0x10), &m_aDecal[0]);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->Reserve(15999), pool->GetVertices());
    EXPECT_EQ(pool->Reserve(1), pool->GetVertices() + 15999);
    EXPECT_EQ(pool->GetDrawnCount(), DECAL_POOL_VERTICES);
    // The next batch does not fit behind: it starts again at vertex 0, all stays drawn.
    EXPECT_EQ(pool->Reserve(3), pool->GetVertices());
    EXPECT_EQ(pool->GetWritePosition(), 3u);
    EXPECT_EQ(pool->GetDrawnCount(), DECAL_POOL_VERTICES);
    EXPECT_EQ(pool->Reserve(DECAL_POOL_VERTICES + 1), nullptr);

    // Cleared: nothing drawn, pools and keys stay, writing starts again at 0.
    const u32 pools = g_pDecalManager->GetPoolCount();
    // Only a run clears.
    TCommand* clear = TCommandManager::Instance().FindCommand(TName("effect.decals.clear"));
    ASSERT_NE(clear, nullptr);
    TCommandInstruction instruction = {};
    clear->Execute(instruction, COMMAND_LINK);
    EXPECT_EQ(pool->GetDrawnCount(), DECAL_POOL_VERTICES);
    TCommandManager::Instance().ExecuteText("effect.decals.clear");
    EXPECT_EQ(pool->GetDrawnCount(), 0u);
    EXPECT_EQ(g_pDecalManager->GetPoolCount(), pools);
    EXPECT_EQ(g_pDecalManager->GetPool(Object(0x10), &m_aDecal[0]), pool);
    EXPECT_EQ(pool->Reserve(6), pool->GetVertices());
    // A cluster load forgets them.
    g_pDecalManager->OnClusterLoad();
    EXPECT_EQ(g_pDecalManager->GetPoolCount(), 0u);
    EXPECT_EQ(g_pDecalManager->FindPool(Object(0x10), &m_aData[0]), nullptr);
    EXPECT_EQ(g_pDecalManager->GetDynamicDecalCount(), 0u);

    // The sixty-fifth pool is refused with one line.
    TLogLines lines;
    for (u32 i = 0; i < DECAL_POOL_CAPACITY; ++i)
        ASSERT_NE(g_pDecalManager->GetPool(Object(0x100 * (i + 1)), &m_aDecal[0]), nullptr) << i;
    EXPECT_EQ(g_pDecalManager->GetPool(Object(0x100000), &m_aDecal[0]), nullptr);
    EXPECT_EQ(g_pDecalManager->GetPool(Object(0x200000), &m_aDecal[0]), nullptr);
    EXPECT_EQ(lines.Count("all 64 decal pools in use"), 1u);
    // Known keys still answer.
    EXPECT_NE(g_pDecalManager->GetPool(Object(0x100), &m_aDecal[0]), nullptr);
    EXPECT_EQ(g_pDecalManager->GetPoolCount(), DECAL_POOL_CAPACITY);
}

TEST_F(DecalManagerTest, ABakedPoolMustFitItsBlockInWholeTriangles)
{
    TLogLines lines;
    TStaticDecalPool pool;
    pool.m_Name = TName("stains", true);
    pool.m_nDataSize = 6 * 64;
    pool.m_nVertexCount = 7;
    pool.Load();
    EXPECT_EQ(pool.GetVertices(), nullptr);
    EXPECT_EQ(pool.GetVertexCount(), 0u);
    EXPECT_EQ(lines.Count("'stains': 7 vertices do not fit its block of 384 bytes"), 1u);
    pool.m_nVertexCount = 4;
    pool.Load();
    EXPECT_EQ(pool.GetVertexCount(), 0u);
    EXPECT_EQ(lines.Count("4 vertices do not fit"), 1u);
}
