#include "igame/effects/trackdecal.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/node.h"
#include "engine/system/typedeclfields.h"
#include "igame/effects/decalprojection.h"

#include <cmath>
#include <cstring>

namespace
{
// A move this many times the minimum distance is a jump: the strip starts again.
constexpr f32 TRACK_JUMP_FACTOR = 10.0f;
constexpr f32 TRACK_TOLERANCE = 0.001f;
constexpr u16 DECAL_TYPE_ID = 92;

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &TrackDecalDecl();

TVector Along(const TVector& base, const TVector& axis, f32 amount)
{
    return TVector(base.x + axis.x * amount, base.y + axis.y * amount, base.z + axis.z * amount, 1.0f);
}

// The plane with normal n through p.
TVector PlaneThrough(const TVector& n, const TVector& p)
{
    return TVector(n.x, n.y, n.z, -(n.x * p.x + n.y * p.y + n.z * p.z));
}
} // namespace

void TTrackSegment::Build(const TTrackDecal& owner, const TMatrix& matrix)
{
    Matrix = matrix;
    const TVector& x = matrix.aRow[0];
    const TVector& y = matrix.aRow[1];
    const TVector& z = matrix.aRow[2];
    TVector centre = Along(Along(Along(matrix.aRow[3], x, owner.m_aOffset[0]), y, owner.m_aOffset[1]), z,
                           owner.m_aOffset[2]);
    const f32 w = owner.m_fWidth * 0.5f, l = owner.m_fLength * 0.5f;
    const TVector front = Along(centre, z, l), back = Along(centre, z, -l);
    aCorner[TRACK_FRONT_LEFT] = Along(front, x, -w);
    aCorner[TRACK_FRONT_RIGHT] = Along(front, x, w);
    aCorner[TRACK_BACK_RIGHT] = Along(back, x, w);
    aCorner[TRACK_BACK_LEFT] = Along(back, x, -w);
    aPlane[TRACK_PLANE_FRONT] = PlaneThrough(z, front);
    aPlane[TRACK_PLANE_RIGHT] = PlaneThrough(x, Along(centre, x, w));
    aPlane[TRACK_PLANE_BACK] = PlaneThrough(z.Negated(), back);
    aPlane[TRACK_PLANE_LEFT] = PlaneThrough(x.Negated(), Along(centre, x, -w));
    fStartLength = 0.0f;
    fLength = 0.0f;
    fHalfHeight = owner.m_fHeight * 0.5f;
    fWidth = owner.m_fWidth;
    pOwner = const_cast<TTrackDecal*>(&owner);
}

TTrackDecal::TTrackDecal()
{
    std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
    m_nClassName = TName("TTrackDecal", true).GetId();
    m_fVScale = 1.0f;
    m_fMinimumTurn = 5.0f;
    m_fMinimumDistance = 0.5f;
}

void TTrackDecal::Remember(const TMatrix& matrix)
{
    const TVector& at = matrix.aRow[3];
    const TVector heading = VectorToEulerDegrees(matrix.aRow[0]);
    m_aLastPosition[0] = at.x;
    m_aLastPosition[1] = at.y;
    m_aLastPosition[2] = at.z;
    m_aLastHeading[0] = heading.x;
    m_aLastHeading[1] = heading.y;
    m_aLastHeading[2] = heading.z;
}

void TTrackDecal::OnEnable(u32 enabled)
{
    if (!enabled || !pNode)
        return;
    const f32 start = m_fStripLength;
    m_Current.Build(*this, *GetMatrix());
    m_Current.fStartLength = start;
    Remember(*GetMatrix());
}

void TTrackDecal::Restart()
{
    m_fStripLength = 0.0f;
    m_Current.Build(*this, *GetMatrix());
    Remember(*GetMatrix());
}

void TTrackDecal::OnNodeUpdate(const TName*)
{
    if (!pNode || !GetNode()->IsEnabled())
        return;
    // The segment is this record's, whatever a stored image left in it.
    m_Current.pOwner = this;
    const TMatrix& matrix = *GetMatrix();
    const TVector& at = matrix.aRow[3];
    const f32 dx = at.x - m_aLastPosition[0], dy = at.y - m_aLastPosition[1], dz = at.z - m_aLastPosition[2];
    const f32 moved = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (moved <= m_fMinimumDistance)
    {
        const TVector heading = VectorToEulerDegrees(matrix.aRow[0]);
        const f32 a = heading.x - m_aLastHeading[0], b = heading.y - m_aLastHeading[1],
                  c = heading.z - m_aLastHeading[2];
        if (std::sqrt(a * a + b * b + c * c) <= m_fMinimumTurn)
            return;
    }
    const f32 start = m_Current.fStartLength;
    if (moved > TRACK_JUMP_FACTOR * m_fMinimumDistance)
    {
        m_Current.Build(*this, matrix);
        m_Current.fStartLength = start;
    }
    else
    {
        TTrackSegment next;
        next.Build(*this, matrix);
        m_Current.fLength = moved;
        next.fStartLength = start + moved;
        LayJoint(m_Current, next);
        m_Current = next;
    }
    m_fStripLength = m_Current.fStartLength;
    Remember(matrix);
}

void TTrackDecal::LayJoint(TTrackSegment& c, const TTrackSegment& n)
{
    const TVector& front = c.aPlane[TRACK_PLANE_FRONT];
    const TVector& back = c.aPlane[TRACK_PLANE_BACK];
    // Backwards: the strip between the two front edges.
    if (TTrackSegment::Distance(front, n.aCorner[TRACK_FRONT_LEFT]) < -TRACK_TOLERANCE ||
        TTrackSegment::Distance(front, n.aCorner[TRACK_FRONT_RIGHT]) < -TRACK_TOLERANCE)
    {
        const TVector quad[4] = {n.aCorner[TRACK_FRONT_RIGHT], n.aCorner[TRACK_FRONT_LEFT],
                                 c.aCorner[TRACK_FRONT_LEFT], c.aCorner[TRACK_FRONT_RIGHT]};
        TDecalProjection::Project(quad, front, n.aPlane[TRACK_PLANE_FRONT], c);
    }
    // Forwards: the strip between the two back edges.
    if (TTrackSegment::Distance(back, n.aCorner[TRACK_BACK_LEFT]) < -TRACK_TOLERANCE ||
        TTrackSegment::Distance(back, n.aCorner[TRACK_BACK_RIGHT]) < -TRACK_TOLERANCE)
    {
        const TVector quad[4] = {c.aCorner[TRACK_BACK_RIGHT], c.aCorner[TRACK_BACK_LEFT],
                                 n.aCorner[TRACK_BACK_LEFT], n.aCorner[TRACK_BACK_RIGHT]};
        TDecalProjection::Project(quad, back, n.aPlane[TRACK_PLANE_BACK], c);
    }
}

const TClusterTypeDecl& TrackDecalDecl()
{
    static TClusterTypeDecl s_Decl("TTrackDecal", TRACK_DECAL_TYPE_ID, sizeof(TTrackDecal),
                                   TypePrototype<TTrackDecal>(), 1,
                                   {TypeLink(4, NODE_TYPE_ID, "pNode", 1, "TNodeObject"),
                                    TypeLink(12, DECAL_TYPE_ID, "pDecal")});
    return s_Decl;
}
