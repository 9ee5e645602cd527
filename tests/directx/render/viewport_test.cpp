// Viewports, cameras and materials of the Direct3D side.
#include "shaderfixture.h"

#include "directx/render/dxcameramanager.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxviewportmanager.h"

#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"

#include <vector>

namespace
{
class ViewportTest : public ShaderTest
{
protected:
    void TearDown() override
    {
        g_pDxViewportManager->Clear();
        g_pDxMaterialManager->Clear();
        g_pDxCameraManager->SetCamera(nullptr);
        ShaderTest::TearDown();
    }
};

// A loaded cluster's cameras replace the array: its first becomes the main and the current
// camera unless one is set and still there; a cleared cluster leaves a fresh default camera.
TEST_F(ViewportTest, LoadedCamerasLeadAndNewViewportsJoinTheCurrentSetWhileItHasRoom)
{
    [[maybe_unused]] static const bool s_bBegun = (g_pDxCameraManager->BeginManager(), true);
    g_pCluster->Clear();
    g_pDxCameraManager->GetDefaultCamera()->m_fFocalLength = 35.0f;
    g_pDxCameraManager->__CreateCamera(nullptr)->m_fFocalLength = 50.0f;
    TMemoryStream stream;
    TClusterManager* managers[] = {g_pDxCameraManager};
    ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, 1), 0);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());

    // Loaded beside what is there: a main camera of the replaced array would dangle, one from
    // elsewhere stays.
    TCamera elsewhere;
    g_pDxCameraManager->SetMainCamera(g_pDxCameraManager->GetCamera(1));
    g_pDxCameraManager->SetCamera(&elsewhere);
    ASSERT_EQ(g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_NO_CLEAR), 0);
    ASSERT_EQ(g_pDxCameraManager->GetCameraCount(), 2);
    TCamera* first = g_pDxCameraManager->GetCamera(0);
    EXPECT_GE(reinterpret_cast<u8*>(first), image.data());
    EXPECT_LT(reinterpret_cast<u8*>(first), image.data() + image.size());
    EXPECT_EQ(first->m_fFocalLength, 35.0f);
    EXPECT_EQ(g_pDxCameraManager->GetCamera(1)->m_fFocalLength, 50.0f);
    EXPECT_EQ(g_pDxCameraManager->GetMainCamera(), first);
    EXPECT_EQ(g_pDxCameraManager->GetCurrentCamera(), &elsewhere);

    g_pCluster->Clear();
    EXPECT_EQ(g_pDxCameraManager->GetMainCamera(), nullptr);
    EXPECT_EQ(g_pDxCameraManager->GetCurrentCamera(), nullptr);
    ASSERT_EQ(g_pDxCameraManager->GetCameraCount(), 1);
    EXPECT_NE(g_pDxCameraManager->GetDefaultCamera(), first);
    TViewportSet set = {};
    g_pDxViewportManager->SetCurrentSet(&set);
    for (u32 i = 0; i < 9; ++i)
        g_pDxViewportManager->__CreateViewport(TName("split", true), 1);
    EXPECT_EQ(set.m_nViewportCount, 8u);
    EXPECT_NE(m_Log.SystemLog().find("'split': no current viewport set with room"), std::string::npos);
}
} // namespace
