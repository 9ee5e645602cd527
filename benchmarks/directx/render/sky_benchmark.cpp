// The sky and the rain over the game's level at 1280 x 720 on the headless window (frameloop.h),
// each beside its yardstick in the same run:
// - SkyPass: the atmosphere's pass (dome, sun, clouds and elements at 0.4 of the day, clouds 0.3)
//   beside a canvas full-screen copy into the same back buffer; counters sky_ms, copy_ms and
//   ratio (aim: at most 2).
// - RainParticle: one layer of the dynamic weather's particles beside as many plain two-triangle
//   quads of the same size at the same places, written into a dynamic mesh and drawn with the
//   canvas's textured 3D shader and the same texture into the same target, under the forward
//   renderer (RainParticle/0, the back buffer) and the deferred one (RainParticle/1, its
//   pipeline's float target). The benchmark sets what it depends on itself (renderer, detail
//   level 5 and a mesh built for it, the rain's look, one layer, the camera's speed), so that
//   benchmarks run before it change nothing, and takes the two in turns, each first every other
//   iteration. Counters particle_ns, quad_ns (per particle, wall time), ratio (aim: at most 2),
//   and cpu_ratio, the same over the processor time of every thread, which other work on the
//   machine disturbs less.
// - WeatherUpdate: the weather's update of 20 layers with 16 occlusion boxes beside the empty
//   frame of the same loop; counters update_ms, empty_ms and ratio (aim: at most 0.01).
#include "frameloop.h"

#include "directx/render/dxdevice.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/canvasvertex.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/rendermanager.h"
#include "engine/render/texture.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsettings.h"
#include "igame/effects/effectsmanager.h"

#include <cmath>
#include <ctime>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr u32 kEmptyFrames = 200;
constexpr u32 kQuad = 6;
// The rain's mesh at the highest detail: 10,000 particles.
constexpr i32 kRainDetail = 5;
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

// A few frames of the level first: they deliver its shaders and textures.
bool Level()
{
    if (!StartLevel())
        return false;
    static const bool s_bLoaded = [] {
        g_FrameDriver.Begin(10, CopyMilliseconds);
        RunFrames("level");
        return true;
    }();
    return s_bLoaded;
}

void SkyPass(benchmark::State& state)
{
    if (!Level() || !g_pAtmosphereManager || g_pAtmosphereManager->Atmospheres().GetCount() == 0)
    {
        state.SkipWithError("no device, level or sky");
        return;
    }
    g_pAtmosphereManager->SetTimeOfDay(0.4f);
    g_pAtmosphereManager->SetCloudOverride(0.3f);
    g_pAtmosphereManager->UpdateManager(1.0f / 60.0f);
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    IDirect3DSurface9* back = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    IDirect3DTexture9* picture = nullptr;
    TTexture* texture = g_pAtmosphereManager->Atmospheres()[0]->pMainBackgroundTexture;
    TShader* copy = g_pCanvasManager->SetShader(texture, 0);
    g_pRenderManager->m_nInRender = 1;
    f64 sky = 0.0, copied = 0.0;
    for (auto _ : state)
    {
        device->SetRenderTarget(0, back);
        device->BeginScene();
        TClock::time_point start = TClock::now();
        g_pAtmosphereManager->RenderManager();
        device->EndScene();
        sky += MillisecondsSince(start);
        device->SetRenderTarget(0, back);
        device->BeginScene();
        g_pCanvasManager->SetApertureToDevice();
        start = TClock::now();
        g_pCanvasManager->DrawFullScreen(copy, kWhite);
        g_pCanvasManager->Flush();
        copied += MillisecondsSince(start);
        device->EndScene();
    }
    g_pRenderManager->m_nInRender = 0;
    g_pAtmosphereManager->SetCloudOverride(ATMOSPHERE_NO_OVERRIDE);
    (void)picture;
    back->Release();
    const f64 n = static_cast<f64>(state.iterations());
    state.counters["sky_ms"] = sky / n;
    state.counters["copy_ms"] = copied / n;
    state.counters["ratio"] = sky / copied;
}
BENCHMARK(SkyPass)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);

// The particles' places as the weather's mesh has them, then as its model grows them: the
// corners of each streak for the layer's constants.
void PlaceQuads(const TVector* c, u32 particles, std::vector<TCanvasVertex>& out)
{
    TRandom random;
    out.resize(static_cast<size_t>(particles) * kQuad);
    const f32 width = c[WEATHER_VECTOR_SCALES].x * 0.5f;
    // Facing the eye: across its right axis, along its up axis.
    const TVector z = c[WEATHER_VECTOR_AHEAD].Normalized();
    const TVector right = TVector::Cross(TVector(0.0f, 1.0f, 0.0f, 0.0f), z).Normalized();
    const TVector up = TVector::Cross(z, right);
    for (u32 k = 0; k < particles; ++k)
    {
        f32 p[3];
        for (f32& v : p)
            v = static_cast<f32>(random.NextUnit()) * WEATHER_CELL;
        f32 world[3];
        for (u32 i = 0; i < 3; ++i)
        {
            const f32 eye = (&c[WEATHER_VECTOR_CAMERA].x)[i], ahead = (&c[WEATHER_VECTOR_AHEAD].x)[i];
            const f32 wrapped = std::fmod(p[i] + (&c[WEATHER_VECTOR_LAYER_OFFSET].x)[i], WEATHER_CELL);
            world[i] = eye + ahead * (30.0f / 18.0f) + 30.0f - (wrapped < 0.0f ? wrapped + WEATHER_CELL : wrapped);
        }
        const f32 length = std::fmax(std::fabs(c[WEATHER_VECTOR_LAYER_VELOCITY].y * c[WEATHER_VECTOR_SCALES].y), width);
        const f32 corner[kQuad][2] = {{-1, 0}, {-1, 1}, {1, 1}, {1, 1}, {1, 0}, {-1, 0}};
        for (u32 i = 0; i < kQuad; ++i)
        {
            const f32 a = corner[i][0] * width, b = -corner[i][1] * length;
            out[k * kQuad + i] = {world[0] + right.x * a + up.x * b, world[1] + right.y * a + up.y * b,
                                  world[2] + right.z * a + up.z * b, 1.0f, corner[i][0] * 0.5f + 0.5f, corner[i][1],
                                  0x99FFFFFFu};
        }
    }
}

f64 ProcessMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<f64>(now.tv_sec) * 1e3 + static_cast<f64>(now.tv_nsec) / 1e6;
}

void RainParticle(benchmark::State& state)
{
    const TEffectSettings* rain = Level() ? g_pEffectsManager->FindSettings(TName("Effects_Rain").GetId()) : nullptr;
    if (!rain)
    {
        state.SkipWithError("no device, level or rain look");
        return;
    }
    // The forward renderer draws into the back buffer, the deferred one into its pipeline's float
    // targets; a frame of the level makes the chosen one active.
    TCommandManager::Instance().ExecuteText(state.range(0) ? "set deferredrendering.disable 0"
                                                           : "set deferredrendering.disable 1");
    g_FrameDriver.Begin(2, CopyMilliseconds);
    RunFrames("level");
    TDynamicWeatherManager& weather = *g_pDynamicWeatherManager;
    // The mesh of the highest detail, whatever an earlier benchmark left; a still camera.
    TVariable* detail = TCommandManager::Instance().FindVariable(TName("device.detaillevel"));
    const i32 savedDetail = detail ? detail->GetValue().ToInt() : 0;
    if (detail)
        detail->Store(kRainDetail);
    weather.OnClusterUnload();
    weather.ResetCamera();
    weather.SetCurrentState(reinterpret_cast<const u8*>(rain) + offsetof(TEffectSettings, aWeather));
    weather.Block().Current.aParameter[WEATHER_LAYER_COUNT] = 1.0f;
    auto* texture = static_cast<TTexture*>(weather.Block().Current.Texture.Get());
    weather.UpdateManager(1.0f / 60.0f);
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    IDirect3DSurface9* back = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    g_pRenderManager->m_nInRender = 1;
    // One draw to build the mesh and fill the constants the quads copy.
    device->SetRenderTarget(0, back);
    device->BeginScene();
    weather.RenderManager();
    device->EndScene();
    const u32 particles = weather.GetParticleCount();
    const TMeshDescription format = CanvasVertexDescription();
    TDynamicMesh* mesh = g_pCreateDynamicMesh ? g_pCreateDynamicMesh(particles * kQuad, format) : nullptr;
    TShader* shader = g_pCanvasManager->SetShader(texture, 8);
    std::vector<TCanvasVertex> quads;
    PlaceQuads(weather.GetConstants(), particles, quads);
    if (!texture || !mesh || !shader || particles != WEATHER_PARTICLES[kRainDetail])
    {
        if (detail)
            detail->Store(savedDetail);
        state.SkipWithError("no rain texture or mesh");
        return;
    }
    const auto drawRain = [&] { weather.RenderManager(); };
    const auto drawQuads = [&] {
        if (void* to = mesh->LockVertices(particles * kQuad))
            std::memcpy(to, quads.data(), quads.size() * sizeof(TCanvasVertex));
        mesh->Draw(particles * kQuad, shader);
    };
    f64 drawn = 0.0, plain = 0.0, drawnCpu = 0.0, plainCpu = 0.0;
    u32 turn = 0;
    for (auto _ : state)
    {
        // The target the rain's pass bound stays for both: its first draw above bound it.
        device->BeginScene();
        const u32 first = turn++ % 2;
        for (u32 part = 0; part < 2; ++part)
        {
            const bool rainNow = (part ^ first) == 0;
            const f64 cpu = ProcessMilliseconds();
            const TClock::time_point start = TClock::now();
            rainNow ? drawRain() : drawQuads();
            (rainNow ? drawn : plain) += MillisecondsSince(start);
            (rainNow ? drawnCpu : plainCpu) += ProcessMilliseconds() - cpu;
        }
        device->EndScene();
    }
    g_pRenderManager->m_nInRender = 0;
    back->Release();
    if (detail)
        detail->Store(savedDetail);
    weather.OnClusterUnload();
    const f64 n = static_cast<f64>(state.iterations()) * particles;
    state.counters["particle_ns"] = drawn * 1e6 / n;
    state.counters["quad_ns"] = plain * 1e6 / n;
    state.counters["ratio"] = drawn / plain;
    state.counters["cpu_ratio"] = drawnCpu / plainCpu;
}
BENCHMARK(RainParticle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);

void WeatherUpdate(benchmark::State& state)
{
    if (!Level())
    {
        state.SkipWithError("no device or level");
        return;
    }
    g_FrameDriver.Begin(kEmptyFrames, CopyMilliseconds);
    const f64 empty = RunFrames("benchmark");
    TDynamicWeatherManager& weather = *g_pDynamicWeatherManager;
    weather.Block().Current.aParameter[WEATHER_LAYER_COUNT] = 20.0f;
    // Sixteen boxes about the level, each on its own node.
    std::vector<std::unique_ptr<TNode>> nodes;
    std::vector<std::unique_ptr<TWeatherOcclusionBox>> boxes;
    for (u32 i = 0; i < 16; ++i)
    {
        nodes.push_back(std::make_unique<TNode>());
        TMatrix at(1.0f);
        at.aRow[3] = TVector(static_cast<f32>(i % 4) * 40.0f - 60.0f, 5.0f, static_cast<f32>(i / 4) * 40.0f - 60.0f, 1.0f);
        nodes.back()->SetWorldMatrix(at, TNode::OrdinaryCause());
        boxes.push_back(std::make_unique<TWeatherOcclusionBox>());
        boxes.back()->pNode = nodes.back().get();
        weather.OcclusionBoxes().Add(boxes.back().get());
    }
    f64 updated = 0.0;
    for (auto _ : state)
    {
        const TClock::time_point start = TClock::now();
        weather.UpdateManager(1.0f / 60.0f);
        updated += MillisecondsSince(start);
    }
    weather.OcclusionBoxes().SetCount(0);
    for (auto& box : boxes)
        box->pNode = nullptr;
    const f64 n = static_cast<f64>(state.iterations());
    state.counters["update_ms"] = updated / n;
    state.counters["empty_ms"] = empty;
    state.counters["ratio"] = updated / n / empty;
}
BENCHMARK(WeatherUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(2000)->Repetitions(3);
} // namespace
