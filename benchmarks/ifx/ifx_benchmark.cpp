// The particle module's costs, each beside its yardstick measured in the same run:
// - ParticleStep: a live particle's step (one core) against a memcpy of its 112-byte record;
//   counters step_ns, memcpy_ns and ratio (aim: at most 8).
// - ParticleQuad: a particle drawn as an 8 x 8-pixel quad (the rasteriser on every core) against
//   a plain two-triangle quad of the same size through a dynamic mesh; counters quad_ns, plain_ns
//   and ratio (aim: at most 2).
// - SpawnEffect: one call (ns); the pool is flushed outside the timing when full.
#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/camera.h"
#include "engine/render/canvasvertex.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/rendercontext.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/texture.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particlevertexstream.h"
#include "support/softwaredevice.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
using TClock = std::chrono::steady_clock;

f64 NanosecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::nano>(TClock::now() - start).count();
}

TIFXParticleManager& Manager()
{
    return *static_cast<TIFXParticleManager*>(g_pParticleManager);
}

TIParticleEmitterData* MakeData(const char* name, i32 particles)
{
    const u32 id = TName(name, true).GetId();
    auto* data = static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id));
    data->m_nMaxParticles = particles;
    data->Lifetime = {4.0f, 1.0f};
    data->Speed = {1.0f, 0.5f};
    data->ConeAngle = {30.0f, 10.0f};
    data->TimeScale = {1.0f, 0.0f};
    for (TParticleRange& scale : data->aScale)
        scale = {1.0f, 0.0f};
    for (f32& m : data->aColorMultiplier)
        m = 1.0f;
    for (auto& key : data->aColorKey)
        key[0] = key[1] = key[2] = key[3] = 1.0f;
    return data;
}

// A live particle's step: smoke as the level's tug makes it (gravity, acceleration, spin, a
// sheet; with argument 1 also a pulling area over every particle), ageless so that every
// particle stays alive.
void ParticleStep(benchmark::State& state)
{
    constexpr i32 kParticles = 4096;
    g_ManagerManager.Initialize();
    TRandom::Shared().Seed(1);
    static TNode s_Node;
    TIParticleEmitterData* data = MakeData("step", kParticles);
    data->m_nLifeMode = PARTICLE_LIFE_AGELESS;
    data->m_fGravity = 0.05f;
    data->Acceleration = {-0.2f, 0.0f};
    data->Spin = {20.0f, 10.0f};
    data->m_nFlags = PARTICLE_SHEET_ANIMATED;
    data->FrameRate = {5.0f, 1.0f};
    data->m_nSheetFrames = 16;
    const u32 area = 1;
    const f32 offset[4] = {0.0f, 3.0f, 0.0f, 1.0f};
    if (state.range(0))
        data->AddArea(&area, PARTICLE_AREA_PULL, offset, 50.0f, 0.1f);
    TParticleEmitter* emitter = Manager().CreateEmitter(&s_Node, data);
    auto* system = static_cast<TIParticleSystem*>(Manager().CreateSystem(emitter));
    system->ResetParticles();
    emitter->Emit(kParticles);
    auto* stepper = static_cast<TIParticleEmitter*>(emitter);
    std::vector<TParticle> copy(kParticles);
    f64 step = 0.0, memcpy = 0.0;
    f32 minimum[3], maximum[3];
    for (auto _ : state)
    {
        TClock::time_point start = TClock::now();
        benchmark::DoNotOptimize(stepper->StepParticles(1.0f / 60.0f, minimum, maximum));
        step += NanosecondsSince(start);
        start = TClock::now();
        std::memcpy(copy.data(), system->aParticle.GetData(), kParticles * sizeof(TParticle));
        benchmark::ClobberMemory();
        memcpy += NanosecondsSince(start);
    }
    const f64 n = static_cast<f64>(state.iterations()) * kParticles;
    state.counters["step_ns"] = step / n;
    state.counters["memcpy_ns"] = memcpy / n;
    state.counters["ratio"] = step / memcpy;
    state.SetItemsProcessed(static_cast<i64>(n));
}
BENCHMARK(ParticleStep)->Arg(0)->Arg(1)->Repetitions(3);

// One call, from a pool that is flushed when full (outside the timing).
void SpawnEffect(benchmark::State& state)
{
    g_ManagerManager.Initialize();
    TRandom::Shared().Seed(2);
    TIParticleEmitterData* data = MakeData("spawn", 32);
    data->Rate = {10.0f, 0.0f};
    const TMatrix at(1.0f);
    u32 spawned = 0;
    for (auto _ : state)
    {
        if (Manager().GetActiveCount() == PARTICLE_POOL_SIZE)
        {
            state.PauseTiming();
            Manager().Flush();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(Manager().SpawnEffect(data, nullptr, nullptr, nullptr, &at, nullptr));
        ++spawned;
    }
    Manager().Flush();
    state.SetItemsProcessed(spawned);
}
BENCHMARK(SpawnEffect)->Repetitions(3);

// A white puff, opaque at its centre.
TTexture* Puff()
{
    static TTexture* s_pTexture = [] {
        TTexture* texture = g_pDxTextureManager->CreateTexture(TName("benchmark_puff", true), 16, 16, 1, 1,
                                                               TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
        u32 pitch = 0, size = 0;
        auto* bits = static_cast<u8*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, size));
        for (u32 y = 0; y < 16; ++y)
            for (u32 x = 0; x < 16; ++x)
            {
                const f32 dx = (static_cast<f32>(x) - 7.5f) / 7.5f, dy = (static_cast<f32>(y) - 7.5f) / 7.5f;
                const f32 edge = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                const u32 pixel = static_cast<u32>(edge * 255.0f) << 24 | 0xFFFFFF;
                std::memcpy(bits + y * pitch + 4 * x, &pixel, 4);
            }
        texture->Unlock(0);
        return texture;
    }();
    return s_pTexture;
}

void ParticleQuad(benchmark::State& state)
{
    static TCamera s_Camera;
    static TNode s_Eye;
    static TFixedCamera s_Plugin;
    static TNode s_Node;
    if (!StartSoftwareDevice(VESTAMOR_SHADER_REPOSITORY, s_Camera, s_Eye, s_Plugin))
    {
        state.SkipWithError("no device");
        return;
    }
    // 4,000 particles on a grid over the screen, each 8 x 8 pixels, facing the camera.
    constexpr i32 kColumns = 80, kRows = 50;
    constexpr i32 kQuads = kColumns * kRows;
    constexpr f32 kSize = 8.0f / 64.0f;
    TIParticleEmitterData* data = MakeData("quads", kQuads);
    data->m_nLifeMode = PARTICLE_LIFE_AGELESS;
    data->m_nQuadRotationMode = PARTICLE_ROTATION_ANGLE;
    const f32 rectangle[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    std::memcpy(data->aTextureRect, rectangle, sizeof rectangle);
    data->aTexture[0] = Puff();
    s_Node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
    TParticleEmitter* emitter = Manager().CreateEmitter(&s_Node, data);
    auto* system = static_cast<TIParticleSystem*>(Manager().CreateSystem(emitter));
    system->ResetParticles();
    emitter->Emit(kQuads);
    std::vector<TCanvasVertex> plain;
    for (i32 i = 0; i < kQuads; ++i)
    {
        TParticle& p = system->aParticle[i];
        const f32 x = (static_cast<f32>(i % kColumns) - kColumns * 0.5f) * 0.24f;
        const f32 y = (static_cast<f32>(i / kColumns) - kRows * 0.5f) * 0.22f;
        p.aPosition[0] = x;
        p.aPosition[1] = y;
        p.aPosition[2] = 0.0f;
        p.aAngle[0] = 0.0f;
        p.aSize[0] = p.aSize[1] = p.aSize[2] = kSize;
        p.aScale[0] = 1.0f;
        p.fAge = 0.5f;
        const f32 h = kSize * 0.5f;
        const TCanvasVertex a = {x + h, y + h, 0.0f, 1.0f, 1.0f, 0.0f, 0xFFFFFFFF};
        const TCanvasVertex b = {x + h, y - h, 0.0f, 1.0f, 1.0f, 1.0f, 0xFFFFFFFF};
        const TCanvasVertex c = {x - h, y - h, 0.0f, 1.0f, 0.0f, 1.0f, 0xFFFFFFFF};
        const TCanvasVertex d = {x - h, y + h, 0.0f, 1.0f, 0.0f, 0.0f, 0xFFFFFFFF};
        plain.insert(plain.end(), {a, b, c, a, c, d});
    }
    system->m_nLive = kQuads;
    system->WorldBounds.centre[0] = system->WorldBounds.centre[1] = system->WorldBounds.centre[2] = 0.0f;
    TDynamicMesh* mesh = g_pCreateDynamicMesh(static_cast<u32>(plain.size()), CanvasVertexDescription());
    TShader* canvas = g_pDxShaderManager->FindShader(TName("Shader_canvas3dAlpha", true));
    if (!mesh || !canvas)
    {
        state.SkipWithError("no mesh or no canvas shader");
        return;
    }
    canvas->SetTexture(0, Puff());
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    TRenderContext context;
    f64 quads = 0.0, plainQuads = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        TClock::time_point start = TClock::now();
        system->Render(&context);
        quads += NanosecondsSince(start);
        start = TClock::now();
        std::memcpy(mesh->LockVertices(static_cast<u32>(plain.size())), plain.data(),
                    plain.size() * sizeof(TCanvasVertex));
        mesh->Draw(static_cast<u32>(plain.size()), canvas);
        plainQuads += NanosecondsSince(start);
        device->EndScene();
    }
    const f64 n = static_cast<f64>(state.iterations()) * kQuads;
    state.counters["quad_ns"] = quads / n;
    state.counters["plain_ns"] = plainQuads / n;
    state.counters["ratio"] = quads / plainQuads;
    state.SetItemsProcessed(static_cast<i64>(n));
}
BENCHMARK(ParticleQuad)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
} // namespace
