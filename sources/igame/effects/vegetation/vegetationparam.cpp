// TVegetationParam: the vegetation manager's three parameter vectors (the range, and two built
// from the settings) for the vegetation shaders.
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/effects/vegetation/vegetationmanager.h"

class TVegetationParam : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (g_pVegetationManager)
            parameter->SetVectorArray(3, g_pVegetationManager->GetParamVectors());
    }
};

VESTAMOR_PLUGIN(TVegetationParam, TShaderParameterPlugin);
