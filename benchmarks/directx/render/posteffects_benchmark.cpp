// The post effects' full-screen steps, each beside a cold memcpy of one 1280 x 720 frame of 4-byte
// pixels in the same run (64 MB touched first, so that it runs at memory speed; memcpy_ms), and
// beside a canvas full-screen copy into the same target: 1280 x 720 over the game's level (its
// shaders and the canvas's records), into an A16B16G16R16F target as the deferred renderer's
// pipeline targets are, on every core.
// - FloatCopy: the canvas full-screen copy of one A16B16G16R16F target into another, beside a
//   cold memcpy of the same bytes; counters copy_ms, copy_cpu_ms (processor time of every
//   thread), memcpy_ms (of its bytes), bytes_memcpys (copy / memcpy of its bytes; aim: at most 2)
//   and cpu_bytes_memcpys.
// - Step/0-6 (haze, depth of field, overlay, edge smoothing, film grain, screen-space motion
//   blur, grass): each step's shader over camera-space positions and normals with a haze
//   texture as the settings' textures; counters step_ms, memcpy_ms, memcpy_frames (step /
//   memcpy), copy_ms and copy_memcpy_frames (the canvas copy / memcpy).
// - SceneStep/7 (the whole tone-mapping chain: luminance, its five reductions, the mapping and
//   the copy back) and SceneStep/9 (ambient occlusion: the occlusion, its two blurs and the
//   blend) over the level's last deferred frame (its published targets), beside a canvas
//   full-screen copy of "Temp3" into "Temp2"; counters chain_ms, memcpy_ms, memcpy_frames,
//   copy_ms, copy_memcpy_frames.
// - PostChain: the level's deferred frame with the post chain the start-up script lists, its
//   switches as the game starts them, beside the same frame with every step switched off, a
//   canvas full-screen copy of the pipeline's targets and a cold memcpy, taking turns (ten frames
//   of each, five copies and five memcpys an iteration); counters chain_frame_ms,
//   plain_frame_ms, copy_ms, memcpy_ms (medians), chain_memcpy_frames ((chain - plain) / memcpy),
//   and the same in processor time of every thread (chain_cpu_memcpy_frames), which other work
//   on the machine disturbs less; copy_memcpy_frames.
#include "frameloop.h"

#include "directx/render/dxdevice.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "igame/effects/effectsmanager.h"

#include <ctime>
#include <iterator>

namespace
{
constexpr u32 kFloatFormat = 1027;
constexpr u32 kArgbFormat = 258;
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr size_t kFramePixels = size_t(kFrameWidth) * kFrameHeight;
// Bytes of a frame of 4-byte pixels, the yardstick's, and of a frame of A16B16G16R16F pixels.
constexpr size_t kFrameBytes = kFramePixels * 4;
constexpr size_t kFloatFrameBytes = kFramePixels * 8;

TRenderTarget* Target(const char* name, u32 width, u32 height, u32 format)
{
    return g_pRenderTargetManager->CreateRenderTarget(TName(name, true), width, height, format, 0, 0, 0);
}

const char* const kSteps[] = {"ShaderHaze",      "ShaderDOF",        "ShaderOverlay", "ShaderEdgeAntialiasing",
                              "ShaderFilmGrain", "ShaderMotionBlur", "ShaderGrassSS"};

f64 ProcessMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<f64>(now.tv_sec) * 1e3 + static_cast<f64>(now.tv_nsec) / 1e6;
}

void FloatCopy(benchmark::State& state)
{
    if (!StartLevel())
    {
        state.SkipWithError("no device or no level");
        return;
    }
    g_pRenderManager->m_nInRender = 1;
    TRenderTarget* target = Target("benchmark copy", kFrameWidth, kFrameHeight, kFloatFormat);
    TRenderTarget* source = Target("benchmark copied", kFrameWidth, kFrameHeight, kFloatFormat);
    if (!target || !source)
    {
        state.SkipWithError("no targets");
        return;
    }
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(source)->GetSurface());
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80406080u, 1.0f, 0);
    TShader* copy = g_pCanvasManager->SetShader(source->GetTexture(), 0);
    device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(target)->GetSurface());
    g_pCanvasManager->SetApertureToDevice();
    std::vector<f64> copies, memcpys;
    f64 cpu = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        const f64 startCpu = ProcessMilliseconds();
        const TClock::time_point start = TClock::now();
        g_pCanvasManager->DrawFullScreen(copy, kWhite);
        g_pCanvasManager->Flush();
        copies.push_back(MillisecondsSince(start));
        cpu += ProcessMilliseconds() - startCpu;
        device->EndScene();
        memcpys.push_back(ColdCopyMilliseconds(kFloatFrameBytes));
    }
    g_pRenderManager->m_nInRender = 0;
    const f64 copied = Median(copies), memcpied = Median(memcpys);
    const f64 copiedCpu = cpu / static_cast<f64>(state.iterations());
    state.counters["copy_ms"] = copied;
    state.counters["copy_cpu_ms"] = copiedCpu;
    state.counters["memcpy_ms"] = memcpied;
    state.counters["bytes_memcpys"] = copied / memcpied;
    state.counters["cpu_bytes_memcpys"] = copiedCpu / memcpied;
    for (TRenderTarget* t : {target, source})
        t->ReleaseReference();
}
BENCHMARK(FloatCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);

void Step(benchmark::State& state)
{
    const char* name = kSteps[state.range(0)];
    state.SetLabel(name);
    if (!StartLevel())
    {
        state.SkipWithError("no device or no level");
        return;
    }
    // A few frames of the level first: they deliver the canvas's rectangle and the shaders.
    static const bool s_bLoaded = [] {
        g_FrameDriver.Begin(10, CopyMilliseconds);
        RunFrames("level");
        return true;
    }();
    (void)s_bLoaded;
    g_pRenderManager->m_nInRender = 1;
    TShader* shader = g_pDxShaderManager->FindShader(TName(name, true));
    TRenderTarget* target = Target("benchmark pipeline", kFrameWidth, kFrameHeight, kFloatFormat);
    TRenderTarget* source = Target("benchmark source", kFrameWidth, kFrameHeight, kFloatFormat);
    TRenderTarget* positions = Target("benchmark positions", kFrameWidth, kFrameHeight, kFloatFormat);
    TRenderTarget* normals = Target("benchmark normals", kFrameWidth, kFrameHeight, kFloatFormat);
    TRenderTarget* texture = Target("benchmark haze", 64, 64, kArgbFormat);
    if (!shader || !target || !source || !positions || !normals || !texture)
    {
        state.SkipWithError("no shader or no targets");
        return;
    }
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    // Positions and normals of one value, the textures grey: every pixel costs the same.
    for (TRenderTarget* t : {positions, normals, source})
    {
        device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(t)->GetSurface());
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80808080u, 1.0f, 0);
    }
    device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(texture)->GetSurface());
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFC0C0C8u, 1.0f, 0);
    // Haze from 10 units, the positions at about 0.9 units: the ramp's start (every pixel the same).
    TEffectSettings settings;
    settings.aHaze[0][0] = 10.0f;
    settings.aHaze[0][1] = 0.6f;
    settings.aHaze[0][2] = 0.5f;
    settings.aHaze[1][0] = settings.aHaze[1][1] = settings.aHaze[1][2] = settings.aHaze[1][3] = 1.0f;
    settings.aHaze[3][0] = settings.aHaze[3][1] = 2.0f;
    g_pEffectsManager->Transition().Start(settings, 0.0f);
    // Each step's slots as the manager binds them (haze: positions and its texture; depth of
    // field and grass: the image and positions; overlay: the image and its texture; edge
    // smoothing and motion blur: the image, positions and normals; film grain: the image).
    const u32 step = static_cast<u32>(state.range(0));
    shader->SetTexture(0, step == 0 ? nullptr : source->GetTexture());
    shader->SetTexture(1, step == 4 ? nullptr : step == 2 ? texture->GetTexture() : positions->GetTexture());
    shader->SetTexture(2, step == 3 || step == 5 ? normals->GetTexture() : nullptr);
    shader->SetTexture(7, step == 0 ? texture->GetTexture() : nullptr);
    TShader* copy = g_pCanvasManager->SetShader(source->GetTexture(), 0);
    device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(target)->GetSurface());
    g_pCanvasManager->SetApertureToDevice();
    f64 drawn = 0.0, copied = 0.0, memcpied = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        TClock::time_point start = TClock::now();
        g_pCanvasManager->DrawFullScreen(shader, kWhite);
        g_pCanvasManager->Flush();
        drawn += MillisecondsSince(start);
        start = TClock::now();
        g_pCanvasManager->DrawFullScreen(copy, kWhite);
        g_pCanvasManager->Flush();
        copied += MillisecondsSince(start);
        device->EndScene();
        memcpied += ColdCopyMilliseconds(kFrameBytes);
    }
    g_pRenderManager->m_nInRender = 0;
    const f64 n = static_cast<f64>(state.iterations());
    state.counters["step_ms"] = drawn / n;
    state.counters["memcpy_ms"] = memcpied / n;
    state.counters["memcpy_frames"] = drawn / memcpied;
    state.counters["copy_ms"] = copied / n;
    state.counters["copy_memcpy_frames"] = copied / memcpied;
    for (TRenderTarget* t : {target, source, positions, normals, texture})
        t->ReleaseReference();
    g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
}
BENCHMARK(Step)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);

void Set(const char* variable, i32 value)
{
    if (TVariable* v = TCommandManager::Instance().FindVariable(TName(variable)))
        v->SetInt(value);
}

i32 Get(const char* variable)
{
    TVariable* v = TCommandManager::Instance().FindVariable(TName(variable));
    return v ? v->GetValue().ToInt() : 0;
}

// The level's deferred frames, once: their targets published for the steps drawn outside them.
bool StartDeferredLevel()
{
    if (!StartLevel() || !UseRenderer(true))
        return false;
    g_FrameDriver.Begin(10, CopyMilliseconds);
    RunFrames("level");
    return true;
}

// The active deferred renderer with its targets published, as inside a frame; null without.
TRenderer* PublishDeferredTargets()
{
    TRenderer* renderer = g_pRenderManager->_SelectRenderer(nullptr);
    if (!renderer || renderer->m_nIndex < RENDERER_PREFERRED)
        return nullptr;
    renderer->PublishTargets();
    return renderer;
}

// One canvas full-screen copy of the pipeline's lit scene ("Temp3") into "Temp2", in a scene.
f64 CopySceneMilliseconds(IDirect3DDevice9* device, TShader* copy, TRenderTarget* scratch)
{
    device->SetRenderTarget(0, static_cast<TDxRenderTarget*>(scratch)->GetSurface());
    g_pCanvasManager->SetApertureToDevice();
    const TClock::time_point start = TClock::now();
    g_pCanvasManager->DrawFullScreen(copy, kWhite);
    g_pCanvasManager->Flush();
    return MillisecondsSince(start);
}

void SceneStep(benchmark::State& state)
{
    const u32 word = static_cast<u32>(state.range(0));
    const char* variable = word == 7 ? "effect.tonemapping" : "ambient.occlusion";
    state.SetLabel(word == 7 ? "tone mapping" : "ambient occlusion");
    if (!StartDeferredLevel() || !PublishDeferredTargets())
    {
        state.SkipWithError("no device, no level or no deferred renderer");
        return;
    }
    TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
    TRenderTarget* scratch = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP2);
    if (!scene || !scratch)
    {
        state.SkipWithError("no published targets");
        return;
    }
    const i32 was = Get(variable);
    Set(variable, 1);
    g_pEffectsManager->CreateAmbientOcclusionTargets();
    g_pRenderManager->m_nInRender = 1;
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    TShader* copy = g_pCanvasManager->SetShader(scene->GetTexture(), 0);
    f64 drawn = 0.0, copied = 0.0, memcpied = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        const TClock::time_point start = TClock::now();
        g_pEffectsManager->m_nStepWord = word;
        g_pEffectsManager->RenderManager();
        g_pCanvasManager->Flush();
        drawn += MillisecondsSince(start);
        copied += CopySceneMilliseconds(device, copy, scratch);
        device->EndScene();
        memcpied += ColdCopyMilliseconds(kFrameBytes);
    }
    g_pRenderManager->m_nInRender = 0;
    Set(variable, was);
    const bool ran = word == 7 ? g_pEffectsManager->GetToneMappingTarget(0) != nullptr
                               : g_pEffectsManager->GetAmbientOcclusionTarget(0) != nullptr;
    if (!ran)
    {
        state.SkipWithError("the step drew nothing");
        return;
    }
    const f64 n = static_cast<f64>(state.iterations());
    state.counters["chain_ms"] = drawn / n;
    state.counters["memcpy_ms"] = memcpied / n;
    state.counters["memcpy_frames"] = drawn / memcpied;
    state.counters["copy_ms"] = copied / n;
    state.counters["copy_memcpy_frames"] = copied / memcpied;
}
BENCHMARK(SceneStep)->Arg(7)->Arg(9)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);

// Every switch of the post chain.
const char* const kSwitches[] = {"effect.haze",         "effect.dof",        "effect.overlay",   "effect.edgeaa",
                                 "effect.motionblur",   "effect.motionblurss", "effect.tonemapping",
                                 "effect.filmgrain",    "effect.grassss",    "ambient.occlusion"};

// Sets every switch of the post chain to its value in `values`.
void SetSwitches(const i32* values)
{
    for (size_t i = 0; i < std::size(kSwitches); ++i)
        Set(kSwitches[i], values[i]);
}

void PostChain(benchmark::State& state)
{
    if (!StartDeferredLevel() || !PublishDeferredTargets())
    {
        state.SkipWithError("no device, no level or no deferred renderer");
        return;
    }
    TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
    TRenderTarget* scratch = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP2);
    if (!scene || !scratch)
    {
        state.SkipWithError("no published targets");
        return;
    }
    i32 chainSwitches[std::size(kSwitches)];
    for (size_t i = 0; i < std::size(kSwitches); ++i)
        chainSwitches[i] = Get(kSwitches[i]);
    const i32 plainSwitches[std::size(kSwitches)] = {};
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    // The frames with and without the chain and the copies take turns, so that other work on the
    // machine falls on all three alike.
    constexpr u32 kTurnFrames = 10, kTurnCopies = 5;
    std::vector<f64> frames[2], copies, memcpys;
    f64 frameCpu[2] = {};
    for (auto _ : state)
    {
        for (u32 chain = 0; chain < 2; ++chain)
        {
            SetSwitches(chain ? chainSwitches : plainSwitches);
            g_FrameDriver.Begin(kTurnFrames, CopyMilliseconds);
            const f64 cpu = ProcessMilliseconds();
            RunFrames("level");
            frameCpu[chain] += ProcessMilliseconds() - cpu;
            frames[chain].insert(frames[chain].end(), g_FrameDriver.m_aFrame.begin(), g_FrameDriver.m_aFrame.end());
        }
        // The copy's yardstick over the same targets, after the frames.
        PublishDeferredTargets();
        g_pRenderManager->m_nInRender = 1;
        TShader* copy = g_pCanvasManager->SetShader(scene->GetTexture(), 0);
        for (u32 i = 0; i < kTurnCopies; ++i)
        {
            device->BeginScene();
            copies.push_back(CopySceneMilliseconds(device, copy, scratch));
            device->EndScene();
            memcpys.push_back(ColdCopyMilliseconds(kFrameBytes));
        }
        g_pRenderManager->m_nInRender = 0;
    }
    SetSwitches(chainSwitches);
    if (frames[0].empty() || frames[1].empty() || copies.empty())
    {
        state.SkipWithError("no frames");
        return;
    }
    const f64 turns = static_cast<f64>(state.iterations());
    const f64 plain = Median(frames[0]), chain = Median(frames[1]), copy = Median(copies), memcpied = Median(memcpys);
    const f64 plainCpu = frameCpu[0] / (turns * kTurnFrames), chainCpu = frameCpu[1] / (turns * kTurnFrames);
    state.counters["chain_frame_ms"] = chain;
    state.counters["plain_frame_ms"] = plain;
    state.counters["copy_ms"] = copy;
    state.counters["memcpy_ms"] = memcpied;
    state.counters["chain_memcpy_frames"] = (chain - plain) / memcpied;
    state.counters["chain_cpu_memcpy_frames"] = (chainCpu - plainCpu) / memcpied;
    state.counters["copy_memcpy_frames"] = copy / memcpied;
}
BENCHMARK(PostChain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);
} // namespace
