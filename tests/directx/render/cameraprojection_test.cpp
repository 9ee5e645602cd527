// Screen projection of the scene's cameras on the device's video size, and picking back.
#include "devicefixture.h"

#include "engine/render/camera.h"

namespace
{
using CameraProjectionTest = DeviceTest;

TEST_F(CameraProjectionTest, ProjectedPointsPickBackAlongTheirRay)
{
    Create();
    const f32 width = static_cast<f32>(m_pManager->GetVideoWidth() / 2 * 2);
    const f32 height = static_cast<f32>(m_pManager->GetVideoHeight() / 2 * 2);
    TCamera camera;
    camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
    camera.m_fHorizontalFov = 90.0f;
    camera.m_fVerticalFov = 60.0f;
    camera.m_fNearClip = 1.0f;
    camera.m_fFarClip = 101.0f;
    camera.UpdateProjection(1, 1);
    camera.m_Placement = TMatrix(1.0f);
    camera.m_View = TMatrix(1.0f);
    camera.m_ViewProjection = camera.m_Projection;

    // Straight ahead: the centre of the screen, at w = the distance.
    TVector centre = camera.ProjectPoint(TVector(0.0f, 0.0f, 10.0f, 1.0f));
    EXPECT_FLOAT_EQ(width * 0.5f, centre.x);
    EXPECT_FLOAT_EQ(height * 0.5f, centre.y);
    EXPECT_FLOAT_EQ(10.0f, centre.w);
    EXPECT_NEAR((1.01f * 10.0f - 1.01f) / 10.0f, centre.z, 1e-6f);
    // On the edge of the 90-degree field: x is mirrored, so +x lands on the left edge.
    TVector edge = camera.ProjectPoint(TVector(10.0f, 0.0f, 10.0f, 1.0f));
    EXPECT_NEAR(0.0f, edge.x, 1e-3f);

    const TVector point(3.0f, -2.0f, 20.0f, 1.0f);
    const TVector screen = camera.ProjectPoint(point);
    const TRay ray = camera.ScreenPointToRay(screen.x / width, screen.y / height, 50.0f);
    const f32 along = point.Length();
    EXPECT_NEAR(point.x / along, ray.direction[0], 1e-5f);
    EXPECT_NEAR(point.y / along, ray.direction[1], 1e-5f);
    EXPECT_NEAR(point.z / along, ray.direction[2], 1e-5f);
}
} // namespace
