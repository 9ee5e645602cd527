#include "directx/render/dxscreenmatrix.h"

#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

TVector g_aScreenMatrix[SCREEN_MATRIX_VECTORS] = {};

class TScreenMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVectorArray(SCREEN_MATRIX_VECTORS, g_aScreenMatrix);
    }
};

VESTAMOR_PLUGIN(TScreenMatrix, TShaderParameterPlugin);
