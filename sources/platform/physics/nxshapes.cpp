#include "platform/physics/nxshapes.h"
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <btBulletCollisionCommon.h>
#include <BulletCollision/CollisionShapes/btHeightfieldTerrainShape.h>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxconvexmesh.h"
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxtrianglemesh.h"
#include "platform/physics/nxwheelshape.h"

namespace {
constexpr NxReal kPi = std::numbers::pi_v<NxReal>;
// The back end keeps a margin around convex hulls; a small one keeps their surface where it is.
constexpr btScalar kHullMargin = 0.01f;

// Entry distance of a ray into a slab-bounded box [min, max]; false when it misses within maxDist.
bool raySlabs(const NxVec3& origin, const NxVec3& dir, const NxVec3& min, const NxVec3& max, NxReal maxDist,
              NxReal& tEnter, int& enterAxis, NxReal& tExit)
{
    tEnter = -std::numeric_limits<NxReal>::max();
    tExit = maxDist;
    enterAxis = -1;
    for (int a = 0; a < 3; ++a) {
        if (dir[a] == 0) {
            if (origin[a] < min[a] || origin[a] > max[a])
                return false;
            continue;
        }
        NxReal t1 = (min[a] - origin[a]) / dir[a];
        NxReal t2 = (max[a] - origin[a]) / dir[a];
        if (t1 > t2)
            std::swap(t1, t2);
        if (t1 > tEnter) {
            tEnter = t1;
            enterAxis = a;
        }
        tExit = std::min(tExit, t2);
        if (tEnter > tExit)
            return false;
    }
    return tExit >= 0;
}

// A hit from inside a volume is at distance 0, facing back along the ray.
bool hitInside(const NxVec3& origin, const NxVec3& dir, NxRaycastHit& hit)
{
    hit.distance = 0;
    hit.worldImpact = origin;
    hit.worldNormal = -dir;
    return true;
}

bool raySphere(const NxVec3& origin, const NxVec3& dir, const NxVec3& centre, NxReal radius, NxReal maxDist,
               NxReal& t)
{
    const NxVec3 m = origin - centre;
    const NxReal b = m.dot(dir);
    const NxReal c = m.magnitudeSquared() - radius * radius;
    if (c > 0 && b > 0)
        return false;
    const NxReal discriminant = b * b - c;
    if (discriminant < 0)
        return false;
    t = std::max(NxReal(0), -b - std::sqrt(discriminant));
    return t <= maxDist;
}

void setLocalHit(const NxVec3& origin, const NxVec3& dir, NxReal t, const NxVec3& normal, NxRaycastHit& hit)
{
    hit.distance = t;
    hit.worldImpact = origin + dir * t;
    hit.worldNormal = normal;
    hit.faceID = 0;
    hit.u = hit.v = 0;
}
} // namespace

NxBoxShape::NxBoxShape(NxActor& actor, const NxBoxShapeDesc& desc)
    : NxShape(actor, desc, new btBoxShape(toBt(desc.dimensions))), dimensions_(desc.dimensions)
{
}

void NxBoxShape::setDimensions(const NxVec3& halfExtents)
{
    dimensions_ = halfExtents;
    delete collisionShape_;
    collisionShape_ = new btBoxShape(toBt(halfExtents));
    collisionShapeChanged();
}

bool NxBoxShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    NxReal tEnter, tExit;
    int axis;
    if (!raySlabs(origin, dir, -dimensions_, dimensions_, maxDist, tEnter, axis, tExit))
        return false;
    if (tEnter < 0 || axis < 0)
        return hitInside(origin, dir, hit);
    NxVec3 normal;
    normal[axis] = dir[axis] > 0 ? -1.0f : 1.0f;
    setLocalHit(origin, dir, tEnter, normal, hit);
    return true;
}

NxReal NxBoxShape::volume() const
{
    return 8 * dimensions_.x * dimensions_.y * dimensions_.z;
}

NxVec3 NxBoxShape::unitInertia() const
{
    const NxVec3 d = dimensions_;
    return NxVec3(d.y * d.y + d.z * d.z, d.x * d.x + d.z * d.z, d.x * d.x + d.y * d.y) * (1.0f / 3.0f);
}

NxSphereShape::NxSphereShape(NxActor& actor, const NxSphereShapeDesc& desc)
    : NxShape(actor, desc, new btSphereShape(desc.radius)), radius_(desc.radius)
{
}

void NxSphereShape::setRadius(NxReal radius)
{
    radius_ = radius;
    delete collisionShape_;
    collisionShape_ = new btSphereShape(radius);
    collisionShapeChanged();
}

bool NxSphereShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    NxReal t;
    if (!raySphere(origin, dir, NxVec3(), radius_, maxDist, t))
        return false;
    if (t == 0)
        return hitInside(origin, dir, hit);
    NxVec3 normal = origin + dir * t;
    normal.normalize();
    setLocalHit(origin, dir, t, normal, hit);
    return true;
}

NxReal NxSphereShape::volume() const
{
    return 4.0f / 3.0f * kPi * radius_ * radius_ * radius_;
}

NxVec3 NxSphereShape::unitInertia() const
{
    return NxVec3(0.4f * radius_ * radius_);
}

NxCapsuleShape::NxCapsuleShape(NxActor& actor, const NxCapsuleShapeDesc& desc)
    : NxShape(actor, desc, new btCapsuleShape(desc.radius, desc.height)), radius_(desc.radius), height_(desc.height)
{
}

void NxCapsuleShape::setDimensions(NxReal radius, NxReal height)
{
    radius_ = radius;
    height_ = height;
    delete collisionShape_;
    collisionShape_ = new btCapsuleShape(radius, height);
    collisionShapeChanged();
}

bool NxCapsuleShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    const NxReal half = height_ * 0.5f;
    NxReal best = std::numeric_limits<NxReal>::max();
    NxVec3 normal;
    // The side: the infinite cylinder about Y, kept where it lies between the caps.
    const NxReal a = dir.x * dir.x + dir.z * dir.z;
    const NxReal b = origin.x * dir.x + origin.z * dir.z;
    const NxReal c = origin.x * origin.x + origin.z * origin.z - radius_ * radius_;
    if (c <= 0 && std::fabs(origin.y) <= half)
        return hitInside(origin, dir, hit);
    if (a > 0) {
        const NxReal discriminant = b * b - a * c;
        if (discriminant >= 0) {
            const NxReal t = (-b - std::sqrt(discriminant)) / a;
            const NxReal y = origin.y + dir.y * t;
            if (t >= 0 && t <= maxDist && std::fabs(y) <= half) {
                best = t;
                normal = NxVec3(origin.x + dir.x * t, 0, origin.z + dir.z * t);
            }
        }
    }
    for (const NxReal capY : {-half, half}) {
        NxReal t;
        if (raySphere(origin, dir, NxVec3(0, capY, 0), radius_, maxDist, t) && t < best) {
            if (t == 0)
                return hitInside(origin, dir, hit);
            best = t;
            normal = origin + dir * t - NxVec3(0, capY, 0);
        }
    }
    if (best > maxDist)
        return false;
    normal.normalize();
    setLocalHit(origin, dir, best, normal, hit);
    return true;
}

NxReal NxCapsuleShape::volume() const
{
    return kPi * radius_ * radius_ * height_ + 4.0f / 3.0f * kPi * radius_ * radius_ * radius_;
}

NxVec3 NxCapsuleShape::unitInertia() const
{
    const NxReal r = radius_, h = height_;
    const NxReal cylinder = kPi * r * r * h, spheres = 4.0f / 3.0f * kPi * r * r * r;
    const NxReal mc = cylinder / (cylinder + spheres), ms = spheres / (cylinder + spheres);
    const NxReal across = mc * (3 * r * r + h * h) / 12 + ms * (0.4f * r * r + h * h / 4 + 3 * h * r / 8);
    const NxReal along = mc * r * r / 2 + ms * 0.4f * r * r;
    return {across, along, across};
}

namespace {
btCollisionShape* makeHull(const NxConvexMesh& mesh)
{
    auto* hull = new btConvexHullShape(&mesh.getPoints()->x, int(mesh.getPointCount()), sizeof(NxVec3));
    hull->setMargin(kHullMargin);
    return hull;
}

// Volume and unit inertia of a shape measured by its local bounds.
NxReal boundsVolume(const NxShape& shape)
{
    NxVec3 min, max;
    shape.localBounds(min, max);
    const NxVec3 size = max - min;
    return size.x * size.y * size.z;
}

NxVec3 boundsInertia(const NxShape& shape)
{
    NxVec3 min, max;
    shape.localBounds(min, max);
    const NxVec3 d = (max - min) * 0.5f;
    return NxVec3(d.y * d.y + d.z * d.z, d.x * d.x + d.z * d.z, d.x * d.x + d.y * d.y) * (1.0f / 3.0f);
}
} // namespace

NxConvexShape::NxConvexShape(NxActor& actor, const NxConvexShapeDesc& desc)
    : NxShape(actor, desc, makeHull(*desc.meshData)), mesh_(*desc.meshData)
{
    mesh_.addReference();
}

NxConvexShape::~NxConvexShape()
{
    mesh_.removeReference();
}

bool NxConvexShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    NxReal tEnter = -std::numeric_limits<NxReal>::max(), tExit = maxDist;
    NxVec3 normal;
    for (const NxConvexMesh::TPlane& plane : mesh_.planes()) {
        const NxReal denominator = plane.normal.dot(dir);
        const NxReal distance = plane.normal.dot(origin) + plane.d;
        if (denominator == 0) {
            if (distance > 0)
                return false;
            continue;
        }
        const NxReal t = -distance / denominator;
        if (denominator < 0) {
            if (t > tEnter) {
                tEnter = t;
                normal = plane.normal;
            }
        } else {
            tExit = std::min(tExit, t);
        }
        if (tEnter > tExit)
            return false;
    }
    if (tExit < 0)
        return false;
    if (tEnter < 0)
        return hitInside(origin, dir, hit);
    setLocalHit(origin, dir, tEnter, normal, hit);
    return true;
}

void NxConvexShape::localBounds(NxVec3& min, NxVec3& max) const
{
    min = max = mesh_.getPoints()[0];
    for (NxU32 i = 1; i < mesh_.getPointCount(); ++i)
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min(min[a], mesh_.getPoints()[i][a]);
            max[a] = std::max(max[a], mesh_.getPoints()[i][a]);
        }
}

NxReal NxConvexShape::volume() const
{
    return boundsVolume(*this);
}

NxVec3 NxConvexShape::unitInertia() const
{
    return boundsInertia(*this);
}

namespace {
// The nearest triangle along a ray, tested exactly (both faces) among the tree's candidates.
class TNearestTriangle : public btTriangleCallback
{
public:
    TNearestTriangle(const NxVec3& origin, const NxVec3& dir, NxReal maxDist) : origin_(origin), dir_(dir), best_(maxDist) {}

    void processTriangle(btVector3* triangle, int, int triangleIndex) override
    {
        const NxVec3 v0 = toNx(triangle[0]), e1 = toNx(triangle[1]) - v0, e2 = toNx(triangle[2]) - v0;
        const NxVec3 p = dir_.cross(e2);
        const NxReal det = e1.dot(p);
        if (det == 0)
            return;
        const NxReal inverse = 1.0f / det;
        const NxVec3 s = origin_ - v0;
        const NxReal u = s.dot(p) * inverse;
        if (u < 0 || u > 1)
            return;
        const NxVec3 q = s.cross(e1);
        const NxReal v = dir_.dot(q) * inverse;
        if (v < 0 || u + v > 1)
            return;
        const NxReal t = e2.dot(q) * inverse;
        if (t < 0 || t > best_ || (found_ && t == best_))
            return;
        found_ = true;
        best_ = t;
        u_ = u;
        v_ = v;
        face_ = NxU32(triangleIndex);
        normal_ = e1.cross(e2);
    }

    // The nearest triangle's hit from the ray's `origin` in the shape's space (the search may have
    // run shifted), its normal facing the ray; false when none was met.
    bool FillHit(const NxVec3& origin, NxRaycastHit& hit) const
    {
        if (!found_)
            return false;
        NxVec3 normal = normal_;
        normal.normalize();
        if (normal.dot(dir_) > 0)
            normal = -normal;
        setLocalHit(origin, dir_, best_, normal, hit);
        hit.faceID = hit.internalFaceID = face_;
        hit.u = u_;
        hit.v = v_;
        return true;
    }

    bool found_ = false;
    NxVec3 origin_, dir_, normal_;
    NxReal best_, u_ = 0, v_ = 0;
    NxU32 face_ = 0;
};
} // namespace

namespace {
// A cached ray's box reaches this far past the ray, so that a rolling wheel refills it every
// few sub-steps only; rays longer than the limit walk the tree.
constexpr NxReal kRayCacheMargin = 1.0f;
constexpr NxReal kRayCacheLongest = 8.0f;
std::atomic<NxU32> s_meshShapeSerial{0};

class TCollectTriangles : public btTriangleCallback
{
public:
    explicit TCollectTriangles(std::vector<NxMeshRayCache::TTriangle>& triangles) : triangles_(triangles) {}
    void processTriangle(btVector3* triangle, int, int triangleIndex) override
    {
        triangles_.push_back({{toNx(triangle[0]), toNx(triangle[1]), toNx(triangle[2])}, triangleIndex});
    }

private:
    std::vector<NxMeshRayCache::TTriangle>& triangles_;
};
} // namespace

NxTriangleMeshShape::NxTriangleMeshShape(NxActor& actor, const NxTriangleMeshShapeDesc& desc)
    : NxShape(actor, desc, desc.meshData->makeCollisionShape().release()), mesh_(*desc.meshData),
      serial_(++s_meshShapeSerial)
{
    mesh_.addReference();
}

NxTriangleMeshShape::~NxTriangleMeshShape()
{
    mesh_.removeReference();
}

bool NxTriangleMeshShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    // Only the part of the ray inside the mesh's bounds is walked, which keeps both ends finite.
    NxVec3 min, max;
    localBounds(min, max);
    const NxVec3 pad(1e-3f);
    NxReal tEnter, tExit;
    int axis;
    if (!raySlabs(origin, dir, min - pad, max + pad, maxDist, tEnter, axis, tExit))
        return false;
    tEnter = std::max(tEnter, NxReal(0));
    TNearestTriangle nearest(origin, dir, maxDist);
    const btVector3 from = toBt(origin + dir * tEnter), to = toBt(origin + dir * tExit);
    static_cast<btBvhTriangleMeshShape*>(collisionShape_)->performRaycast(&nearest, from, to);
    if (!nearest.FillHit(origin, hit))
        return false;
    if (mesh_.hasMaterials())
        hit.materialIndex = mesh_.getTriangleMaterial(nearest.face_);
    return true;
}

bool NxTriangleMeshShape::raycastLocalCached(const NxVec3& origin, const NxVec3& dir, NxReal maxDist,
                                             NxRaycastHit& hit, NxMeshRayCache& cache) const
{
    const NxVec3 end = origin + dir * maxDist;
    if (!(maxDist <= kRayCacheLongest) || !std::isfinite(end.x + end.y + end.z + origin.x + origin.y + origin.z))
        return raycastLocal(origin, dir, maxDist, hit);
    NxVec3 low, high;
    for (int a = 0; a < 3; ++a) {
        low[a] = std::min(origin[a], end[a]);
        high[a] = std::max(origin[a], end[a]);
    }
    bool inside = cache.serial == serial_;
    for (int a = 0; a < 3 && inside; ++a)
        inside = low[a] >= cache.min[a] && high[a] <= cache.max[a];
    if (!inside) {
        // The tree's box walk meets the triangles in the order its ray walk does, so the
        // nearest of equally near ones is the same.
        cache.serial = serial_;
        cache.min = low - NxVec3(kRayCacheMargin);
        cache.max = high + NxVec3(kRayCacheMargin);
        cache.triangles.clear();
        TCollectTriangles collect(cache.triangles);
        static_cast<btBvhTriangleMeshShape*>(collisionShape_)->processAllTriangles(&collect, toBt(cache.min), toBt(cache.max));
    }
    TNearestTriangle nearest(origin, dir, maxDist);
    for (const NxMeshRayCache::TTriangle& triangle : cache.triangles) {
        btVector3 corners[3] = {toBt(triangle.v[0]), toBt(triangle.v[1]), toBt(triangle.v[2])};
        nearest.processTriangle(corners, 0, triangle.index);
    }
    if (!nearest.FillHit(origin, hit))
        return false;
    if (mesh_.hasMaterials())
        hit.materialIndex = mesh_.getTriangleMaterial(nearest.face_);
    return true;
}

NxReal NxTriangleMeshShape::volume() const
{
    return boundsVolume(*this);
}

NxVec3 NxTriangleMeshShape::unitInertia() const
{
    return boundsInertia(*this);
}

namespace {
btCollisionShape* makeGrid(const NxHeightFieldShapeDesc& desc)
{
    const NxHeightField& field = *desc.heightField;
    auto* grid = new btHeightfieldTerrainShape(int(field.getNbRows()), int(field.getNbColumns()), field.gridHeights(),
                                               desc.heightScale, field.minHeight() * desc.heightScale,
                                               field.maxHeight() * desc.heightScale, 1, false);
    grid->setLocalScaling(btVector3(desc.rowScale, 1, desc.columnScale));
    return grid;
}
} // namespace

NxHeightFieldShape::NxHeightFieldShape(NxActor& actor, const NxHeightFieldShapeDesc& desc)
    : NxShape(actor, desc, makeGrid(desc)), field_(*desc.heightField), heightScale_(desc.heightScale),
      rowScale_(desc.rowScale), columnScale_(desc.columnScale), materialIndexHighBits_(desc.materialIndexHighBits),
      holeMaterial_(desc.holeMaterial), meshFlags_(desc.meshFlags)
{
    field_.addReference();
}

NxHeightFieldShape::~NxHeightFieldShape()
{
    field_.removeReference();
}

NxMat34 NxHeightFieldShape::collisionOffset() const
{
    // The back end centres its grid on the middle of its bounds.
    NxMat34 offset;
    offset.t = NxVec3(NxReal(field_.getNbRows() - 1) * 0.5f * rowScale_,
                      (NxReal(field_.minHeight()) + NxReal(field_.maxHeight())) * 0.5f * heightScale_,
                      NxReal(field_.getNbColumns() - 1) * 0.5f * columnScale_);
    return offset;
}

NxReal NxHeightFieldShape::getHeightAtShapePoint(NxReal x, NxReal z) const
{
    NxRaycastHit hit;
    const NxReal top = NxReal(field_.maxHeight()) * heightScale_ + 1;
    const NxReal depth = top - NxReal(field_.minHeight()) * heightScale_ + 2;
    return raycastLocal(NxVec3(x, top, z), NxVec3(0, -1, 0), depth, hit) ? hit.worldImpact.y : 0;
}

bool NxHeightFieldShape::raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const
{
    // The triangles under the ray's bounds, in the grid's centred frame.
    const NxVec3 shift = collisionOffset().t;
    NxVec3 min, max;
    localBounds(min, max);
    NxReal tEnter, tExit;
    int axis;
    if (!raySlabs(origin, dir, min - NxVec3(1e-3f), max + NxVec3(1e-3f), maxDist, tEnter, axis, tExit))
        return false;
    tEnter = std::max(tEnter, NxReal(0));
    const NxVec3 from = origin + dir * tEnter - shift, to = origin + dir * tExit - shift;
    NxVec3 low(std::min(from.x, to.x), std::min(from.y, to.y), std::min(from.z, to.z));
    NxVec3 high(std::max(from.x, to.x), std::max(from.y, to.y), std::max(from.z, to.z));
    TNearestTriangle nearest(origin - shift, dir, maxDist);
    static_cast<btHeightfieldTerrainShape*>(collisionShape_)->processAllTriangles(&nearest, toBt(low), toBt(high));
    return nearest.FillHit(origin, hit);
}

namespace {
// Separating-axis test of a triangle against an axis-aligned box (centre, half extents).
bool triangleTouchesBox(const NxVec3& c, const NxVec3& h, const NxVec3& a, const NxVec3& b, const NxVec3& d)
{
    const NxVec3 v[3] = {a - c, b - c, d - c};
    const NxVec3 e[3] = {v[1] - v[0], v[2] - v[1], v[0] - v[2]};
    auto separated = [&](const NxVec3& axis) {
        const NxReal p0 = axis.dot(v[0]), p1 = axis.dot(v[1]), p2 = axis.dot(v[2]);
        const NxReal r = h.x * std::fabs(axis.x) + h.y * std::fabs(axis.y) + h.z * std::fabs(axis.z);
        return std::min({p0, p1, p2}) > r || std::max({p0, p1, p2}) < -r;
    };
    for (int i = 0; i < 3; ++i) {
        NxVec3 axis;
        axis[i] = 1;
        if (separated(axis))
            return false;
        for (int j = 0; j < 3; ++j)
            if (separated(axis.cross(e[j])))
                return false;
    }
    return !separated(e[0].cross(e[1]));
}

class TBoxTriangles : public btTriangleCallback
{
public:
    TBoxTriangles(const NxMat34& pose, const NxBounds3& bounds) : pose_(pose)
    {
        centre_ = (bounds.min + bounds.max) * 0.5f;
        half_ = (bounds.max - bounds.min) * 0.5f;
    }
    void processTriangle(btVector3* t, int, int triangleIndex) override
    {
        if (triangleTouchesBox(centre_, half_, pose_ * toNx(t[0]), pose_ * toNx(t[1]), pose_ * toNx(t[2])))
            found_.push_back(NxU32(triangleIndex));
    }
    std::vector<NxU32> found_;

private:
    NxMat34 pose_;
    NxVec3 centre_, half_;
};
} // namespace

NxU32 NxTriangleMeshShape::overlapAABBTriangles(const NxBounds3& worldBounds, NxU32, NxUserEntityReport<NxU32>* callback) const
{
    const NxMat34 pose = getGlobalPose();
    // The world box in the mesh's frame, grown to stay axis-aligned there.
    const NxMat34 inverse = pose.inverseRT();
    const NxVec3 centre = inverse * ((worldBounds.min + worldBounds.max) * 0.5f);
    const NxVec3 half = (worldBounds.max - worldBounds.min) * 0.5f;
    NxVec3 extent;
    for (int r = 0; r < 3; ++r)
        extent[r] = std::fabs(inverse.M.m[r][0]) * half.x + std::fabs(inverse.M.m[r][1]) * half.y +
                    std::fabs(inverse.M.m[r][2]) * half.z;
    TBoxTriangles triangles(pose, worldBounds);
    static_cast<btBvhTriangleMeshShape*>(collisionShape_)->processAllTriangles(&triangles, toBt(centre - extent), toBt(centre + extent));
    std::sort(triangles.found_.begin(), triangles.found_.end());
    if (callback && !triangles.found_.empty()) {
        constexpr std::size_t kBatch = 64;
        for (std::size_t first = 0; first < triangles.found_.size(); first += kBatch) {
            const NxU32 count = NxU32(std::min(kBatch, triangles.found_.size() - first));
            if (!callback->onEvent(count, triangles.found_.data() + first))
                break;
        }
    }
    return NxU32(triangles.found_.size());
}

NxShape* NxShape::create(NxActor& actor, const NxShapeDesc& desc)
{
    switch (desc.type) {
    case NX_SHAPE_BOX:
        return new NxBoxShape(actor, static_cast<const NxBoxShapeDesc&>(desc));
    case NX_SHAPE_SPHERE:
        return new NxSphereShape(actor, static_cast<const NxSphereShapeDesc&>(desc));
    case NX_SHAPE_CAPSULE:
        return new NxCapsuleShape(actor, static_cast<const NxCapsuleShapeDesc&>(desc));
    case NX_SHAPE_CONVEX:
        if (!static_cast<const NxConvexShapeDesc&>(desc).meshData)
            return nullptr;
        return new NxConvexShape(actor, static_cast<const NxConvexShapeDesc&>(desc));
    case NX_SHAPE_MESH:
        if (!static_cast<const NxTriangleMeshShapeDesc&>(desc).meshData)
            return nullptr;
        return new NxTriangleMeshShape(actor, static_cast<const NxTriangleMeshShapeDesc&>(desc));
    case NX_SHAPE_HEIGHTFIELD:
        if (!static_cast<const NxHeightFieldShapeDesc&>(desc).heightField)
            return nullptr;
        return new NxHeightFieldShape(actor, static_cast<const NxHeightFieldShapeDesc&>(desc));
    case NX_SHAPE_WHEEL:
        return new NxWheelShape(actor, static_cast<const NxWheelShapeDesc&>(desc));
    default:
        return nullptr;
    }
}
