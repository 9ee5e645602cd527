#pragma once
// TTrailVertex (24 bytes): a trail corner in the world, its texture coordinate and its colour;
// the format declares "__Pos", "__TexCoord" and "__Color" in that (memory) order, layout "trail".
// WriteTrail turns a projectile into its trail quads, each taking its room in the batch.
#include "core/system/types.h"

#include <cstddef>

class TProjectile;
class TTrailBatch;
struct TMeshDescription;
struct TVector;

constexpr u32 TRAIL_QUAD_VERTICES = 6;
// A projectile bent by a ricochet draws two quads, a straight one three.
constexpr u32 TRAIL_BOUNCE_VERTICES = 2 * TRAIL_QUAD_VERTICES;
constexpr u32 TRAIL_STRAIGHT_VERTICES = 3 * TRAIL_QUAD_VERTICES;
// Where the straight trail's crossing quads sit, as a share of its length.
constexpr f32 TRAIL_CROSS_AT = 0.3f;

struct TTrailVertex
{
    f32 aPosition[3];
    f32 aTexCoord[2];
    u32 nColour;
};

static_assert(sizeof(TTrailVertex) == 24);
static_assert(offsetof(TTrailVertex, aTexCoord) == 12 && offsetof(TTrailVertex, nColour) == 20);

const TMeshDescription& TrailVertexFormat();

// The vertices the projectile's trail takes.
u32 TrailVertexCount(const TProjectile& projectile);
// Writes them into the batch a quad at a time, facing the camera at that position.
void WriteTrail(const TProjectile& projectile, const TVector& camera, TTrailBatch& batch);
