// Node systems: the visibility driver switching the spawned effect off and on again, an effect
// that lost its record, and what a cluster load gives them.
#include "particlefixture.h"

namespace
{
class NodeSystemTest : public ParticleTest
{
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        m_Driver.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        m_pData = MakeData("exhaust", 32);
        m_pData->Rate = {10.0f, 0.0f};
        m_pData->Lifetime = {5.0f, 0.0f};
        m_pNodeSystem =
            static_cast<TIParticleNodeSystem*>(Manager().CreateNodeSystem(&m_Node, m_pData, nullptr));
        m_pNodeSystem->pVisibilityDriver = &m_Driver;
    }

    TNode m_Driver;
    TIParticleEmitterData* m_pData = nullptr;
    TIParticleNodeSystem* m_pNodeSystem = nullptr;
};
} // namespace

TEST_F(NodeSystemTest, TheVisibilityDriverStopsTheEffectAndRestartsTheSameOne)
{
    Manager().Update(0.1f);
    TParticleSystem* spawned = m_pNodeSystem->pParticleSystem;
    ASSERT_NE(spawned, nullptr);
    EXPECT_TRUE(m_pNodeSystem->m_nActive && spawned->IsRunning());
    // The effect's node hangs under the node system's.
    EXPECT_EQ(spawned->pEmitter->GetNode()->GetParent(), &m_Node);
    Manager().Update(0.5f);
    const i32 live = LiveCount(spawned);
    EXPECT_GT(live, 0);

    m_Driver.Enable(0, 0);
    Manager().Update(0.1f);
    EXPECT_FALSE(m_pNodeSystem->m_nActive || spawned->IsRunning());
    // The particles in the air live on.
    EXPECT_EQ(LiveCount(spawned), live);

    m_Driver.Enable(1, 0);
    Manager().Update(0.1f);
    EXPECT_TRUE(m_pNodeSystem->pParticleSystem == spawned && spawned->IsRunning());

    // A node that is off is left to its own switch: the driver changes nothing then.
    m_Node.Enable(0, 0);
    EXPECT_FALSE(spawned->IsRunning());
    m_Driver.Enable(0, 0);
    Manager().Update(0.1f);
    EXPECT_TRUE(m_pNodeSystem->m_nActive);
    // Both on again: the same effect runs again.
    m_Node.Enable(1, 0);
    m_Driver.Enable(1, 0);
    Manager().Update(0.1f);
    EXPECT_TRUE(m_pNodeSystem->pParticleSystem == spawned && spawned->IsRunning());
}

TEST_F(NodeSystemTest, AnEffectThatLostItsRecordIsSpawnedAgain)
{
    m_pNodeSystem->pVisibilityDriver = nullptr;
    m_pNodeSystem->Activate();
    TParticleSystem* first = m_pNodeSystem->pParticleSystem;
    ASSERT_NE(first, nullptr);
    Manager().Flush();
    EXPECT_EQ(m_pNodeSystem->pParticleSystem, nullptr);
    m_pNodeSystem->Activate();
    ASSERT_NE(m_pNodeSystem->pParticleSystem, nullptr);
    EXPECT_EQ(m_pNodeSystem->pParticleSystem->m_nState, PARTICLE_SYSTEM_RUNNING);
    m_pNodeSystem->Deactivate();
    EXPECT_FALSE(m_pNodeSystem->pParticleSystem->IsRunning());
}

TEST_F(NodeSystemTest, AClusterLoadResetsThePoolAndActivatesTheNodeSystems)
{
    m_pNodeSystem->pVisibilityDriver = nullptr;
    m_pNodeSystem->m_nDriverCount = 5;
    TIParticleSystem* listed = MakeSystem(m_pData);
    listed->Start();
    Manager().Suspend(0, 1);
    Manager().OnClusterLoad();
    EXPECT_TRUE(Manager().IsClusterLoaded());
    EXPECT_EQ(Manager().GetSuspendCount(), 1);
    // A made node system is not checked as a loaded one; the listed running system is reset.
    EXPECT_EQ(m_pNodeSystem->m_nDriverCount, 5);
    EXPECT_EQ(listed->aParticle.GetCount(), 32);
    EXPECT_EQ(listed->m_nFreeHead, 31);
    // The node system, whose node is on, spawned its effect.
    ASSERT_NE(m_pNodeSystem->pParticleSystem, nullptr);
    EXPECT_TRUE(m_pNodeSystem->pParticleSystem->IsRunning());

    // Loaded, five drivers are cut to four.
    m_pNodeSystem->CheckLoaded();
    EXPECT_EQ(m_pNodeSystem->m_nDriverCount, 4);
    EXPECT_EQ(m_pNodeSystem->pParticleSystem, nullptr);

    // The unload takes the effects off their nodes while those still stand.
    Manager().OnClusterUnload();
    EXPECT_FALSE(Manager().IsClusterLoaded());
    EXPECT_EQ(Manager().GetActiveCount(), 0u);
    EXPECT_EQ(m_Node.GetChildCount(), 0);
}
