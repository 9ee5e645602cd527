// The dynamics manager's overlay drawn by the software device through the canvas and the game's
// shaders: a joint's axes, an awake box and ball with the main camera's view, against a golden
// image.
#include "canvasfixture.h"

#include "ageia/dynamicsgeometry.h"
#include "ageia/dynamicsjoint.h"
#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "engine/system/command/variable.h"
#include "engine/system/renderstats.h"

namespace
{
constexpr i32 kOverlayWidth = 160;
constexpr i32 kOverlayHeight = 120;

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
        LoadGameShaders();
        ASSERT_EQ(g_pNxDynamicsManager->InitializeManager(), 0);
        m_pVariable = TCommandManager::Instance().FindVariable(TName("dynamics.debug", true));
        ASSERT_NE(m_pVariable, nullptr);
    }
    void TearDown() override
    {
        m_pVariable->SetInt(0);
        // The bodies leave their nodes before the nodes go.
        g_pNxDynamicsManager->OnClusterUnload();
        g_pNxDynamicsManager->FinalizeManager();
        CanvasFixture::TearDown();
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
    m_pManager->SetBackBufferSize(kOverlayWidth, kOverlayHeight);
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
    TCamera camera;
    Aim(camera, TVector(0.0f, 2.0f, -6.0f, 1.0f), 45.0f, 100.0f, kOverlayWidth, kOverlayHeight, "overlay");
    camera.pNode = nullptr;

    TRenderTarget* target = BeginImage(kOverlayWidth, kOverlayHeight, nullptr);
    m_pManager->GetDevice()->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    g_pRenderManager->m_nInRender = 1;
    m_pVariable->SetInt(1);
    g_RenderStatsCurrent.Clear();
    g_pNxDynamicsManager->RenderManager();
    // One flush of the 3D line batch.
    EXPECT_EQ(g_RenderStatsCurrent.aCounter[RENDER_STATS_DYNAMIC_DRAW_CALLS], 1u);
    g_pRenderManager->m_nInRender = 0;
    EXPECT_EQ(EndImage(target, "dynamics_overlay"), "");
}
