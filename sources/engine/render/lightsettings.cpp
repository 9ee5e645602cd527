#include "engine/render/lightsettings.h"

#include "engine/render/light.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

#include <cstring>

TLightSettingsBlock g_LightSettings = {};

namespace
{
void Copy(f32* to, const f32* from, u32 count)
{
    std::memcpy(to, from, count * sizeof(f32));
}
} // namespace

void TLightSettingsBlock::Fill(TLight& light)
{
    const TMatrix& world = *light.GetMatrix();
    aValue[0] = world.aRow[3].x;
    aValue[1] = world.aRow[3].y;
    aValue[2] = world.aRow[3].z;
    aValue[3] = light.m_fRange;
    aValue[4] = -world.aRow[2].x;
    aValue[5] = -world.aRow[2].y;
    aValue[6] = -world.aRow[2].z;
    aValue[LIGHT_SETTINGS_INTENSITY] = light.m_fIntensity * light.m_fPower;
    Copy(aValue + 8, light.m_aColor, 4);
    Copy(aValue + 12, light.m_aSecondColor, 4);
    Copy(aValue + 16, light.m_aAttenuation, 8);
    Copy(aValue + LIGHT_SETTINGS_SHADOW, light.m_aShadow, 4);
    Copy(aValue + 28, &light.m_aChannel[0][0], 8);
    Copy(aValue + 36, light.m_aVector100, 4);
    Copy(aValue + 40, light.m_aVector116, 4);
}

class TLightSettings : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(LIGHT_SETTINGS_VECTORS, reinterpret_cast<const TVector*>(g_LightSettings.aValue));
    }
};

VESTAMOR_PLUGIN(TLightSettings, TShaderParameterPlugin);
