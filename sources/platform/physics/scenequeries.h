#pragma once
// Ray casts and overlap tests against a scene's shapes. Candidates come from the back end's
// broad phase; rays are then tested exactly by each shape, overlaps by the back end's
// narrow phase per shape (or by bounds when an accurate test is not asked for).
#include <vector>
#include "platform/physics/nxcallbacks.h"
#include "platform/physics/nxgeometry.h"

struct NxMeshRayCaches;
class NxScene;
class btCollisionShape;
class btTransform;

class TSceneQueries
{
public:
    explicit TSceneQueries(NxScene& scene) : scene_(scene) {}

    struct TFilter
    {
        NxShapesType shapeType;
        NxU32 groups;
        const NxGroupsMask* mask;
    };
    NxShape* closestHit(const NxRay& ray, NxReal maxDist, const TFilter& filter, NxRaycastHit& hit) const;
    // The nearest shape that a wheel's ray meets among those the wheel may collide with.
    // Meshes are tested against the wheel's cached triangles.
    NxShape* groundHit(const NxRay& ray, NxReal maxDist, const NxShape& wheel, NxRaycastHit& hit,
                       NxMeshRayCaches& caches) const;
    // Every hit along the ray, nearest first.
    std::vector<NxRaycastHit> allHits(const NxRay& ray, NxReal maxDist, const TFilter& filter) const;
    // Shapes touching a volume, in the broad phase's order; stops after limit shapes when limit > 0.
    std::vector<NxShape*> overlaps(const btCollisionShape& volume, const btTransform& pose, const TFilter& filter,
                                   bool accurate, std::size_t limit) const;

private:
    NxScene& scene_;
};
