#pragma once
// TDecalProjection: lays one quadrilateral of a track onto the ground. The collision manager's
// box query hands the static triangles under the quadrilateral (at most 4 shapes of 256
// vertices); each triangle that faces up along the segment is clipped to the quadrilateral,
// given texture coordinates along the strip and across it (the atlas column of its material),
// lifted a little and written into the pool of the object it lies on.
#include "core/math/vector.h"

struct TTrackSegment;
class TTrackDecal;

constexpr u32 DECAL_PROJECTION_SHAPES = 4;
constexpr u32 DECAL_PROJECTION_SHAPE_VERTICES = 256;
constexpr u32 DECAL_PROJECTION_OUTPUT_VERTICES = 128;
// The collision group the query looks at.
constexpr u32 DECAL_PROJECTION_GROUP = 128;
// Triangles whose normal is nearer the segment's plane than this (cosine) are left out.
constexpr f32 DECAL_FACING_MINIMUM = 0.5f;
constexpr f32 DECAL_LIFT = 0.005f;
constexpr f32 DECAL_CLIP_TOLERANCE = 0.001f;

// A point of a collected triangle: position, normal, then across the strip, material, along the
// strip and a spare.
struct TDecalPoint
{
    f32 aPosition[4];
    f32 aNormal[4];
    f32 fAcross;
    f32 fMaterial;
    f32 fAlong;
    f32 fSpare;
};

namespace TDecalProjection
{
// Projects quad (q1 .. q4) lying between the old and the new edge plane of the track (segment
// planes: the box on the negative side) with the current segment's frame and lengths. 1 when the
// query was made.
u32 Project(const TVector (&quad)[4], const TVector& oldEdge, const TVector& newEdge, const TTrackSegment& current);
// Lays whole triangles of one object (count points) through that quadrilateral into the object's
// pool. Nothing for a track without decal data or width, or a quadrilateral with a side of no
// length.
void Lay(const TVector (&quad)[4], const TVector& oldEdge, const TVector& newEdge, const TTrackSegment& current,
         const TDecalPoint* points, u32 count, const void* object);
// Clips a polygon against a plane (inside: dot(n, p) + w above the tolerance); the vertices left,
// 0 when fewer than 3 remain.
u32 Clip(const TDecalPoint* in, u32 count, const TVector& plane, TDecalPoint* out);
} // namespace TDecalProjection
