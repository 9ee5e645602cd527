// The dynamic weather's console switch "effect_dynamicweather" and its shader-parameter plug-in
// `TShaderWeatherSettings`, which hands the shader the manager's 20 vectors.
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/command/variable.h"
#include "igame/effects/dynamicweathermanager.h"

class Teffect_dynamicweatherVariable : public TVariable
{
public:
    Teffect_dynamicweatherVariable() : TVariable("effect_dynamicweather", "Dynamic weather effect.", 0)
    {
        m_Value.SetInt(1);
    }
    // Read at each update and drawing.
    void OnChange() override {}
};

Teffect_dynamicweatherVariable s_effect_dynamicweather;

class TShaderWeatherSettings : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (g_pDynamicWeatherManager)
            parameter->SetVectorArray(WEATHER_CONSTANT_VECTORS, g_pDynamicWeatherManager->GetConstants());
    }
};

VESTAMOR_PLUGIN(TShaderWeatherSettings, TShaderParameterPlugin);
