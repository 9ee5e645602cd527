// The post effects' shader-parameter plug-ins: the water's animation phase, the refraction
// texture, the current settings' haze and ambient-occlusion vectors, the camera's final matrix of
// the last screen-space motion blur, and the motion block of the motion-blur object being drawn.
#include "engine/render/material.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/texture.h"
#include "igame/effects/effectsmanager.h"

namespace
{
constexpr u32 kRefractionSlot = 6;
constexpr u32 kHazeSlot = 7;
// Written by no code here: the refraction's vector stays zero.
const TVector s_Refraction(0.0f, 0.0f, 0.0f, 0.0f);
} // namespace

class TTextureAnimationParam : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        const TVector phase(g_EffectsBlocks.fWaterPhase, 0.0f, 0.0f, 0.0f);
        parameter->SetVectorArray(1, &phase);
    }
};

// Under the deferred renderer the drawn object refracts the lit scene ("Temp3").
class TRefractionTexture : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial* material, const TMeshDescription*) override
    {
        TRenderer* renderer = g_pRenderManager ? g_pRenderManager->GetActiveRenderer() : nullptr;
        if (material && renderer && renderer->m_nIndex != 0)
        {
            TRenderTarget* scene = g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3);
            material->aTexture[kRefractionSlot] = scene ? scene->GetTexture() : nullptr;
        }
        parameter->SetVectorArray(1, &s_Refraction);
    }
};

// The four haze vectors; the draw's haze texture is the current settings' (none: cleared).
class THazeParameters : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial* material, const TMeshDescription*) override
    {
        TEffectTransition& transition = g_pEffectsManager->Transition();
        TEffectSettings& current = transition.Current();
        parameter->SetVectorArray(EFFECT_HAZE_VECTORS, reinterpret_cast<const TVector*>(current.aHaze));
        if (!material)
            return;
        TTexture* haze = TEffectSettings::ResolveTexture(current.Haze);
        if (haze)
        {
            haze->Require();
            if (transition.IsRunning())
                if (TTexture* start = TEffectSettings::ResolveTexture(transition.StartSettings().Haze))
                    start->Require();
        }
        material->aTexture[kHazeSlot] = haze;
    }
};

class TAOParameters : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(EFFECT_AO_VECTORS,
                                  reinterpret_cast<const TVector*>(g_pEffectsManager->Transition().Current().aAmbientOcclusion));
    }
};

class TFinalMatrixPrev : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrix(g_EffectsBlocks.FinalMatrixPrev);
    }
};

// Two matrices from the motion block's start: M, then V1, V2 and the first two rows of the
// identity kept after them.
class TMotionBlurObjectParam : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrixArray(2, &g_EffectsBlocks.Motion.M);
    }
};

VESTAMOR_PLUGIN(TTextureAnimationParam, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TRefractionTexture, TShaderParameterPlugin);
VESTAMOR_PLUGIN(THazeParameters, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TAOParameters, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TFinalMatrixPrev, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TMotionBlurObjectParam, TShaderParameterPlugin);
