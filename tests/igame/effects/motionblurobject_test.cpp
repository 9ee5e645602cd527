// Motion-blur objects: the drawing block from a spin, a body, a
// wheel or the motion state in that order.
#include "ageia/dynamicsfixture.h"
#include "engine/render/mesh.h"
#include "igame/effects/effectsmanager.h"
#include "igame/effects/motionblurobject.h"
#include "support/countingwheel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

void ExpectVector(const TVector& actual, f32 x, f32 y, f32 z, f32 w)
{
    const f32 expected[4] = {x, y, z, w};
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR((&actual.x)[c], expected[c], 1e-5f) << c;
}

void ExpectMatrix(const TMatrix& actual, const TMatrix& expected)
{
    for (int r = 0; r < 4; ++r)
        ExpectVector(actual.aRow[r], expected.aRow[r].x, expected.aRow[r].y, expected.aRow[r].z, expected.aRow[r].w);
}

// Answers a fixed rotation for the asked value; nothing else of it is used.
class TTurningWheel : public TCountingWheel
{
public:
    TTurningWheel() : TCountingWheel(nullptr) {}
    f32 GetWheelParameter(u32 parameter) override
    {
        asked.push_back(parameter);
        return 50.0f;
    }
    std::vector<u32> asked;
};

class MotionBlurObjectTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        m_pNode = g_pNodeManager->CreateNode("antenna");
        m_pNode->Enable(1, 0);
        m_pNode->Enable(1, 1);
        m_pNode->AddObject(&m_Mesh);
        m_Object.pMesh = &m_Mesh;
    }
    void TearDown() override
    {
        m_pNode->DeleteObject(&m_Mesh);
        g_EffectsBlocks.Motion.M = TMatrix(1.0f);
        DynamicsTest::TearDown();
    }

    TNode* m_pNode = nullptr;
    TMesh m_Mesh;
    TMotionBlurObject m_Object;
};
} // namespace

TEST_F(MotionBlurObjectTest, TheBlockComesFromTheSpinTheBodyTheWheelOrTheMotion)
{
    TMotionBlurBlock block = g_EffectsBlocks.Motion;
    const TVector v1(9.0f, 8.0f, 7.0f, 6.0f);
    const TVector v2(5.0f, 4.0f, 3.0f, 2.0f);
    block.V1 = v1;
    block.V2 = v2;
    m_Object.m_fLinearScale = 2.0f;
    m_Object.m_fAngularScale = 3.0f;

    // A fixed spin before anything else; the vectors stay.
    TTurningWheel wheel;
    TNxDynamicsBody* body = Box("hull", 0.0f, 0.0f, 0.0f);
    m_Object.pWheel = &wheel;
    m_Object.pBody = body;
    m_Object.m_fFixedSpin = 12.0f;
    m_Object.BuildBlock(block, 0.5f);
    ExpectMatrix(block.M, TMatrix::RotationY(12.0f));
    ExpectVector(block.V1, v1.x, v1.y, v1.z, v1.w);
    ExpectVector(block.V2, v2.x, v2.y, v2.z, v2.w);

    // The body: its velocity in its own frame (turned a quarter about y), its second velocity.
    m_Object.m_fFixedSpin = 0.0f;
    TMatrix turned = TMatrix::RotationY(90.0f);
    body->pNode->SetLocalMatrix(turned, TNode::OrdinaryCause());
    body->SetLinearVelocity(TVector(4.0f, 0.0f, 0.0f, 0.0f));
    body->SetAngularVelocity(TVector(0.0f, 2.0f, 0.0f, 0.0f));
    const TMatrix& frame = *body->GetMatrix();
    const TVector world = body->GetLinearVelocity();
    const f32 vx = world.Dot(frame.aRow[0]);
    const f32 vz = world.Dot(frame.aRow[2]);
    ASSERT_GT(std::fabs(vz), 1.0f);
    m_Object.BuildBlock(block, 0.5f);
    ExpectMatrix(block.M, TMatrix::RotationX(-(0.5f * vx)));
    const TVector spin = body->GetAngularVelocity();
    ExpectVector(block.V1, spin.x * vx, spin.y * vx, spin.z * vx, spin.w);
    ExpectVector(block.V2, vx * 3.0f, world.Dot(frame.aRow[1]) * 3.0f, vz * 3.0f, 1.0f);

    // The wheel: its rotation value about y; the vectors stay.
    m_Object.pBody = nullptr;
    block.V1 = v1;
    block.V2 = v2;
    m_Object.BuildBlock(block, 0.5f);
    ExpectMatrix(block.M, TMatrix::RotationY(-(3.0f * 2.0f * 50.0f * 0.02f)));
    EXPECT_EQ(wheel.asked, std::vector<u32>({MOTION_BLUR_WHEEL_ROTATION}));
    ExpectVector(block.V1, v1.x, v1.y, v1.z, v1.w);

    // Else the motion state: turned back by its heading, moved by its position.
    m_Object.pWheel = nullptr;
    m_Object.m_PositionDelta = TVector(1.0f, 0.5f, -1.0f, 1.0f);
    m_Object.m_HeadingDelta = TVector(0.25f, 0.125f, 0.125f, 1.0f);
    m_Object.BuildBlock(block, 0.5f);
    ExpectMatrix(block.M, TMatrix::RotationY(-(0.25f * 3.0f)));
    ExpectVector(block.V1, 2.0f, 1.0f, -2.0f, 1.0f);
    ExpectVector(block.V2, 0.75f, 0.375f, 0.375f, 1.0f);
}
