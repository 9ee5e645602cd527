#include "ageia/dynamicsjoint.h"
#include "ageia/nxdynamicsdebug.h"
#include "dynamicsfixture.h"
#include "engine/render/canvasmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "support/recordingcanvas.h"

#include <string>
#include <vector>

namespace
{
// A canvas that writes down what it is asked to draw.
class TDrawnCanvas : public TRecordingCanvas
{
public:
    TFont SetFont(const TName& name, i32 size) override
    {
        calls.push_back(std::string("font ") + name.GetText() + " " + std::to_string(size));
        return TFont();
    }
    void DrawBox(const TMatrix& matrix, const TBoundBox& box, const TColor& color) override
    {
        calls.push_back("box " + std::to_string(static_cast<i32>(matrix.aRow[3].x)) + " " +
                        std::to_string(box.size[0]) + (color.g == 1.0f && color.r == 0.0f ? " dynamic" : " other"));
    }
    void DrawAxes(const TMatrix& matrix, f32 length) override
    {
        calls.push_back("axes " + std::to_string(static_cast<i32>(matrix.aRow[3].x)) + " " + std::to_string(length));
    }
    void DrawSphere(const TVector& centre, f32 radius, const TColor&, f32) override
    {
        calls.push_back("sphere " + std::to_string(static_cast<i32>(centre.x)) + " " + std::to_string(radius));
    }
    void Flush() override { calls.push_back("flush"); }

    std::vector<std::string> calls;
};

class DebugOverlayTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        m_pHeld = g_pCanvasManager;
        g_pCanvasManager = &m_Canvas;
        m_pVariable = TCommandManager::Instance().FindVariable(TName("dynamics.debug", true));
        ASSERT_NE(nullptr, m_pVariable);
    }
    void TearDown() override
    {
        m_pVariable->SetInt(0);
        g_pCanvasManager = m_pHeld;
        DynamicsTest::TearDown();
    }

    std::vector<std::string> Draw(i32 level)
    {
        m_pVariable->SetInt(level);
        m_Canvas.calls.clear();
        Manager().RenderManager();
        return m_Canvas.calls;
    }

    TDrawnCanvas m_Canvas;
    TCanvasManager* m_pHeld = nullptr;
    TVariable* m_pVariable = nullptr;
};
} // namespace

TEST_F(DebugOverlayTest, JointsThenAwakeBodiesAreDrawnAndTheCanvasFlushed)
{
    TNxDynamicsBody* awake = Box("awake", 3.0f, 0.0f, 0.0f);
    TNxDynamicsBody* asleep = Box("asleep", 6.0f, 0.0f, 0.0f);
    Manager().RemoveAwake(asleep);
    TNxDynamicsBody* ball = Box("ball", 9.0f, 0.0f, 0.0f);
    TDynamicsGeometry* sphere = ball->__CreateGeometry(ball->pNode, GEOMETRY_SPHERE);
    sphere->SetSize(TVector(0.25f, 0.0f, 0.0f, 1.0f));
    ball->SetDynamic(0);
    Manager().AddAwake(ball);
    TNode* hinge = g_pNodeManager->CreateNode("hinge");
    hinge->SetLocalMatrix(Translation(1.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
    ASSERT_NE(nullptr, Manager().CreateJoint(hinge, JOINT_REVOLUTE));
    TNode* off = g_pNodeManager->CreateNode("off");
    off->Enable(0, 0);
    ASSERT_NE(nullptr, Manager().CreateJoint(off, JOINT_REVOLUTE));

    EXPECT_TRUE(Draw(0).empty());
    EXPECT_EQ(std::vector<std::string>{"flush"}, Draw(100));
    const std::vector<std::string> expected = {"font Arial 10",          "axes 1 0.500000",   "box 3 1.000000 dynamic",
                                               "box 9 1.000000 other",   "sphere 9 0.250000", "flush"};
    EXPECT_EQ(expected, Draw(1));
    // A value with no number of its own draws the overlay too.
    m_pVariable->Store(1.0f, 2.0f, 3.0f, 4.0f);
    m_Canvas.calls.clear();
    Manager().RenderManager();
    EXPECT_EQ(expected, m_Canvas.calls);
}
