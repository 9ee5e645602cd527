#pragma once
// TEffectsManager ("Effects", g_pEffectsManager): the post effects. It stands several times in
// the render list, and each entry's word selects the one full-screen step that call runs on the
// render manager's pipeline (1 haze, 2 depth of field, 3 water, 4 overlay, 5 edge smoothing,
// 6 motion blur, 7 tone mapping, 8 film grain, 9 ambient occlusion, 10 screen-space grass).
// Under the forward renderer only the water word draws. It keeps the effect settings and areas the
// cluster loads, the current settings with their transition (the manager's
// data block, saved with the state), the motion-blur objects, and the ambient-occlusion targets.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"
#include "igame/effects/effecttransition.h"

#include "core/math/matrix.h"

class TMotionBlurObject;
struct TRenderQueue;
class TRenderTarget;
class TShader;
class TShaderLink;
class TTexture;

// The id of the manager's data block in cluster images: the settings' type.
constexpr i32 EFFECTS_MANAGER_ID = EFFECT_SETTINGS_TYPE_ID;
constexpr u32 EFFECTS_STATE_PASS = 3;
constexpr u32 EFFECTS_TONEMAPPING_TARGETS = 6;
constexpr u32 EFFECTS_TONEMAPPING_SIZES[EFFECTS_TONEMAPPING_TARGETS] = {243, 81, 27, 9, 3, 1};
// Render-target formats: R5G6B5 for the luminance chain, A8R8G8B8 for ambient occlusion.
constexpr u32 EFFECTS_TONEMAPPING_FORMAT = 262;
constexpr u32 EFFECTS_AO_FORMAT = 258;
constexpr f32 EFFECTS_AO_FACTOR_DEFAULT = 0.5f;
constexpr f32 EFFECTS_AO_FACTOR_MINIMUM = 0.1f;
constexpr f32 EFFECTS_AO_FACTOR_MAXIMUM = 1.0f;
constexpr u32 EFFECTS_STEP_FIRST = 1;
constexpr u32 EFFECTS_STEP_LAST = 10;
constexpr u32 EFFECTS_STEP_WATER = 3;

class TEffectsManager : public TManager,
                        public TStateMethods,
                        public TResourceMethods,
                        public TClusterMethods,
                        public TDeviceMethods
{
public:
    TEffectsManager();
    ~TEffectsManager() override;

    void BeginManager() override;
    void RenderManager() override;
    void UpdateManager(f32 step) override;

    // The current settings as the manager's one data block; another size than 244 is refused
    // with a log line.
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return sizeof(TEffectSettings); }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    // The transition block in pass 3; a load reads it back there, refusing a damaged one (the
    // running settings stay).
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

    void OnClusterLoad() override;
    void OnClusterUnload() override;
    void OnDeviceLost() override;
    void OnDeviceReset() override;
    // The deferred renderer made its targets (enabled again at run time): "AORT" and "AORT2" too.
    void OnRendererChange() override;

    // The first loaded record of that name, or null.
    TEffectSettings* FindSettings(u32 name);
    // A transition to the record of that name over `seconds`; nothing without such a record.
    void StartTransition(const char* name, f32 seconds);
    TEffectTransition& Transition() { return m_Transition; }
    DArray<TEffectArea*>& Areas() { return m_aArea; }
    DArray<TEffectSettings*>& Settings() { return m_aSettings; }
    DArray<TMotionBlurObject*>& MotionBlurObjects() { return m_aMotionBlur; }
    // The dynamics time step the motion blur of bodies reads (0 without physics).
    static f32 DynamicsStep();

    // The ambient-occlusion targets at the back buffer's size times the factor (none without the
    // deferred renderer); the factor kept within 0.1-1.
    void SetAmbientOcclusionFactor(f32 factor);
    f32 GetAmbientOcclusionFactor() const { return m_fAmbientOcclusionFactor; }
    void CreateAmbientOcclusionTargets();
    void ReleaseAmbientOcclusionTargets();
    TRenderTarget* GetAmbientOcclusionTarget(u32 index) const { return m_apAmbientOcclusion[index]; }
    TRenderTarget* GetToneMappingTarget(u32 index) const { return m_apToneMapping[index]; }

private:
    // A step's shader; a missing one is named in one warning line and the step skipped.
    TShader* StepShader(TShaderLink& link, const char* name);
    void ReleaseToneMappingTargets();
    // A full-screen step: its shader with the pipeline flipped and the image so far at slot 0
    // (null: skipped), then its quad and its record.
    TShader* BeginStep(TShaderLink& link, const char* name);
    void EndStep(TShader* shader, const TName& step);
    // A settings texture that is not there: one warning line a name.
    static void MissingTexture(const TUserIdLink& link, const char* use);
    // One full-screen quad with the shader; a copy of a texture through the canvas.
    static void DrawQuad(TShader* shader);
    static void CopyInto(TTexture* texture);
    void RenderHaze();
    void RenderDepthOfField();
    void RenderOverlay();
    void RenderToneMapping();
    void RenderAmbientOcclusion();
    void RenderGrass();
    // The pond's queue "Water" of the first render scene, or null.
    static TRenderQueue* WaterQueue();
    // The lit scene refracted through the water into "Temp2" and back, the surface's positions
    // into "Position".
    void RenderWater();
    // The motion blur's halves: each motion-blur object's mesh drawn again smearing the image
    // under it, then the whole screen smeared by the camera's own motion.
    void RenderObjectMotionBlur();
    void RenderScreenMotionBlur();

    TEffectTransition m_Transition;
    DArray<TEffectArea*> m_aArea;
    DArray<TEffectSettings*> m_aSettings;
    DArray<TMotionBlurObject*> m_aMotionBlur;
    TRenderTarget* m_apToneMapping[EFFECTS_TONEMAPPING_TARGETS] = {};
    TRenderTarget* m_pToneMappingAdapt = nullptr;
    TRenderTarget* m_apAmbientOcclusion[2] = {};
    f32 m_fAmbientOcclusionFactor = EFFECTS_AO_FACTOR_DEFAULT;
};

// The motion-blur object's drawing block: its matrix and two vectors, then an identity the manager
// keeps after them; TMotionBlurObjectParam hands on 32 floats from its start.
struct TMotionBlurBlock
{
    TMatrix M;
    TVector V1;
    TVector V2;
    TMatrix Identity;
};

static_assert(offsetof(TMotionBlurBlock, V1) == 64 && offsetof(TMotionBlurBlock, V2) == 80);
static_assert(offsetof(TMotionBlurBlock, Identity) == 96);

// What the post effects' plug-ins read beside the settings.
struct TEffectsBlocks
{
    // The water normal map's animation phase, 0 to 1.
    f32 fWaterPhase = 0.0f;
    // The camera's final matrix at the end of the last screen-space motion blur, once one ran.
    TMatrix FinalMatrixPrev = TMatrix(1.0f);
    u32 nPreviousSet = 0;
    TMotionBlurBlock Motion = {TMatrix(1.0f), TVector(0.0f, 0.0f, 0.0f, 0.0f), TVector(0.0f, 0.0f, 0.0f, 0.0f),
                               TMatrix(1.0f)};
};

extern TEffectsBlocks g_EffectsBlocks;
extern TEffectsManager* g_pEffectsManager;
