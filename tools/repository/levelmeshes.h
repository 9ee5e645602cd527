#pragma once
// The level's textures and meshes as the repository writer stores them: a texture of one level
// whose pixels are a repository block, mesh data of quads (four corners each, two triangles) in
// one surface of a material, their vertices and indices a block, and their box the description's
// own; and the vertices of faces and boxes in the two layouts the level uses.
#include "core/math/boundbox.h"
#include "core/math/vector.h"
#include "core/system/types.h"
#include "engine/render/meshdata.h"

#include <vector>

class TDxMeshData;
class TMaterial;
class TRepositoryWriter;
class TTexture;

// A vertex of the "mesh" layout: position, texture coordinates, colour.
struct TMeshVertex
{
    f32 x, y, z;
    f32 u, v;
    u32 nColor;
};
static_assert(sizeof(TMeshVertex) == 24);

// A vertex of the "mesh_lit" layout: position, normal, texture coordinates.
struct TLitVertex
{
    f32 x, y, z;
    f32 nx, ny, nz;
    f32 u, v;
};
static_assert(sizeof(TLitVertex) == 32);

TTexture* MakeTexture(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                      const std::vector<u32>& pixels);

// The box of the vertices' positions (every layout starts with the position).
TBoundBox VerticesBox(const void* vertices, u32 vertexCount, u32 stride);
// The description's layout and elements with the vertices' count, indices and box added.
TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const TMeshDescription& layout,
                          const void* vertices, u32 vertexCount, TMaterial* material);
TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const std::vector<TMeshVertex>& vertices,
                          TMaterial* material);
TDxMeshData* MakeMeshData(TRepositoryWriter& writer, const char* name, const std::vector<TLitVertex>& vertices,
                          TMaterial* material);

// A face about its centre c with half-edges a and b, corners in the order the shaders draw as
// front faces through the camera's mirrored lens (a x b points into the solid); the texture
// repeats `repeat` times across.
void AddFace(std::vector<TMeshVertex>& vertices, const TVector& c, const TVector& a, const TVector& b, u32 colour);
void AddFace(std::vector<TLitVertex>& vertices, const TVector& c, const TVector& a, const TVector& b,
             f32 repeat = 1.0f);
// A box of half-sizes (x, y, z) standing on its origin (y from 0 to 2y): its four sides and its
// roof, each face's texture repeated over `tile` units of the box's larger side.
std::vector<TLitVertex> LitBox(f32 x, f32 y, f32 z, f32 tile);
