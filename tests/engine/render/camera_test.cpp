#include "engine/render/camera.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/translation.h"

#include <gtest/gtest.h>


namespace
{
TBoundBox Box(f32 x0, f32 y0, f32 z0, f32 x1, f32 y1, f32 z1)
{
    TBoundBox box{};
    box.minimum = TVector(x0, y0, z0, 1.0f);
    box.maximum = TVector(x1, y1, z1, 1.0f);
    box.Update();
    return box;
}

// A camera on its own node, 90 x 90 degrees, near 1, far 101.
struct CameraTest : testing::Test
{
    CameraTest()
    {
        // Nodes take objects only while the managers are initialized.
        g_ManagerManager.Initialize();
        node.AddObject(&camera);
        camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        camera.m_fHorizontalFov = camera.m_fVerticalFov = 90.0f;
        camera.m_fNearClip = 1.0f;
        camera.m_fFarClip = 101.0f;
        camera.UpdateProjection(4, 3);
    }
    ~CameraTest() override { node.DeleteObject(&camera); }

    TNode node;
    TCamera camera;
};
} // namespace

TEST_F(CameraTest, FrustumVerdictsOutsideCrossingInside)
{
    const TMatrix identity(1.0f), moved = Translation(-21.0f, 0.0f, 0.0f);
    // Cameras placed off the identity: 50 back, 20 ahead, and turned to look along +X from there.
    const TMatrix back = Translation(0.0f, 0.0f, -50.0f), ahead = Translation(0.0f, 0.0f, 20.0f);
    TMatrix turned = ahead;
    turned.aRow[0] = TVector(0.0f, 0.0f, -1.0f, 0.0f);
    turned.aRow[2] = TVector(1.0f, 0.0f, 0.0f, 0.0f);
    const struct
    {
        TMatrix camera;
        TBoundBox box;
        TMatrix object;
        u32 verdict;
    } cases[] = {{identity, Box(-1, -1, 9, 1, 1, 11), identity, FRUSTUM_INSIDE},
                 {identity, Box(-1, -1, 0.5f, 1, 1, 11), identity, FRUSTUM_CROSSING},
                 {identity, Box(8, -1, 9, 12, 1, 11), identity, FRUSTUM_CROSSING},
                 // Wholly right of the x = z plane (mirrored: x grows to the left in clip space).
                 {identity, Box(20, -1, 9, 22, 1, 11), identity, FRUSTUM_OUTSIDE},
                 {identity, Box(-1, -1, -5, 1, 1, -3), identity, FRUSTUM_OUTSIDE},
                 {identity, Box(-1, -1, 200, 1, 1, 210), identity, FRUSTUM_OUTSIDE},
                 {identity, Box(-1, 12, 9, 1, 14, 11), identity, FRUSTUM_OUTSIDE},
                 // The object matrix carries the box into view.
                 {identity, Box(20, -1, 9, 22, 1, 11), moved, FRUSTUM_INSIDE},
                 // Moved cameras: the wide box now fits, the box behind and past the far plane.
                 {back, Box(20, -1, 9, 22, 1, 11), identity, FRUSTUM_INSIDE},
                 {ahead, Box(-1, -1, 9, 1, 1, 11), identity, FRUSTUM_OUTSIDE},
                 {back, Box(-1, -1, 45, 1, 1, 55), identity, FRUSTUM_CROSSING},
                 // Turned: ahead lies along +X, and the box the identity saw now lies to its side.
                 {turned, Box(9, -1, 19, 11, 1, 21), identity, FRUSTUM_INSIDE},
                 {turned, Box(-11, -1, 19, -9, 1, 21), identity, FRUSTUM_OUTSIDE},
                 {turned, Box(-1, -1, 29, 1, 1, 31), identity, FRUSTUM_OUTSIDE}};
    for (const auto& c : cases)
    {
        *node.GetWorldMatrix() = c.camera;
        camera.UpdateView();
        EXPECT_EQ(c.verdict, static_cast<u32>(camera.IsBoxVisible(c.box, c.object))) << &c - cases;
    }
}
