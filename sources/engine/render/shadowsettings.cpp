#include "engine/render/shadowsettings.h"

#include "engine/render/shadowmanager.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/command/variable.h"

TShadowParameterBlock g_ShadowParameters = {};

namespace
{
constexpr f32 SPLIT_WEIGHT_DEFAULT = 0.8f;
f32 s_fSplitWeight = SPLIT_WEIGHT_DEFAULT;

class Tshadow_enableVariable : public TVariable
{
public:
    Tshadow_enableVariable() : TVariable("shadow_enable", "Enable shadows.", 0) { m_Value.SetInt(1); }
    void OnChange() override { g_pShadowManager->SetEnabled(m_Value.ToInt()); }
};

class Tshadow_map_sizeVariable : public TVariable
{
public:
    Tshadow_map_sizeVariable() : TVariable("shadow_map_size", "Shadow map size.", 0)
    {
        m_Value.SetVector(512.0f, 512.0f, 0.0f, 1.0f);
    }
    void OnChange() override
    {
        // A value of another type is a size of (0, 0), which changes nothing.
        const bool vector = m_Value.nType == VALUE_VECTOR;
        g_pShadowManager->SetMapSize(vector ? m_Value.aVector[0] : 0.0f, vector ? m_Value.aVector[1] : 0.0f);
    }
};

class Tshadow_distance_factorVariable : public TVariable
{
public:
    Tshadow_distance_factorVariable() : TVariable("shadow_distance_factor", "Shadow max distance scale.", 0)
    {
        m_Value.SetFloat(1.0f);
    }
    void OnChange() override { g_pShadowManager->SetDistanceFactor(m_Value.ToFloat()); }
};

class Tshadow_map_splitsVariable : public TVariable
{
public:
    Tshadow_map_splitsVariable()
        : TVariable("shadow_map_splits", "Shadow map splits override (directional light).", 0)
    {
        m_Value.SetInt(0);
    }
    // Read by every directional pass.
    void OnChange() override {}
};

class Tshadow_map_splitweightVariable : public TVariable
{
public:
    Tshadow_map_splitweightVariable()
        : TVariable("shadow_map_splitweight", "Shadow map split weight override (directional light).", 0)
    {
        m_Value.SetFloat(SPLIT_WEIGHT_DEFAULT);
    }
    void OnChange() override { s_fSplitWeight = m_Value.ToFloat(); }
};

class Tshadow_softenVariable : public TVariable
{
public:
    Tshadow_softenVariable() : TVariable("shadow_soften", "Soften shadow map.", 0) { m_Value.SetInt(1); }
    void OnChange() override { g_pShadowManager->SetSoften(m_Value.ToInt()); }
};

Tshadow_enableVariable s_shadow_enable;
Tshadow_map_sizeVariable s_shadow_map_size;
Tshadow_distance_factorVariable s_shadow_distance_factor;
Tshadow_map_splitsVariable s_shadow_map_splits;
Tshadow_map_splitweightVariable s_shadow_map_splitweight;
Tshadow_softenVariable s_shadow_soften;
} // namespace

i32 ShadowMapSplits()
{
    return s_shadow_map_splits.GetValue().ToInt();
}

f32 ShadowSplitWeight()
{
    return s_fSplitWeight;
}

void StoreShadowEnable(i32 value)
{
    s_shadow_enable.Store(value);
}

class TShadowProjection : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrix(g_ShadowParameters.projection);
    }
};

class TShadowParameters : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(SHADOW_PARAMETER_VECTORS, g_ShadowParameters.aVector);
    }
};

// The shadow manager's blur parameters, which the soften passes (and the effects' ambient
// occlusion blur) set before they blur.
class TEffectsParams : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(SHADOW_BLUR_VECTORS, g_pShadowManager->GetBlurParameters());
    }
};

VESTAMOR_PLUGIN(TShadowProjection, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TShadowParameters, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TEffectsParams, TShaderParameterPlugin);
