// The shader-parameter plug-ins of the shaders themselves: camera matrices, the device and
// render-target sizes, noise and random vectors with the timer's values.
#include "core/math/noise.h"
#include "core/math/random.h"
#include "core/system/timer.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxrendertargetmanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/device.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"

namespace
{
// The current camera while a viewport has been applied.
TCamera* ViewportCamera()
{
    return g_pDxViewportManager->GetCurrentViewport() ? g_pDxCameraManager->GetCurrentCamera() : nullptr;
}

// {width, height, width / 2, height / 2} and {1 / width, 1 / height, 0.5 / width, 0.5 / height}.
void SetSize(TShaderParameter* parameter, f32 width, f32 height)
{
    const TVector size[2] = {{width, height, width * 0.5f, height * 0.5f},
                             {1.0f / width, 1.0f / height, 0.5f / width, 0.5f / height}};
    parameter->SetVectorArray(2, size);
}

// The w components of the noise and random vectors: game time, time since start, game step,
// time scale.
void SetTimerValues(TVector* vectors)
{
    vectors[0].w = g_pTimer->GetGameTime();
    vectors[1].w = static_cast<f32>(g_pTimer->GetTime());
    vectors[2].w = g_pTimer->GetGameTimeStep();
    vectors[3].w = g_pTimer->GetScale();
}
} // namespace

class TCameraMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (TCamera* camera = ViewportCamera())
            parameter->SetMatrix(camera->m_View);
    }
};

class TCameraMatrix2 : public TCameraMatrix
{
};

class TProjectionMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (TCamera* camera = ViewportCamera())
            parameter->SetMatrix(camera->m_Projection);
    }
};

class TFinalMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (TCamera* camera = ViewportCamera())
            parameter->SetMatrix(camera->m_ViewProjection);
    }
};

class TPlayerMatrix : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        TCamera* main = g_pDxCameraManager->GetMainCamera();
        if (ViewportCamera() && main)
            parameter->SetMatrix(*main->GetMatrix());
    }
};

class TDeviceSize : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        SetSize(parameter, static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()));
    }
};

class TRenderTargetSize : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        auto* target = static_cast<TDxRenderTarget*>(g_pDxRenderTargetManager->GetCurrentTarget(0));
        if (target)
            SetSize(parameter, static_cast<f32>(target->m_nWidth), static_cast<f32>(target->m_nHeight));
        else
            SetSize(parameter, 1.0f, 1.0f);
    }
};

class TShaderNoise : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        const f32 t = g_pTimer->GetGameTime();
        TVector vectors[4] = {NoiseVector1D(t, 1.0f), NoiseVector1D(t + 0.1f, 1.0f),
                              NoiseVector1D(0.2f * t + 0.2f, 1.0f), NoiseVector1D(0.2f * t + 0.7f, 1.0f)};
        SetTimerValues(vectors);
        parameter->SetVectorArray(4, vectors);
    }
};

class TShaderRandom : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        TVector vectors[4];
        for (TVector& vector : vectors)
        {
            vector.z = Draw();
            vector.y = Draw();
            vector.x = Draw();
        }
        SetTimerValues(vectors);
        parameter->SetVectorArray(4, vectors);
    }

private:
    // A word of the shared generator in [-1, 1).
    static f32 Draw() { return static_cast<f32>(TRandom::Shared().Next() * (1.0 / 2147483648.0) - 1.0); }
};

VESTAMOR_PLUGIN(TCameraMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TCameraMatrix2, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TProjectionMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TFinalMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TPlayerMatrix, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TDeviceSize, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TRenderTargetSize, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TShaderNoise, TShaderParameterPlugin);
VESTAMOR_PLUGIN(TShaderRandom, TShaderParameterPlugin);
