#include "igame/effects/effectsmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/stream/stream.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/renderer.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"
#include "engine/render/texture.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/render/light.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/motionblurobject.h"
#include "ageia/nxdynamics.h"

#include "engine/render/textureanimation.h"
#include "engine/render/texturemanager.h"

#include <cmath>
#include <cstring>

TEffectsManager* g_pEffectsManager = nullptr;
TEffectsBlocks g_EffectsBlocks;

namespace
{
TEffectsManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Effects", "Effects", &g_pEffectsManager, &s_Manager);

TShaderLink s_Haze("ShaderHaze");
TShaderLink s_DepthOfField("ShaderDOF");
TShaderLink s_Overlay("ShaderOverlay");
TShaderLink s_EdgeSmoothing("ShaderEdgeAntialiasing");
TShaderLink s_FilmGrain("ShaderFilmGrain");
TShaderLink s_WaterForward("ShaderWaterFR");
TShaderLink s_WaterDeferred("ShaderWaterDR");
TShaderLink s_AmbientOcclusion("Shader_ambientocclusion");
TShaderLink s_AmbientOcclusionBlur("Shader_ambientocclusion_blur");
TShaderLink s_BlurVertical("ShaderBlurVertical");
TShaderLink s_BlurHorizontal("ShaderBlurHorizontal");
TShaderLink s_ToneMapping("ShaderToneMapping");
TShaderLink s_ToneMappingDownscale("ShaderToneMappingDownscaleLuminance");
TShaderLink s_ToneMappingMinMax("ShaderToneMappingMinMaxLuminance");
TShaderLink s_Grass("ShaderGrassSS");
TShaderLink s_MotionBlur("ShaderMotionBlur");
TShaderLink s_MotionBlurObject("ShaderMotionBlurObject");

TDeferredVariable s_EffectHaze("effect_haze");
TDeferredVariable s_EffectDepthOfField("effect_dof");
TDeferredVariable s_EffectOverlay("effect_overlay");
TDeferredVariable s_EffectEdgeSmoothing("effect_edgeaa");
TDeferredVariable s_EffectFilmGrain("effect_filmgrain");
TDeferredVariable s_EffectToneMapping("effect_tonemapping");
TDeferredVariable s_EffectGrass("effect_grassss");
TDeferredVariable s_EffectMotionBlurScreen("effect_motionblurss");
TDeferredVariable s_EffectMotionBlurObject("effect_motionblur");
TDeferredVariable s_AmbientOcclusionSwitch("ambient_occlusion");

const TName s_NameWater("Water", true);
const TName s_NameWaterNormals("water_nm", true);
const TName s_DefineRenderPosition("DRenderPosition", true);
const TName s_DefineOn("1", true);
const TName s_StepWater("Water", true);
const TName s_StepHaze("Haze", true);
const TName s_StepDepthOfField("DOF", true);
const TName s_StepOverlay("Overlay", true);
const TName s_StepEdgeSmoothing("Edge AA", true);
const TName s_StepFilmGrain("Filmgrain", true);
const TName s_StepToneMapping("Tone mapping", true);
const TName s_StepAmbientOcclusion("SSAO", true);
const TName s_StepAmbientOcclusionBlur("SSAO blur", true);
const TName s_StepGrass("GrassSS", true);
const TName s_StepMotionBlurScreen("Motion blur (SS)", true);
const TName s_StepMotionBlurObject("Motion blur (object)", true);
const TName s_NameToneMapping("tonemapping", true);
const TName s_NameToneMappingAdapt("tonemappingadept", true);

// The ambient-occlusion blur's parameters: ten texels a step, depth kept within a fifth.
const TVector kAmbientOcclusionBlur(10.0f, 0.2f, 0.0f, 0.0f);
constexpr u32 kToneMappingSlots[4] = {6, 7, 8, 9};
constexpr u32 kBlurImageSlot = 0;
constexpr u32 kBlurPositionSlot = 6;

const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr u32 kHazePositionSlot = 1;
constexpr u32 kHazeTextureSlot = 7;
constexpr u32 kHazeStartTextureSlot = 8;
constexpr u32 kSourceSlot = 0;
constexpr u32 kStepPositionSlot = 1;
constexpr u32 kStepNormalSlot = 2;
constexpr u32 kAmbientOcclusionSceneSlot = 1;
constexpr u32 kOverlaySlot = 1;
constexpr u32 kDepthOfFieldTextureSlot = 7;
constexpr u32 kDepthOfFieldStartTextureSlot = 8;
constexpr u32 kWaterSceneSlot = 1;
constexpr u32 kWaterPositionSlot = 7;
constexpr u32 kWaterNormalSlot = 8;
constexpr u32 kWaterFrameSlot = 9;
constexpr u32 kMotionBlurSourceSlot = 6;
constexpr u32 kMotionBlurPositionSlot = 7;

TTexture* TextureOf(TRenderTarget* target)
{
    return target ? target->GetTexture() : nullptr;
}

void Release(TRenderTarget*& target)
{
    if (target)
        target->ReleaseReference();
    target = nullptr;
}
} // namespace

TEffectsManager::TEffectsManager()
{
    if (!g_pCluster)
        return;
    // The current settings travel with the level: a level starts in its own look.
    RegisterId(EFFECTS_MANAGER_ID);
    RegisterArray(&EffectAreaDecl(), &m_aArea);
    RegisterArray(&EffectSettingsDecl(), &m_aSettings);
    RegisterArray(&MotionBlurObjectDecl(), &m_aMotionBlur);
}

TEffectsManager::~TEffectsManager() = default;

void TEffectsManager::BeginManager()
{
    if (g_pStateManager)
        g_pStateManager->RegisterStateObject(this);
    if (g_pResourceManager)
        g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
    g_EffectsBlocks.Motion.Identity = TMatrix(1.0f);
}

i32 TEffectsManager::GetData(i32 index, void*& data, i32& size)
{
    data = &m_Transition.Current();
    size = sizeof(TEffectSettings);
    return index == 0 ? 0 : 1;
}

i32 TEffectsManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0)
        return 1;
    if (size != static_cast<i32>(sizeof(TEffectSettings)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TEffectsManager::SetData(): error: ",
                    "settings block of %d bytes (%u expected) refused", size, static_cast<u32>(sizeof(TEffectSettings)));
        return 1;
    }
    TEffectSettings& current = m_Transition.Current();
    current.ForgetLinks();
    std::memcpy(static_cast<void*>(&current), data, sizeof(TEffectSettings));
    for (TUserIdLink* link : {&current.Overlay, &current.DepthOfField, &current.Haze, &current.CrossFade})
        link->pObject = nullptr;
    return 0;
}

i32 TEffectsManager::SaveState(u32 pass, TStream& stream)
{
    if (pass != EFFECTS_STATE_PASS)
        return 0;
    // Cache words are run-time addresses: the block is written with them zeroed.
    TEffectTransition copy;
    std::memcpy(static_cast<void*>(&copy), m_Transition.Block(), TEffectTransition::SIZE);
    for (TEffectSettings* s : {&copy.StartSettings(), &copy.Target(), &copy.Current()})
        for (TUserIdLink* link : {&s->Overlay, &s->DepthOfField, &s->Haze, &s->CrossFade})
            link->pObject = nullptr;
    return stream.Write(copy.Block(), TEffectTransition::SIZE) == TEffectTransition::SIZE ? 0 : 1;
}

i32 TEffectsManager::LoadState(u32 pass, TStream& stream)
{
    if (pass != EFFECTS_STATE_PASS)
        return 0;
    u8 block[TEffectTransition::SIZE];
    const i32 read = stream.Read(block, TEffectTransition::SIZE);
    if (read != static_cast<i32>(TEffectTransition::SIZE) || !m_Transition.LoadBlock(block, TEffectTransition::SIZE))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TEffectsManager::LoadState(): error: ",
                    "damaged effect transition block refused; the running settings stay");
        return 1;
    }
    return 0;
}

void TEffectsManager::OnClusterLoad()
{
    CreateAmbientOcclusionTargets();
    m_Transition.Reset();
}

void TEffectsManager::OnClusterUnload()
{
    ReleaseToneMappingTargets();
}

void TEffectsManager::OnDeviceLost()
{
    ReleaseToneMappingTargets();
    ReleaseAmbientOcclusionTargets();
}

void TEffectsManager::OnDeviceReset()
{
    CreateAmbientOcclusionTargets();
}

void TEffectsManager::OnRendererChange()
{
    CreateAmbientOcclusionTargets();
}

TEffectSettings* TEffectsManager::FindSettings(u32 name)
{
    for (i32 i = 0; i < m_aSettings.GetCount(); ++i)
        if (m_aSettings[i]->nName == name)
            return m_aSettings[i];
    return nullptr;
}

void TEffectsManager::StartTransition(const char* name, f32 seconds)
{
    if (TEffectSettings* settings = FindSettings(TName(name, true).GetId()))
        m_Transition.Start(*settings, seconds);
}

void TEffectsManager::SetAmbientOcclusionFactor(f32 factor)
{
    m_fAmbientOcclusionFactor = factor < EFFECTS_AO_FACTOR_MINIMUM   ? EFFECTS_AO_FACTOR_MINIMUM
                                : factor > EFFECTS_AO_FACTOR_MAXIMUM ? EFFECTS_AO_FACTOR_MAXIMUM
                                                                     : factor;
    CreateAmbientOcclusionTargets();
}

void TEffectsManager::CreateAmbientOcclusionTargets()
{
    ReleaseAmbientOcclusionTargets();
    TRenderer* deferred = g_pRenderManager ? g_pRenderManager->GetRegistered(RENDERER_PREFERRED) : nullptr;
    if (!deferred || !deferred->m_nEnabled || !deferred->m_nSupported || !g_pDeviceManager ||
        !g_pDeviceManager->IsDeviceReady() || !g_pRenderTargetManager)
        return;
    const u32 width = static_cast<u32>(static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()) * m_fAmbientOcclusionFactor);
    const u32 height = static_cast<u32>(static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) * m_fAmbientOcclusionFactor);
    const char* names[2] = {"AORT", "AORT2"};
    for (u32 i = 0; i < 2; ++i)
        m_apAmbientOcclusion[i] =
            g_pRenderTargetManager->CreateRenderTarget(TName(names[i], true), width, height, EFFECTS_AO_FORMAT, 0, 0, 0);
}

void TEffectsManager::ReleaseAmbientOcclusionTargets()
{
    for (TRenderTarget*& target : m_apAmbientOcclusion)
        Release(target);
}

void TEffectsManager::ReleaseToneMappingTargets()
{
    for (TRenderTarget*& target : m_apToneMapping)
        Release(target);
    Release(m_pToneMappingAdapt);
}

TShader* TEffectsManager::StepShader(TShaderLink& link, const char* name)
{
    TShader* shader = link.Get();
    if (!shader)
    {
        // One line a shader name: its step draws nothing until a level brings it.
        const TName key(name, true);
        static DArray<u32> s_aReported;
        for (i32 i = 0; i < s_aReported.GetCount(); ++i)
            if (s_aReported[i] == key.GetId())
                return nullptr;
        s_aReported.Add(key.GetId());
        TLog::Print(g_pSystemLog, LOG_WARNING, "TEffectsManager::RenderManager(): warning: ",
                    "shader \"%s\" not loaded: its step is skipped", name);
    }
    return shader;
}

f32 TEffectsManager::DynamicsStep()
{
    return g_pNxDynamicsManager ? g_pNxDynamicsManager->GetStep() : 0.0f;
}

void TEffectsManager::UpdateManager(f32 step)
{
    m_Transition.Advance(step);
    // Bodies give their motion when drawn; the others keep where they were.
    for (i32 i = 0; i < m_aMotionBlur.GetCount(); ++i)
        if (!m_aMotionBlur[i]->pBody)
            m_aMotionBlur[i]->UpdateMotion();
    TEffectSettings& current = m_Transition.Current();
    if (g_pDynamicWeatherManager)
        g_pDynamicWeatherManager->SetCurrentState(reinterpret_cast<const u8*>(&current) +
                                                  offsetof(TEffectSettings, aWeather));
    if (!g_pAtmosphereManager)
        return;
    g_pAtmosphereManager->SetCloudsAndRain(current.aAtmosphere[0], current.aAtmosphere[1]);
    // The haze takes the sky light's colour.
    DArray<TAtmosphere*>& atmospheres = g_pAtmosphereManager->Atmospheres();
    TNode* node = atmospheres.GetCount() ? atmospheres[0]->pLight : nullptr;
    const TLight* light = node ? static_cast<const TLight*>(node->FindObject(g_NameTLight.GetId())) : nullptr;
    if (!light)
        return;
    std::memcpy(current.aHaze[1], light->m_aColor, sizeof current.aHaze[1]);
    const f32 none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::memcpy(current.aHaze[2], none, sizeof none);
}

void TEffectsManager::RenderManager()
{
    const u32 word = m_nStepWord;
    TRenderer* renderer = g_pRenderManager ? g_pRenderManager->GetActiveRenderer() : nullptr;
    if (!renderer || renderer->m_nIndex < RENDERER_PREFERRED)
    {
        if (word != EFFECTS_STEP_WATER)
            return;
        TRenderQueue* water = WaterQueue();
        TShader* shader = water ? StepShader(s_WaterForward, "ShaderWaterFR") : nullptr;
        if (!shader)
            return;
        TRenderContext context(shader);
        water->RenderFeatherBlend(&context);
        return;
    }
    switch (word)
    {
    case 1:
        RenderHaze();
        break;
    case 2:
        RenderDepthOfField();
        break;
    case 3:
        RenderWater();
        break;
    case 4:
        RenderOverlay();
        break;
    case 5:
        if (s_EffectEdgeSmoothing.GetValue().ToInt())
            if (TShader* shader = BeginStep(s_EdgeSmoothing, "ShaderEdgeAntialiasing"))
            {
                shader->SetTexture(kStepPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
                shader->SetTexture(kStepNormalSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_NORMAL)));
                EndStep(shader, s_StepEdgeSmoothing);
            }
        break;
    case 6:
        RenderObjectMotionBlur();
        RenderScreenMotionBlur();
        break;
    case 7:
        RenderToneMapping();
        break;
    case 9:
        RenderAmbientOcclusion();
        break;
    case 10:
        RenderGrass();
        break;
    case 8:
        if (s_EffectFilmGrain.GetValue().ToInt())
            if (TShader* shader = BeginStep(s_FilmGrain, "ShaderFilmGrain"))
                EndStep(shader, s_StepFilmGrain);
        break;
    default:
        break;
    }
}

TShader* TEffectsManager::BeginStep(TShaderLink& link, const char* name)
{
    TShader* shader = StepShader(link, name);
    if (!shader)
        return nullptr;
    // The pipeline flips: the image so far is the step's source.
    g_pRenderManager->BeginPipelinePass(0);
    shader->SetTexture(kSourceSlot, g_pRenderManager->GetPreviousTexture());
    return shader;
}

void TEffectsManager::EndStep(TShader* shader, const TName& step)
{
    DrawQuad(shader);
    g_pRenderManager->RecordPipelineStep(step, shader);
}

void TEffectsManager::RenderDepthOfField()
{
    if (!s_EffectDepthOfField.GetValue().ToInt())
        return;
    TEffectSettings& current = m_Transition.Current();
    if (!(current.nFlags & EFFECT_FLAG_DOF))
        return;
    TTexture* a = nullptr;
    TTexture* b = nullptr;
    if (current.nFlags & EFFECT_FLAG_DOF_TEXTURES)
    {
        a = TEffectSettings::ResolveTexture(current.DepthOfField);
        if (!a && current.DepthOfField.nUserId != 0)
            return MissingTexture(current.DepthOfField, "depth of field");
        b = m_Transition.IsRunning() ? TEffectSettings::ResolveTexture(m_Transition.StartSettings().DepthOfField) : a;
        if (b == a)
            b = nullptr;
    }
    TShader* shader = BeginStep(s_DepthOfField, "ShaderDOF");
    if (!shader)
        return;
    shader->SetTexture(kStepPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    for (TTexture* texture : {a, b})
        if (texture)
            texture->Require();
    shader->SetTexture(kDepthOfFieldTextureSlot, a);
    shader->SetTexture(kDepthOfFieldStartTextureSlot, b);
    EndStep(shader, s_StepDepthOfField);
}

void TEffectsManager::RenderOverlay()
{
    if (!s_EffectOverlay.GetValue().ToInt())
        return;
    TEffectSettings& current = m_Transition.Current();
    if (!(current.nFlags & EFFECT_FLAG_OVERLAY))
        return;
    TTexture* overlay = TEffectSettings::ResolveTexture(current.Overlay);
    if (!overlay)
        return MissingTexture(current.Overlay, "overlay");
    TShader* shader = BeginStep(s_Overlay, "ShaderOverlay");
    if (!shader)
        return;
    overlay->Require();
    shader->SetTexture(kOverlaySlot, overlay);
    EndStep(shader, s_StepOverlay);
}

void TEffectsManager::DrawQuad(TShader* shader)
{
    if (!g_pCanvasManager)
        return;
    g_pCanvasManager->SetApertureToDevice();
    g_pCanvasManager->DrawFullScreen(shader, kWhite);
}

void TEffectsManager::CopyInto(TTexture* texture)
{
    if (g_pCanvasManager)
        DrawQuad(g_pCanvasManager->SetShader(texture, 0));
}

void TEffectsManager::RenderToneMapping()
{
    if (!s_EffectToneMapping.GetValue().ToInt())
        return;
    TShader* downscale = StepShader(s_ToneMappingDownscale, "ShaderToneMappingDownscaleLuminance");
    TShader* reduce = StepShader(s_ToneMappingMinMax, "ShaderToneMappingMinMaxLuminance");
    TShader* mapping = StepShader(s_ToneMapping, "ShaderToneMapping");
    TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
    if (!downscale || !reduce || !mapping || !scene || !g_pRenderTargetManager)
        return;
    if (!m_pToneMappingAdapt)
    {
        m_pToneMappingAdapt = g_pRenderTargetManager->CreateRenderTarget(s_NameToneMappingAdapt, 1, 1,
                                                                          EFFECTS_TONEMAPPING_FORMAT, 0, 0, 0);
        if (m_pToneMappingAdapt)
            g_pRenderManager->BindTarget(m_pToneMappingAdapt, PASS_CLEAR_COLOUR, 0);
        for (u32 i = 0; i < EFFECTS_TONEMAPPING_TARGETS; ++i)
            m_apToneMapping[i] = g_pRenderTargetManager->CreateRenderTarget(
                s_NameToneMapping, EFFECTS_TONEMAPPING_SIZES[i], EFFECTS_TONEMAPPING_SIZES[i], EFFECTS_TONEMAPPING_FORMAT,
                0, 0, 0);
    }
    for (TRenderTarget* target : m_apToneMapping)
        if (!target)
            return;
    g_pRenderManager->BindTarget(m_apToneMapping[0], 0, 0);
    downscale->SetTexture(kSourceSlot, TextureOf(scene));
    DrawQuad(downscale);
    for (u32 i = 0; i + 1 < EFFECTS_TONEMAPPING_TARGETS; ++i)
    {
        g_pRenderManager->BindTarget(m_apToneMapping[i + 1], 0, 0);
        reduce->SetTexture(kSourceSlot, TextureOf(m_apToneMapping[i]));
        DrawQuad(reduce);
    }
    // Each pixel of the scene is read only where it is written: the mapping draws straight into
    // "Temp3", with no scratch image to copy back.
    g_pRenderManager->BindTarget(scene, 0, 0);
    mapping->SetTexture(kSourceSlot, TextureOf(scene));
    for (u32 i = 0; i < 4; ++i)
        mapping->SetTexture(kToneMappingSlots[i], TextureOf(m_apToneMapping[i]));
    DrawQuad(mapping);
    g_pRenderManager->RecordPipelineStep(s_StepToneMapping, mapping);
}

void TEffectsManager::RenderAmbientOcclusion()
{
    if (!s_AmbientOcclusionSwitch.GetValue().ToInt())
        return;
    TShader* occlusion = StepShader(s_AmbientOcclusion, "Shader_ambientocclusion");
    TShader* vertical = StepShader(s_BlurVertical, "ShaderBlurVertical");
    TShader* horizontal = StepShader(s_BlurHorizontal, "ShaderBlurHorizontal");
    TShader* apply = StepShader(s_AmbientOcclusionBlur, "Shader_ambientocclusion_blur");
    TRenderTarget* position = g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION);
    if (!occlusion || !vertical || !horizontal || !apply || !m_apAmbientOcclusion[0] || !m_apAmbientOcclusion[1])
        return;
    g_pRenderManager->BindTarget(m_apAmbientOcclusion[0], PASS_CLEAR_COLOUR | PASS_ATTACH_DEPTH, 0xFF0000FFu);
    occlusion->SetTexture(kSourceSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3)));
    occlusion->SetTexture(kStepPositionSlot, TextureOf(position));
    occlusion->SetTexture(kStepNormalSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_NORMAL)));
    DrawQuad(occlusion);
    g_pRenderManager->RecordPipelineStep(s_StepAmbientOcclusion, occlusion);
    if (g_pShadowManager)
        g_pShadowManager->SetBlurParameters(kAmbientOcclusionBlur);
    g_pRenderManager->BindTarget(m_apAmbientOcclusion[1], 0, 0);
    vertical->SetTexture(kBlurImageSlot, TextureOf(m_apAmbientOcclusion[0]));
    vertical->SetTexture(kBlurPositionSlot, TextureOf(position));
    DrawQuad(vertical);
    g_pRenderManager->BindTarget(m_apAmbientOcclusion[0], 0, 0);
    horizontal->SetTexture(kBlurImageSlot, TextureOf(m_apAmbientOcclusion[1]));
    horizontal->SetTexture(kBlurPositionSlot, TextureOf(position));
    DrawQuad(horizontal);
    // Each pixel of the scene is read only where it is written: the light multiplies into the
    // scene drawn over itself, a store where a blend would read the target again.
    g_pRenderManager->BindPublishedTarget(PUBLISHED_TEMP3, 0);
    apply->SetTexture(kSourceSlot, TextureOf(m_apAmbientOcclusion[0]));
    apply->SetTexture(kAmbientOcclusionSceneSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3)));
    DrawQuad(apply);
    g_pRenderManager->RecordPipelineStep(s_StepAmbientOcclusionBlur, apply);
}

void TEffectsManager::RenderObjectMotionBlur()
{
    if (!s_EffectMotionBlurObject.GetValue().ToInt() || m_aMotionBlur.GetCount() == 0)
        return;
    TShader* shader = StepShader(s_MotionBlurObject, "ShaderMotionBlurObject");
    if (!shader)
        return;
    // The image so far copied on, the scene's depth kept: the objects smear over it in place.
    g_pRenderManager->BeginPipelinePass(PIPELINE_COPY_PREVIOUS | PASS_ATTACH_DEPTH);
    shader->SetTexture(kMotionBlurSourceSlot, g_pRenderManager->GetPreviousTexture());
    shader->SetTexture(kMotionBlurPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    TRenderContext context(shader);
    for (i32 i = 0; i < m_aMotionBlur.GetCount(); ++i)
        m_aMotionBlur[i]->Draw(&context);
    if (g_pFlushMeshInstances)
        g_pFlushMeshInstances();
    g_pRenderManager->RecordPipelineStep(s_StepMotionBlurObject, shader);
}

void TEffectsManager::RenderScreenMotionBlur()
{
    if (!s_EffectMotionBlurScreen.GetValue().ToInt())
        return;
    TCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
    if (!camera)
        return;
    // Nothing recorded yet: the camera has not moved since.
    if (!g_EffectsBlocks.nPreviousSet)
        g_EffectsBlocks.FinalMatrixPrev = camera->m_ViewProjection;
    TShader* shader = BeginStep(s_MotionBlur, "ShaderMotionBlur");
    if (!shader)
        return;
    shader->SetTexture(kStepPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    shader->SetTexture(kStepNormalSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_NORMAL)));
    EndStep(shader, s_StepMotionBlurScreen);
    g_EffectsBlocks.FinalMatrixPrev = camera->m_ViewProjection;
    g_EffectsBlocks.nPreviousSet = 1;
}

void TEffectsManager::RenderGrass()
{
    if (!s_EffectGrass.GetValue().ToInt())
        return;
    TShader* shader = StepShader(s_Grass, "ShaderGrassSS");
    TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
    if (!shader || !scene)
        return;
    // Each pixel of the scene is read only where it is written: the grass draws straight into
    // "Temp3", with no scratch image to copy there and back.
    g_pRenderManager->BindPublishedTarget(PUBLISHED_TEMP3, 0);
    shader->SetTexture(kSourceSlot, TextureOf(scene));
    shader->SetTexture(kStepPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    DrawQuad(shader);
    g_pRenderManager->RecordPipelineStep(s_StepGrass, shader);
}

void TEffectsManager::MissingTexture(const TUserIdLink& link, const char* use)
{
    // One line a texture name, as for shaders.
    static DArray<u32> s_aReported;
    for (i32 i = 0; i < s_aReported.GetCount(); ++i)
        if (s_aReported[i] == link.nUserId)
            return;
    s_aReported.Add(link.nUserId);
    TName name;
    name.SetId(link.nUserId);
    TLog::Print(g_pSystemLog, LOG_WARNING, "TEffectsManager::RenderManager(): warning: ",
                "%s texture \"%s\" not found: its step is skipped", use, link.nUserId ? name.GetText() : "");
}

void TEffectsManager::RenderHaze()
{
    if (!s_EffectHaze.GetValue().ToInt())
        return;
    TEffectSettings& current = m_Transition.Current();
    if (!(current.nFlags & EFFECT_FLAG_HAZE) || current.Haze.nUserId == 0)
        return;
    TTexture* a = TEffectSettings::ResolveTexture(current.Haze);
    if (!a)
    {
        // A haze texture that is not there turns the haze off.
        s_EffectHaze.SetInt(0);
        return;
    }
    TTexture* b = m_Transition.IsRunning() ? TEffectSettings::ResolveTexture(m_Transition.StartSettings().Haze) : a;
    if (b == a)
        b = nullptr;
    TShader* shader = StepShader(s_Haze, "ShaderHaze");
    if (!shader)
        return;
    a->Require();
    if (b)
        b->Require();
    g_pRenderManager->BeginPipelinePass(PIPELINE_KEEP_TARGET);
    shader->SetTexture(kHazePositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    shader->SetTexture(kHazeTextureSlot, a);
    shader->SetTexture(kHazeStartTextureSlot, b);
    if (g_pCanvasManager)
    {
        g_pCanvasManager->SetApertureToDevice();
        g_pCanvasManager->DrawFullScreen(shader, kWhite);
    }
    g_pRenderManager->RecordPipelineStep(s_StepHaze, shader);
}

TRenderQueue* TEffectsManager::WaterQueue()
{
    if (!g_pRenderSceneManager || g_pRenderSceneManager->Scenes().GetCount() == 0)
        return nullptr;
    return g_pRenderSceneManager->Scenes()[0]->FindQueue(s_NameWater);
}

void TEffectsManager::RenderWater()
{
    TRenderQueue* water = WaterQueue();
    TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
    TRenderTarget* scratch = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP2);
    // No pond: nothing to refract, and no copies made for it.
    TShader* shader = water ? StepShader(s_WaterDeferred, "ShaderWaterDR") : nullptr;
    if (!shader || !scene || !scratch)
        return;
    g_pRenderManager->SetPassTarget(scratch, nullptr, nullptr, nullptr, PASS_ATTACH_DEPTH | PASS_CLEAR_COLOUR, 0);
    CopyInto(TextureOf(scene));
    // The normal map's next frame beside the material's current one, mixed by the phase.
    TTexture* next = nullptr;
    if (TTextureAnimation* animation = g_pTextureManager ? g_pTextureManager->FindTextureAnimation(s_NameWaterNormals) : nullptr)
    {
        const f32 whole = std::floor(animation->m_fPosition);
        g_EffectsBlocks.fWaterPhase = animation->m_fPosition - whole;
        if (animation->m_nFrameCount > 0)
            next = animation->GetFrameTexture((static_cast<i32>(whole) + 1) % animation->m_nFrameCount);
    }
    shader->SetTexture(kWaterFrameSlot, next);
    shader->SetTexture(kWaterSceneSlot, TextureOf(scene));
    shader->SetTexture(kWaterPositionSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
    shader->SetTexture(kWaterNormalSlot, TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_NORMAL)));
    {
        TRenderContext context(shader);
        water->RenderFeatherBlend(&context);
    }
    g_pRenderManager->RecordPipelineStep(s_StepWater, shader);
    // The surface's positions, so that the later steps see the water where it lies.
    g_pRenderManager->BindPublishedTarget(PUBLISHED_POSITION, PASS_ATTACH_DEPTH);
    shader->SetDefine(s_DefineRenderPosition, s_DefineOn);
    {
        TRenderContext context(shader);
        water->RenderFeatherBlend(&context);
    }
    shader->RemoveDefine(s_DefineRenderPosition);
    g_pRenderManager->RecordPipelineStep(s_StepWater, shader);
    g_pRenderManager->BindPublishedTarget(PUBLISHED_TEMP3, 0);
    CopyInto(TextureOf(scratch));
}
