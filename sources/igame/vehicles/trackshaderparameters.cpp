// TTrackShaderParameters: the shader-parameter plug-in of the track shader.
#include "igame/vehicles/trackshaderparameters.h"

#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

namespace
{
TVector s_TrackShaderVector(0.0f, 0.0f, 0.0f, 0.0f);
} // namespace

void SetTrackShaderOffsets(f32 left, f32 right)
{
    s_TrackShaderVector = TVector(left, right, 0.0f, 0.0f);
}

const TVector& GetTrackShaderVector()
{
    return s_TrackShaderVector;
}

class TTrackShaderParameters : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*,
               const TMeshDescription*) override
    {
        parameter->SetVector(s_TrackShaderVector);
    }
};

VESTAMOR_PLUGIN(TTrackShaderParameters, TShaderParameterPlugin);
