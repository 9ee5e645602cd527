#include "igame/ballistics/trailbatch.h"

#include "engine/render/dynamicmesh.h"
#include "engine/render/shader.h"
#include "igame/ballistics/trailvertex.h"

void TTrailBatch::Create()
{
    if (!m_pMesh && g_pCreateDynamicMesh)
        m_pMesh = g_pCreateDynamicMesh(TRAIL_BATCH_VERTICES, TrailVertexFormat());
}

void TTrailBatch::SetMaterial(TShader* shader, TTexture* texture)
{
    if (shader == m_pShader && texture == m_pTexture)
        return;
    Flush();
    m_pShader = shader;
    m_pTexture = texture;
}

TTrailVertex* TTrailBatch::Reserve(u32 count)
{
    if (m_pBase && m_nWritten + count <= TRAIL_BATCH_VERTICES)
    {
        TTrailVertex* at = m_pBase + m_nWritten;
        m_nWritten += count;
        return at;
    }
    Flush();
    if (!m_pMesh || count > TRAIL_BATCH_VERTICES)
        return nullptr;
    m_pBase = static_cast<TTrailVertex*>(m_pMesh->LockVertices(TRAIL_BATCH_VERTICES));
    if (!m_pBase)
        return nullptr;
    m_nWritten = count;
    return m_pBase;
}

void TTrailBatch::Flush()
{
    if (m_pMesh && m_nWritten && m_pShader)
    {
        TTexture* previous = m_pShader->aTexture[0];
        m_pShader->SetTexture(0, m_pTexture);
        m_pMesh->Draw(m_nWritten, m_pShader);
        m_pShader->SetTexture(0, previous);
        ++m_nDraws;
        m_nDrawnVertices += m_nWritten;
    }
    else if (m_pMesh && m_pBase)
        m_pMesh->Reset();
    m_pBase = nullptr;
    m_nWritten = 0;
}

void TTrailBatch::Reset()
{
    if (m_pMesh)
        m_pMesh->Reset();
    m_pBase = nullptr;
    m_nWritten = 0;
}
