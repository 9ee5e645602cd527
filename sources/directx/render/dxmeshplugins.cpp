// The shader-parameter plug-ins of the meshes: the object matrix and the instance batch.
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshdatainstancing.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

class TObjectMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrix(g_DxObjectMatrix);
    }
};

class TObjectInstanceMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrixArray(g_DxInstanceBatch.nCount, reinterpret_cast<const TMatrix*>(g_DxInstanceBatch.pMatrices));
    }
};

class TObjectInstanceColor : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(g_DxInstanceBatch.nCount, reinterpret_cast<const TVector*>(g_DxInstanceBatch.pColours));
    }
};

// Objects carry no velocity yet: every object stands still.
class TMeshVelocity : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVector(TVector{0.0f, 0.0f, 0.0f, 1.0f});
    }
};

VESTAMOR_PLUGIN(TObjectMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TObjectInstanceMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TObjectInstanceColor, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TMeshVelocity, TShaderParameterPlugin);
