#include "directx/render/dxdynamicmeshdata.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxshader.h"
#include "engine/render/device.h"
#include "engine/system/renderstats.h"

namespace
{
const char* const kSource = "dxdynamicmesh.cpp";
const char* const kLockPrefix = "TDxDynamicMeshData::Lock(): error: ";

struct TPrimitiveKind
{
    D3DPRIMITIVETYPE Type;
    u32 nSubtrahend;
    u32 nDivisor;
};

const TPrimitiveKind kKinds[] = {{D3DPT_POINTLIST, 0, 1},
                                 {D3DPT_LINELIST, 0, 2},
                                 {D3DPT_LINESTRIP, 1, 1},
                                 {D3DPT_TRIANGLELIST, 0, 3},
                                 {D3DPT_TRIANGLESTRIP, 2, 1}};
constexpr u32 kIndexBytes = 2;
constexpr DWORD kDynamicUsage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;

IDirect3DDevice9* Device()
{
    return g_pDeviceManager->GetDevice();
}
} // namespace

u32 PrimitiveCount(u32 kind, u32 count)
{
    const TPrimitiveKind& entry = kKinds[kind < 5 ? kind : DX_PRIMITIVE_TRIANGLES];
    return count < entry.nSubtrahend ? 0 : (count - entry.nSubtrahend) / entry.nDivisor;
}

TDxDynamicMeshData::TDxDynamicMeshData()
    : m_nVertexCount(0), m_nIndexCount(0), m_nVertexCapacity(0), m_nIndexCapacity(0), m_pShader(nullptr),
      m_nPrimitiveKind(DX_PRIMITIVE_TRIANGLES), m_Description{}, m_nVertexOffset(0), m_nIndexOffset(0),
      m_nLockFlags(0), m_pDeclaration(nullptr), m_pVertexBuffer(nullptr), m_pIndexBuffer(nullptr)
{
}

void TDxDynamicMeshData::_Create()
{
    m_nVertexCount = m_nIndexCount = 0;
    m_nVertexOffset = m_nIndexOffset = 0;
    TMeshDeviceElement elements[MESH_ELEMENT_CAPACITY + 1];
    BuildVertexElements(m_Description, elements);
    IDirect3DDevice9* device = Device();
    // A start-up script that never initialised the device still begins its users.
    if (!device)
        __Abort("TDxDynamicMeshData::_Create", kSource, __LINE__, "unable to create DirectX resource: no device");
    device->CreateVertexDeclaration(reinterpret_cast<const D3DVERTEXELEMENT9*>(elements), &m_pDeclaration);
    if (!m_pDeclaration)
        __Abort("TDxDynamicMeshData::_Create", kSource, __LINE__, "unable to create DirectX resource");
    device->EvictManagedResources();
    device->CreateVertexBuffer(m_nVertexCapacity * m_Description.nStride, kDynamicUsage, 0, D3DPOOL_DEFAULT,
                               &m_pVertexBuffer, nullptr);
    if (!m_pVertexBuffer)
        __Abort("TDxDynamicMeshData::_Create", kSource, __LINE__, "unable to create DirectX resource");
    if (m_nIndexCapacity)
    {
        device->CreateIndexBuffer(m_nIndexCapacity * kIndexBytes, kDynamicUsage, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                  &m_pIndexBuffer, nullptr);
        if (!m_pIndexBuffer)
            __Abort("TDxDynamicMeshData::_Create", kSource, __LINE__, "unable to create DirectX resource");
    }
}

i32 TDxDynamicMeshData::Load()
{
    g_pDeviceManager->Lock();
    _Create();
    SetLoaded(1);
    g_pDeviceManager->Unlock();
    return 0;
}

void TDxDynamicMeshData::_ReleaseObjects()
{
    UnlockAppends();
    if (m_nLockFlags & DX_DYNAMIC_VERTICES_AT)
        m_pVertexBuffer->Unlock();
    if (m_nLockFlags & DX_DYNAMIC_INDICES_AT)
        m_pIndexBuffer->Unlock();
    m_nLockFlags = 0;
    if (m_pDeclaration)
        m_pDeclaration->Release();
    if (m_pVertexBuffer)
        m_pVertexBuffer->Release();
    if (m_pIndexBuffer)
        m_pIndexBuffer->Release();
    m_pDeclaration = nullptr;
    m_pVertexBuffer = nullptr;
    m_pIndexBuffer = nullptr;
}

i32 TDxDynamicMeshData::Release()
{
    _ReleaseObjects();
    return 0;
}

i32 TDxDynamicMeshData::OnDeviceLost()
{
    _ReleaseObjects();
    return 0;
}

i32 TDxDynamicMeshData::OnDeviceReset()
{
    if (m_nState != RESOURCE_UNLOADED && !m_pVertexBuffer)
        _Create();
    return 0;
}

i32 TDxDynamicMeshData::Setup(u32 vertexCapacity, u32 indexCapacity, const TMeshDescription& description,
                              TDxShader* shader)
{
    if (m_nVertexCapacity || m_pVertexBuffer)
        Unload();
    m_nVertexCapacity = vertexCapacity;
    m_nIndexCapacity = indexCapacity;
    m_Description = description;
    m_pShader = shader;
    m_nVertexOffset = m_nIndexOffset = 0;
    return Require();
}

void* TDxDynamicMeshData::_Lock(bool indices, u32 offset, u32 bytes, DWORD flags)
{
    const u32 capacity = indices ? m_nIndexCapacity * kIndexBytes : m_nVertexCapacity * m_Description.nStride;
    if (bytes == 0 || offset > capacity || bytes > capacity - offset)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLockPrefix, "'%s': %u bytes at %u past the %s capacity of %u",
                    GetNameText(), bytes, offset, indices ? "index" : "vertex", capacity);
        return nullptr;
    }
    void* data = nullptr;
    const HRESULT result = indices ? m_pIndexBuffer->Lock(offset, bytes, &data, flags)
                                   : m_pVertexBuffer->Lock(offset, bytes, &data, flags);
    if (FAILED(result) || !data)
    {
        _ReleaseObjects();
        return nullptr;
    }
    return data;
}

void* TDxDynamicMeshData::AppendVertices(u32 count)
{
    if (Require() || !m_pVertexBuffer)
        return nullptr;
    if (m_nLockFlags & DX_DYNAMIC_VERTICES_APPENDING)
    {
        m_pVertexBuffer->Unlock();
        m_nLockFlags &= ~DX_DYNAMIC_VERTICES_APPENDING;
    }
    const u32 bytes = count * m_Description.nStride;
    // Discarding only at the start keeps the appends not yet drawn.
    const DWORD flags = (m_nVertexOffset == 0 ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE) | D3DLOCK_NOSYSLOCK;
    void* data = _Lock(false, m_nVertexOffset, bytes, flags);
    if (!data)
        return nullptr;
    m_nVertexCount += count;
    m_nLockFlags |= DX_DYNAMIC_VERTICES_APPENDING;
    m_nVertexOffset += bytes;
    return data;
}

void* TDxDynamicMeshData::AppendIndices(u32 count)
{
    if (Require() || !m_pIndexBuffer)
        return nullptr;
    if (m_nLockFlags & DX_DYNAMIC_INDICES_APPENDING)
    {
        m_pIndexBuffer->Unlock();
        m_nLockFlags &= ~DX_DYNAMIC_INDICES_APPENDING;
    }
    const u32 bytes = count * kIndexBytes;
    const DWORD flags = (m_nIndexOffset == 0 ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE) | D3DLOCK_NOSYSLOCK;
    void* data = _Lock(true, m_nIndexOffset, bytes, flags);
    if (!data)
        return nullptr;
    m_nIndexCount += count;
    m_nLockFlags |= DX_DYNAMIC_INDICES_APPENDING;
    m_nIndexOffset += bytes;
    return data;
}

void TDxDynamicMeshData::UnlockAppends()
{
    if ((m_nLockFlags & DX_DYNAMIC_VERTICES_APPENDING) && m_pVertexBuffer)
        m_pVertexBuffer->Unlock();
    if ((m_nLockFlags & DX_DYNAMIC_INDICES_APPENDING) && m_pIndexBuffer)
        m_pIndexBuffer->Unlock();
    m_nLockFlags &= ~(DX_DYNAMIC_VERTICES_APPENDING | DX_DYNAMIC_INDICES_APPENDING);
}

void TDxDynamicMeshData::Reset()
{
    UnlockAppends();
    m_nVertexCount = m_nIndexCount = 0;
    m_nVertexOffset = m_nIndexOffset = 0;
}

void* TDxDynamicMeshData::LockVerticesAt(u32 first, u32 count)
{
    if (Require() || !m_pVertexBuffer)
        return nullptr;
    UnlockVertices();
    void* data = _Lock(false, first * m_Description.nStride, count * m_Description.nStride,
                       D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK);
    if (data)
        m_nLockFlags |= DX_DYNAMIC_VERTICES_AT;
    return data;
}

void TDxDynamicMeshData::UnlockVertices()
{
    if (!m_pVertexBuffer)
        return;
    if (m_nLockFlags & DX_DYNAMIC_VERTICES_AT)
        m_nLockFlags &= ~DX_DYNAMIC_VERTICES_AT;
    else if (m_nLockFlags & DX_DYNAMIC_VERTICES_APPENDING)
        m_nLockFlags &= ~DX_DYNAMIC_VERTICES_APPENDING;
    else
        return;
    m_pVertexBuffer->Unlock();
}

void* TDxDynamicMeshData::LockIndicesAt(u32 first, u32 count)
{
    if (Require() || !m_pIndexBuffer)
        return nullptr;
    UnlockIndices();
    void* data = _Lock(true, first * kIndexBytes, count * kIndexBytes, D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK);
    if (data)
        m_nLockFlags |= DX_DYNAMIC_INDICES_AT;
    return data;
}

void TDxDynamicMeshData::UnlockIndices()
{
    if (!m_pIndexBuffer)
        return;
    if (m_nLockFlags & DX_DYNAMIC_INDICES_AT)
        m_nLockFlags &= ~DX_DYNAMIC_INDICES_AT;
    else if (m_nLockFlags & DX_DYNAMIC_INDICES_APPENDING)
        m_nLockFlags &= ~DX_DYNAMIC_INDICES_APPENDING;
    else
        return;
    m_pIndexBuffer->Unlock();
}

void TDxDynamicMeshData::Draw(u32 vertexCount, u32 indexCount, u32 reset)
{
    if (Require() || !m_pVertexBuffer || !g_pDeviceManager->IsRunning())
        return;
    if (vertexCount == 0)
        vertexCount = m_nVertexCount;
    if (indexCount == 0)
        indexCount = m_nIndexCount;
    if (vertexCount == 0)
        return;
    g_DxObjectMatrix = TMatrix(1.0f);
    UnlockAppends();
    if (m_pShader && !m_pShader->Require() && !m_pShader->Begin(nullptr, &m_Description, nullptr))
    {
        g_pDxEffectStateFilter->SetVertexDeclaration(m_pDeclaration);
        g_pDxEffectStateFilter->SetStreamSource(0, m_pVertexBuffer, 0, m_Description.nStride);
        const TPrimitiveKind& kind = kKinds[m_nPrimitiveKind < 5 ? m_nPrimitiveKind : DX_PRIMITIVE_TRIANGLES];
        const bool indexed = m_pIndexBuffer && indexCount;
        const u32 primitives = PrimitiveCount(m_nPrimitiveKind, indexed ? indexCount : vertexCount);
        if (primitives)
        {
            if (indexed)
            {
                g_pDxEffectStateFilter->SetIndices(m_pIndexBuffer);
                Device()->DrawIndexedPrimitive(kind.Type, 0, 0, vertexCount, 0, primitives);
            }
            else
                Device()->DrawPrimitive(kind.Type, 0, primitives);
            g_RenderStatsCurrent.CountDraw(vertexCount, primitives, true);
        }
        m_pShader->End();
    }
    if (reset)
    {
        // The index count and offset start again too, not only the vertices.
        m_nVertexCount = m_nIndexCount = 0;
        m_nVertexOffset = m_nIndexOffset = 0;
    }
}
