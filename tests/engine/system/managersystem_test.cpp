#include "core/system/timer.h"
#include "engine/system/managermanager.h"
#include "testmanager.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
class ManagerSystem : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mm = std::make_unique<TManagerManager>();
        mm->CreateSystem(TName("test"));
    }

    std::unique_ptr<TManagerManager> mm;
    std::vector<std::string> journal;
};

// Records the crash track seen by each call.
TManagerManager* s_pTracked = nullptr;
std::vector<std::pair<u32, u32>> s_aTrack;

class TTrackManager : public TRecordingManager
{
public:
    using TRecordingManager::TRecordingManager;
    i32 InitializeManager() override { return Track(), TRecordingManager::InitializeManager(); }
    void BeginManager() override
    {
        Track();
        TRecordingManager::BeginManager();
    }
    void FinalizeManager() override
    {
        Track();
        TRecordingManager::FinalizeManager();
    }
    void RenderManager() override
    {
        Track();
        TRecordingManager::RenderManager();
    }
    void UpdateManager(f32 step) override
    {
        Track();
        TRecordingManager::UpdateManager(step);
    }
    void Track() { s_aTrack.push_back({s_pTracked->GetTrackActivity(), s_pTracked->GetTrackStep()}); }
};
} // namespace

TEST_F(ManagerSystem, PhasesRunTheirListsInOrderWithWordsAndCrashTrack)
{
    TTrackManager a("PhaseA", &journal), b("PhaseB", &journal);
    s_pTracked = mm.get();
    s_aTrack.clear();
    mm->AddInitializeManager(&a, 1);
    mm->AddInitializeManager(&b, 2);
    mm->AddFinalizeManager(&b, 3);
    mm->AddFinalizeManager(&a, 4);
    mm->AddRenderManager(&a, 5);
    mm->AddRenderManager(&b, 6);
    a.m_nChannel = b.m_nChannel = 0;
    mm->AddUpdateManager(&b, 7);

    EXPECT_EQ(mm->GetLockState(), MANAGER_LOCK_LOCKED);
    mm->Initialize();
    EXPECT_EQ(mm->GetLockState(), MANAGER_LOCK_OPEN);
    mm->Begin();
    mm->Update(0.1f);
    mm->Render();
    mm->End();
    mm->Finalize();
    EXPECT_EQ(mm->GetLockState(), MANAGER_LOCK_LOCKED);

    const std::vector<std::string> expected = {
        "PhaseA.initialize.1", "PhaseB.initialize.2", "PhaseA.begin.1",   "PhaseB.begin.2",
        "PhaseB.update.7",     "PhaseA.render.5",     "PhaseB.render.6",  "PhaseB.end.3",
        "PhaseA.end.4",        "PhaseB.finalize.3",   "PhaseA.finalize.4"};
    EXPECT_EQ(journal, expected);
    // The end phase sets no track.
    const std::vector<std::pair<u32, u32>> track = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {4, 0},
                                                    {6, 0}, {6, 1}, {3, 0}, {3, 1}};
    EXPECT_EQ(s_aTrack, track);
}

TEST_F(ManagerSystem, InitializeErrorIsLoggedAndTheManagerStaysInItsLists)
{
    TRecordingManager failing("Failing", &journal);
    failing.m_nInitializeResult = 3;
    mm->AddInitializeManager(&failing, 0);
    mm->Initialize();
    mm->Begin();
    EXPECT_EQ(journal, (std::vector<std::string>{"Failing.initialize.0", "Failing.begin.0"}));
    EXPECT_EQ(mm->GetLockState(), MANAGER_LOCK_OPEN);
}

TEST_F(ManagerSystem, ActivationFindsTheFirstSystemOfANameAndAFifthSystemIsRefused)
{
    TManagerSystem* first = mm->GetActiveSystem();
    TManagerSystem* second = mm->CreateSystem(TName("test"));
    EXPECT_NE(first, second);
    EXPECT_EQ(mm->GetActiveSystem(), second);
    mm->__ActivateSystem(TName("test"));
    EXPECT_EQ(mm->GetActiveSystem(), first);
    mm->__ActivateSystem(TName("missing"));
    EXPECT_EQ(mm->GetActiveSystem(), nullptr);
    EXPECT_EQ(mm->FindSystem(TName("test")), first);
    // The fourth system is the last made, the fifth is refused.
    for (int i = 0; i < 2; ++i)
        EXPECT_NE(mm->CreateSystem(TName("more")), nullptr);
    TManagerSystem* active = mm->GetActiveSystem();
    EXPECT_EQ(mm->CreateSystem(TName("fifth")), nullptr);
    EXPECT_EQ(mm->GetActiveSystem(), active);
}

TEST_F(ManagerSystem, ChannelArithmeticCarriesTheRemainder)
{
    mm->Update(0.5f);
    EXPECT_EQ(mm->GetStepCount(1), 2);
    EXPECT_FLOAT_EQ(mm->GetStepTime(1), 0.2f);
    EXPECT_NEAR(mm->GetAccumulatedTime(1), 0.1f, 1e-6f);
    EXPECT_EQ(mm->GetStepCount(0), 1);
    EXPECT_FLOAT_EQ(mm->GetStepTime(0), 0.5f);
    // Single precision: 0.1 carried and 0.1 more stay just below the step.
    mm->Update(0.15f);
    EXPECT_EQ(mm->GetStepCount(1), 1);
    EXPECT_NEAR(mm->GetAccumulatedTime(1), 0.05f, 1e-6f);
    EXPECT_EQ(mm->GetStepCount(4), 15);
    mm->Update(0.05f);
    EXPECT_EQ(mm->GetStepCount(1), 0);
    // A paused frame: one step of 0.0 on every channel, the accumulated time kept.
    const f32 kept = mm->GetAccumulatedTime(1);
    mm->Update(0.0f);
    for (u32 c = 0; c < MANAGER_CHANNEL_COUNT; ++c)
    {
        EXPECT_EQ(mm->GetStepCount(c), 1);
        EXPECT_EQ(mm->GetStepTime(c), 0.0f);
    }
    EXPECT_EQ(mm->GetAccumulatedTime(1), kept);
}

TEST_F(ManagerSystem, UpdateFlagsDecideStepsAndCalls)
{
    TRecordingManager plain("Plain"), collapse("Collapse"), sum("Sum"), eager("Eager");
    plain.m_nChannel = collapse.m_nChannel = sum.m_nChannel = 1;
    collapse.m_nUpdateFlags = MANAGER_UPDATE_SKIP_ZERO | MANAGER_UPDATE_COLLAPSE;
    sum.m_nUpdateFlags = MANAGER_UPDATE_SKIP_ZERO | MANAGER_UPDATE_COLLAPSE | MANAGER_UPDATE_SUM;
    eager.m_nChannel = 0;
    eager.m_nUpdateFlags = 0;
    for (TRecordingManager* m : {&plain, &collapse, &sum, &eager})
        mm->AddUpdateManager(m, 0);

    mm->Update(0.5f);
    EXPECT_EQ(plain.m_aStep, (std::vector<f32>{0.2f, 0.2f}));
    EXPECT_EQ(collapse.m_aStep, (std::vector<f32>{0.2f}));
    EXPECT_EQ(sum.m_aStep, (std::vector<f32>{0.4f}));
    EXPECT_EQ(plain.m_nUpdateCalls, 2u);

    // Paused: managers with 0x1 are not called, the others get one call with 0.0.
    mm->Update(0.0f);
    EXPECT_EQ(plain.m_aStep.size(), 2u);
    EXPECT_EQ(eager.m_aStep, (std::vector<f32>{0.5f, 0.0f}));
}

TEST_F(ManagerSystem, OwnClockStepsFromItsRemainderAndFollowsTheTimeScale)
{
    TRecordingManager own("OwnClock");
    own.m_nChannel = 1;
    own.m_nUpdateFlags = MANAGER_UPDATE_OWN_CLOCK;
    mm->AddUpdateManager(&own, 0);
    mm->Update(0.1f);
    // No step due and no 0x1: one call.
    EXPECT_EQ(own.m_aStep.size(), 1u);
    mm->Update(0.35f);
    EXPECT_EQ(own.m_aStep.size(), 3u);
    EXPECT_NEAR(own.m_fClockRemainder, 0.05f, 1e-5f);
    // Its step follows the timer's scale: channel 1 runs 5 steps a second, doubled time makes
    // each step 0.4.
    TRecordingManager scaled("ScaledClock");
    scaled.m_nChannel = 1;
    scaled.m_nUpdateFlags = MANAGER_UPDATE_OWN_CLOCK | MANAGER_UPDATE_SKIP_ZERO;
    mm->AddUpdateManager(&scaled, 0);
    g_pTimer->SetScale(2.0f, TName("test_scale"));
    mm->Update(0.5f);
    g_pTimer->SetScale(1.0f, TName("test_scale"));
    ASSERT_EQ(scaled.m_aStep.size(), 1u);
    EXPECT_NEAR(scaled.m_aStep[0], 0.4f, 1e-6f);
    EXPECT_NEAR(scaled.m_fClockRemainder, 0.1f, 1e-5f);
}

TEST_F(ManagerSystem, DefaultUpdateRemovesTheManagerAndTheNextEntryStillRuns)
{
    // The defaults act on the global manager manager.
    TManagerManager& global = g_ManagerManager;
    if (!global.FindSystem(TName("defaults")))
    {
        ASSERT_NE(global.CreateSystem(TName("defaults")), nullptr);
    }
    global.__ActivateSystem(TName("defaults"));
    TManager bare;
    TRecordingManager after("After");
    bare.m_nChannel = after.m_nChannel = 0;
    global.AddUpdateManager(&bare, 0);
    global.AddUpdateManager(&after, 0);
    global.AddRenderManager(&bare, 0);
    global.AddRenderManager(&after, 0);
    global.Update(0.1f);
    global.Render();
    global.Update(0.1f);
    EXPECT_EQ(bare.m_nUpdateCalls, 1u);
    EXPECT_EQ(bare.m_nRenderCalls, 1u);
    EXPECT_EQ(after.m_aStep.size(), 2u);
    EXPECT_EQ(after.m_nRenderCalls, 1u);
    EXPECT_EQ(global.GetActiveSystem()->aList[MANAGER_LIST_UPDATE].GetCount(), 1u);
    EXPECT_EQ(global.GetActiveSystem()->aList[MANAGER_LIST_RENDER].GetCount(), 1u);
    global.GetActiveSystem()->aList[MANAGER_LIST_UPDATE].SetCount(0);
    global.GetActiveSystem()->aList[MANAGER_LIST_RENDER].SetCount(0);
}

namespace
{
TManagerManager* s_pRequesting = nullptr;
void RequestOther(TRecordingManager*)
{
    s_pRequesting->RequestSystem(TName("other"));
}
} // namespace

TEST_F(ManagerSystem, RequestedSystemTakesEffectAfterTheUpdatesBeforeRender)
{
    TRecordingManager requester("Requester"), second("Second"), drawn("Drawn");
    requester.m_nChannel = second.m_nChannel = 0;
    requester.m_pOnUpdate = RequestOther;
    s_pRequesting = mm.get();
    mm->AddUpdateManager(&requester, 0);
    mm->AddUpdateManager(&second, 0);
    TManagerSystem* other = mm->CreateSystem(TName("other"));
    mm->AddRenderManager(&drawn, 0);
    mm->__ActivateSystem(TName("test"));

    mm->Update(0.1f);
    EXPECT_EQ(second.m_aStep.size(), 1u);
    EXPECT_EQ(mm->GetActiveSystem(), other);
    mm->Render();
    EXPECT_EQ(drawn.m_nRenderCalls, 1u);
}
