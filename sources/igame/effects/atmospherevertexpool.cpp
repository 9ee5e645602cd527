#include "igame/effects/atmospherevertexpool.h"

#include "core/cluster/clustertypedecl.h"
#include "core/math/half.h"
#include "core/system/log.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/skyelement.h"

#include <cstring>

namespace
{
const TAtmosphereVertexPool* Prototype()
{
    static const TAtmosphereVertexPool s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &AtmosphereVertexPoolDecl();
} // namespace

TAtmosphereVertexPool::TAtmosphereVertexPool()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(*this) - sizeof(TResource));
}

i32 TAtmosphereVertexPool::Load()
{
    pTemplates = nullptr;
    pVertices = nullptr;
    m_nVertexCount = 0;
    m_nReported = 0;
    const u64 table = static_cast<u64>(m_nTemplateCount) * sizeof(TSkyElementTemplate);
    const u64 rest = m_nDataSize >= table ? m_nDataSize - table : 0;
    const u8* data = m_nDataSize ? GetData(0, m_nDataSize) : nullptr;
    if (m_nDataSize < table || rest % sizeof(TSkyVertex) != 0 || !data)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphereVertexPool::Load(): error: ",
                    "'%s': a block of %u bytes is no table of %u templates and whole 28-byte vertices", GetNameText(),
                    m_nDataSize, m_nTemplateCount);
    else
    {
        pTemplates = reinterpret_cast<const TSkyElementTemplate*>(data);
        pVertices = reinterpret_cast<const TSkyVertex*>(data + table);
        m_nVertexCount = static_cast<u32>(rest / sizeof(TSkyVertex));
    }
    SetLoaded(1);
    return 0;
}

i32 TAtmosphereVertexPool::Release()
{
    // The bytes belong to the repository.
    pTemplates = nullptr;
    pVertices = nullptr;
    m_nVertexCount = 0;
    return 0;
}

u32 TAtmosphereVertexPool::GetVertexCount(const TSkyElement& element) const
{
    if (!pTemplates || element.m_nTemplate >= m_nTemplateCount)
        return 0;
    const TSkyElementTemplate& t = pTemplates[element.m_nTemplate];
    const u64 end = static_cast<u64>(t.m_nFirstVertex) + t.m_nVertexCount;
    return end <= m_nVertexCount ? t.m_nVertexCount : 0;
}

u32 TAtmosphereVertexPool::Instance(const TSkyElement& element, const TVector& eye, TSkyVertex* out, u32 room)
{
    if (!pTemplates)
        return 0;
    const u32 count = GetVertexCount(element);
    if (!count)
    {
        if (!m_nReported)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphereVertexPool::Instance(): error: ",
                        "'%s': a sky element names template %u, beyond the pool's %u templates of %u vertices: "
                        "skipped",
                        GetNameText(), element.m_nTemplate, m_nTemplateCount, m_nVertexCount);
        m_nReported = 1;
        return 0;
    }
    if (count > room)
        return 0;
    const TMatrix& w = element.World;
    const TSkyVertex* from = pVertices + pTemplates[element.m_nTemplate].m_nFirstVertex;
    for (u32 i = 0; i < count; ++i)
    {
        const TSkyVertex& s = from[i];
        TSkyVertex& d = out[i];
        const TVector p = w.TransformPoint(TVector(s.x, s.y, s.z, 1.0f));
        d.x = p.x + eye.x;
        d.y = p.y + eye.y;
        d.z = p.z + eye.z;
        const f32 nx = HalfToFloat(s.aNormal[0]), ny = HalfToFloat(s.aNormal[1]), nz = HalfToFloat(s.aNormal[2]);
        const TVector n(nx * w.aRow[0].x + ny * w.aRow[1].x + nz * w.aRow[2].x,
                        nx * w.aRow[0].y + ny * w.aRow[1].y + nz * w.aRow[2].y,
                        nx * w.aRow[0].z + ny * w.aRow[1].z + nz * w.aRow[2].z, 0.0f);
        d.aNormal[0] = FloatToHalf(n.x);
        d.aNormal[1] = FloatToHalf(n.y);
        d.aNormal[2] = FloatToHalf(n.z);
        d.aNormal[3] = FloatToHalf(1.0f);
        d.u = s.u;
        d.v = s.v;
    }
    return count;
}

const TClusterTypeDecl& AtmosphereVertexPoolDecl()
{
    static TClusterTypeDecl s_Decl(
        "TAtmosphereVertexPool", ATMOSPHERE_VERTEX_POOL_TYPE_ID, sizeof(TAtmosphereVertexPool), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_RUN, 36, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink"),
         TClusterField(CLUSTER_MEMBER_RUN, 48, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink")});
    return s_Decl;
}
