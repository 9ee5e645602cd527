#pragma once
// The shape kinds.
#include <memory>
#include <vector>
#include "platform/physics/nxshape.h"

class NxBoxShape : public NxShape
{
public:
    NxBoxShape(NxActor& actor, const NxBoxShapeDesc& desc);
    void setDimensions(const NxVec3& halfExtents);
    NxVec3 getDimensions() const { return dimensions_; }
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    NxReal volume() const override;
    NxVec3 unitInertia() const override;

private:
    NxVec3 dimensions_;
};

class NxSphereShape : public NxShape
{
public:
    NxSphereShape(NxActor& actor, const NxSphereShapeDesc& desc);
    void setRadius(NxReal radius);
    NxReal getRadius() const { return radius_; }
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    NxReal volume() const override;
    NxVec3 unitInertia() const override;

private:
    NxReal radius_;
};

class NxCapsuleShape : public NxShape
{
public:
    NxCapsuleShape(NxActor& actor, const NxCapsuleShapeDesc& desc);
    void setDimensions(NxReal radius, NxReal height);
    void setRadius(NxReal radius) { setDimensions(radius, height_); }
    void setHeight(NxReal height) { setDimensions(radius_, height); }
    NxReal getRadius() const { return radius_; }
    NxReal getHeight() const { return height_; }
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    NxReal volume() const override;
    NxVec3 unitInertia() const override;

private:
    NxReal radius_;
    NxReal height_;
};

class NxConvexShape : public NxShape
{
public:
    NxConvexShape(NxActor& actor, const NxConvexShapeDesc& desc);
    ~NxConvexShape() override;
    NxConvexMesh& getConvexMesh() const { return mesh_; }
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    NxReal volume() const override;
    NxVec3 unitInertia() const override;
    void localBounds(NxVec3& min, NxVec3& max) const override; // of the hull's points, without the margin

private:
    NxConvexMesh& mesh_;
};

// The triangles of one mesh shape near the last short ray a caller cast at it, in the tree's
// order and the shape's space: a wheel's ground ray, cast every sub-step from about the same
// place, is tested against them alone while it stays inside their box.
struct NxMeshRayCache
{
    struct TTriangle
    {
        NxVec3 v[3];
        int index;
    };
    NxU32 serial = 0; // the shape's; 0 = empty
    NxVec3 min, max;
    std::vector<TTriangle> triangles;
};

// A caller's caches for the two meshes it met last.
struct NxMeshRayCaches
{
    NxMeshRayCache slot[2];
    NxU32 next = 0;
    NxMeshRayCache& of(NxU32 serial)
    {
        for (NxMeshRayCache& cache : slot)
            if (cache.serial == serial)
                return cache;
        NxMeshRayCache& cache = slot[next];
        next ^= 1;
        cache.serial = 0;
        return cache;
    }
};

class NxTriangleMeshShape : public NxShape
{
public:
    NxTriangleMeshShape(NxActor& actor, const NxTriangleMeshShapeDesc& desc);
    ~NxTriangleMeshShape() override;
    NxTriangleMesh& getTriangleMesh() const { return mesh_; }
    // Reports, in batches, the indices of the triangles that touch a world-space box.
    NxU32 overlapAABBTriangles(const NxBounds3& worldBounds, NxU32 flags, NxUserEntityReport<NxU32>* callback) const;
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    // The same hit as raycastLocal, found among the cached triangles (refilled when the ray
    // leaves their box or the cache holds another shape's).
    bool raycastLocalCached(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit,
                            NxMeshRayCache& cache) const;
    NxU32 serial() const { return serial_; }
    NxReal volume() const override;
    NxVec3 unitInertia() const override;

private:
    NxTriangleMesh& mesh_;
    const NxU32 serial_;
};

enum NxQueryFlags { NX_QUERY_WORLD_SPACE = 1 << 0, NX_QUERY_FIRST_CONTACT = 1 << 1 };

class NxHeightFieldShape : public NxShape
{
public:
    NxHeightFieldShape(NxActor& actor, const NxHeightFieldShapeDesc& desc);
    ~NxHeightFieldShape() override;
    NxHeightField& getHeightField() const { return field_; }
    NxReal getHeightScale() const { return heightScale_; }
    NxReal getRowScale() const { return rowScale_; }
    NxReal getColumnScale() const { return columnScale_; }
    // Carried only: holes and per-sample materials are not simulated.
    NxMaterialIndex getMaterialIndexHighBits() const { return materialIndexHighBits_; }
    NxMaterialIndex getHoleMaterial() const { return holeMaterial_; }
    NxU32 getMeshFlags() const { return meshFlags_; }
    // The height of the surface above a point of the shape's frame (x along rows, z along columns).
    NxReal getHeightAtShapePoint(NxReal x, NxReal z) const;
    bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const override;
    NxReal volume() const override { return 0; }
    NxVec3 unitInertia() const override { return NxVec3(); }
    NxMat34 collisionOffset() const override;

private:
    NxHeightField& field_;
    NxReal heightScale_;
    NxReal rowScale_;
    NxReal columnScale_;
    NxMaterialIndex materialIndexHighBits_;
    NxMaterialIndex holeMaterial_;
    NxU32 meshFlags_;
};
