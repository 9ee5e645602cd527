// The post effects' full-screen steps, each beside a canvas full-screen copy into the same target
// in the same run: 1280 x 720 over the game's level (its shaders and the canvas's records), into
// an A16B16G16R16F target as the deferred renderer's pipeline targets are, on every core.
// - Step/0-6 (haze, depth of field, overlay, edge smoothing, film grain, screen-space motion
//   blur, grass): each step's shader over camera-space positions and normals with a haze
//   texture as the settings' textures; counters step_ms, copy_ms and ratio (aim: at most 2).
#include "frameloop.h"

#include "directx/render/dxdevice.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "igame/effects/effectsmanager.h"

namespace
{
constexpr u32 kFloatFormat = 1027;
constexpr u32 kArgbFormat = 258;
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

TRenderTarget* Target(const char* name, u32 width, u32 height, u32 format)
{
    return g_pRenderTargetManager->CreateRenderTarget(TName(name, true), width, height, format, 0, 0, 0);
}

const char* const kSteps[] = {"ShaderHaze",      "ShaderDOF",        "ShaderOverlay", "ShaderEdgeAntialiasing",
                              "ShaderFilmGrain", "ShaderMotionBlur", "ShaderGrassSS"};

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
    f64 drawn = 0.0, copied = 0.0;
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
    }
    g_pRenderManager->m_nInRender = 0;
    const f64 n = static_cast<f64>(state.iterations());
    state.counters["step_ms"] = drawn / n;
    state.counters["copy_ms"] = copied / n;
    state.counters["ratio"] = drawn / copied;
    for (TRenderTarget* t : {target, source, positions, normals, texture})
        t->ReleaseReference();
    g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
}
BENCHMARK(Step)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30)->Repetitions(3);
} // namespace
