#include "levelmeshes.h"

#include "core/math/boundbox.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/texture.h"
#include "repositorywriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr i32 FORMAT_A8R8G8B8 = 0x102;
// Element types and usages of mesh descriptions.
constexpr u32 FLOAT2 = 2, FLOAT3 = 3, COLOUR = 5;
constexpr u32 POSITION = 1, NORMAL = 4, TEXCOORD = 6, DIFFUSE = 11;

TMeshDescription Layout(const char* name, u32 stride)
{
    TMeshDescription description = {};
    description.nStride = stride;
    description.VertexLayout = TName(name, true);
    return description;
}
} // namespace

TTexture* MakeTexture(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                      const std::vector<u32>& pixels)
{
    TTexture* texture =
        g_pDxTextureManager->CreateTexture(TName(name, true), width, height, 1, 1, TEXTURE_2D, FORMAT_A8R8G8B8, 0);
    const u32 size = static_cast<u32>(pixels.size() * 4);
    texture->m_aLevel.Add({0, size, static_cast<u32>(width) * 4});
    writer.AddBlock(texture, pixels.data(), size);
    return texture;
}

TBoundBox VerticesBox(const void* vertices, u32 vertexCount, u32 stride)
{
    // Every layout starts with the position.
    const auto* bytes = static_cast<const u8*>(vertices);
    TBoundBox box{};
    for (u32 i = 0; i < vertexCount; ++i)
    {
        f32 p[3];
        std::memcpy(p, bytes + i * stride, sizeof p);
        const TVector at(p[0], p[1], p[2], 1.0f);
        box.minimum = i ? TVector(std::min(box.minimum.x, at.x), std::min(box.minimum.y, at.y),
                                  std::min(box.minimum.z, at.z), 1.0f)
                        : at;
        box.maximum = i ? TVector(std::max(box.maximum.x, at.x), std::max(box.maximum.y, at.y),
                                  std::max(box.maximum.z, at.z), 1.0f)
                        : at;
    }
    box.Update();
    return box;
}

TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const TMeshDescription& layout,
                          const void* vertices, u32 vertexCount, TMaterial* material)
{
    TDxMeshData* data = g_pDxMeshManager->CreateMeshData(TName(name, true));
    TMeshDescription description = layout;
    description.nVertexCount = vertexCount;
    description.nIndexCount = vertexCount / 4 * 6;
    const TBoundBox box = VerticesBox(vertices, vertexCount, description.nStride);
    std::memcpy(&description.aWord[1], &box, sizeof box);
    data->SetDescription(description);
    data->m_aSurface.Add({0, 0, description.nVertexCount, 0, description.nIndexCount / 3, material});

    const u32 vertexBytes = vertexCount * description.nStride;
    std::vector<u8> block(vertexBytes + description.nIndexCount * 2);
    std::memcpy(block.data(), vertices, vertexBytes);
    auto* indices = reinterpret_cast<u16*>(block.data() + vertexBytes);
    for (u16 q = 0; q < vertexCount / 4; ++q)
        for (u16 corner : {0, 1, 2, 0, 2, 3})
            *indices++ = static_cast<u16>(4 * q + corner);
    writer.AddBlock(data, block.data(), static_cast<u32>(block.size()));
    return data;
}

TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const std::vector<TMeshVertex>& vertices,
                          TMaterial* material)
{
    TMeshDescription layout = Layout("mesh", sizeof(TMeshVertex));
    layout.nElementCount = 3;
    layout.aElement[0] = {0, POSITION, FLOAT3, 0};
    layout.aElement[1] = {12, TEXCOORD, FLOAT2, 0};
    layout.aElement[2] = {20, DIFFUSE, COLOUR, 0};
    return MakeMeshData(writer, name, layout, vertices.data(), static_cast<u32>(vertices.size()), material);
}

TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const std::vector<TLitVertex>& vertices,
                          TMaterial* material)
{
    TMeshDescription layout = Layout("mesh_lit", sizeof(TLitVertex));
    layout.nElementCount = 3;
    layout.aElement[0] = {0, POSITION, FLOAT3, 0};
    layout.aElement[1] = {12, NORMAL, FLOAT3, 0};
    layout.aElement[2] = {24, TEXCOORD, FLOAT2, 0};
    return MakeMeshData(writer, name, layout, vertices.data(), static_cast<u32>(vertices.size()), material);
}

namespace
{
const f32 kCorners[4][4] = {{1, -1, 1, 1}, {1, 1, 1, 0}, {-1, 1, 0, 0}, {-1, -1, 0, 1}};
} // namespace

void AddFace(std::vector<TMeshVertex>& vertices, const TVector& c, const TVector& a, const TVector& b, u32 colour)
{
    for (const auto& k : kCorners)
        vertices.push_back({c.x + k[0] * a.x + k[1] * b.x, c.y + k[0] * a.y + k[1] * b.y,
                            c.z + k[0] * a.z + k[1] * b.z, k[2], k[3], colour});
}

void AddFace(std::vector<TLitVertex>& vertices, const TVector& c, const TVector& a, const TVector& b, f32 repeat)
{
    const TVector n = TVector::Cross(a, b).Normalized().Negated();
    for (const auto& k : kCorners)
        vertices.push_back({c.x + k[0] * a.x + k[1] * b.x, c.y + k[0] * a.y + k[1] * b.y,
                            c.z + k[0] * a.z + k[1] * b.z, n.x, n.y, n.z, k[2] * repeat, k[3] * repeat});
}

std::vector<TLitVertex> LitBox(f32 x, f32 y, f32 z, f32 tile)
{
    std::vector<TLitVertex> v;
    const TVector ax(x, 0, 0, 0), ay(0, y, 0, 0), az(0, 0, z, 0);
    const TVector centre(0, y, 0, 0);
    const auto at = [&](const TVector& d) { return TVector(centre.x + d.x, centre.y + d.y, centre.z + d.z, 0.0f); };
    const f32 across = 2.0f * std::max(x, z) / tile;
    AddFace(v, at(az.Negated()), ax, ay, across);
    AddFace(v, at(az), ax.Negated(), ay, across);
    AddFace(v, at(ax), az, ay, across);
    AddFace(v, at(ax.Negated()), az.Negated(), ay, across);
    AddFace(v, at(ay), ax, az, across);
    return v;
}
