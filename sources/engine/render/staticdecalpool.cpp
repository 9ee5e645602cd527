#include "engine/render/staticdecalpool.h"

#include "core/system/log.h"

namespace
{
// The size of one stored decal vertex.
constexpr u32 DECAL_VERTEX_SIZE = 64;
} // namespace

i32 TStaticDecalPool::Load()
{
    pVertices = nullptr;
    const u64 bytes = static_cast<u64>(m_nVertexCount) * DECAL_VERTEX_SIZE;
    if (bytes > m_nDataSize || m_nVertexCount % 3 != 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TStaticDecalPool::Load(): error: ",
                    "'%s': %u vertices do not fit its block of %u bytes in whole triangles", GetNameText(),
                    m_nVertexCount, m_nDataSize);
        SetLoaded(1);
        return 0;
    }
    pVertices = m_nVertexCount ? reinterpret_cast<const TDecalVertex*>(GetData(0, static_cast<u32>(bytes))) : nullptr;
    SetLoaded(1);
    return 0;
}

i32 TStaticDecalPool::Release()
{
    // The bytes belong to the repository.
    pVertices = nullptr;
    return 0;
}
