// The UX on the headless device at 1280 x 720, each against the empty frame of the same run (the
// frame cleared and presented):
// - a form of 500 controls: 250 buttons showing only their six nine-sliced state images, and 125
//   buttons and 125 labels with texts laid out and drawn every frame; every control laid out
//   every frame; one frame of the UX in the main loop (the input step with its routing, the
//   trees' transitions and layout, the draw submission into a recording canvas, so that
//   rasterisation stays apart); the pointer sweeps over the controls. Aim: at most 1.5 empty
//   frames;
// - a stacker of 256 items re-arranged every frame, its width changing so that every item moves,
//   with the glides running. Aim: at most 0.25 empty frames;
// - a focused text box taking 32 buffered key events a frame (typing, the caret's moves and
//   deletions) and drawn. Aim: at most 0.25 empty frames;
// - a grid of 20 rows over 10,000 records scrolled one row a frame: every row bound again, its
//   text, number and date formatted. Aim: at most 0.25 empty frames.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "core/system/datetime.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxshadermanager.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"
#include "support/levelstart.h"
#include "support/recordingcanvas.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/controls/ux.recorddataset.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.manager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
constexpr i32 kControls = 500;
constexpr f32 kStep = 1.0f / 60.0f;

bool OpenUx()
{
    static const bool s_bOpened = [] {
        if (!StartHeadlessDevice())
            return false;
        UX::TUXManager::Instance().BeginManager();
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, VESTAMOR_DATA_DIR "/shaders.data");
        return g_pResourceManager->LoadRepository(VESTAMOR_DATA_DIR "/ux.data", 0) == 0;
    }();
    return s_bOpened;
}

// The empty frame of the main loop: the frame opened (cleared) and closed, and presented.
void EmptyFrame()
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    g_pDeviceManager->Present();
}

// 500 controls in a grid of 25 x 20 on a form of layer 1, shown: every other one a button of
// images only, the rest buttons and labels with texts.
struct TForm500
{
    TForm500()
    {
        UX::TLayer* layer = UX::TUXManager::Instance().GetLayer(1);
        form.Name = TName("bench_form", true);
        form.SetSize(1280.0f, 720.0f);
        form.LayerIndex = 1;
        layer->AddChild(&form);
        for (i32 i = 0; i < kControls; ++i)
        {
            auto& control = controls[static_cast<size_t>(i)];
            char16_t text[16];
            FormatStringW(text, u"Item %d", i);
            if (i % 4 == 3)
            {
                auto label = std::make_unique<UX::TLabel>();
                label->Text.SetText(text);
                control = std::move(label);
            }
            else
            {
                auto button = std::make_unique<UX::TButton>();
                if (i % 4 == 1)
                    button->Text.SetText(text);
                control = std::move(button);
            }
            form.AddChild(control.get());
            control->SetStyle(TName(i % 4 == 3 ? "ux_demo_value" : "ux_demo_button", true));
            control->SetPosition(static_cast<f32>(i % 25) * 51.0f, static_cast<f32>(i / 25) * 36.0f);
            control->SetSize(48.0f, 32.0f);
        }
        form.Show(2);
    }
    ~TForm500()
    {
        UX::TLayer* layer = UX::TUXManager::Instance().GetLayer(1);
        layer->Remove(&form);
        for (auto& control : controls)
            form.RemoveChild(control.get());
        layer->RemoveChild(&form);
    }

    UX::TForm form;
    std::unique_ptr<UX::TControl> controls[kControls];
};

// The median empty frame of the run so far.
f64 EmptyFrameMilliseconds()
{
    std::vector<f64> empty;
    for (i32 i = 0; i < 120; ++i)
    {
        const TClock::time_point start = TClock::now();
        EmptyFrame();
        empty.push_back(MillisecondsSince(start));
    }
    return Median(empty);
}

void Report(benchmark::State& state, const char* name, const std::vector<f64>& frames, f64 empty_ms)
{
    const f64 ms = Median(frames);
    state.counters[name] = ms;
    state.counters["empty_frame_ms"] = empty_ms;
    state.counters["ratio"] = ms / empty_ms;
}

void UxFormOf500Controls(benchmark::State& state)
{
    if (!OpenUx())
    {
        state.SkipWithError("the UX repository cannot be loaded");
        return;
    }
    const f64 empty_ms = EmptyFrameMilliseconds();

    TForm500 bench;
    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    UX::TUXManager& ux = UX::TUXManager::Instance();
    std::vector<f64> frames;
    u32 frame = 0;
    for (auto _ : state)
    {
        // The pointer sweeps the grid, a button further each frame.
        const i32 target = static_cast<i32>(frame++ % kControls);
        TInputManager::Instance().SetPointerPosition(static_cast<f32>(target % 25) * 51.0f + 20.0f,
                                                     static_cast<f32>(target / 25) * 36.0f + 15.0f);
        canvas.Clear();
        g_pTimer->Update();
        const TClock::time_point start = TClock::now();
        TInputManager::Instance().UpdateManager(kStep);
        ux.UpdateManager(kStep);
        ux.RenderManager();
        frames.push_back(MillisecondsSince(start));
        benchmark::DoNotOptimize(canvas.vertices.data());
    }
    g_pCanvasManager = old;
    Report(state, "ux_ms", frames, empty_ms);
    state.counters["quads"] = canvas.Quads();
}
BENCHMARK(UxFormOf500Controls)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600)->Repetitions(3);

void UxStackerOf256Items(benchmark::State& state)
{
    if (!OpenUx())
    {
        state.SkipWithError("the UX repository cannot be loaded");
        return;
    }
    const f64 empty_ms = EmptyFrameMilliseconds();
    UX::TLayer* layer = UX::TUXManager::Instance().GetLayer(1);
    UX::TStacker stacker;
    layer->AddChild(&stacker);
    std::vector<std::unique_ptr<UX::TLabel>> items;
    for (u32 i = 0; i < UX::STACKER_ITEM_CAPACITY; ++i)
    {
        items.push_back(std::make_unique<UX::TLabel>());
        stacker.AddChild(items.back().get());
        items.back()->SetSize(40.0f + static_cast<f32>(i % 7) * 10.0f, 30.0f);
        stacker.AddItem(items.back().get());
        stacker.aItemMotion[i].nState = UX::MOTION_MOVE;
    }
    stacker.SpacingX = stacker.SpacingY = 6.0f;
    stacker.MoveDuration = 0.5f;
    std::vector<f64> frames;
    u32 frame = 0;
    for (auto _ : state)
    {
        // Every other frame the width changes: new lines, new targets, every item moving.
        stacker.SetSize(frame++ % 2 ? 1200.0f : 900.0f, 700.0f);
        stacker.UpdateLayout(0);
        g_pTimer->Update();
        const TClock::time_point start = TClock::now();
        stacker.Arrange(0);
        frames.push_back(MillisecondsSince(start));
        for (UX::TStacker::TItemMotion& motion : stacker.aItemMotion)
            motion.nState = UX::MOTION_MOVE;
    }
    Report(state, "stacker_ms", frames, empty_ms);
    state.counters["lines"] = stacker.GetLineCount();
    for (auto& item : items)
        stacker.RemoveChild(item.get());
    layer->RemoveChild(&stacker);
}
BENCHMARK(UxStackerOf256Items)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600)->Repetitions(3);

void UxTextBoxOf32EventsAFrame(benchmark::State& state)
{
    if (!OpenUx())
    {
        state.SkipWithError("the UX repository cannot be loaded");
        return;
    }
    const f64 empty_ms = EmptyFrameMilliseconds();
    UX::TLayer* layer = UX::TUXManager::Instance().GetLayer(1);
    UX::TTextBox box;
    layer->AddChild(&box);
    box.SetStyle(TName("ux_demo_textbox", true));
    box.SetSize(600.0f, 56.0f);
    box.MaxLength = UX::TEXT_BOX_MAX_LENGTH;
    layer->UpdateLayout(1);
    box.SetFocus();
    box.Text = u"Ground operations of the aerodrome";
    box.ResetCursor();
    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    TInputManager& input = TInputManager::Instance();
    // The caret back and forth, typing and a deletion: the text keeps its length from frame to
    // frame (the ring holds 31 events: the first of a frame, a move left, is the one dropped).
    const TInputEvent left = {INPUT_KEY_PRESS, 145, 0};
    const TInputEvent right = {INPUT_KEY_PRESS, 147, 0};
    const TInputEvent typed = {0, 16, u'w'};
    const TInputEvent backspace = {0, 14, 8};
    std::vector<f64> frames;
    for (auto _ : state)
    {
        for (u32 i = 0; i < 32; ++i)
            input.OnInputEvent(i % 4 == 0 ? left : i % 4 == 1 ? right : i % 4 == 2 ? typed : backspace);
        canvas.Clear();
        UX::TMouse mouse = {};
        const TClock::time_point start = TClock::now();
        box.Update(&mouse, kStep, 0);
        box.Draw();
        frames.push_back(MillisecondsSince(start));
        benchmark::DoNotOptimize(canvas.vertices.data());
    }
    g_pCanvasManager = old;
    Report(state, "textbox_ms", frames, empty_ms);
    state.counters["length"] = box.Length();
    state.counters["focused"] = (box.nFlags & UX::CONTROL_FOCUSED) ? 1 : 0;
    state.counters["quads"] = canvas.Quads();
    UX::TUXManager::Instance().SetFocus(nullptr);
    layer->RemoveChild(&box);
}
BENCHMARK(UxTextBoxOf32EventsAFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600)->Repetitions(3);
// A saved game as the grid's records hold it.
struct TBenchRecord
{
    char16_t title[64];
    i32 money;
    u64 saved;
};

void UxGridOf10000Records(benchmark::State& state)
{
    if (!OpenUx())
    {
        state.SkipWithError("the UX repository cannot be loaded");
        return;
    }
    const f64 empty_ms = EmptyFrameMilliseconds();
    constexpr u32 kRecords = 10000;
    constexpr u32 kGridRows = 20;
    std::vector<TBenchRecord> records(kRecords);
    for (u32 i = 0; i < kRecords; ++i)
    {
        char16_t title[2048];
        FormatStringW(title, u"Saved game %u", i);
        UX::TDataSet::CopyString(records[i].title, title);
        records[i].money = static_cast<i32>(i) * 250;
        records[i].saved = FILETIME_UNIX_EPOCH + static_cast<u64>(i) * 3600ull * FILETIME_PER_SECOND;
    }
    UX::TRecordLayout layout = {};
    layout.aColumn.Add({TName("title", true), UX::COLUMN_STRING, offsetof(TBenchRecord, title)});
    layout.aColumn.Add({TName("money", true), UX::COLUMN_INT32, offsetof(TBenchRecord, money)});
    layout.aColumn.Add({TName("saved", true), UX::COLUMN_FILE_TIME, offsetof(TBenchRecord, saved)});
    layout.nStride = sizeof(TBenchRecord);
    UX::TRecordDataSet set;
    set.Assign(records.data(), kRecords, layout, false);

    UX::TLayer* layer = UX::TUXManager::Instance().GetLayer(1);
    UX::TGridView grid;
    layer->AddChild(&grid);
    grid.RowHeight = 30.0f;
    grid.SetSize(900.0f, 30.0f * kGridRows);
    std::vector<std::unique_ptr<UX::TControl>> rows;
    for (u32 i = 0; i < kGridRows; ++i)
    {
        auto row = std::make_unique<UX::TButton>();
        grid.AddChild(row.get());
        row->SetSize(900.0f, 30.0f);
        for (const char* name : {"title", "money", "saved"})
        {
            auto label = std::make_unique<UX::TLabel>();
            label->Name = TName(name, true);
            row->AddChild(label.get());
            rows.push_back(std::move(label));
        }
        grid.aDetail.Add(row.get());
        rows.push_back(std::move(row));
    }
    grid.OnLoad();
    layer->UpdateLayout(1);
    grid.SetDataSet(&set);
    std::vector<f64> frames;
    u32 first = 0;
    for (auto _ : state)
    {
        first = (first + 1) % (kRecords - kGridRows);
        const TClock::time_point start = TClock::now();
        grid.SetFirstVisible(static_cast<i32>(first));
        grid.Update(nullptr, kStep, 0);
        frames.push_back(MillisecondsSince(start));
    }
    Report(state, "grid_ms", frames, empty_ms);
    state.counters["rows"] = grid.VisibleRows;
    for (auto& control : rows)
        if (control->pParent)
            control->pParent->RemoveChild(control.get());
    layer->RemoveChild(&grid);
}
BENCHMARK(UxGridOf10000Records)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600)->Repetitions(3);
} // namespace
