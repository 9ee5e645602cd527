// The engine's dynamic mesh over the dynamic-mesh manager's mesh data.
#include "devicefixture.h"

#include "directx/render/dxdynamicmesh.h"
#include "directx/render/dxdynamicmeshdata.h"
#include "directx/render/dxdynamicmeshmanager.h"

namespace
{
using EngineDynamicMeshTest = CreatedDeviceTest;

TEST_F(EngineDynamicMeshTest, LocksAppendUntilADrawAndAReleasedBufferComesBackAtTheNextLock)
{
    TMeshDescription format = {};
    format.nStride = 16;
    format.nElementCount = 1;
    format.aElement[0] = {0, 1, 4, 0};
    format.VertexLayout = TName("dynamicmesh", true);
    ASSERT_NE(nullptr, g_pCreateDynamicMesh);
    TDxDynamicMesh* mesh = static_cast<TDxDynamicMesh*>(g_pCreateDynamicMesh(60, format));
    ASSERT_NE(nullptr, mesh);
    TDxDynamicMeshData* data = mesh->GetData();
    EXPECT_EQ(60u, data->m_nVertexCapacity);

    ASSERT_NE(nullptr, mesh->LockVertices(6));
    ASSERT_NE(nullptr, mesh->LockVertices(12));
    EXPECT_EQ(std::vector<u32>({18, 18 * 16}), std::vector<u32>({data->m_nVertexCount, data->m_nVertexOffset}));
    // Without a shader nothing is drawn, nor while the device does not run; the writes start
    // again all the same.
    mesh->Draw(18, nullptr);
    EXPECT_EQ(std::vector<u32>({0, 0}), std::vector<u32>({data->m_nVertexCount, data->m_nVertexOffset}));
    ASSERT_NE(nullptr, mesh->LockVertices(6));
    const u32 running = m_pManager->IsRunning();
    m_pManager->SetRunning(0);
    mesh->Draw(6, nullptr);
    m_pManager->SetRunning(running);
    EXPECT_EQ(std::vector<u32>({0, 0}), std::vector<u32>({data->m_nVertexCount, data->m_nVertexOffset}));

    mesh->Release();
    EXPECT_FALSE(data->IsCreated());
    EXPECT_NE(nullptr, mesh->LockVertices(60));
    EXPECT_TRUE(data->IsCreated());
    mesh->Release();
}

// A start-up script may begin the canvas without ever initialising the device.
using DynamicMeshWithoutDeviceTest = DeviceTest;

TEST_F(DynamicMeshWithoutDeviceTest, BuffersAskedForWithoutADeviceEndTheProgramWithAMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TMeshDescription format = {};
    format.nStride = 16;
    format.nElementCount = 1;
    format.aElement[0] = {0, 1, 4, 0};
    TDxDynamicMeshData* data = g_pDxDynamicMeshManager->CreateMeshData();
    ASSERT_NE(nullptr, data);
    EXPECT_EXIT(data->Setup(60, 0, format, nullptr), ::testing::ExitedWithCode(1),
                "unable to create DirectX resource: no device");
    g_pDxDynamicMeshManager->DeleteMeshData(data);
}
} // namespace
