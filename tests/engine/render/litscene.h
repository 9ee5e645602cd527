#pragma once
// A lit scene for the renderers' tests: one queue of boxes on nodes in the first render scene,
// lights on nodes in the light manager, a camera at the origin looking along +z, and recording
// shaders found by name.
#include "renderfixture.h"

#include "engine/render/camera.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/lightsettings.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shaderlink.h"
#include "core/cluster/cluster.h"
#include "engine/system/node.h"
#include "engine/system/translation.h"

#include <deque>
#include <initializer_list>
#include <utility>

// A box of half-sizes (x, y, z) about its node, drawn at the node's place.
class TBoxObject : public TRenderObject
{
public:
    TBoxObject(f32 x, f32 y, f32 z, Lines& draws) : m_Draws(draws)
    {
        m_Box.minimum = TVector(-x, -y, -z, 1.0f);
        m_Box.maximum = TVector(x, y, z, 1.0f);
        m_Box.Update();
    }
    TBoxObject(f32 h, Lines& draws) : TBoxObject(h, h, h, draws) {}
    const TBoundBox* GetBoundBox() override { return &m_Box; }
    u32 CastsShadow() override { return 1; }
    void Draw(TRenderContext* context) override
    {
        const f32* v = g_LightSettings.aValue;
        TShader* shader = context->GetShader();
        m_Draws.push_back(std::string(shader ? shader->m_Name.GetText() : "-") + " " +
                          std::to_string(static_cast<int>(v[LIGHT_SETTINGS_FORWARD_NUMBER])) + " " +
                          std::to_string(static_cast<int>(v[LIGHT_SETTINGS_INTENSITY])) +
                          (context->FindDefine(TName("DFeatherBlend")) ? " feather" : ""));
    }

    TBoundBox m_Box{};

private:
    Lines& m_Draws;
};


class LitSceneTest : public RenderTest
{
protected:
    explicit LitSceneTest(std::initializer_list<const char*> shaders)
    {
        s_pShaders = &m_aShader;
        // The current-light block starts empty, as in a program's first frame: the last light of
        // an earlier test would show in this one's draws.
        m_SavedLightSettings = g_LightSettings;
        g_LightSettings = TLightSettingsBlock{};
        m_pSavedFindShader = g_pFindShader;
        g_pFindShader = [](const TName& name) -> TShader* {
            for (TRecordingShader& shader : *s_pShaders)
                if (shader.m_Name == name)
                    return &shader;
            return nullptr;
        };
        for (const char* name : shaders)
            m_aShader.emplace_back(name, m_Device.journal);
        m_Viewport.m_nFlags = VIEWPORT_FLAG_2;
        queue.m_nFlags = RENDER_QUEUE_ENABLED;
        scene.m_nQueueCount = 1;
        scene.aRenderQueue[0] = &queue;
        g_pRenderSceneManager->Scenes().Add(&scene);
        // A camera at the origin looking along +z, 90 degrees each way.
        camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        camera.m_fHorizontalFov = camera.m_fVerticalFov = 90.0f;
        camera.m_fNearClip = 0.5f;
        camera.m_fFarClip = 1000.0f;
        camera.UpdateProjection(1, 1);
        camera.m_ViewProjection = camera.m_Projection;
        g_pRenderManager->SetCurrentCamera(&camera);
    }
    ~LitSceneTest() override
    {
        for (TBoxObject& object : m_aObject)
            object.RemoveFromQueue();
        for (size_t i = 0; i < m_aObject.size(); ++i)
            m_aNode[i].DeleteObject(&m_aObject[i]);
        for (TLight& light : m_aLight)
            if (light.pNode)
                light.pNode->DeleteObject(&light);
        g_pLightManager->Lights().SetCount(0);
        g_pRenderSceneManager->Scenes().SetCount(0);
        g_pFindShader = m_pSavedFindShader;
        // A pass leaves the imposters its shader, which goes with the test.
        g_pImposterManager->SetShader(nullptr);
        g_LightSettings = m_SavedLightSettings;
        g_pCluster->Clear();
    }

    TNode& Node(const TMatrix& at)
    {
        TNode& node = m_aNode.emplace_back();
        node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        node.SetLocalMatrix(at, TNode::OrdinaryCause());
        return node;
    }
    TBoxObject& Object(f32 x, f32 y, f32 z, f32 h) { return Object(x, y, z, h, h, h); }
    TBoxObject& Object(f32 x, f32 y, f32 z, f32 hx, f32 hy, f32 hz)
    {
        TNode& node = Node(Translation(x, y, z));
        TBoxObject& object = m_aObject.emplace_back(hx, hy, hz, m_Draws);
        node.AddObject(&object);
        object.SetQueue(&queue);
        return object;
    }
    // A light at the origin shining along +z.
    TLight& Light(i32 type, f32 intensity = 2.0f, const TMatrix& at = TMatrix(1.0f))
    {
        TLight& light = m_aLight.emplace_back();
        light.m_nType = type;
        light.m_fIntensity = intensity;
        light.m_fPower = 3.0f;
        light.m_fRange = 100.0f;
        light.SetCone(0.2f, 0.3f);
        Node(at).AddObject(&light);
        g_pLightManager->Lights().Add(&light);
        return light;
    }
    Lines Drawn() { return std::exchange(m_Draws, {}); }
    TRecordingShader& Shader(const char* name)
    {
        for (TRecordingShader& shader : m_aShader)
            if (shader.m_Name == TName(name))
                return shader;
        return m_aShader.front();
    }

    static inline std::deque<TRecordingShader>* s_pShaders = nullptr;
    std::deque<TRecordingShader> m_aShader;
    std::deque<TNode> m_aNode;
    std::deque<TBoxObject> m_aObject;
    std::deque<TLight> m_aLight;
    Lines m_Draws;
    TRenderQueue queue{};
    TRenderScene scene{};
    TCamera camera;
    TShader* (*m_pSavedFindShader)(const TName&) = nullptr;
    TLightSettingsBlock m_SavedLightSettings{};
};
