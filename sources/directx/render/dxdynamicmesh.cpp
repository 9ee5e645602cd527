#include "directx/render/dxdynamicmesh.h"

#include "directx/render/dxdynamicmeshdata.h"
#include "directx/render/dxdynamicmeshmanager.h"
#include "directx/render/dxshader.h"

#include <memory>
#include <vector>

namespace
{
// The meshes made for the engine live as long as the program, as their slots do.
std::vector<std::unique_ptr<TDxDynamicMesh>> s_aMesh;

TDynamicMesh* CreateMesh(u32 vertexCount, u32 indexCount, const TMeshDescription& format, u32 primitiveKind)
{
    TDxDynamicMeshData* data = g_pDxDynamicMeshManager ? g_pDxDynamicMeshManager->CreateMeshData() : nullptr;
    if (!data)
        return nullptr;
    data->Setup(vertexCount, indexCount, format, nullptr);
    data->m_nPrimitiveKind = primitiveKind;
    s_aMesh.push_back(std::make_unique<TDxDynamicMesh>(data));
    return s_aMesh.back().get();
}

TDynamicMesh* CreateDynamicMesh(u32 vertexCount, const TMeshDescription& format)
{
    return CreateMesh(vertexCount, 0, format, DX_PRIMITIVE_TRIANGLES);
}

TDynamicMesh* CreateIndexedMesh(u32 vertexCount, u32 indexCount, const TMeshDescription& format)
{
    return CreateMesh(vertexCount, indexCount, format, DX_PRIMITIVE_TRIANGLES);
}

TDynamicMesh* CreateDynamicLineMesh(u32 vertexCount, const TMeshDescription& format)
{
    return CreateMesh(vertexCount, 0, format, DX_PRIMITIVE_LINES);
}

const bool s_bHooked = (g_pCreateDynamicMesh = CreateDynamicMesh, g_pCreateDynamicLineMesh = CreateDynamicLineMesh,
                        g_pCreateIndexedMesh = CreateIndexedMesh, true);
} // namespace

void* TDxDynamicMesh::LockVertices(u32 count)
{
    return m_pData->AppendVertices(count);
}

void TDxDynamicMesh::Draw(u32 count, TShader* shader)
{
    m_pData->m_pShader = static_cast<TDxShader*>(shader);
    m_pData->Draw(count, 0, 1);
    // A draw that could not be made (no device running) starts the writes again all the same.
    m_pData->Reset();
}

u16* TDxDynamicMesh::LockIndices(u32 count)
{
    return static_cast<u16*>(m_pData->AppendIndices(count));
}

void TDxDynamicMesh::DrawKept(TShader* shader)
{
    m_pData->m_pShader = static_cast<TDxShader*>(shader);
    m_pData->Draw(0, 0, 0);
}

u32 TDxDynamicMesh::IsFilled() const
{
    return m_pData->IsCreated() && m_pData->m_nVertexCount ? 1 : 0;
}

void TDxDynamicMesh::Reset()
{
    m_pData->Reset();
}

void TDxDynamicMesh::Release()
{
    m_pData->ReleaseData();
}
