// The deferred renderer's shader-parameter plug-ins besides the current-light block
// (TLightSettings, lightsettings.cpp): a light record of its light table, the camera's view
// matrix, the ambient-occlusion constants and the viewport's background colour.
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/viewport.h"

#include <cstring>

namespace
{
// The deferred light table: records of six words, of which a shader reads the first four. Nothing
// in this engine fills or selects one: the selected record is the first, all zeros.
struct TDeferredLightRecord
{
    f32 aValue[6];
};
const TDeferredLightRecord s_aDeferredLight[1] = {};
const u32 s_nDeferredLightSelected = 0;

constexpr TVector AMBIENT_OCCLUSION_SETTINGS(0.0f, 0.0f, 0.0f, 0.1f);
} // namespace

class TDeferredLight : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        const f32* v = s_aDeferredLight[s_nDeferredLightSelected].aValue;
        parameter->SetVector(TVector(v[0], v[1], v[2], v[3]));
    }
};

// World to camera: the view of the current camera while a viewport is being drawn.
class TDeferredMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        TCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
        if (camera && g_pRenderManager->GetCurrentViewport())
            parameter->SetMatrix(camera->m_View);
    }
};

class TAmbientOcclusionSettings : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetVector(AMBIENT_OCCLUSION_SETTINGS);
    }
};

// The current viewport's colour, its four bytes in memory order (blue, green, red, alpha of the
// ARGB word) over 255.
class TBackgroundColor : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        const TViewport* viewport = g_pRenderManager->GetCurrentViewport();
        if (!viewport)
            return;
        u8 bytes[4];
        std::memcpy(bytes, &viewport->m_nColor, 4);
        constexpr f32 kScale = 1.0f / 255.0f;
        parameter->SetVector(TVector(bytes[0] * kScale, bytes[1] * kScale, bytes[2] * kScale, bytes[3] * kScale));
    }
};

VESTAMOR_PLUGIN(TDeferredLight, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TDeferredMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TAmbientOcclusionSettings, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TBackgroundColor, TShaderParameterPlugin);
