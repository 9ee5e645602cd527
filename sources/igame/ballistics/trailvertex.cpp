#include "igame/ballistics/trailvertex.h"

#include "core/math/matrix.h"
#include "engine/render/meshdata.h"
#include "igame/ballistics/projectile.h"
#include "igame/ballistics/trailbatch.h"

#include <algorithm>

namespace
{
constexpr u32 TRAIL_COLOUR = 0xffffffffu;

TMeshDescription MakeFormat()
{
    TName("__Color", true);
    TName("__TexCoord", true);
    TName("__Pos", true);
    TMeshDescription format = {};
    format.nStride = sizeof(TTrailVertex);
    format.nElementCount = 3;
    format.aElement[0] = {offsetof(TTrailVertex, aPosition), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TTrailVertex, aTexCoord), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    format.aElement[2] = {offsetof(TTrailVertex, nColour), MESH_USAGE_COLOUR, MESH_TYPE_COLOUR, 0};
    format.VertexLayout = TName("trail", true);
    return format;
}

TVector Add(const TVector& a, const TVector& b)
{
    return TVector(a.x + b.x, a.y + b.y, a.z + b.z, 1.0f);
}

TVector Sub(const TVector& a, const TVector& b)
{
    return TVector(a.x - b.x, a.y - b.y, a.z - b.z, 1.0f);
}

// Writes the quad of corners 1 to 4 as the triangles (1, 2, 3) and (1, 3, 4).
void Quad(TTrailBatch& batch, const TVector (&corner)[4], const f32 (&uv)[4][2])
{
    static constexpr u32 ORDER[TRAIL_QUAD_VERTICES] = {0, 1, 2, 0, 2, 3};
    TTrailVertex* out = batch.Reserve(TRAIL_QUAD_VERTICES);
    if (!out)
        return;
    for (u32 i : ORDER)
        *out++ = {{corner[i].x, corner[i].y, corner[i].z}, {uv[i][0], uv[i][1]}, TRAIL_COLOUR};
}
} // namespace

const TMeshDescription& TrailVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}

u32 TrailVertexCount(const TProjectile& projectile)
{
    return projectile.HasBouncePoint() ? TRAIL_BOUNCE_VERTICES : TRAIL_STRAIGHT_VERTICES;
}

void WriteTrail(const TProjectile& p, const TVector& camera, TTrailBatch& batch)
{
    TMatrix facing;
    facing.SetOrientation(p.direction, Sub(camera, p.position));
    const TVector s = facing.AxisX().Scaled(p.trailWidth);
    const TVector u = facing.AxisY().Scaled(p.trailWidth);
    if (p.HasBouncePoint())
    {
        const f32 progress = p.trailProgress;
        const TVector& b = p.bouncePoint;
        const TVector before(p.bounceDirection[0], p.bounceDirection[1], p.bounceDirection[2], 1.0f);
        const TVector f = Add(b, p.direction.Scaled(p.trailLength * progress));
        const TVector g = Sub(b, before.Scaled(p.trailLength * (1.0f - progress)));
        Quad(batch, {Add(b, s), Add(f, s), Sub(f, s), Sub(b, s)}, {{progress, 0}, {0, 0}, {0, 1}, {progress, 1}});
        Quad(batch, {Add(b, s), Add(g, s), Sub(g, s), Sub(b, s)}, {{progress, 0}, {1, 0}, {1, 1}, {progress, 1}});
        return;
    }
    const f32 length = std::min(p.trailProgress, p.trailLength);
    const TVector& h = p.position;
    const TVector t = Sub(h, p.direction.Scaled(length));
    const TVector m = Sub(h, p.direction.Scaled(length * TRAIL_CROSS_AT));
    Quad(batch, {Add(h, s), Add(t, s), Sub(t, s), Sub(h, s)}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    Quad(batch, {Add(m, s), Add(Sub(m, u), s), Sub(Sub(m, u), s), Sub(m, s)},
               {{TRAIL_CROSS_AT, 0}, {0, 0}, {0, 1}, {TRAIL_CROSS_AT, 1}});
    Quad(batch, {Add(m, s), Add(Add(m, u), s), Sub(Add(m, u), s), Sub(m, s)},
         {{TRAIL_CROSS_AT, 0}, {0, 0}, {0, 1}, {TRAIL_CROSS_AT, 1}});
}
