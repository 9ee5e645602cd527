#include "igame/effects/decalstream.h"

#include "engine/render/dynamicmesh.h"
#include "igame/effects/decalvertex.h"

#include <algorithm>
#include <cstring>

TDecalStream& TDecalStream::Get()
{
    static TDecalStream s_Stream;
    return s_Stream;
}

void TDecalStream::Create()
{
    if (!m_pMesh && g_pCreateDynamicMesh)
        m_pMesh = g_pCreateDynamicMesh(DECAL_STREAM_VERTICES, DecalVertexFormat());
}

void TDecalStream::Switch(TShader* shader)
{
    if (m_nWritten && shader != m_pShader)
        Flush();
    m_pShader = shader;
}

void TDecalStream::Write(const TDecalVertex* vertices, u32 count)
{
    while (count > 0)
    {
        if (m_nRoom == 0)
        {
            Flush();
            Create();
            if (!m_pMesh)
                return;
            m_pWrite = static_cast<TDecalVertex*>(m_pMesh->LockVertices(DECAL_STREAM_VERTICES));
            if (!m_pWrite)
                return;
            m_nRoom = DECAL_STREAM_VERTICES;
        }
        const u32 chunk = std::min(count, m_nRoom);
        std::memcpy(m_pWrite, vertices, chunk * sizeof(TDecalVertex));
        m_pWrite += chunk;
        m_nRoom -= chunk;
        m_nWritten += chunk;
        vertices += chunk;
        count -= chunk;
    }
}

void TDecalStream::Flush()
{
    if (m_pMesh && m_nWritten)
    {
        m_pMesh->Draw(m_nWritten, m_pShader);
        m_nDrawnVertices += m_nWritten;
        ++m_nBatches;
    }
    else if (m_pMesh && m_nRoom)
        m_pMesh->Reset();
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}

void TDecalStream::Reset()
{
    if (m_pMesh)
        m_pMesh->Reset();
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}
