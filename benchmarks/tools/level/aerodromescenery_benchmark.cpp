// The aerodrome's background scenery (the traffic cars on the public road and the power-line
// wires) as the game logic draws it once per rendered frame, on the headless 1280 x 720 software
// device, beside the empty frame of the same run (the frame opened, closed and presented): from
// the tower, as the game starts, and from beside the road, where a car and wires fill the view.
// Counters: scenery_ms, empty_frame_ms, ratio (aim: at most 0.1), cars and line_vertices drawn
// per frame.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/camera.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "levelgenerator.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
const int s_nHeadless = setenv("VESTAMOR_HEADLESS", "1", 1);
constexpr u32 kEmptyFrames = 120;
constexpr f32 kStep = 1.0f / 60.0f;
using TClock = std::chrono::steady_clock;

f64 MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::milli>(TClock::now() - start).count();
}

f64 Median(std::vector<f64> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

// The device and the managers a frame of the aerodrome draws with, and the aerodrome, once.
bool OpenAerodrome()
{
    static const bool s_bOpened = [] {
        g_ManagerManager.Initialize();
        g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
        if (g_pDxDeviceManager->InitializeManager() != 0)
            return false;
        g_pDxDeviceManager->SetRunning(1);
        g_pDxDeviceManager->SetVerticalSync(0);
        g_pFileStreamManager->SetLocked(0);
        g_pCluster->LinkTypes();
        RegisterGameScreens();
        g_pResourceManager->BeginManager();
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        g_pDxMeshManager->BeginManager();
        g_pDxCameraManager->BeginManager();
        g_pDxViewportManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pDxCanvasManager->BeginManager();
        g_pRenderManager->BeginManager();
        g_pOrbitCameraManager->BeginManager();
        g_pGameLogicManager->BeginManager();
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, (data + "/" + MORVANE_COOKED_REPOSITORY).c_str());
        if (g_pResourceManager->LoadRepository((data + "/" + MORVANE_REPOSITORY).c_str(), 0) != 0)
            return false;
        g_pOrbitCameraManager->UpdateManager(kStep);
        return g_pOrbitCameraManager->GetCurrentCamera() != nullptr;
    }();
    return s_bOpened;
}

void BeginFrame()
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
}

void EndFrame()
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    g_pDeviceManager->Present();
}

f64 EmptyFrameMilliseconds()
{
    std::vector<f64> empty;
    for (u32 i = 0; i < kEmptyFrames; ++i)
    {
        const TClock::time_point start = TClock::now();
        BeginFrame();
        EndFrame();
        empty.push_back(MillisecondsSince(start));
    }
    return Median(empty);
}

// The tower's view (0), or one beside the car nearest the road's west bend, looking past it at
// the bend and the west power line (1). A first frame puts the cars at their segments.
void PlaceEye(i64 view)
{
    g_pOrbitCameraManager->UpdateManager(kStep);
    if (view == 0)
        return;
    BeginFrame();
    g_pGameLogicManager->RenderManager();
    EndFrame();
    const DArray<TTrafficVehicle*>& cars = g_pGameLogicManager->TrafficVehicles();
    const TVector bend(-760.0f, 12.0f, 250.0f, 1.0f);
    const TVector* nearest = nullptr;
    for (i32 i = 0; i < cars.GetCount(); ++i)
    {
        const TVector& at = cars[i]->World.Translation();
        if (!nearest || TVector::Subtract(at, bend).Length() < TVector::Subtract(*nearest, bend).Length())
            nearest = &at;
    }
    if (!nearest)
        return;
    const TVector eye(nearest->x + 20.0f, nearest->y + 4.0f, nearest->z + 10.0f, 1.0f);
    TMatrix place;
    place.SetOrientation(TVector::Subtract(bend, eye), TVector(0.0f, 1.0f, 0.0f, 0.0f));
    place.Translation() = eye;
    g_pOrbitCameraManager->GetCurrentCamera()->pCamera->GetNode()->SetWorldMatrix(place, TNode::OrdinaryCause());
}

void AerodromeScenery(benchmark::State& state)
{
    if (!OpenAerodrome())
    {
        state.SkipWithError("no device or no aerodrome");
        return;
    }
    PlaceEye(state.range(0));
    const f64 empty = EmptyFrameMilliseconds();
    TBackgroundScenery& scenery = g_pGameLogicManager->Scenery();
    scenery.ResetCounts();
    std::vector<f64> times;
    for (auto _ : state)
    {
        BeginFrame();
        // The scene the scenery draws over, as the render list has it first (not timed).
        g_pDxViewportManager->m_nStepWord = 0;
        g_pDxViewportManager->RenderManager();
        const TClock::time_point start = TClock::now();
        g_pGameLogicManager->RenderManager();
        times.push_back(MillisecondsSince(start));
        EndFrame();
    }
    const f64 scenery_ms = Median(times);
    const f64 frames = static_cast<f64>(state.iterations());
    state.counters["scenery_ms"] = scenery_ms;
    state.counters["empty_frame_ms"] = empty;
    state.counters["ratio"] = scenery_ms / empty;
    state.counters["cars"] = scenery.GetCarsDrawn() / frames;
    state.counters["line_vertices"] = scenery.GetLineVertices() / frames;
    state.counters["line_draws"] = scenery.GetLineDraws() / frames;
}
} // namespace

BENCHMARK(AerodromeScenery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200)->Repetitions(3);
