#include "directx/render/dxmeshdata.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxmeshdatainstancing.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshader.h"
#include "engine/render/material.h"
#include "engine/system/renderstats.h"

#include <cstring>

TMatrix g_DxObjectMatrix;

namespace
{
const char* const kSource = "dxmesh.cpp";
// The colour of instances drawn with their materials.
const f32 kDefaultInstanceColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

struct TElementType
{
    u8 nType;
    u16 nBytes;
};

// Engine type codes 1-16.
const TElementType kTypes[] = {{D3DDECLTYPE_FLOAT1, 4},    {D3DDECLTYPE_FLOAT2, 8},     {D3DDECLTYPE_FLOAT3, 12},
                               {D3DDECLTYPE_FLOAT4, 16},   {D3DDECLTYPE_D3DCOLOR, 4},   {D3DDECLTYPE_UBYTE4, 4},
                               {D3DDECLTYPE_SHORT2, 4},    {D3DDECLTYPE_SHORT4, 8},     {D3DDECLTYPE_UBYTE4N, 4},
                               {D3DDECLTYPE_SHORT2N, 4},   {D3DDECLTYPE_SHORT4N, 8},    {D3DDECLTYPE_USHORT2N, 4},
                               {D3DDECLTYPE_USHORT4N, 8},  {D3DDECLTYPE_DEC3N, 4},      {D3DDECLTYPE_FLOAT16_2, 4},
                               {D3DDECLTYPE_FLOAT16_4, 8}};
constexpr u32 kUsageCount = 14;

IDirect3DDevice9* Device()
{
    return g_pDeviceManager->GetDevice();
}
} // namespace

void CountMeshDraw(u32 vertices, u32 primitives)
{
    g_RenderStatsCurrent.CountDraw(vertices, primitives, false);
}

D3DPOOL StaticPool()
{
    return g_DxGlobals.nXP ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
}

void BuildVertexElements(const TMeshDescription& description, TMeshDeviceElement* elements)
{
    u32 count = description.nElementCount;
    if (count > MESH_ELEMENT_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "BuildVertexElements(): error: ", "%u vertex elements (at most %u)", count,
                    MESH_ELEMENT_CAPACITY);
        count = MESH_ELEMENT_CAPACITY;
    }
    u16 offset = 0;
    u32 built = 0;
    for (; built < count; ++built)
    {
        const TMeshVertexElement& element = description.aElement[built];
        if (element.nType < 1 || element.nType > 16 || element.nUsage < 1 || element.nUsage > kUsageCount)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "BuildVertexElements(): error: ",
                        "vertex element %u: unknown type %u or usage %u", built, element.nType, element.nUsage);
            break;
        }
        const TElementType& type = kTypes[element.nType - 1];
        elements[built] = {0, offset, type.nType, D3DDECLMETHOD_DEFAULT, static_cast<u8>(element.nUsage - 1),
                           static_cast<u8>(element.nUsageIndex)};
        offset = static_cast<u16>(offset + type.nBytes);
    }
    elements[built] = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};
}

void TDxMeshData::SetDescription(const TMeshDescription& description)
{
    m_Description = description;
    BuildVertexElements(m_Description, m_aDeviceElement);
}

void TDxMeshData::_Create()
{
    static_assert(sizeof(TMeshDeviceElement) == sizeof(D3DVERTEXELEMENT9));
    IDirect3DDevice9* device = Device();
    const u32 vertexBytes = m_Description.nVertexCount * m_Description.nStride;
    const u32 indexBytes = m_Description.nIndexCount * 2;
    device->CreateVertexDeclaration(reinterpret_cast<const D3DVERTEXELEMENT9*>(m_aDeviceElement), &m_pDeclaration);
    if (m_pDeclaration)
        device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, StaticPool(), &m_pVertexBuffer, nullptr);
    if (m_pVertexBuffer)
        device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, StaticPool(), &m_pIndexBuffer,
                                  nullptr);
    if (!m_pIndexBuffer)
        __Abort("TDxMeshData::_Create", kSource, __LINE__, "unable to create DirectX resource");
    TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
    statistics->nVertexBuffers += vertexBytes;
    statistics->nIndexBuffers += indexBytes;
}

i32 TDxMeshData::Load()
{
    g_pDeviceManager->Lock();
    m_nLoadedParts = 0;
    _Create();
    const bool stored = m_nStoredVertexSize != 0;
    const u32 flags = RESOURCE_READ_LOCK_PAGES | RESOURCE_READ_LOADER_THREAD | (stored ? RESOURCE_READ_COMPRESSED : 0);
    const u32 vertexBytes = m_Description.nVertexCount * m_Description.nStride;
    const u32 indexBytes = m_Description.nIndexCount * 2;
    void* vertices = nullptr;
    void* indices = nullptr;
    m_pVertexBuffer->Lock(0, vertexBytes, &vertices, 0);
    if (!vertices)
        __Abort("TDxMeshData::OnResourceLoad", kSource, __LINE__, "unable to lock DirectX resource");
    // A part that cannot be read still arrives, so that the mesh data does not wait forever.
    if (ReadData(vertices, 0, vertexBytes, 0, flags))
        OnDataArrived(0);
    m_pIndexBuffer->Lock(0, indexBytes, &indices, 0);
    if (!indices)
        __Abort("TDxMeshData::OnResourceLoad", kSource, __LINE__, "unable to lock DirectX resource");
    if (ReadData(indices, stored ? m_nStoredVertexSize : vertexBytes, indexBytes, 1, flags))
        OnDataArrived(1);
    g_pDeviceManager->Unlock();
    return 0;
}

void TDxMeshData::OnDataArrived(u32 part)
{
    if (part == 0)
        m_pVertexBuffer->Unlock();
    else if (part == 1)
        m_pIndexBuffer->Unlock();
    else
        return;
    if (++m_nLoadedParts == 2)
        SetLoaded(1);
}

i32 TDxMeshData::Release()
{
    TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
    if (m_pVertexBuffer)
    {
        statistics->nVertexBuffers -= m_Description.nVertexCount * m_Description.nStride;
        m_pVertexBuffer->Release();
    }
    if (m_pIndexBuffer)
    {
        statistics->nIndexBuffers -= m_Description.nIndexCount * 2;
        m_pIndexBuffer->Release();
    }
    if (m_pDeclaration)
        m_pDeclaration->Release();
    m_pVertexBuffer = nullptr;
    m_pIndexBuffer = nullptr;
    m_pDeclaration = nullptr;
    return 0;
}

TMeshDataInstancing* TDxMeshData::CreateInstancing(u32 capacity, const void* objectParameters)
{
    TDxMeshDataInstancing* instancing = g_pDxMeshManager->_AddInstancing();
    instancing->m_nCapacity = capacity;
    instancing->pMeshData = this;
    std::memcpy(instancing->m_aObjectParameters, objectParameters, MESH_OBJECT_PARAMETERS_SIZE);
    pInstancing = instancing;
    g_pDxMeshManager->AllocateInstanceBuffers();
    return instancing;
}

void* TDxMeshData::LockVertices()
{
    if (!m_pVertexBuffer)
    {
        _Create();
        SetLoaded(1);
    }
    void* data = nullptr;
    m_pVertexBuffer->Lock(0, m_Description.nVertexCount * m_Description.nStride, &data, 0);
    return data;
}

void TDxMeshData::UnlockVertices()
{
    if (m_pVertexBuffer)
        m_pVertexBuffer->Unlock();
}

void* TDxMeshData::LockIndices()
{
    if (!m_pIndexBuffer)
    {
        _Create();
        SetLoaded(1);
    }
    void* data = nullptr;
    m_pIndexBuffer->Lock(0, m_Description.nIndexCount * 2, &data, 0);
    return data;
}

void TDxMeshData::UnlockIndices()
{
    if (m_pIndexBuffer)
        m_pIndexBuffer->Unlock();
}

void TDxMeshData::_Bind()
{
    g_pDxEffectStateFilter->SetVertexDeclaration(m_pDeclaration);
    g_pDxEffectStateFilter->SetStreamSource(0, m_pVertexBuffer, 0, m_Description.nStride);
    g_pDxEffectStateFilter->SetIndices(m_pIndexBuffer);
}

void TDxMeshData::Draw(const TMatrix& matrix, TDxShader* shader, TNodeObject* object)
{
    if (Require() || !shader || shader->Require())
        return;
    if (pInstancing)
    {
        const auto* parameters = reinterpret_cast<const f32*>(g_pDxMeshManager->GetObjectParameters());
        static_cast<TDxMeshDataInstancing*>(pInstancing)->AddInstance(matrix, shader, parameters);
        return;
    }
    if (!g_pDeviceManager->IsRunning())
        return;
    _Bind();
    g_DxObjectMatrix = matrix;
    for (u32 i = 0; i < m_aSurface.GetCount(); ++i)
    {
        const TMeshSurface& surface = m_aSurface[i];
        if (surface.m_nVertexCount == 0 || surface.m_nPrimitiveCount == 0)
            continue;
        if (shader->Begin(object, &m_Description, surface.pMaterial))
            continue;
        CountMeshDraw(surface.m_nVertexCount, surface.m_nPrimitiveCount);
        Device()->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, static_cast<INT>(surface.m_nBaseVertex),
                                       surface.m_nMinimumVertex, surface.m_nVertexCount, surface.m_nStartIndex,
                                       surface.m_nPrimitiveCount);
        shader->End();
    }
}

void TDxMeshData::DrawWithMaterials(const TMatrix& matrix, TNodeObject* object, TShader* passShader)
{
    if (Require())
        return;
    if (pInstancing)
    {
        TMaterial* first = m_aSurface.GetCount() ? m_aSurface[0].pMaterial : nullptr;
        TShader* shader = passShader ? passShader : first ? first->pShader : nullptr;
        if (shader)
            static_cast<TDxMeshDataInstancing*>(pInstancing)
                ->AddInstance(matrix, static_cast<TDxShader*>(shader), kDefaultInstanceColour);
        return;
    }
    if (!g_pDeviceManager->IsRunning())
        return;
    _Bind();
    g_DxObjectMatrix = matrix;
    for (u32 i = 0; i < m_aSurface.GetCount(); ++i)
    {
        const TMeshSurface& surface = m_aSurface[i];
        TShader* shader = passShader ? passShader : surface.pMaterial ? surface.pMaterial->pShader : nullptr;
        // A surface whose shader cannot begin draws nothing.
        if (!shader || shader->Begin(object, &m_Description, surface.pMaterial))
            continue;
        CountMeshDraw(surface.m_nVertexCount, surface.m_nPrimitiveCount);
        Device()->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, static_cast<INT>(surface.m_nBaseVertex),
                                       surface.m_nMinimumVertex, surface.m_nVertexCount, surface.m_nStartIndex,
                                       surface.m_nPrimitiveCount);
        shader->End();
    }
}
