#include "platform/physics/scenequeries.h"
#include <algorithm>
#include <cmath>
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

bool rayHitsShape(const NxShape& shape, const NxRay& ray, NxReal maxDist, NxRaycastHit& hit,
                  NxMeshRayCaches* caches = nullptr)
{
    const NxMat34 pose = shape.getGlobalPose();
    const NxVec3 origin = pose.multiplyByInverseRT(ray.orig);
    const NxVec3 dir = pose.M.multiplyByTranspose(ray.dir);
    if (caches && shape.getType() == NX_SHAPE_MESH) {
        const auto& mesh = static_cast<const NxTriangleMeshShape&>(shape);
        if (!mesh.raycastLocalCached(origin, dir, maxDist, hit, caches->of(mesh.serial())))
            return false;
    } else if (!shape.raycastLocal(origin, dir, maxDist, hit))
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

template <class Visit> class TBoxCandidates : public btBroadphaseAabbCallback
{
public:
    explicit TBoxCandidates(Visit& visit) : visit_(visit) {}
    bool process(const btBroadphaseProxy* proxy) override
    {
        visit_(static_cast<const btCollisionObject*>(proxy->m_clientObject));
        return true;
    }

private:
    Visit& visit_;
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

// Squared distance from the segment a..b to the box of half extents e about the origin. The
// distance is convex along the segment and quadratic between the points where the segment
// crosses a face plane: each such piece's least value is found exactly.
btScalar segmentBoxDistance2(const btVector3& a, const btVector3& b, const btVector3& e)
{
    const btVector3 d = b - a;
    btScalar cuts[8] = {0, 1};
    int count = 2;
    for (int i = 0; i < 3; ++i)
        for (const btScalar face : {-e[i], e[i]})
            if (d[i] != 0) {
                const btScalar t = (face - a[i]) / d[i];
                if (t > 0 && t < 1)
                    cuts[count++] = t;
            }
    std::sort(cuts, cuts + count);
    const auto distance2 = [&](btScalar t) {
        btScalar sum = 0;
        for (int i = 0; i < 3; ++i) {
            const btScalar outside = std::abs(a[i] + t * d[i]) - e[i];
            if (outside > 0)
                sum += outside * outside;
        }
        return sum;
    };
    btScalar best = BT_LARGE_FLOAT;
    for (int k = 0; k + 1 < count; ++k) {
        // Which faces the piece lies beyond, read at its middle: the distance is
        // sum((a + t d - face)^2) over those axes, least where its slope is zero.
        const btScalar low = cuts[k], high = cuts[k + 1], middle = (low + high) / 2;
        btScalar square = 0, slope = 0;
        for (int i = 0; i < 3; ++i) {
            const btScalar x = a[i] + middle * d[i];
            if (x > e[i] || x < -e[i]) {
                square += d[i] * d[i];
                slope += (a[i] - (x > 0 ? e[i] : -e[i])) * d[i];
            }
        }
        const btScalar t = square > 0 ? std::clamp(-slope / square, low, high) : low;
        best = std::min(best, distance2(t));
    }
    return best;
}

// Whether a capsule touches a box as the back end's narrow phase sees them: both are their
// cores (a segment, a box shrunk by its margin) grown by their margins. A camera arm's tries
// against scenery make this the common case, which the general test answers several times slower.
bool capsuleTouchesBox(const btCapsuleShape& capsule, const btTransform& capsulePose, const btBoxShape& box,
                       const btTransform& boxPose)
{
    btVector3 half(0, 0, 0);
    half[capsule.getUpAxis()] = capsule.getHalfHeight();
    const btVector3 axis = capsulePose.getBasis() * half;
    const btVector3 a = boxPose.invXform(capsulePose.getOrigin() - axis);
    const btVector3 b = boxPose.invXform(capsulePose.getOrigin() + axis);
    const btScalar reach = capsule.getMargin() + box.getMargin();
    return segmentBoxDistance2(a, b, box.getHalfExtentsWithoutMargin()) <= reach * reach;
}

// Whether a volume touches a shape (its back end's volume at shapePose) by the back end's
// narrow phase.
bool touches(btCollisionWorld& world, const btCollisionShape& volume, const btTransform& pose, const NxShape& shape,
             const btTransform& shapePose)
{
    btCollisionObject query, other;
    query.setCollisionShape(const_cast<btCollisionShape*>(&volume));
    query.setWorldTransform(pose);
    other.setCollisionShape(shape.collisionShape());
    other.setWorldTransform(shapePose);
    TTouching touching;
    world.contactPairTest(&query, &other, touching);
    return touching.touching_;
}

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

NxShape* TSceneQueries::groundHit(const NxRay& ray, NxReal maxDist, const NxShape& wheel, NxRaycastHit& hit,
                                  NxMeshRayCaches& caches) const
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
            if (rayHitsShape(shape, ray, bestDistance, candidate, &caches) &&
                (!best || candidate.distance < bestDistance)) {
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
    const btCapsuleShape* capsule = volume.getShapeType() == CAPSULE_SHAPE_PROXYTYPE
                                        ? static_cast<const btCapsuleShape*>(&volume)
                                        : nullptr;
    std::vector<NxShape*> found;
    auto visit = [&](const btCollisionObject* object) {
        forShapesOf(object, [&](const NxShape& shape) {
            if ((limit && found.size() >= limit) || !shapeAccepted(shape, filter, pairs, false))
                return;
            const NxMat34 shapePose = shape.getGlobalPose();
            // A capsule against a box is answered exactly at once, in less time than bounds take.
            if (accurate && capsule && shape.collisionShape()->getShapeType() == BOX_SHAPE_PROXYTYPE) {
                if (capsuleTouchesBox(*capsule, pose, *static_cast<const btBoxShape*>(shape.collisionShape()),
                                      toBt(shapePose * shape.collisionOffset())))
                    found.push_back(const_cast<NxShape*>(&shape));
                return;
            }
            const NxBounds3 bounds = shape.boundsAt(shapePose);
            if (bounds.min.x > max.x() || bounds.max.x < min.x() || bounds.min.y > max.y() || bounds.max.y < min.y() ||
                bounds.min.z > max.z() || bounds.max.z < min.z())
                return;
            if (accurate && !touches(scene_.world().dynamics(), volume, pose, shape,
                                     toBt(shapePose * shape.collisionOffset())))
                return;
            found.push_back(const_cast<NxShape*>(&shape));
        });
    };
    TBoxCandidates<decltype(visit)> candidates(visit);
    scene_.world().broadphase().aabbTest(min, max, candidates);
    return found;
}
