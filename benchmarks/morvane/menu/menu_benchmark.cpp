// The main menu and the in-game screen at 1280 x 720, headless: one frame of the game menu
// manager's and the UI manager's updates and the UI's draw submission into a recording canvas
// (rasterisation apart), against the empty frame of the same run (the frame opened, closed and
// presented). Aims: the main menu's frame at most half an empty frame (ratio <= 0.5); the
// in-game screen with 20 listed tasks at most one empty frame (ratio <= 1); the account login
// screen's UX frame with its status counting at most half an empty frame (ratio <= 0.5). The whole frame
// (opened, the UI updated, drawn and rasterised, closed, presented) is reported beside them.
// Reported too: the help screen's build of a category of 16 pages, beside the empty frame.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "core/system/timer.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"
#include "morvane/game/helpcategory.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uigamemanager.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/ux.manager.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"
#include "support/levelstart.h"
#include "support/recordingcanvas.h"
#include "ui/uimanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.manager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr f32 kStep = 1.0f / 60.0f;

// The headless device, the level and the player data in a folder of the run; once.
bool OpenLevel()
{
    static const bool s_bOpened = [] {
        if (!StartHeadlessDevice())
            return false;
        g_pDxMeshManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pDxCanvasManager->BeginManager();
        g_pUIManager->BeginManager();
        g_pGameMenuManager->BeginManager();
        // The UX screens bind to their forms when the level loads.
        UX::TUXManager::Instance().BeginManager();
        const std::string save = std::filesystem::temp_directory_path().string() + "/vestamor_menu_benchmark";
        TCommandManager::Instance().ExecuteText(("set save.directory \"" + save + "\"").c_str());
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        return g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0) == 0;
    }();
    return s_bOpened;
}

void OpenFrame()
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
}

void CloseFrame()
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    g_pDeviceManager->Present();
}

// The menu's updates: the game menu manager, the input, the UI.
void UpdateMenu()
{
    g_pTimer->Update();
    g_pGameMenuManager->UpdateManager(kStep);
    TInputManager::Instance().UpdateManager(kStep);
    g_pUIManager->UpdateFrame(kStep);
}

// One frame of what is measured: its updates and its draw submission.
typedef void (*TMeasuredFrame)();

void UiFrame()
{
    UpdateMenu();
    g_pRenderManager->m_nInRender = 1;
    g_pUIManager->RenderManager();
    g_pRenderManager->m_nInRender = 0;
}

// The UX screens' frame: the input (the UX forms update as its focus layer) and the UX's draw.
void UxFrame()
{
    g_pTimer->Update();
    TInputManager::Instance().UpdateManager(kStep);
    UX::TUXManager::Instance().UpdateManager(kStep);
    g_pRenderManager->m_nInRender = 1;
    UX::TUXManager::Instance().RenderManager();
    g_pRenderManager->m_nInRender = 0;
}

// The frames measured against empty frames of the same run; the counters of both.
void MeasureUI(benchmark::State& state, TMeasuredFrame frame = UiFrame)
{
    std::vector<f64> empty;
    for (i32 i = 0; i < 120; ++i)
    {
        const TClock::time_point start = TClock::now();
        OpenFrame();
        CloseFrame();
        empty.push_back(MillisecondsSince(start));
    }
    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    std::vector<f64> ui;
    std::vector<f64> whole;
    for (auto _ : state)
    {
        g_pCanvasManager = &canvas;
        canvas.Clear();
        TClock::time_point start = TClock::now();
        frame();
        ui.push_back(MillisecondsSince(start));
        benchmark::DoNotOptimize(canvas.vertices.data());

        g_pCanvasManager = old;
        start = TClock::now();
        OpenFrame();
        frame();
        g_pCanvasManager->Flush();
        CloseFrame();
        whole.push_back(MillisecondsSince(start));
    }
    g_pCanvasManager = old;
    const f64 ui_ms = Median(ui);
    const f64 empty_ms = Median(empty);
    state.counters["ui_ms"] = ui_ms;
    state.counters["empty_frame_ms"] = empty_ms;
    state.counters["ratio"] = ui_ms / empty_ms;
    state.counters["whole_frame_ms"] = Median(whole);
    state.counters["quads"] = canvas.Quads();
    state.counters["menu_open"] = g_pGameMenuManager->IsMenuOpen() ? 1.0 : 0.0;
}

void MainMenu(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    // The player data, the tree, then the start's fade from black to the open menu.
    for (i32 i = 0; i < 180; ++i)
        UpdateMenu();
    MeasureUI(state);
}
BENCHMARK(MainMenu)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);

// A running game with its eight gates and 20 issued tasks (one of them overdue).
void GameScreen(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    for (i32 i = 0; i < 180; ++i)
        UpdateMenu();
    // Once for the run: the repetitions see the same 20 tasks.
    static std::deque<TGate> s_aGate;
    static std::deque<TTask> s_aTask;
    TGameLogicManager& game = *g_pGameLogicManager;
    if (s_aTask.empty())
    {
        for (i32 id = 1; id <= 8; ++id)
            if (!game.FindGate(id))
            {
                s_aGate.emplace_back().m_nId = id;
                game.Gates().Add(&s_aGate.back());
            }
        for (i32 t = 0; t < 20; ++t)
        {
            TTask& task = s_aTask.emplace_back();
            task.m_nType = t % TASK_TYPE_COUNT;
            task.pGate = game.FindGate(t % 8 + 1);
            task.m_nCountdownStarted = 1;
            task.m_nStarted = t % 3 == 0;
            task.m_fDeadline = 600.0f;
            task.m_fCountdown = t == 0 ? -5.0f : 30.0f * static_cast<f32>(t);
            task.pGate->aGateTask.Add(&task);
        }
    }
    game.GetParameters().nStarted = 1;
    g_pGameMenuManager->SetMenuVisible(0, 0);
    // The panel open, its rows drawn.
    g_pGameMenuManager->OnTaskPanelEnter(g_pGameMenuManager->GetTaskBackground());
    for (i32 i = 0; i < 60; ++i)
        UpdateMenu();
    MeasureUI(state);
    state.counters["panel_open"] = g_pGameMenuManager->GetTaskPanelState() == TASK_PANEL_OPEN;
    state.counters["tasks"] = g_pGameMenuManager->GetTaskList().GetCount();
}

BENCHMARK(GameScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);

// The help screen's pages of a category of 16 (each a picture, a text and a key text) built
// again: filled, measured, arranged and the panel sized.
void HelpPages(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    static THelpCategory s_Category{};
    s_Category.Name = TName("GameHelp", true);
    s_Category.nPageCount = HELP_PAGE_CAPACITY;
    for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
    {
        s_Category.aPageText[i].Key = TName("desc_gtDeployBus", true);
        s_Category.aPageKeyText[i].Key = TName("TaskStart", true);
        s_Category.aPageImage[i] = TName("Help Image 1", true);
    }
    DArray<THelpCategory*>& categories = g_pUIGameManager->HelpCategories();
    categories.SetCount(0);
    categories.Add(&s_Category);
    g_pUIGameManager->OnClusterLoad();
    auto& help = static_cast<TUIHelpDialog&>(g_pUIGameManager->GetScreen(UI_SCREEN_HELP));
    if (!help.GetForm() || !help.GetGrid())
    {
        state.SkipWithError("the level has no help form");
        return;
    }
    help.GetForm()->Show(1);
    for (i32 i = 0; i < 10; ++i)
        UpdateMenu();
    std::vector<f64> empty;
    for (i32 i = 0; i < 60; ++i)
    {
        const TClock::time_point start = TClock::now();
        OpenFrame();
        CloseFrame();
        empty.push_back(MillisecondsSince(start));
    }
    std::vector<f64> build;
    for (auto _ : state)
    {
        const TClock::time_point start = TClock::now();
        help.ShowPages();
        build.push_back(MillisecondsSince(start));
    }
    help.GetForm()->HideNow();
    categories.SetCount(0);
    state.counters["build_ms"] = Median(build);
    state.counters["empty_frame_ms"] = Median(empty);
    state.counters["ratio"] = Median(build) / Median(empty);
    state.counters["pages"] = HELP_PAGE_CAPACITY;
}
BENCHMARK(HelpPages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);

// The account login screen over the main menu, waiting for its log-in (no server answers in
// the run): its status dots count. Aim: its UX frame at most half an empty frame.
void AccountLogin(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    for (i32 i = 0; i < 180; ++i)
        UpdateMenu();
    static const bool s_bWaiting = [] {
        auto& login = static_cast<TUIAccountLogin&>(g_pUIGameManager->GetScreen(UI_SCREEN_ACCOUNT_LOGIN));
        login.Open(ACCOUNT_LOGIN_FROM_MENU);
        for (auto [box, text] : {std::pair{login.GetUserNameBox(), u"pilot@example.com"},
                                 std::pair{login.GetPasswordBox(), u"secret1"}})
        {
            if (!box)
                return false;
            box->Text.SetCount(0);
            for (const char16_t* c = text; *c; ++c)
                box->Text.Add(*c);
            box->Text.Add(u'\0');
            box->ResetCursor();
        }
        login.OnLogin(nullptr, nullptr);
        return login.GetStatusLabel() && login.GetStatusLabel()->IsVisibleOnScreen();
    }();
    if (!s_bWaiting)
    {
        state.SkipWithError("the login screen is not waiting");
        return;
    }
    for (i32 i = 0; i < 60; ++i)
        UxFrame();
    MeasureUI(state, UxFrame);
}
BENCHMARK(AccountLogin)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);
} // namespace
