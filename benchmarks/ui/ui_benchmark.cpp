// 1,000 buttons with nine-sliced icons and captions updated and drawn per frame into a
// recording canvas, beside the canvas alone taking the same quads and texts. Run both in the
// same run: the machine is shared, only the ratio means something (aim: at most 2x).
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/texturefontmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"
#include "support/recordingcanvas.h"
#include "ui/uibutton.h"
#include "ui/uimanager.h"
#include "ui/uistyle.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace
{
constexpr i32 kButtons = 1000;
constexpr f32 kStep = 1.0f / 60.0f;

// The headless device and the level, as the game loads it; once for the run.
bool OpenLevel()
{
    static const bool s_bOpened = [] {
        setenv("VESTAMOR_HEADLESS", "1", 1);
        // No user directory: nothing is written.
        g_pFileStreamManager->SetLocked(0);
        g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        if (g_pDeviceManager->InitializeManager() != 0)
            return false;
        g_pDeviceManager->SetRunning(1);
        g_pCluster->LinkTypes();
        // The level carries the UX screens' records: the screens are registered first.
        RegisterGameScreens();
        g_pResourceManager->BeginManager();
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        g_pDxMeshManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pUIManager->BeginManager();
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        return g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0) == 0;
    }();
    return s_bOpened;
}

// Where button i lies: a grid of 40 x 25 on the screen.
void Place(i32 i, f32& x, f32& y)
{
    x = static_cast<f32>(i % 40) * 32.0f;
    y = static_cast<f32>(i / 40) * 28.0f;
}

void UIButtons(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    TUIItem* root = g_pUIManager->CreateItem("TUITabControl", "root", 1280.0f, 720.0f);
    for (i32 i = 0; i < kButtons; ++i)
    {
        auto* button = static_cast<TUIButton*>(root->CreateChild("TUIButton", "button"));
        button->SetStyle("UIButtonStyle");
        button->SetSize(30.0f, 26.0f);
        f32 x, y;
        Place(i, x, y);
        button->SetPosition(x, y);
        button->SetCaption("OK");
    }
    for (auto _ : state)
    {
        canvas.Clear();
        g_pUIManager->UpdateFrame(kStep);
        g_pUIManager->RenderManager();
        benchmark::DoNotOptimize(canvas.vertices.data());
    }
    state.counters["quads"] = canvas.Quads();
    g_pUIManager->FinalizeManager();
    g_pCanvasManager = old;
}

void CanvasAlone(benchmark::State& state)
{
    if (!OpenLevel())
    {
        state.SkipWithError("the level cannot be loaded");
        return;
    }
    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    const TUIStyle* style = g_pUIManager->__FindStyle(TName("UIButtonStyle"));
    TTexture* texture = style && style->pIcon ? style->pIcon->pNormal : nullptr;
    const TColor white{1.0f, 1.0f, 1.0f, 1.0f};
    for (auto _ : state)
    {
        canvas.Clear();
        for (i32 i = 0; i < kButtons; ++i)
        {
            f32 x, y;
            Place(i, x, y);
            // The nine pieces, then the caption.
            for (i32 piece = 0; piece < 9; ++piece)
            {
                TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(6, texture);
                const f32 px = x + static_cast<f32>(piece % 3) * 10.0f;
                const f32 py = y + static_cast<f32>(piece / 3) * 9.0f;
                v[0] = {px, py, 0.5f, 0.0f, 0.0f, 0.0f, 0xFFFFFFFF};
                v[1] = {px + 10.0f, py, 0.5f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFF};
                v[2] = {px + 10.0f, py + 9.0f, 0.5f, 0.0f, 1.0f, 1.0f, 0xFFFFFFFF};
                v[3] = v[0];
                v[4] = v[2];
                v[5] = {px, py + 9.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF};
            }
            g_pTextureFontManager->SetFont(TName("ui_sans"), 24.0f, 0.0f);
            g_pTextureFontManager->DrawText(x + 4.0f, y + 2.0f, 0, white, u"OK", 0.0f);
        }
        benchmark::DoNotOptimize(canvas.vertices.data());
    }
    state.counters["quads"] = canvas.Quads();
    g_pCanvasManager = old;
}

BENCHMARK(UIButtons)->Unit(benchmark::kMicrosecond);
BENCHMARK(CanvasAlone)->Unit(benchmark::kMicrosecond);
} // namespace
