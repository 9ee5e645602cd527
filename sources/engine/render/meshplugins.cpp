// The shader-parameter plug-ins of the meshes: the drawn mesh's texture matrix and material.
#include "engine/render/mesh.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

class TTextureMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrix(g_CurrentTextureMatrix);
    }
};

class TObjectMeshSettings : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (g_pCurrentMeshMaterial)
            parameter->SetVectorArray(MESH_MATERIAL_VECTORS, g_pCurrentMeshMaterial->aVector);
    }
};

VESTAMOR_PLUGIN(TTextureMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TObjectMeshSettings, TShaderParameterPlugin);
