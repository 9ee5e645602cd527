#include "platform/physics/nxconvexmesh.h"
#include <LinearMath/btGeometryUtil.h>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxuseroutputstream.h"

NxConvexMesh::NxConvexMesh(std::vector<NxVec3> points) : points_(std::move(points))
{
    btAlignedObjectArray<btVector3> vertices, planes;
    for (const NxVec3& p : points_)
        vertices.push_back(btVector3(p.x, p.y, p.z));
    btGeometryUtil::getPlaneEquationsFromVertices(vertices, planes);
    for (int i = 0; i < planes.size(); ++i)
        planes_.push_back({{planes[i].x(), planes[i].y(), planes[i].z()}, planes[i][3]});
}

std::unique_ptr<NxConvexMesh> NxConvexMesh::load(const NxStream& stream, NxUserOutputStream* errors)
{
    const NxU32 magic = stream.readDword();
    const NxU32 version = stream.readDword();
    const NxU32 count = stream.readDword();
    if (magic != kCookedConvexMeshMagic || version != kCookedVersion || count < 4 || count > kCookedMaxHullPoints) {
        if (errors)
            errors->reportError(NXE_INVALID_PARAMETER, "createConvexMesh: not a cooked convex mesh of this version",
                                __FILE__, __LINE__);
        return nullptr;
    }
    std::vector<NxVec3> points(count);
    for (NxVec3& p : points) {
        p.x = stream.readFloat();
        p.y = stream.readFloat();
        p.z = stream.readFloat();
    }
    return std::make_unique<NxConvexMesh>(std::move(points));
}
