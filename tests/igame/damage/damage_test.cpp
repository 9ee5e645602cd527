// Damage: splash by distance and direct hits, the health floor, thresholds, events from four
// threads, the health through a state image and a refused short one, and stored counts cut at the
// cluster load.
#include "core/stream/memorystream.h"
#include "engine/system/managermanager.h"
#include "core/cluster/cluster.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propmanager.h"
#include "igame/damage/damagemanager.h"
#include "igame/damage/propvalues.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

namespace
{
const TName g_Health("health", true);

class DamageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Objects attach only once the manager system's initialize phase has opened.
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
        m_pBase = g_pNodeManager->CreateNode("barrier");
        m_pActorNode = g_pNodeManager->CreateNode("barrier_damage");
        m_pBase->AddChild(m_pActorNode);
        m_pActorNode->AddObject(&m_Actor);
        for (u32 i = 0; i < 3; ++i)
        {
            m_apStateNode[i] = g_pNodeManager->CreateNode(i == 0 ? "intact" : i == 1 ? "dented" : "wrecked");
            m_Actor.aNode.Add(m_apStateNode[i]);
        }
        m_pSecond = g_pNodeManager->CreateNode("intact_glass");
        m_pOther = g_pNodeManager->CreateNode("barrier_hitbox");
        m_Actor.aNode1.Add(m_pSecond);
        m_Actor.aThreshold.Add(0.8f);
        m_Actor.aThreshold.Add(0.4f);
        m_Actor.aThreshold.Add(0.0f);
        m_Actor.directFactor1 = 2.0f;
        m_Actor.splashFactor1 = 1.0f;
        m_Actor.falloff1 = 0.5f;
        m_Actor.directFactor2 = 1.0f;
        m_Actor.splashFactor2 = 1.0f;
        TMatrix placed(1.0f);
        placed.Translation() = TVector(10.0f, 0.0f, 0.0f, 1.0f);
        m_pBase->SetLocalMatrix(placed, TNode::OrdinaryCause());
        g_pDamageManager->Actors().Add(&m_Actor);
    }
    void TearDown() override
    {
        g_pDamageManager->Actors().SetCount(0);
        g_pPropManager->Props().SetCount(0);
        g_pDamageManager->OnClusterUnload();
        m_pActorNode->DeleteObject(&m_Actor);
        if (m_Prop.pNode)
            m_pBase->DeleteObject(&m_Prop);
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    // A hit of 10 direct and 4 splash in a radius of 8 (second part: none unless asked).
    static TDamageRecord Hit(f32 radius2 = 0.0f)
    {
        return {10.0f, 4.0f, 8.0f, 0.0f, 3.0f, radius2};
    }
    void Post(f32 x, f32 y, f32 z, u32 hitNode = 0, const TDamageRecord& damage = Hit())
    {
        g_pDamageManager->AddDamage(damage, TVector(x, y, z, 1.0f), hitNode);
    }
    // One fixed-rate update and the main thread's after it.
    static void Frame()
    {
        g_pDamageManager->ThreadUpdateManager(1.0f / 60.0f);
        g_pDamageManager->UpdateManager(1.0f / 60.0f);
    }
    u32 Shown() const
    {
        u32 mask = 0;
        for (u32 i = 0; i < 3; ++i)
            mask |= m_apStateNode[i]->IsEnabled() << i;
        return mask;
    }
    void AttachProp()
    {
        m_pBase->AddObject(&m_Prop);
        g_pPropManager->Props().Add(&m_Prop);
        m_Actor.OnEnable(1);
    }
    f32 PropHealth() const
    {
        const f32* value = TPropValues::Get().Find(&m_Prop, g_Health.GetId());
        return value ? *value : -1.0f;
    }

    TScratchWorkingFolder m_Folder{"damage"};
    TNode* m_pBase = nullptr;
    TNode* m_pActorNode = nullptr;
    TNode* m_apStateNode[3] = {};
    TNode* m_pSecond = nullptr;
    TNode* m_pOther = nullptr;
    TDamageActor m_Actor;
    TProp m_Prop;
};
} // namespace

TEST_F(DamageTest, DirectHitsAndAFlatSplashInsideTheRadius)
{
    const TDamageActor& a = m_Actor;
    auto damage = [&](f32 x, u32 node = 0, const TDamageRecord& hit = Hit()) {
        return TDamageManager::DamageOf(a, {hit, {x, 0.0f, 0.0f, 1.0f}, node});
    };
    // At the actor's own position: direct, even without impact nodes (2 x 10); half the radius
    // and just inside the rim the same (1 - 0.5) x 1 x 4, at the rim none; the second part only
    // inside its own radius.
    for (auto [x, second, expected] : {std::tuple{10.0f, 0.0f, 20.0f}, {14.0f, 0.0f, 2.0f}, {17.999f, 0.0f, 2.0f},
                                       {18.0f, 0.0f, 0.0f}, {14.0f, 5.0f, 5.0f}, {16.0f, 5.0f, 2.0f}})
        EXPECT_EQ(damage(x, 0, Hit(second)), expected) << x << " " << second;
    // A hit node counts only for an actor with impact nodes.
    EXPECT_EQ(damage(-50.0f, m_pOther->m_Name.GetId()), 0.0f);
    m_Actor.aImpactNode.Add(m_pOther);
    EXPECT_EQ(damage(-50.0f, m_pOther->m_Name.GetId()), 20.0f);
    EXPECT_EQ(damage(-50.0f, m_pBase->m_Name.GetId()), 0.0f);
}

TEST_F(DamageTest, EventsLowerTheHealthUntilItIsGone)
{
    g_pDamageManager->ResetActor(&m_Actor);
    EXPECT_EQ(Shown(), 1u);
    Post(14.0f, 0.0f, 0.0f);
    Post(10.0f, 0.0f, 0.0f);
    Frame();
    EXPECT_FLOAT_EQ(m_Actor.health, 78.0f);
    EXPECT_EQ(std::vector<i64>({m_Actor.hitCount, m_Actor.state, Shown()}), std::vector<i64>({2, 1, 2}));
    // Out of reach: nothing counted.
    Post(100.0f, 0.0f, 0.0f);
    Frame();
    EXPECT_EQ(m_Actor.hitCount, 2u);
    // Three direct hits leave 18; a health of 0.1 stays, below it becomes 0.
    for (int i = 0; i < 3; ++i)
        Post(10.0f, 0.0f, 0.0f);
    Frame();
    EXPECT_FLOAT_EQ(m_Actor.health, 18.0f);
    g_pDamageManager->SetHealth(&m_Actor, 1, 0, 0.1f);
    EXPECT_EQ(m_Actor.health, 0.1f);
    g_pDamageManager->SetHealth(&m_Actor, 1, 0, 0.0999f);
    EXPECT_EQ(m_Actor.health, 0.0f);
    EXPECT_EQ(std::vector<i64>({m_Actor.state, Shown()}), std::vector<i64>({2, 4}));
    // A destroyed actor ignores every further event.
    const u32 hits = m_Actor.hitCount;
    Post(10.0f, 0.0f, 0.0f);
    Frame();
    EXPECT_EQ(m_Actor.hitCount, hits);
    // So does one whose node is switched off.
    g_pDamageManager->ResetActor(&m_Actor);
    m_pBase->Enable(0, 0);
    Post(10.0f, 0.0f, 0.0f);
    Frame();
    EXPECT_EQ(m_Actor.health, 100.0f);
    m_pBase->Enable(1, 0);
}

TEST_F(DamageTest, ARatioEqualToAThresholdSelectsThatState)
{
    for (auto [ratio, state] : {std::pair{1.0f, 0}, {0.8f, 0}, {0.79f, 1}, {0.4f, 1}, {0.39f, 2}, {0.0f, 2}})
        EXPECT_EQ(TDamageManager::StateForRatio(m_Actor, ratio), state) << ratio;
    TDamageActor none;
    EXPECT_EQ(TDamageManager::StateForRatio(none, 0.0f), 0);
}

TEST_F(DamageTest, EventsPostedFromFourThreadsAreAllCountedUpToTheLimit)
{
    auto post = [&](int count) {
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < count; ++i)
                    Post(14.0f, 0.0f, 0.0f);
            });
        for (std::thread& thread : threads)
            thread.join();
    };
    post(200);
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), 800u);
    m_Actor.maxHealth = m_Actor.health = 1.0e6f;
    Frame();
    EXPECT_EQ(m_Actor.hitCount, 800u);
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), 0u);
    post(300);
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), DAMAGE_EVENT_CAPACITY);
    Frame();
    EXPECT_EQ(m_Actor.hitCount, 800u + DAMAGE_EVENT_CAPACITY);
}

TEST_F(DamageTest, HealthGoesThroughAStateImageAndAShortImageIsRefused)
{
    AttachProp();
    g_pDamageManager->SetHealth(&m_Actor, 1, 0, 30.0f);
    TMemoryStream saved;
    // Passes other than 3 carry nothing.
    EXPECT_EQ(g_pDamageManager->SaveState(2, saved), 0);
    EXPECT_EQ(saved.GetSize(), 0u);
    ASSERT_EQ(g_pDamageManager->SaveState(3, saved), 0);
    EXPECT_EQ(saved.GetSize(), 4u);
    g_pDamageManager->ResetActor(&m_Actor);
    EXPECT_EQ(m_Actor.health, 100.0f);
    saved.Seek(0, 0);
    ASSERT_EQ(g_pDamageManager->LoadState(3, saved), 0);
    EXPECT_FLOAT_EQ(m_Actor.health, 30.0f);
    EXPECT_EQ(m_Actor.state, 2);
    EXPECT_EQ(Shown(), 4u);
    EXPECT_FLOAT_EQ(PropHealth(), 0.3f);
    // Too short for the props' values: refused, nothing changed.
    TMemoryStream shortImage;
    const u8 bytes[3] = {};
    shortImage.Write(bytes, 3);
    shortImage.Seek(0, 0);
    EXPECT_NE(g_pDamageManager->LoadState(3, shortImage), 0);
    EXPECT_FLOAT_EQ(m_Actor.health, 30.0f);
    EXPECT_NE(m_Folder.SystemLog().find("the state image ends before the health of its 1 props"), std::string::npos);
}

TEST_F(DamageTest, StoredCountsAboveTheArraysAreCutAtTheClusterLoad)
{
    const u32 five = 5;
    std::memcpy(&m_Actor.aImpactNode, &five, 4);
    std::memcpy(&m_Actor.aThreshold, &DAMAGE_STATE_CAPACITY, 4);
    m_Actor.maxHealth = 0.0f;
    g_pDamageManager->OnClusterLoad();
    EXPECT_EQ(m_Actor.aImpactNode.GetCount(), DAMAGE_STATE_CAPACITY);
    EXPECT_EQ(m_Actor.aThreshold.GetCount(), DAMAGE_STATE_CAPACITY);
    EXPECT_EQ(m_Actor.maxHealth, 100.0f);
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(log.find("damage actor 'barrier_damage': 5 impact nodes cut to 4"), std::string::npos) << log;
    EXPECT_NE(log.find("maximum health 0 taken as 100"), std::string::npos) << log;
    EXPECT_EQ(log.find("thresholds cut"), std::string::npos);
}
