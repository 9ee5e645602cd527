#pragma once
// The benchmarks' drawing set-up: the software device at 1280 x 720, the game's shader
// repository, and a camera 10 units before the origin looking along +Z that sees 64 pixels a
// unit at the origin's plane (an 8 x 8-pixel quad is 0.125 across there).
#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/camera.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"

#include <cmath>

// The camera's view x projection, whatever viewport there is.
class TFixedCamera : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        parameter->SetMatrix(matrix);
    }
    TMatrix matrix{1.0f};
};

constexpr i32 kBenchmarkWidth = 1280;
constexpr i32 kBenchmarkHeight = 720;

// False when the device or the shaders cannot be had. shaders: the shader repository's path.
inline bool StartSoftwareDevice(const char* shaders, TCamera& camera, TNode& eye, TFixedCamera& plugin)
{
    static const bool s_bStarted = [shaders] {
        g_ManagerManager.Initialize();
        g_device_size.Store(static_cast<f32>(kBenchmarkWidth), static_cast<f32>(kBenchmarkHeight), 0.0f, 1.0f);
        if (g_pDxDeviceManager->InitializeManager() != 0)
            return false;
        g_pDxDeviceManager->SetRunning(1);
        g_pCluster->LinkTypes();
        g_pResourceManager->BeginManager();
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        return g_pResourceManager->LoadRepository(shaders, 0) == 0;
    }();
    if (!s_bStarted)
        return false;
    TMatrix at(1.0f);
    at.aRow[3] = TVector(0.0f, 0.0f, -10.0f, 1.0f);
    eye.m_nFlags = NODE_ENABLED | NODE_INHERITED;
    eye.SetLocalMatrix(at, TNode::OrdinaryCause());
    eye.AddObject(&camera);
    camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
    // 1280 pixels across 20 units at 10 units: 64 pixels a unit.
    camera.m_fHorizontalFov = 90.0f;
    camera.m_fVerticalFov = 2.0f * 57.29578f * std::atan(static_cast<f32>(kBenchmarkHeight) / kBenchmarkWidth);
    camera.m_fNearClip = 0.5f;
    camera.m_fFarClip = 100.0f;
    camera.UpdateProjection(kBenchmarkWidth, kBenchmarkHeight);
    camera.UpdateView();
    g_pDxCameraManager->SetCamera(&camera);
    plugin.matrix = camera.m_ViewProjection;
    g_pDxShaderManager->_EnterPlugin(TName("TFinalMatrix", true), &plugin)->pPlugin = &plugin;
    return true;
}
