// The window procedure and the main loop: activation, sizing, listeners, the inactive, active,
// not-running and quit passes, and device changes applied at the start of the next pass.
#include "devicefixture.h"

#include "core/system/timer.h"
#include "engine/system/managermanager.h"

#include <algorithm>
#include <functional>

namespace
{
// The calls of a pass, in order: "update", "render", "present", "flush".
std::vector<std::string> s_aCalls;

// Stands in both manager systems' update and render lists, recording what the loop asks.
class TLoopRecorder : public TManager
{
public:
    TLoopRecorder()
    {
        // Once per frame, also with a step of 0.
        m_nChannel = 0;
        m_nUpdateFlags = 0;
    }
    void UpdateManager(f32 step) override
    {
        aStep.push_back(step);
        s_aCalls.push_back("update");
        if (onUpdate)
            onUpdate();
    }
    void RenderManager() override
    {
        ++nRenders;
        s_aCalls.push_back("render");
    }

    std::vector<f32> aStep;
    u32 nRenders = 0;
    std::function<void()> onUpdate;
};

TLoopRecorder s_Recorder;

// The device manager with its present and flush noted as the loop calls them.
class TLoopDevice : public TDxDeviceManager
{
public:
    i32 Present() override
    {
        s_aCalls.push_back("present");
        const i32 result = TDxDeviceManager::Present();
        return m_nPresentResult ? m_nPresentResult : result;
    }
    void PresentFlush() override
    {
        s_aCalls.push_back("flush");
        TDxDeviceManager::PresentFlush();
    }

    i32 m_nPresentResult = 0; // what Present answers instead, where not 0
};

class LoopTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        delete m_pManager;
        m_pManager = new TLoopDevice;
        g_pDxDeviceManager = m_pManager;
        g_pDeviceManager = m_pManager;
        for (const char* system : {"Inactive", "Normal"})
        {
            g_ManagerManager.__ActivateSystem(TName(system));
            g_ManagerManager.AddUpdateManager(&s_Recorder, 0);
            g_ManagerManager.AddRenderManager(&s_Recorder, 0);
        }
        s_Recorder.aStep.clear();
        s_Recorder.nRenders = 0;
        s_Recorder.onUpdate = nullptr;
        Create();
        m_pManager->AddMethod(&m_First);
        m_pManager->AddMethod(&m_Second);
        m_Journal.clear();
        s_aCalls.clear();
    }
    void TearDown() override
    {
        for (const char* system : {"Inactive", "Normal"})
        {
            g_ManagerManager.__ActivateSystem(TName(system));
            g_ManagerManager._RemoveManager(MANAGER_LIST_UPDATE, &s_Recorder);
            g_ManagerManager._RemoveManager(MANAGER_LIST_RENDER, &s_Recorder);
        }
        g_pTimer->SetPaused(0);
        DeviceTest::TearDown();
    }
public:
    HWND Window() { return m_pManager->GetWindowHandle(); }
    void Deactivate() { Send(WM_ACTIVATE, WA_INACTIVE); }
    // The loop ends after that many updates.
    void QuitAfterUpdates(size_t count)
    {
        s_Recorder.onUpdate = [this, count] {
            if (s_Recorder.aStep.size() >= count)
                m_pManager->Quit();
        };
    }

protected:
    u32 Passes() { return g_ManagerManager.GetTiming().nPass; }

    TJournalListener m_First{"first", m_Journal};
    TJournalListener m_Second{"second", m_Journal};
};

// What ends the loop, and what each pass does: active passes update, render, present and flush;
// inactive ones update with a step of 0, sleep and draw nothing.
struct TLoopCase
{
    const char* name;
    std::function<void(LoopTest&)> setUp;
    u32 passes, updates, renders;
    std::vector<u32> sleeps;
};

class LoopEndTest : public LoopTest, public testing::WithParamInterface<TLoopCase>
{
};

TEST_P(LoopEndTest, PassesRunUntilTheLoopIsEnded)
{
    const TLoopCase& c = GetParam();
    c.setUp(*this);
    const u32 passes = Passes();
    EXPECT_EQ(m_pManager->__Run(), 0);
    EXPECT_EQ(Passes() - passes, c.passes);
    EXPECT_EQ(s_Recorder.aStep.size(), c.updates);
    EXPECT_EQ(s_Recorder.nRenders, c.renders);
    EXPECT_EQ(s_aSleeps, c.sleeps);
    std::vector<std::string> calls;
    for (u32 i = 0; i < c.renders; ++i)
        calls.insert(calls.end(), {"update", "render", "present", "flush"});
    if (c.renders == 0)
        EXPECT_EQ(s_Recorder.aStep, std::vector<f32>(c.updates, 0.0f));
    else
        EXPECT_EQ(s_aCalls, calls);
    RECT rect;
    EXPECT_TRUE(GetWindowRect(m_pManager->GetWindowHandle(), &rect)) << "the window stays";
}

INSTANTIATE_TEST_SUITE_P(
    Endings, LoopEndTest,
    testing::Values(TLoopCase{"active", [](LoopTest& t) { t.QuitAfterUpdates(3); }, 3, 3, 3, {}},
                    TLoopCase{"closed",
                              [](LoopTest& t) { PostMessageW(t.Window(), WM_CLOSE, 0, 0); }, 1, 1, 1, {}},
                    TLoopCase{"quit", [](LoopTest&) { PostQuitMessage(0); }, 1, 0, 0, {}},
                    TLoopCase{"inactive",
                              [](LoopTest& t) {
                                  t.Deactivate();
                                  t.QuitAfterUpdates(3);
                              },
                              3, 3, 0, std::vector<u32>(3, DX_INACTIVE_SLEEP_MS)}),
    [](const testing::TestParamInfo<TLoopCase>& info) { return std::string(info.param.name); });

TEST_F(LoopTest, AFailingPresentIsLoggedOnce)
{
    TLogRecorder log;
    static_cast<TLoopDevice*>(m_pManager)->m_nPresentResult = D3DERR_INVALIDCALL;
    QuitAfterUpdates(3);
    EXPECT_EQ(m_pManager->__Run(), 0);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                         "TDxDeviceManager::__Run(): error: Present failed (8876086c)"),
              1);
}

TEST_F(LoopTest, RunningFromInsideTheLoopOrWithoutADeviceIsRefused)
{
    u32 inner = 0;
    s_Recorder.onUpdate = [this, &inner] {
        if (s_Recorder.aStep.size() == 1)
        {
            const u32 passes = Passes();
            Run("device_run");
            inner = Passes() - passes;
        }
        else
            m_pManager->Quit();
    };
    Run("device_run");
    EXPECT_EQ(inner, 0u);
    EXPECT_EQ(s_Recorder.aStep.size(), 2u);
    ASSERT_FALSE(m_Console.lines.empty());
    EXPECT_EQ(m_Console.lines.back(), "E:^Ierror: the main loop is already running");

    // Once the loop has ended the command may run it again (this one has quit: it returns).
    m_Console.lines.clear();
    Run("device_run");
    EXPECT_TRUE(m_Console.lines.empty());
    // Nor without a device.
    m_pManager->m_nStepWord = 1;
    m_pManager->FinalizeManager();
    const u32 passes = Passes();
    Run("device_run");
    EXPECT_EQ(Passes(), passes);
    ASSERT_FALSE(m_Console.lines.empty());
    EXPECT_EQ(m_Console.lines.back(), "E:^Ierror: no device to run (manager.initialize creates it)");
}

TEST_F(LoopTest, DeactivationIsSkippedWhenNotAllowedAndPumpsDropCloseCommandsLosingNothing)
{
    m_pManager->SetDeactivateAllowed(0);
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(m_pManager->IsActive(), 1u);
    m_pManager->SetDeactivateAllowed(1);
    g_disable_deactivate.Store(1);
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(m_pManager->IsActive(), 1u);
    EXPECT_EQ(m_pManager->GetPauseCount(), 0);
    HWND window = m_pManager->GetWindowHandle();
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < DX_PUMP_LIMIT + 1; ++i)
        PostMessageW(window, WM_USER + 5, 0, 0);
    EXPECT_EQ(m_pManager->PumpMessages(), DX_PUMP_LIMIT);
    EXPECT_EQ(m_pManager->PumpMessages(), 1);
    EXPECT_EQ(m_pManager->PumpMessages(), 0);
}

TEST_F(LoopTest, PendingChangesApplyTogetherAtTheStartOfTheNextPass)
{
    m_pManager->SetFullScreen();
    m_pManager->SetVerticalSync(1);
    EXPECT_EQ(m_pManager->GetPendingCount(), 2u);
    EXPECT_TRUE(m_pManager->GetSettings().IsWindowed());
    EXPECT_TRUE(m_Journal.empty());

    QuitAfterUpdates(2);
    m_pManager->__Run();
    EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
    EXPECT_FALSE(m_pManager->GetSettings().IsWindowed());
    EXPECT_EQ(m_pManager->GetSettings().Present.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(m_pManager->IsFullScreen(), 1u);
    // One re-creation for both changes.
    const std::vector<std::string> expected = {"first release",  "second release", "first destroy",
                                               "second destroy", "first create",   "second create",
                                               "first change",   "second change",  "first change",
                                               "second change",  "first restore",  "second restore"};
    EXPECT_EQ(m_Journal, expected);
}

TEST_F(LoopTest, AFailedResetKeepsTheDeviceLostAndIsRetriedByTheLoop)
{
    // A back buffer left held makes Reset fail, as on Direct3D.
    IDirect3DSurface9* held = nullptr;
    ASSERT_EQ(m_pManager->GetDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &held), D3D_OK);
    EXPECT_EQ(m_pManager->_ResetDevice(), 1);
    EXPECT_EQ(m_pManager->IsResetFailed(), 1u);
    // Nothing was re-created on the device that was not reset.
    const std::vector<std::string> lost = {"first release", "second release", "first lost", "second lost"};
    EXPECT_EQ(m_Journal, lost);

    // Still held: the pass retries, sleeps and draws nothing.
    QuitAfterUpdates(1);
    s_Recorder.onUpdate = nullptr;
    PostMessageW(m_pManager->GetWindowHandle(), WM_CLOSE, 0, 0);
    m_pManager->__Run();
    EXPECT_EQ(s_Recorder.nRenders, 0u);
    EXPECT_EQ(s_aSleeps, std::vector<u32>{DX_LOST_SLEEP_MS});
    EXPECT_EQ(m_Journal, lost);

    held->Release();
    EXPECT_TRUE(m_pManager->_CheckDevice());
    EXPECT_EQ(m_pManager->IsResetFailed(), 0u);
    const std::vector<std::string> restored = {
        "first release", "second release", "first lost",    "second lost",   "first reset",
        "second reset",  "first change",   "second change", "first restore", "second restore"};
    EXPECT_EQ(m_Journal, restored);
}

} // namespace
