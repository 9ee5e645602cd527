// The dynamics manager's overlay drawn by the software device through the canvas and the game's
// shaders: a joint's axes, an awake box and ball with the main camera's view, against a golden
// image.
#include "canvasfixture.h"

#include "ageia/dynamicsgeometry.h"
#include "ageia/dynamicsjoint.h"
#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/renderstats.h"
#include "engine/system/resourcemanager.h"
#include "targetgolden.h"


namespace
{
constexpr i32 kWidth = 160;
constexpr i32 kHeight = 120;

TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

class DynamicsOverlayTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        // World lines go through the current camera's view and projection.
        TPlugin* finalMatrix = nullptr;
        g_pPluginManager->TryFindPlugin(finalMatrix, TName("TFinalMatrix"), g_NameShaderParameterPlugin);
        ASSERT_NE(finalMatrix, nullptr);
        g_pDxShaderManager->_EnterPlugin(TName("TFinalMatrix"), nullptr)->pPlugin =
            static_cast<TShaderParameterPlugin*>(finalMatrix);
        g_pCluster->LinkTypes();
        ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_SHADER_REPOSITORY, 0), 0);
        ASSERT_EQ(g_pNxDynamicsManager->InitializeManager(), 0);
        m_pVariable = TCommandManager::Instance().FindVariable(TName("dynamics.debug", true));
        ASSERT_NE(m_pVariable, nullptr);
    }
    void TearDown() override
    {
        m_pVariable->SetInt(0);
        g_pDxCameraManager->SetMainCamera(nullptr);
        g_pDxCameraManager->SetCamera(nullptr);
        g_pDxViewportManager->SetCurrentViewport(nullptr);
        // The bodies leave their nodes before the nodes go.
        g_pNxDynamicsManager->OnClusterUnload();
        g_pNxDynamicsManager->FinalizeManager();
        for (i32 i = 0; i < g_pDxShaderManager->GetShaderCount(); ++i)
            g_pDxShaderManager->GetShader(i)->Unload();
        CanvasFixture::TearDown();
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
    }

    static TDynamicsBody* Body(const char* name, const TMatrix& place, u32 type, const TVector& size)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        node->SetLocalMatrix(place, TNode::OrdinaryCause());
        TDynamicsBody* body = g_pNxDynamicsManager->CreateBody(node);
        body->__CreateGeometry(node, type)->SetSize(size);
        body->SetMass(1.0f);
        static_cast<TNxDynamicsBody*>(body)->__Create();
        return body;
    }

    TVariable* m_pVariable = nullptr;
};
} // namespace

TEST_F(DynamicsOverlayTest, JointsBodiesAndShapesMatchTheGoldenImage)
{
    m_pManager->SetBackBufferSize(kWidth, kHeight);
    m_pCanvas->SetApertureMode(0);
    m_pCanvas->OnClusterLoad();

    TMatrix turned = TMatrix::RotationY(30.0f);
    turned.aRow[3] = TVector(-1.5f, 0.0f, 0.0f, 1.0f);
    Body("crate", turned, GEOMETRY_BOX, TVector(0.8f, 0.8f, 0.8f, 1.0f));
    Body("ball", Translation(1.8f, 0.0f, 0.0f), GEOMETRY_SPHERE, TVector(0.7f, 0.0f, 0.0f, 1.0f));
    TNode* hinge = g_pNodeManager->CreateNode("hinge");
    hinge->SetLocalMatrix(Translation(0.0f, 1.6f, 0.0f), TNode::OrdinaryCause());
    ASSERT_NE(g_pNxDynamicsManager->CreateJoint(hinge, JOINT_REVOLUTE), nullptr);
    ASSERT_NE(g_pNxDynamicsManager->GetFirstAwake(), nullptr);

    // The main camera 6 back and 2 up, looking at the origin.
    TNode* eye = g_pNodeManager->CreateNode("eye");
    TMatrix view(1.0f);
    view.SetOrientation(TVector(0.0f, -2.0f, 6.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
    view.aRow[3] = TVector(0.0f, 2.0f, -6.0f, 1.0f);
    eye->SetLocalMatrix(view, TNode::OrdinaryCause());
    TCamera camera;
    camera.pNode = eye;
    camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
    camera.m_fHorizontalFov = 60.0f;
    camera.m_fVerticalFov = 45.0f;
    camera.m_fNearClip = 0.1f;
    camera.m_fFarClip = 100.0f;
    camera.UpdateProjection(kWidth, kHeight);
    camera.UpdateView();
    camera.pNode = nullptr;
    g_pDxCameraManager->SetMainCamera(&camera);
    g_pDxCameraManager->SetCamera(&camera);
    g_pDxViewportManager->SetCurrentViewport(g_pDxViewportManager->__CreateViewport(TName("overlay", true), 0));

    TRenderTarget* target =
        g_pDxRenderTargetManager->CreateRenderTarget(TName("overlay", true), kWidth, kHeight, 0x102, 0, 0, 0);
    target->SetRenderTarget(nullptr);
    IDirect3DDevice9* device = m_pManager->GetDevice();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    g_pRenderManager->m_nInRender = 1;
    m_pVariable->SetInt(1);
    g_RenderStatsCurrent.Clear();
    g_pNxDynamicsManager->RenderManager();
    // One flush of the 3D line batch.
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_DRAW_CALLS], 1u);
    g_pRenderManager->m_nInRender = 0;
    device->EndScene();

    EXPECT_EQ(CompareTargetWithGolden(target, "dynamics_overlay", kWidth, kHeight), "");
}
