#include "igame/effects/decalprojection.h"

#include "ageia/collisionmanager.h"
#include "core/math/boundbox.h"
#include "core/math/half.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/system/node.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/trackdecal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// The texture atlas of a decal data: 16 entries of 100 bytes.
constexpr u32 ATLAS_ENTRIES = 16;
constexpr u32 ATLAS_ENTRY_SIZE = 100;
constexpr u32 ATLAS_COLUMN_START = 28;
constexpr u32 ATLAS_COLUMN_END = 36;
constexpr u32 ATLAS_MATERIALS = 92;
constexpr u32 ATLAS_MATERIAL_COUNT = 8;
// A polygon clipped by four planes from a triangle has at most 7 corners.
constexpr u32 CLIP_CORNERS = 8;

struct TShape
{
    const void* pObject;
    TMatrix World;
    u32 nCount;
    TDecalPoint aPoint[DECAL_PROJECTION_SHAPE_VERTICES];
};

// The collected triangles of one projection.
struct TCollection
{
    u32 nShapes;
    TShape aShape[DECAL_PROJECTION_SHAPES];
};

TCollection s_Collection;

i32 Collect(u32, TNode* node, u32, void* object, const TVector* positions, const TVector*, u32 material,
            void* user)
{
    TCollection& c = *static_cast<TCollection*>(user);
    if (!positions)
    {
        // A new shape: refused past the fourth.
        if (c.nShapes == DECAL_PROJECTION_SHAPES)
            return 1;
        TShape& shape = c.aShape[c.nShapes++];
        shape.pObject = object ? object : node;
        shape.World = node ? *node->GetWorldMatrix() : TMatrix(1.0f);
        shape.nCount = 0;
        return 0;
    }
    TShape& shape = c.aShape[c.nShapes - 1];
    if (shape.nCount + 3 > DECAL_PROJECTION_SHAPE_VERTICES)
        return 1;
    for (u32 k = 0; k < 3; ++k)
    {
        const TVector p = shape.World.TransformPoint(positions[k]);
        TDecalPoint& point = shape.aPoint[shape.nCount++];
        point = {{p.x, p.y, p.z, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}, 0.0f, static_cast<f32>(material), 0.0f, 0.0f};
    }
    return 0;
}

TVector Sub(const TVector& a, const TVector& b)
{
    return TVector(a.x - b.x, a.y - b.y, a.z - b.z, 0.0f);
}

f32 Distance(const TVector& plane, const f32* p)
{
    return plane.x * p[0] + plane.y * p[1] + plane.z * p[2] + plane.w;
}

// The vertical plane through a and b, turned so that `inside` lies on its positive side.
TVector SidePlane(const TVector& a, const TVector& b, const TVector& inside)
{
    TVector n = TVector::Cross(Sub(a, b), TVector(0.0f, 1.0f, 0.0f, 0.0f)).Normalized();
    n.w = -(n.x * a.x + n.y * a.y + n.z * a.z);
    const f32 at[3] = {inside.x, inside.y, inside.z};
    if (Distance(n, at) < 0.0f)
        n = TVector(-n.x, -n.y, -n.z, -n.w);
    return n;
}

void PutHalves(u16* out, const TVector& v)
{
    out[0] = FloatToHalf(v.x);
    out[1] = FloatToHalf(v.y);
    out[2] = FloatToHalf(v.z);
    out[3] = FloatToHalf(0.0f);
}

f32 AtlasFloat(const TDecalData& data, u32 offset)
{
    f32 value;
    std::memcpy(&value, reinterpret_cast<const u8*>(&data) + offset, sizeof value);
    return value;
}

// The quadrilateral's frame: its clip planes and what the texture coordinates are measured by.
struct TQuad
{
    TVector aClip[4];
    TVector Edge, Left;
    f32 fNear, fFar;
};

// Clips, fans and writes the triangles of one object into its pool.
void Emit(const TDecalPoint* points, u32 count, const void* object, const TQuad& quad, const TTrackSegment& segment,
          const TDecal& decal)
{
    const TTrackDecal& owner = *segment.pOwner;
    const TVector& up = segment.Matrix.aRow[1];
    TDecalPoint out[DECAL_PROJECTION_OUTPUT_VERTICES];
    u32 written = 0;
    for (u32 t = 0; t + 3 <= count; t += 3)
    {
        const f32* n = points[t].aNormal;
        if (std::fabs(n[0] * up.x + n[1] * up.y + n[2] * up.z) < DECAL_FACING_MINIMUM)
            continue;
        TDecalPoint a[CLIP_CORNERS], b[CLIP_CORNERS];
        std::copy(points + t, points + t + 3, a);
        u32 corners = 3;
        for (u32 p = 0; p < 4 && corners; ++p)
        {
            corners = TDecalProjection::Clip(a, corners, quad.aClip[p], b);
            std::copy(b, b + corners, a);
        }
        for (u32 i = 2; i < corners && written + 3 <= DECAL_PROJECTION_OUTPUT_VERTICES; ++i)
        {
            out[written++] = a[0];
            out[written++] = a[i - 1];
            out[written++] = a[i];
        }
    }
    if (!written)
        return;
    TDecalPool* pool = g_pDecalManager ? g_pDecalManager->GetPool(object, &decal) : nullptr;
    TDecalVertex* vertex = pool ? pool->Reserve(written) : nullptr;
    if (!vertex)
        return;

    // The atlas entry: its column, moved over by the place of the material in its list.
    const TDecalData& data = *decal.pDecalData;
    const u32 entry = std::min(decal.m_nAtlasIndex, ATLAS_ENTRIES - 1) * ATLAS_ENTRY_SIZE;
    const f32 start = AtlasFloat(data, entry + ATLAS_COLUMN_START);
    const f32 width = AtlasFloat(data, entry + ATLAS_COLUMN_END) - start;
    const u32 colour = owner.m_Color.ToARGB();
    u16 axes[3][4];
    PutHalves(axes[0], segment.Matrix.aRow[1]);
    PutHalves(axes[1], segment.Matrix.aRow[0].Negated());
    PutHalves(axes[2], segment.Matrix.aRow[2]);
    for (u32 i = 0; i < written; ++i, ++vertex)
    {
        const TDecalPoint& p = out[i];
        const f32 across = std::clamp(std::fabs(Distance(quad.Left, p.aPosition)) / segment.fWidth, -1.0f, 1.0f);
        f32 column = start;
        for (u32 k = 0; k < ATLAS_MATERIAL_COUNT; ++k)
        {
            const f32 id = AtlasFloat(data, entry + ATLAS_MATERIALS + 4 * k);
            if (id == 0.0f)
                break;
            if (std::memcmp(&id, &p.fMaterial, sizeof id) == 0)
            {
                column = start + static_cast<f32>(k) * width;
                break;
            }
        }
        const f32 span = quad.fNear + (quad.fFar - quad.fNear) * across;
        const f32 along =
            (std::fabs(Distance(quad.Edge, p.aPosition)) / span * segment.fLength + segment.fStartLength) *
            owner.m_fVScale;
        vertex->aPosition[0] = p.aPosition[0];
        vertex->aPosition[1] = p.aPosition[1] + DECAL_LIFT;
        vertex->aPosition[2] = p.aPosition[2];
        std::memcpy(vertex->aUp, axes[0], sizeof axes[0]);
        std::memcpy(vertex->aTangent, axes[1], sizeof axes[1]);
        std::memcpy(vertex->aThird, axes[2], sizeof axes[2]);
        vertex->aTexCoord[0] = along;
        vertex->aTexCoord[1] = column + across * width;
        vertex->aZero[0] = vertex->aZero[1] = 0.0f;
        vertex->aOne[0] = vertex->aOne[1] = 1.0f;
        vertex->nColour = colour;
    }
}
} // namespace

u32 TDecalProjection::Clip(const TDecalPoint* in, u32 count, const TVector& plane, TDecalPoint* out)
{
    f32 d[CLIP_CORNERS];
    u32 inside = 0, outside = 0;
    for (u32 i = 0; i < count; ++i)
    {
        d[i] = Distance(plane, in[i].aPosition);
        inside += d[i] > DECAL_CLIP_TOLERANCE ? 1 : 0;
        outside += d[i] < -DECAL_CLIP_TOLERANCE ? 1 : 0;
    }
    if (inside == 0 && outside == count)
        return 0;
    if (outside == 0)
    {
        std::copy(in, in + count, out);
        return count;
    }
    u32 n = 0;
    for (u32 i = 0; i < count; ++i)
    {
        const u32 j = (i + 1) % count;
        if (d[i] >= -DECAL_CLIP_TOLERANCE)
            out[n++] = in[i];
        const bool crosses = (d[i] > DECAL_CLIP_TOLERANCE && d[j] < -DECAL_CLIP_TOLERANCE) ||
                             (d[i] < -DECAL_CLIP_TOLERANCE && d[j] > DECAL_CLIP_TOLERANCE);
        if (!crosses || n == CLIP_CORNERS)
            continue;
        const f32 t = d[i] / (d[i] - d[j]);
        const f32* a = &in[i].aPosition[0];
        const f32* b = &in[j].aPosition[0];
        f32* c = &out[n].aPosition[0];
        for (u32 k = 0; k < sizeof(TDecalPoint) / sizeof(f32); ++k)
            c[k] = a[k] + (b[k] - a[k]) * t;
        ++n;
    }
    return n >= 3 ? n : 0;
}

void TDecalProjection::Lay(const TVector (&q)[4], const TVector& oldEdge, const TVector& newEdge,
                          const TTrackSegment& current, const TDecalPoint* points, u32 count, const void* object)
{
    const TTrackDecal& owner = *current.pOwner;
    if (!owner.pDecal || !owner.pDecal->pDecalData || !(current.fWidth > 0.0f))
        return;
    TQuad quad;
    quad.fNear = Sub(q[0], q[3]).Length();
    quad.fFar = Sub(q[1], q[2]).Length();
    // A quadrilateral with a side of no length has no strip to measure along.
    if (!(quad.fNear > 0.0f) || !(quad.fFar > 0.0f))
        return;
    const TVector centre((q[0].x + q[1].x + q[2].x + q[3].x) * 0.25f, (q[0].y + q[1].y + q[2].y + q[3].y) * 0.25f,
                         (q[0].z + q[1].z + q[2].z + q[3].z) * 0.25f, 1.0f);
    quad.Edge = SidePlane(q[0], q[1], centre);
    quad.Left = SidePlane(q[1], q[2], centre);
    quad.aClip[0] = newEdge;
    quad.aClip[1] = TVector(-oldEdge.x, -oldEdge.y, -oldEdge.z, -oldEdge.w);
    quad.aClip[2] = quad.Left;
    quad.aClip[3] = SidePlane(q[3], q[0], centre);
    Emit(points, count, object, quad, current, *owner.pDecal);
}

u32 TDecalProjection::Project(const TVector (&q)[4], const TVector& oldEdge, const TVector& newEdge,
                              const TTrackSegment& current)
{
    const TTrackDecal& owner = *current.pOwner;
    if (!g_pCollisionManager || !owner.pDecal || !owner.pDecal->pDecalData || !(current.fWidth > 0.0f))
        return 0;
    // The box of the corners, the half height down and up, as half extents about its centre.
    f32 low[3] = {q[0].x, q[0].y, q[0].z}, high[3] = {q[0].x, q[0].y, q[0].z};
    for (const TVector& p : q)
    {
        const f32 v[3] = {p.x, p.y, p.z};
        for (u32 a = 0; a < 3; ++a)
        {
            low[a] = std::min(low[a], v[a]);
            high[a] = std::max(high[a], v[a]);
        }
    }
    low[1] -= current.fHalfHeight;
    high[1] += current.fHalfHeight;
    TBoundBox box = {};
    for (u32 a = 0; a < 3; ++a)
    {
        box.centre[a] = (low[a] + high[a]) * 0.5f;
        box.size[a] = (high[a] - low[a]) * 0.5f;
    }
    TCollisionHit hit = {};
    hit.nFilter = DECAL_PROJECTION_GROUP;
    s_Collection.nShapes = 0;
    const u32 queried = g_pCollisionManager->EnumerateBoxTriangles(TMatrix(1.0f), box, hit, Collect, &s_Collection);
    for (u32 s = 0; s < s_Collection.nShapes; ++s)
    {
        const TShape& shape = s_Collection.aShape[s];
        if (shape.nCount)
            Lay(q, oldEdge, newEdge, current, shape.aPoint, shape.nCount, shape.pObject);
    }
    return queried;
}
