#include "platform/physics/scenequeries.h"
#include <algorithm>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxtrianglemesh.h"

namespace {
// Rays are walked through the broad phase over at most this length.
constexpr NxReal kLongestRay = 1.0e6f;

bool shapeAccepted(const NxShape& shape, const TSceneQueries::TFilter& filter, const TPairFilter& pairs, bool ray)
{
    const NxU32 flags = shape.getFlags();
    if (flags & NX_SF_DISABLE_SCENE_QUERIES)
        return false;
    if (ray && ((flags & NX_SF_DISABLE_RAYCASTING) || shape.isTrigger()))
        return false;
    const NxShapesType kind = shape.getActor().isDynamic() ? NX_DYNAMIC_SHAPES : NX_STATIC_SHAPES;
    if (!(filter.shapeType & kind))
        return false;
    if (!(filter.groups >> (shape.getGroup() & 31) & 1))
        return false;
    return !filter.mask || pairs.masksPass(*filter.mask, shape.getGroupsMask());
}

// Every shape that a broad-phase object stands for.
template <class Visit> void forShapesOf(const btCollisionObject* object, Visit&& visit)
{
    if (NxShape* trigger = TBulletWorld::triggerShapeOf(object)) {
        visit(*trigger);
        return;
    }
    if (NxActor* actor = TBulletWorld::actorOf(object))
        for (NxU32 i = 0; i < actor->getNbShapes(); ++i) {
            NxShape& shape = *actor->getShapes()[i];
            if (!shape.isTrigger() && shape.collisionShape()) // wheels have no volume
                visit(shape);
        }
}

bool rayHitsShape(const NxShape& shape, const NxRay& ray, NxReal maxDist, NxRaycastHit& hit)
{
    const NxMat34 pose = shape.getGlobalPose();
    const NxVec3 origin = pose.multiplyByInverseRT(ray.orig);
    const NxVec3 dir = pose.M.multiplyByTranspose(ray.dir);
    if (!shape.raycastLocal(origin, dir, maxDist, hit))
        return false;
    hit.shape = const_cast<NxShape*>(&shape);
    hit.worldImpact = ray.orig + ray.dir * hit.distance;
    hit.worldNormal = pose.M * hit.worldNormal;
    if (shape.getType() != NX_SHAPE_MESH)
        hit.materialIndex = shape.getMaterial();
    else if (!static_cast<const NxTriangleMeshShape&>(shape).getTriangleMesh().hasMaterials())
        hit.materialIndex = shape.getMaterial();
    hit.flags = NX_RAYCAST_SHAPE | NX_RAYCAST_IMPACT | NX_RAYCAST_NORMAL | NX_RAYCAST_DISTANCE | NX_RAYCAST_MATERIAL |
                (shape.getType() == NX_SHAPE_MESH ? NX_RAYCAST_FACE_INDEX | NX_RAYCAST_UV : 0);
    return true;
}

template <class Visit> class TRayCandidates : public btBroadphaseRayCallback
{
public:
    TRayCandidates(const btVector3& from, const btVector3& to, Visit& visit) : visit_(visit)
    {
        btVector3 dir = to - from;
        const btScalar length = dir.length();
        if (length > 0)
            dir /= length;
        for (int i = 0; i < 3; ++i)
            m_rayDirectionInverse[i] = dir[i] == 0 ? btScalar(BT_LARGE_FLOAT) : 1 / dir[i];
        m_signs[0] = m_rayDirectionInverse[0] < 0;
        m_signs[1] = m_rayDirectionInverse[1] < 0;
        m_signs[2] = m_rayDirectionInverse[2] < 0;
        m_lambda_max = length;
    }
    bool process(const btBroadphaseProxy* proxy) override
    {
        visit_(static_cast<const btCollisionObject*>(proxy->m_clientObject));
        return true;
    }

private:
    Visit& visit_;
};

class TBoxCandidates : public btBroadphaseAabbCallback
{
public:
    bool process(const btBroadphaseProxy* proxy) override
    {
        objects_.push_back(static_cast<const btCollisionObject*>(proxy->m_clientObject));
        return true;
    }
    std::vector<const btCollisionObject*> objects_;
};

class TTouching : public btCollisionWorld::ContactResultCallback
{
public:
    bool needsCollision(btBroadphaseProxy*) const override { return true; }
    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        if (point.getDistance() <= 0)
            touching_ = true;
        return 0;
    }
    bool touching_ = false;
};

template <class Visit> void walkRay(NxScene& scene, const NxRay& ray, NxReal maxDist, Visit&& visit)
{
    const NxReal length = std::min(maxDist, kLongestRay);
    const btVector3 from = toBt(ray.orig), to = toBt(ray.orig + ray.dir * length);
    TRayCandidates<Visit> candidates(from, to, visit);
    scene.world().broadphase().rayTest(from, to, candidates);
}
} // namespace

NxShape* TSceneQueries::closestHit(const NxRay& ray, NxReal maxDist, const TFilter& filter, NxRaycastHit& hit) const
{
    const TPairFilter& pairs = scene_.filter();
    NxShape* best = nullptr;
    NxReal bestDistance = std::min(maxDist, kLongestRay);
    walkRay(scene_, ray, maxDist, [&](const btCollisionObject* object) {
        forShapesOf(object, [&](const NxShape& shape) {
            if (!shapeAccepted(shape, filter, pairs, true))
                return;
            NxRaycastHit candidate;
            if (rayHitsShape(shape, ray, bestDistance, candidate) && (!best || candidate.distance < bestDistance)) {
                best = candidate.shape;
                bestDistance = candidate.distance;
                hit = candidate;
            }
        });
    });
    return best;
}

NxShape* TSceneQueries::groundHit(const NxRay& ray, NxReal maxDist, const NxShape& wheel, NxRaycastHit& hit) const
{
    const TPairFilter& pairs = scene_.filter();
    NxShape* best = nullptr;
    NxReal bestDistance = maxDist;
    walkRay(scene_, ray, maxDist, [&](const btCollisionObject* object) {
        NxActor* actor = TBulletWorld::actorOf(object);
        if (!actor || !pairs.actorsMayCollide(wheel.getActor(), *actor))
            return;
        forShapesOf(object, [&](const NxShape& shape) {
            if (!pairs.shapesCollide(wheel, shape))
                return;
            NxRaycastHit candidate;
            if (rayHitsShape(shape, ray, bestDistance, candidate) && (!best || candidate.distance < bestDistance)) {
                best = candidate.shape;
                bestDistance = candidate.distance;
                hit = candidate;
            }
        });
    });
    return best;
}

std::vector<NxRaycastHit> TSceneQueries::allHits(const NxRay& ray, NxReal maxDist, const TFilter& filter) const
{
    const TPairFilter& pairs = scene_.filter();
    std::vector<NxRaycastHit> hits;
    const NxReal length = std::min(maxDist, kLongestRay);
    walkRay(scene_, ray, maxDist, [&](const btCollisionObject* object) {
        forShapesOf(object, [&](const NxShape& shape) {
            NxRaycastHit hit;
            if (shapeAccepted(shape, filter, pairs, true) && rayHitsShape(shape, ray, length, hit))
                hits.push_back(hit);
        });
    });
    std::stable_sort(hits.begin(), hits.end(),
                     [](const NxRaycastHit& a, const NxRaycastHit& b) { return a.distance < b.distance; });
    return hits;
}

std::vector<NxShape*> TSceneQueries::overlaps(const btCollisionShape& volume, const btTransform& pose,
                                              const TFilter& filter, bool accurate, std::size_t limit) const
{
    const TPairFilter& pairs = scene_.filter();
    btVector3 min, max;
    volume.getAabb(pose, min, max);
    TBoxCandidates candidates;
    scene_.world().broadphase().aabbTest(min, max, candidates);
    btCollisionObject query;
    query.setCollisionShape(const_cast<btCollisionShape*>(&volume));
    query.setWorldTransform(pose);
    std::vector<NxShape*> found;
    for (const btCollisionObject* object : candidates.objects_) {
        forShapesOf(object, [&](const NxShape& shape) {
            if ((limit && found.size() >= limit) || !shapeAccepted(shape, filter, pairs, false))
                return;
            const NxBounds3 bounds = shape.getWorldBounds();
            if (bounds.min.x > max.x() || bounds.max.x < min.x() || bounds.min.y > max.y() || bounds.max.y < min.y() ||
                bounds.min.z > max.z() || bounds.max.z < min.z())
                return;
            if (accurate) {
                btCollisionObject other;
                other.setCollisionShape(shape.collisionShape());
                other.setWorldTransform(toBt(shape.collisionPose()));
                TTouching touching;
                scene_.world().dynamics().contactPairTest(&query, &other, touching);
                if (!touching.touching_)
                    return;
            }
            found.push_back(const_cast<NxShape*>(&shape));
        });
    }
    return found;
}
