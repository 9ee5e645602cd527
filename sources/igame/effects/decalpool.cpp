#include "igame/effects/decalpool.h"

#include <algorithm>

TDecalPool::TDecalPool(const void* object, TDecalData* data)
    : m_pObject(object), m_pData(data), m_pVertices(new TDecalVertex[DECAL_POOL_VERTICES])
{
}

TDecalVertex* TDecalPool::Reserve(u32 count)
{
    if (count > DECAL_POOL_VERTICES)
        return nullptr;
    if (m_nWrite + count > DECAL_POOL_VERTICES)
        m_nWrite = 0;
    TDecalVertex* batch = m_pVertices.get() + m_nWrite;
    m_nWrite += count;
    m_nLastWritten = count;
    m_nDrawn = std::max(m_nDrawn, m_nWrite);
    return batch;
}

void TDecalPool::Clear()
{
    m_nWrite = 0;
    m_nDrawn = 0;
    m_nLastWritten = 0;
}
