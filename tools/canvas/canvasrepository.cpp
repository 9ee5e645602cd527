#include "canvasrepository.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxtextureformat.h"
#include "repositorywriter.h"

#include <cstring>
#include <vector>

namespace
{
constexpr u32 kWhite = 0xFFFFFFFF;
// The background: a dark blue panel, three quarters opaque.
constexpr u32 kPanel = 0xC0101C2C;
constexpr i32 kTextureSize = 4;

// x and y from -0.5 to 0.5, v = 0 at the top (y = 0.5): the screen matrix places it.
void AddUnitRect(TRepositoryWriter& writer)
{
    TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("MeshData__canvas_unit_rect", true));
    TMeshDescription description = CanvasVertexDescription();
    description.nVertexCount = 4;
    description.nIndexCount = 6;
    mesh->SetDescription(description);
    mesh->m_aSurface.Add({0, 0, 4, 0, 2, nullptr});
    const TCanvasVertex corners[4] = {{-0.5f, 0.5f, 0.5f, 1.0f, 0.0f, 0.0f, kWhite},
                                      {0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f, kWhite},
                                      {0.5f, -0.5f, 0.5f, 1.0f, 1.0f, 1.0f, kWhite},
                                      {-0.5f, -0.5f, 0.5f, 1.0f, 0.0f, 1.0f, kWhite}};
    const u16 indices[6] = {0, 1, 2, 0, 2, 3};
    // The vertices, then the indices.
    std::vector<u8> block(sizeof corners + sizeof indices);
    std::memcpy(block.data(), corners, sizeof corners);
    std::memcpy(block.data() + sizeof corners, indices, sizeof indices);
    writer.AddBlock(mesh, block.data(), static_cast<u32>(block.size()));
}

// One level of one colour.
void AddTexture(TRepositoryWriter& writer, const char* name, u32 argb)
{
    TTexture* texture = g_pDxTextureManager->CreateTextureEntry(TName(name, true));
    texture->m_nWidth = texture->m_nHeight = kTextureSize;
    texture->m_nDepth = 1;
    texture->m_nLevels = 1;
    texture->m_nType = TEXTURE_2D;
    texture->m_nFormat = static_cast<i32>(TEXTURE_FORMAT_A8R8G8B8);
    const u32 pitch = kTextureSize * 4;
    texture->m_aLevel.Add({0, pitch * kTextureSize, pitch});
    const std::vector<u32> texels(kTextureSize * kTextureSize, argb);
    writer.AddBlock(texture, texels.data(), static_cast<u32>(texels.size() * 4));
}
} // namespace

void AddCanvasRecords(TRepositoryWriter& writer)
{
    AddUnitRect(writer);
    AddTexture(writer, "Texture_console", kPanel);
    AddTexture(writer, "Texture_cursor", kWhite);
}

bool WriteCanvasRepository(const char* path)
{
    g_pCluster->Clear();
    TRepositoryWriter writer(CANVAS_REPOSITORY_ID, 0);
    AddCanvasRecords(writer);
    TClusterManager* managers[] = {g_pDxMeshManager, g_pDxTextureManager};
    const bool written = writer.Write(path, managers, 2, false);
    g_pCluster->Clear();
    return written;
}
