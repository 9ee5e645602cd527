// The mesh manager's meshes: the cluster's TMesh array and the list of texture-animated meshes.
#include "devicefixture.h"

#include "directx/render/dxmeshmanager.h"

#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"

#include <vector>

namespace
{
using MeshManagerTest = DeviceTest;
} // namespace

TEST_F(MeshManagerTest, LoadedMeshesReplaceTheArrayAndActiveAnimationsJoinTheList)
{
    [[maybe_unused]] static const bool s_bBegun = (g_pDxMeshManager->BeginManager(), true);
    g_pCluster->Clear();
    TMesh* still = g_pDxMeshManager->CreateMesh(nullptr);
    TMesh* moving = g_pDxMeshManager->CreateMesh(nullptr);
    moving->m_TextureAnimation.m_Name = TName("scroll", true);
    moving->m_TextureAnimation.aTranslationRate[0] = 0.5f;
    moving->m_TextureAnimation.m_nActive = 1;
    // Saved while on the list: the stored list words are addresses of this run.
    g_pDxMeshManager->AddAnimated(moving);
    g_pDxMeshManager->AddAnimated(still);
    TMemoryStream stream;
    TClusterManager* managers[] = {g_pDxMeshManager};
    ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, 1), 0);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());

    ASSERT_EQ(g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_NO_CLEAR), 0);
    ASSERT_EQ(g_pDxMeshManager->GetMeshCount(), 2);
    TMesh* loaded = g_pDxMeshManager->GetMesh(1);
    EXPECT_GE(reinterpret_cast<u8*>(loaded), image.data());
    EXPECT_LT(reinterpret_cast<u8*>(loaded), image.data() + image.size());
    EXPECT_EQ(g_pDxMeshManager->GetFirstAnimated(), loaded);
    EXPECT_EQ(g_pDxMeshManager->GetLastAnimated(), loaded);
    EXPECT_EQ(loaded->pAnimatedNext, nullptr);
    EXPECT_EQ(g_pDxMeshManager->GetMesh(0)->pAnimatedPrev, nullptr);

    g_pDxMeshManager->UpdateManager(2.0f);
    EXPECT_FLOAT_EQ(loaded->m_TextureAnimation.m_Matrix.aRow[3].x, 1.0f);

    g_pCluster->Clear();
    EXPECT_EQ(g_pDxMeshManager->GetMeshCount(), 0);
    EXPECT_EQ(g_pDxMeshManager->GetFirstAnimated(), nullptr);
}
