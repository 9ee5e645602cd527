#include "aerodromebuilder.h"

#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "levelmeshes.h"

TMatrix Placement(f32 x, f32 y, f32 z, f32 heading)
{
    TMatrix m = TMatrix::RotationY(heading);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

TMatrix Placement(const TPlanPoint& at, f32 heading)
{
    return Placement(at.x, at.y, at.z, heading);
}

TAerodromeBuilder::TAerodromeBuilder(TRepositoryWriter& writer, TRepository& cooked, TNode* level, TRenderQueue* queue)
    : m_Writer(writer), m_Cooked(cooked), m_pLevel(level), m_pQueue(queue)
{
}

TAerodromeBuilder::~TAerodromeBuilder() = default;

TNode* TAerodromeBuilder::AddNode(const char* name, TNode* parent, const TMatrix& local)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    (parent ? parent : m_pLevel)->AddChild(node);
    node->SetLocalMatrix(local, TNode::OrdinaryCause());
    return node;
}

TMaterial* TAerodromeBuilder::ColourMaterial(const char* name, u32 argb)
{
    return TexturedMaterial(name, 2, std::vector<u32>(4, argb));
}

TMaterial* TAerodromeBuilder::TexturedMaterial(const char* name, i32 size, const std::vector<u32>& pixels)
{
    TMaterial*& material = m_Materials[name];
    if (!material)
    {
        material = g_pDxMaterialManager->CreateMaterial(TName(name, true));
        material->aTexture[0] = MakeTexture(m_Writer, name, size, size, pixels);
    }
    return material;
}

TDxMeshData* TAerodromeBuilder::MeshData(const char* name, const std::vector<TLitVertex>& quads, TMaterial* material)
{
    TDxMeshData*& data = m_MeshData[name];
    if (!data)
        data = MakeMeshData(m_Writer, name, quads, material);
    return data;
}

TDxMeshData* TAerodromeBuilder::BoxMeshData(const char* name, const TVector& half, TMaterial* material)
{
    return MeshData(name, LitBox(half.x, half.y, half.z, 2.0f * std::max(half.x, half.z)), material);
}

TMesh* TAerodromeBuilder::AddMesh(TNode* node, TDxMeshData* data)
{
    TMesh* mesh = g_pDxMeshManager->CreateMesh(node);
    mesh->pMeshData = data;
    mesh->SetQueue(m_pQueue);
    return mesh;
}

TNxCollisionMeshData* TAerodromeBuilder::CookTriangles(const char* name, const std::vector<f32>& vertices,
                                                       const std::vector<u16>& indices)
{
    TMeshData mesh;
    mesh.m_Name.Set(name, true);
    mesh.m_Description.nStride = 24;
    mesh.m_Description.nVertexCount = static_cast<u32>(vertices.size() / 6);
    mesh.m_Description.nIndexCount = static_cast<u32>(indices.size());
    return g_pNxCollisionManager->CreateCollisionMeshData(0, &mesh, vertices.data(), indices.data(), &m_Cooked,
                                                          COLLISION_DATA_TRIANGLES, 0);
}

TNxCollisionMeshData* TAerodromeBuilder::CookBox(const char* name, const TVector& half)
{
    std::vector<f32> vertices;
    for (u32 i = 0; i < 8; ++i)
        vertices.insert(vertices.end(), {i & 1 ? half.x : -half.x, i & 2 ? 2.0f * half.y : 0.0f,
                                         i & 4 ? half.z : -half.z, 0.0f, 1.0f, 0.0f});
    TMeshData mesh;
    mesh.m_Name.Set(name, true);
    mesh.m_Description.nStride = 24;
    mesh.m_Description.nVertexCount = 8;
    return g_pNxCollisionManager->CreateCollisionMeshData(0, &mesh, vertices.data(), nullptr, &m_Cooked,
                                                          COLLISION_DATA_CONVEX, 0);
}

void TAerodromeBuilder::AddCollision(TNode* node, TNxCollisionMeshData* data, u32 groups)
{
    g_pNxCollisionManager->CreateCollisionMesh(node, data, 0)->SetGroupsMask(groups);
}
