// TTerrainSettingsShd: the terrain manager's 48 settings vectors for the terrain shaders.
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/effects/terrainmanager.h"

class TTerrainSettingsShd : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(TERRAIN_SETTINGS_VECTORS, g_pTerrainManager->GetSettings());
    }
};

VESTAMOR_PLUGIN(TTerrainSettingsShd, TShaderParameterPlugin);
