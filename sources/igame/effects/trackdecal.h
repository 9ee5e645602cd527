#pragma once
// TTrackDecal (stored type 93, 596 bytes): lays a strip (a tyre track) on the ground behind its
// node. Each time the node has moved or turned far enough, the quadrilateral swept by the
// trailing edge of a box on the node (its template: offset, width, height, length) is projected
// onto the collision triangles under it (TDecalProjection) into the decal manager's pools.
#include "core/math/color.h"
#include "core/math/matrix.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
struct TDecal;
class TTrackDecal;

constexpr u16 TRACK_DECAL_TYPE_ID = 93;

// Corners and planes of a segment, in the order front-left, front-right, back-right, back-left
// and front, right, back, left.
enum : u32
{
    TRACK_FRONT_LEFT = 0,
    TRACK_FRONT_RIGHT = 1,
    TRACK_BACK_RIGHT = 2,
    TRACK_BACK_LEFT = 3
};
enum : u32
{
    TRACK_PLANE_FRONT = 0,
    TRACK_PLANE_RIGHT = 1,
    TRACK_PLANE_BACK = 2,
    TRACK_PLANE_LEFT = 3
};

// The template's box at one pose of the node. A plane (x, y, z, w) measures dot(n, p) + w, the box
// on its negative side.
struct TTrackSegment
{
    TMatrix Matrix;
    TVector aCorner[4];
    TVector aPlane[4];
    f32 fStartLength;
    f32 fLength;
    f32 fHalfHeight;
    f32 fWidth;
    TTrackDecal* pOwner;

    void Build(const TTrackDecal& owner, const TMatrix& matrix);
    static f32 Distance(const TVector& plane, const TVector& point)
    {
        return plane.x * point.x + plane.y * point.y + plane.z * point.z + plane.w;
    }
};

static_assert(sizeof(TTrackSegment) == 212);

class TTrackDecal : public TNodeObject
{
public:
    TTrackDecal();

    void OnEnable(u32 enabled) override;
    void OnNodeUpdate(const TName* cause) override;
    // The strip starts again where the node stands: a length of 0, the segment and the last pose
    // taken from the node (a loaded record's run-time words are another program's).
    void Restart();

    TDecal* pDecal;
    // The segment template, in the node's frame.
    f32 m_aOffset[3];
    f32 m_fWidth;
    f32 m_fHeight;
    f32 m_fLength;
    TColor m_Color;
    u8 m_aReserved56[24];
    f32 m_fVScale;
    f32 m_fMinimumTurn;
    f32 m_fMinimumDistance;
    // Run time.
    f32 m_fStripLength;
    f32 m_aLastPosition[3];
    f32 m_aLastHeading[3];
    TTrackSegment m_Current;
    u8 m_aReserved332[264];

private:
    // The node moved or turned far enough: the joint between the current segment and the new one.
    void LayJoint(TTrackSegment& current, const TTrackSegment& next);
    void Remember(const TMatrix& matrix);
};

static_assert(sizeof(TTrackDecal) == 596);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTrackDecal, pDecal) == 12);
static_assert(offsetof(TTrackDecal, m_Color) == 40);
static_assert(offsetof(TTrackDecal, m_fVScale) == 80);
static_assert(offsetof(TTrackDecal, m_fMinimumTurn) == 84);
static_assert(offsetof(TTrackDecal, m_fMinimumDistance) == 88);
static_assert(offsetof(TTrackDecal, m_Current) == 120);
#pragma GCC diagnostic pop

const TClusterTypeDecl& TrackDecalDecl();
