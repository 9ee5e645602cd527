// The sky's shader-parameter plug-ins: each hands the shaders a piece of the sky parameters the
// atmosphere manager publishes every frame.
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/effects/atmospheremanager.h"

// Cloud shadow colour (x, y, z) and factor (w).
class TAtmosphereColor : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVector(g_SkyParameters.CloudShadow);
    }
};

// Sun direction (x, y, z) and night factor (w).
class TLightDirection : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVector(g_SkyParameters.SunDirection);
    }
};

class TLightColor : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVector(g_SkyParameters.LightColor);
    }
};

// Sun offset (x, y, z) and time of day (w).
class TAtmosphereSunAndTime : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        const TVector& o = g_SkyParameters.SunOffset;
        parameter->SetVector(TVector(o.x, o.y, o.z, g_SkyParameters.fTimeOfDay));
    }
};

class TAtmosphereParam : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(SKY_COLOR_PARAMETERS, g_SkyParameters.aSkyColor);
    }
};

VESTAMOR_PLUGIN(TAtmosphereColor, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TLightDirection, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TLightColor, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TAtmosphereSunAndTime, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TAtmosphereParam, TShaderParameterPlugin);
