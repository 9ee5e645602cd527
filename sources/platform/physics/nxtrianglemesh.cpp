#include "platform/physics/nxtrianglemesh.h"
#include <cstdint>
#include <btBulletCollisionCommon.h>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxuseroutputstream.h"

namespace {
std::unique_ptr<NxTriangleMesh> refuse(NxUserOutputStream* errors, const char* message)
{
    if (errors)
        errors->reportError(NXE_INVALID_PARAMETER, message, __FILE__, __LINE__);
    return nullptr;
}
} // namespace

NxTriangleMesh::NxTriangleMesh(std::vector<NxVec3> vertices, std::vector<NxU32> triangles,
                               std::vector<NxMaterialIndex> materials)
    : vertices_(std::move(vertices)), triangles_(std::move(triangles)), materials_(std::move(materials))
{
    arrays_ = std::make_unique<btTriangleIndexVertexArray>(
        int(getTriangleCount()), reinterpret_cast<int*>(triangles_.data()), int(3 * sizeof(NxU32)),
        int(vertices_.size()), reinterpret_cast<btScalar*>(vertices_.data()), int(sizeof(NxVec3)));
    tree_ = std::make_unique<btBvhTriangleMeshShape>(arrays_.get(), true, true);
}

NxTriangleMesh::~NxTriangleMesh() = default;

std::unique_ptr<NxTriangleMesh> NxTriangleMesh::load(const NxStream& stream, NxUserOutputStream* errors)
{
    if (stream.readDword() != kCookedTriangleMeshMagic)
        return refuse(errors, "createTriangleMesh: not a cooked triangle mesh");
    if (stream.readDword() != kCookedVersion)
        return refuse(errors, "createTriangleMesh: cooked with another version");
    const NxU32 vertexCount = stream.readDword();
    const NxU32 triangleCount = stream.readDword();
    const NxU32 materialFlag = stream.readDword();
    if (vertexCount == 0 || triangleCount == 0 || vertexCount > kCookedMaxVertices ||
        triangleCount > kCookedMaxTriangles || materialFlag > 1)
        return refuse(errors, "createTriangleMesh: damaged cooked mesh header");
    const std::uint64_t bodyBytes = std::uint64_t(vertexCount) * sizeof(NxVec3) +
                                    std::uint64_t(triangleCount) * (3 * sizeof(NxU32) + materialFlag * sizeof(NxU16));
    if (bodyBytes > stream.getAvailableBytes())
        return refuse(errors, "createTriangleMesh: the cooked mesh is shorter than its header claims");
    std::vector<NxVec3> vertices(vertexCount);
    for (NxVec3& v : vertices) {
        v.x = stream.readFloat();
        v.y = stream.readFloat();
        v.z = stream.readFloat();
    }
    std::vector<NxU32> triangles(std::size_t(triangleCount) * 3);
    stream.readBuffer(triangles.data(), NxU32(triangles.size() * sizeof(NxU32)));
    for (NxU32 index : triangles)
        if (index >= vertexCount)
            return refuse(errors, "createTriangleMesh: a triangle names a vertex that does not exist");
    std::vector<NxMaterialIndex> materials(materialFlag ? triangleCount : 0);
    for (NxMaterialIndex& m : materials)
        m = stream.readWord();
    return std::make_unique<NxTriangleMesh>(std::move(vertices), std::move(triangles), std::move(materials));
}

NxU32 NxTriangleMesh::getCount(NxU32, NxInternalArray array) const
{
    switch (array) {
    case NX_ARRAY_TRIANGLES: return getTriangleCount();
    case NX_ARRAY_VERTICES: return getVertexCount();
    default: return 0;
    }
}

NxInternalFormat NxTriangleMesh::getFormat(NxU32, NxInternalArray array) const
{
    switch (array) {
    case NX_ARRAY_TRIANGLES: return NX_FORMAT_INT;
    case NX_ARRAY_VERTICES: return NX_FORMAT_FLOAT;
    default: return NX_FORMAT_NODATA;
    }
}

const void* NxTriangleMesh::getBase(NxU32, NxInternalArray array) const
{
    switch (array) {
    case NX_ARRAY_TRIANGLES: return triangles_.data();
    case NX_ARRAY_VERTICES: return vertices_.data();
    default: return nullptr;
    }
}

NxU32 NxTriangleMesh::getStride(NxU32, NxInternalArray array) const
{
    switch (array) {
    case NX_ARRAY_TRIANGLES: return 3 * sizeof(NxU32);
    case NX_ARRAY_VERTICES: return sizeof(NxVec3);
    default: return 0;
    }
}

NxMaterialIndex NxTriangleMesh::getTriangleMaterial(NxU32 triangleIndex) const
{
    return triangleIndex < materials_.size() ? materials_[triangleIndex] : NxMaterialIndex(0xffff);
}

std::unique_ptr<btBvhTriangleMeshShape> NxTriangleMesh::makeCollisionShape() const
{
    auto shape = std::make_unique<btBvhTriangleMeshShape>(arrays_.get(), true, false);
    shape->setOptimizedBvh(tree_->getOptimizedBvh());
    return shape;
}
