#pragma once
// The lit scene with the deferred renderer on and its targets made (the recording device's
// 1024 x 768), its shaders and the shadow manager's recorded by name, and both (and the shadow
// switch) put back after each test.
#include "litscene.h"

#include "engine/render/cameramanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/system/command/commandmanager.h"


// The camera manager of the passes drawn from a light: its first camera on a node of its own.
class TTestCameraManager : public TCameraManager
{
public:
    // The default argument is read before the base makes itself the camera manager.
    explicit TTestCameraManager(TCameraManager* saved = g_pCameraManager) : m_pSaved(saved)
    {
        m_Node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        m_Node.AddObject(&m_First);
    }
    ~TTestCameraManager() override
    {
        m_Node.DeleteObject(&m_First);
        g_pCameraManager = m_pSaved;
    }
    TCamera* GetFirstCamera() override { return &m_First; }

private:
    TCameraManager* m_pSaved;
    TNode m_Node;
    TCamera m_First;
};

class DeferredSceneTest : public LitSceneTest
{
protected:
    DeferredSceneTest()
        : LitSceneTest({"Shader_deferredrendering_gbuffer", "Shader_imposter_deferredrendering",
                        "Shader_deferredrendering_light_directional", "Shader_deferredrendering_light_point",
                        "Shader_deferredrendering_light_spot", "Shader_deferredrendering_combine",
                        "Shader_shadow_buffer", "Shader_shadow_projection", "Shader_imposter_shadow",
                        "ShaderBlurHorizontal", "ShaderBlurVertical"})
    {
        m_nWasEnabled = g_pDeferredRendering->m_nEnabled;
        m_nShadowsWereOn = g_pShadowManager->IsEnabled();
        g_pDeferredRendering->m_nEnabled = 1;
        g_pDeferredRendering->m_nSupported = 1;
        g_pDeferredRendering->Initialize();
        g_pDeferredRendering->PublishTargets();
        g_pRenderManager->_SelectRenderer(g_pDeferredRendering);
        g_pLightManager->SetOptimizationLevel(0);
        g_pCameraManager->SetMainCamera(&camera);
        g_pCameraManager->SetCamera(&camera);
        Take();
    }
    ~DeferredSceneTest() override
    {
        g_pShadowManager->SetEnabled(static_cast<i32>(m_nShadowsWereOn));
        g_pShadowManager->ReleaseTargets();
        g_pDeferredRendering->ReleaseRenderTargets();
        g_pDeferredRendering->m_nEnabled = m_nWasEnabled;
        g_pCameraManager->SetMainCamera(nullptr);
        g_pCameraManager->SetCamera(nullptr);
    }

    static void Run(const char* line) { TCommandManager::Instance().ExecuteText(line); }

    TTestCameraManager m_Cameras;

private:
    u32 m_nWasEnabled = 0;
    u32 m_nShadowsWereOn = 0;
};
