#include "engine/render/vertexstream.h"

#include "engine/render/dynamicmesh.h"

#include <algorithm>
#include <cstring>

TVertexStream::TVertexStream(u32 capacity, u32 vertexSize, const TMeshDescription& format)
    : m_nCapacity(capacity), m_nVertexSize(vertexSize), m_Format(format)
{
}

void TVertexStream::Create()
{
    if (!m_pMesh && g_pCreateDynamicMesh)
        m_pMesh = g_pCreateDynamicMesh(m_nCapacity, m_Format);
}

void TVertexStream::Switch(TShader* shader)
{
    if (m_nWritten && shader != m_pShader)
        Flush();
    m_pShader = shader;
}

bool TVertexStream::Lock()
{
    Flush();
    Create();
    if (!m_pMesh)
        return false;
    m_pWrite = static_cast<u8*>(m_pMesh->LockVertices(m_nCapacity));
    if (!m_pWrite)
        return false;
    m_nRoom = m_nCapacity;
    return true;
}

void* TVertexStream::Reserve(u32 count)
{
    if (m_nRoom < count && !Lock())
        return nullptr;
    u8* run = m_pWrite;
    m_pWrite += count * m_nVertexSize;
    m_nRoom -= count;
    m_nWritten += count;
    return run;
}

void TVertexStream::Write(const void* vertices, u32 count)
{
    const u8* from = static_cast<const u8*>(vertices);
    while (count > 0)
    {
        if (m_nRoom == 0 && !Lock())
            return;
        const u32 chunk = std::min(count, m_nRoom);
        std::memcpy(Reserve(chunk), from, chunk * m_nVertexSize);
        from += chunk * m_nVertexSize;
        count -= chunk;
    }
}

void TVertexStream::Flush()
{
    if (m_pMesh && m_nWritten)
    {
        m_pMesh->Draw(m_nWritten, m_pShader);
        m_nDrawnVertices += m_nWritten;
        ++m_nBatches;
    }
    else if (m_pMesh && m_nRoom)
        m_pMesh->Reset();
    Forget();
}

void TVertexStream::Reset()
{
    if (m_pMesh)
        m_pMesh->Reset();
    Forget();
}

void TVertexStream::Release()
{
    if (m_pMesh)
        m_pMesh->Release();
    Forget();
}

void TVertexStream::Forget()
{
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}
