// The canvas's repository: a level that depends on it brings the unit rectangle and the
// console's textures, found by their names, with their geometry and texels.
#include "canvasrepository.h"
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class CanvasWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_pFileStreamManager->SetLocked(0);
        g_pCluster->LinkTypes();
        g_ManagerManager.Initialize();
    }

    TScratchFolder m_Folder{"canvaswriter"};
};

TEST_F(CanvasWriterTest, ALevelBringsTheUnitRectangleAndTheConsoleTextures)
{
    const std::string canvas = m_Folder.Path() + "/canvas.data";
    ASSERT_TRUE(WriteCanvasRepository(canvas.c_str()));
    TRepositoryWriter level(60, 0);
    level.AddDependency(CANVAS_REPOSITORY_ID);
    const std::string levelPath = m_Folder.Path() + "/level.data";
    ASSERT_TRUE(level.Write(levelPath.c_str(), nullptr, 0, false));
    g_pResourceManager->Associate(CANVAS_REPOSITORY_ID, canvas.c_str());
    ASSERT_EQ(g_pResourceManager->LoadRepository(levelPath.c_str(), 0), 0);

    TDxMeshData* rect = g_pDxMeshManager->FindMeshData(TName("MeshData__canvas_unit_rect"));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->m_Description.nStride, sizeof(TCanvasVertex));
    EXPECT_EQ(rect->m_Description.VertexLayout, TName("canvas"));
    EXPECT_EQ(rect->m_Description.nVertexCount, 4u);
    EXPECT_EQ(rect->m_aSurface[0].m_nPrimitiveCount, 2u);

    for (const char* name : {"Texture_console", "Texture_cursor"})
    {
        TTexture* texture = g_pDxTextureManager->FindTexture(TName(name));
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(texture->m_nLevels, 1);
        ASSERT_EQ(texture->m_aLevel.GetCount(), 1u);
        EXPECT_EQ(texture->m_aLevel[0].nSize, static_cast<u32>(texture->m_nWidth * texture->m_nHeight * 4));
    }
    const auto* cursor = reinterpret_cast<const u32*>(g_pDxTextureManager->FindTexture(TName("Texture_cursor"))->GetData(0, 4));
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(*cursor, 0xFFFFFFFFu);
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
}
} // namespace
