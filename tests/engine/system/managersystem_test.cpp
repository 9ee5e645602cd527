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
    void Note(const char* what) override
    {
        s_aTrack.push_back({s_pTracked->GetTrackActivity(), s_pTracked->GetTrackStep()});
        TRecordingManager::Note(what);
    }
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
    // A window that lost the focus runs "Inactive", which lists nobody: the managers made by
    // Initialize are still ended and finalized, each once.
    mm->CreateSystem(TName("Inactive"));
    mm->End();
    mm->Finalize();
    EXPECT_EQ(mm->GetLockState(), MANAGER_LOCK_LOCKED);

    const std::vector<std::string> expected = {
        "PhaseA.initialize.1", "PhaseB.initialize.2", "PhaseA.begin.1",   "PhaseB.begin.2",
        "PhaseB.update.7",     "PhaseA.render.5",     "PhaseB.render.6",  "PhaseB.end.3",
        "PhaseA.end.4",        "PhaseB.finalize.3",   "PhaseA.finalize.4"};
    EXPECT_EQ(journal, expected);
    // The end phase sets no track: its managers see the render's.
    const std::vector<std::pair<u32, u32>> track = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {4, 0}, {6, 0},
                                                    {6, 1}, {6, 1}, {6, 1}, {3, 0}, {3, 1}};
    EXPECT_EQ(s_aTrack, track);
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

