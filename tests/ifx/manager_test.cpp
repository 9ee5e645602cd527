// The particle manager: the spawn pool (full, reuse, order, sub-effects), the frame update and
// its switch, the console, and the particle budget.
#include "particlefixture.h"

#include "engine/render/canvasmanager.h"
#include "engine/system/command/commandinstruction.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "support/consolelines.h"
#include "support/recordingcanvas.h"

#include <string>
#include <utility>
#include <vector>

namespace
{
class TCountingCanvas : public TRecordingCanvas
{
public:
    void Flush() override { ++flushes; }
    u32 flushes = 0;
};

class ManagerTest : public ParticleTest
{
protected:
    // An effect that is over at its first update (no rate), and one that lasts.
    void SetUp() override
    {
        ParticleTest::SetUp();
        m_pBrief = MakeData("brief", 1);
        m_pLasting = MakeData("lasting", 1);
        m_pLasting->Rate = {1.0f, 0.0f};
    }
    TParticleSystem* Spawn(TParticleEmitterData* data)
    {
        const TMatrix at(1.0f);
        return Manager().SpawnEffect(data, nullptr, nullptr, nullptr, &at, nullptr);
    }
    std::vector<TParticleSystem*> Active() const
    {
        std::vector<TParticleSystem*> active;
        for (u32 i = 0; i < Manager().GetActiveCount(); ++i)
            active.push_back(Manager().GetActiveSystem(i));
        return active;
    }

    TIParticleEmitterData* m_pBrief = nullptr;
    TIParticleEmitterData* m_pLasting = nullptr;
};
} // namespace

TEST_F(ManagerTest, The513thSpawnIsRefusedAndTheLastFreedRecordComesBackFirst)
{
    std::vector<TParticleSystem*> spawned;
    for (u32 i = 0; i < PARTICLE_POOL_SIZE; ++i)
        spawned.push_back(Spawn(i % 100 == 7 ? m_pBrief : m_pLasting));
    EXPECT_EQ(Spawn(m_pLasting), nullptr);
    EXPECT_EQ(std::pair(Manager().GetActiveCount(), Manager().GetFreeCount()), std::pair(512u, 0u));
    EXPECT_EQ(Manager().GetPoolHighWater(), PARTICLE_POOL_SIZE);

    // The brief ones end at the first update; the others keep their order.
    Manager().Update(0.1f);
    std::vector<TParticleSystem*> kept;
    for (u32 i = 0; i < PARTICLE_POOL_SIZE; ++i)
        if (i % 100 != 7)
            kept.push_back(spawned[i]);
    EXPECT_EQ(Active(), kept);
    EXPECT_EQ(Manager().GetFreeCount(), 6u);
    EXPECT_EQ(spawned[507]->m_nState, PARTICLE_SYSTEM_RELEASED);
    EXPECT_EQ(Manager().GetFrameList().GetCount(), 506);
    // The last one freed (the 508th spawned) is taken again first.
    EXPECT_EQ(Spawn(m_pLasting), spawned[507]);
    EXPECT_EQ(Spawn(m_pLasting), spawned[407]);
    EXPECT_EQ(Active().back(), spawned[407]);
}

TEST_F(ManagerTest, SubEffectsTakeARecordEachAndEndOnTheirOwn)
{
    TIParticleEmitterData* parent = MakeData("parent", 4);
    parent->Rate = {1.0f, 0.0f};
    parent->aSubEmitter[0] = m_pBrief;
    parent->aSubEmitter[1] = m_pLasting;
    parent->m_nSubEmitterCount = 2;
    TParticleSystem* system = Spawn(parent);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(Manager().GetActiveCount(), 3u);
    ASSERT_EQ(system->m_nSubSystemCount, 2);
    TParticleSystem* second = system->aSubSystem[1];
    EXPECT_EQ(second->pEmitter->pEmitterData, m_pLasting);
    // The sub-effects hang on the effect's node, and stop and start again with it.
    EXPECT_EQ(second->pEmitter->GetNode()->GetParent(), system->pEmitter->GetNode());
    system->Stop(1);
    system->Start();
    EXPECT_TRUE(second->IsRunning());

    Manager().Update(0.1f);
    EXPECT_EQ(Manager().GetActiveCount(), 2u);
    // The released one is no longer the parent's: its record may carry another effect now.
    EXPECT_EQ(system->aSubSystem[0], nullptr);
    EXPECT_EQ(system->aSubSystem[1], second);
    TParticleSystem* another = Spawn(m_pLasting);
    EXPECT_EQ(another, Manager().GetActiveSystem(2));
    EXPECT_EQ(system->aSubSystem[0], nullptr);

    // A data whose sub-emitter leads back to itself spawns each once down the path.
    TIParticleEmitterData* looped = MakeData("looped", 1);
    looped->Rate = {1.0f, 0.0f};
    looped->aSubEmitter[0] = looped;
    looped->m_nSubEmitterCount = 1;
    Manager().Flush();
    TParticleSystem* cycle = Spawn(looped);
    ASSERT_NE(cycle, nullptr);
    EXPECT_EQ(Manager().GetActiveCount(), 1u);
    EXPECT_EQ(cycle->m_nSubSystemCount, 0);

    // Ten levels: eight below the top are spawned, the ninth not; the brief top stays while its
    // sub-effects run.
    Manager().Flush();
    std::vector<TIParticleEmitterData*> chain{MakeData("chain0", 1)};
    for (int level = 1; level <= 9; ++level)
    {
        chain.push_back(MakeData(("chain" + std::to_string(level)).c_str(), 1));
        chain.back()->Rate = {1.0f, 0.0f};
        chain[level - 1]->aSubEmitter[0] = chain.back();
        chain[level - 1]->m_nSubEmitterCount = 1;
    }
    TParticleSystem* top = Spawn(chain[0]);
    EXPECT_EQ(Manager().GetActiveCount(), 9u);
    Manager().Update(0.1f);
    EXPECT_EQ(Manager().GetActiveCount(), 9u);
    EXPECT_EQ(top->m_nState, PARTICLE_SYSTEM_RUNNING);
}

TEST_F(ManagerTest, TheEnableSwitchStopsUpdatesReleasesAndTheCanvasFlush)
{
    TCountingCanvas canvas;
    TCanvasManager* previous = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    TParticleSystem* brief = Spawn(m_pBrief);
    TCommandManager::Instance().FindVariable(TName("ifx.enable"))->SetInt(0);
    EXPECT_FALSE(Manager().IsEnabled());
    Manager().Update(0.1f);
    EXPECT_EQ(EmitterOf(brief)->m_fElapsed, 0.0f);
    EXPECT_EQ(Manager().GetActiveCount(), 1u);
    EXPECT_EQ(Manager().GetFrameList().GetCount(), 0);
    Manager().RenderManager();
    EXPECT_EQ(canvas.flushes, 0u);

    TCommandManager::Instance().FindVariable(TName("ifx.enable"))->SetInt(1);
    Manager().Update(0.1f);
    EXPECT_EQ(Manager().GetActiveCount(), 0u);
    Manager().RenderManager();
    EXPECT_EQ(canvas.flushes, 1u);
    g_pCanvasManager = previous;
}

TEST_F(ManagerTest, TheConsoleListsAndRestartsTheSystems)
{
    TIParticleEmitterData* data = MakeData("listed", 8);
    data->StartBurst = {3.0f, 1.0f};
    TIParticleSystem* first = MakeSystem(data);
    first->m_Name = TName("smoke_first", true);
    TIParticleSystem* second = MakeSystem(data);
    second->m_Name.SetId(TName("unnamed_text").GetId());
    TConsoleLines printed;
    EXPECT_EQ(printed.Run("ifx.list"), (std::vector<std::string>{"smoke_first", ""}));

    // Only a run executes them.
    printed.lines.clear();
    TCommand* list = TCommandManager::Instance().FindCommand(TName("ifx.list"));
    ASSERT_NE(list, nullptr);
    TCommandInstruction instruction = {};
    list->Execute(instruction, COMMAND_LINK);
    EXPECT_TRUE(printed.lines.empty());
    TCommand* restart = TCommandManager::Instance().FindCommand(TName("ifx.restart"));
    ASSERT_NE(restart, nullptr);
    restart->Execute(instruction, COMMAND_LINK);
    EXPECT_FALSE(first->IsRunning());
    TCommandManager::Instance().ExecuteText("ifx.restart");
    EXPECT_TRUE(first->IsRunning() && second->IsRunning());
    EXPECT_EQ(LiveCount(first), 3);
}

TEST_F(ManagerTest, AllEffectsTogetherHoldABudgetOfParticles)
{
    TIParticleEmitterData* huge = MakeData("huge", PARTICLE_MAX_PARTICLES);
    huge->Rate = {1.0f, 0.0f};
    // Whatever earlier effects of the run keep, the rest of the budget is for these.
    std::vector<TParticleSystem*> systems;
    i32 held = 0;
    while (TIParticleSystem::GetReservedParticles() < PARTICLE_BUDGET && systems.size() < 8)
    {
        TParticleSystem* system = Spawn(huge);
        ASSERT_NE(system, nullptr);
        systems.push_back(system);
        held += system->aParticle.GetCount();
    }
    EXPECT_EQ(TIParticleSystem::GetReservedParticles(), PARTICLE_BUDGET);
    // One more gets what its record already holds, with a line.
    TParticleSystem* last = Spawn(huge);
    ASSERT_NE(last, nullptr);
    EXPECT_LE(last->aParticle.GetCount(), PARTICLE_MAX_PARTICLES);
    EXPECT_EQ(TIParticleSystem::GetReservedParticles(), PARTICLE_BUDGET);
    // Flushed and given back at a load, the storage returns to the budget.
    Manager().OnClusterLoad();
    EXPECT_EQ(TIParticleSystem::GetReservedParticles(), 0);
    EXPECT_GT(held, PARTICLE_MAX_PARTICLES);
}
