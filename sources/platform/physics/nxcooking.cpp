#include "platform/physics/nxcooking.h"
#include <vector>
#include <LinearMath/btConvexHullComputer.h>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxuseroutputstream.h"
#include "platform/physics/nxvec3.h"

namespace {
NxVec3 pointAt(const void* base, NxU32 stride, NxU32 index)
{
    const auto* p = reinterpret_cast<const NxF32*>(static_cast<const NxU8*>(base) + std::size_t(stride) * index);
    return {p[0], p[1], p[2]};
}
} // namespace

bool NxCookingInterface::NxInitCooking(NxUserAllocator*, NxUserOutputStream* outputStream)
{
    output_ = outputStream;
    return true;
}

void NxCookingInterface::NxCloseCooking()
{
    output_ = nullptr;
}

void NxCookingInterface::fail(const char* message) const
{
    if (output_)
        output_->reportError(NXE_INVALID_PARAMETER, message, __FILE__, __LINE__);
}

bool NxCookingInterface::NxCookTriangleMesh(const NxTriangleMeshDesc& desc, NxStream& stream)
{
    if (!desc.points || !desc.triangles || desc.numVertices == 0 || desc.numTriangles == 0 ||
        desc.numVertices > kCookedMaxVertices || desc.numTriangles > kCookedMaxTriangles) {
        fail("cooking: a triangle mesh needs points and triangles");
        return false;
    }
    const bool shortIndices = (desc.flags & NX_MF_16_BIT_INDICES) != 0;
    const NxU32 pointStride = desc.pointStrideBytes ? desc.pointStrideBytes : 12;
    const NxU32 triangleStride = desc.triangleStrideBytes ? desc.triangleStrideBytes : (shortIndices ? 6 : 12);
    std::vector<NxU32> triangles(std::size_t(desc.numTriangles) * 3);
    for (NxU32 t = 0; t < desc.numTriangles; ++t) {
        const auto* base = static_cast<const NxU8*>(desc.triangles) + std::size_t(triangleStride) * t;
        for (int k = 0; k < 3; ++k) {
            const NxU32 index = shortIndices ? reinterpret_cast<const NxU16*>(base)[k] : reinterpret_cast<const NxU32*>(base)[k];
            if (index >= desc.numVertices) {
                fail("cooking: a triangle names a vertex that does not exist");
                return false;
            }
            triangles[t * 3 + k] = index;
        }
        if (desc.flags & NX_MF_FLIPNORMALS)
            std::swap(triangles[t * 3 + 1], triangles[t * 3 + 2]);
    }
    const bool materials = desc.materialIndices != nullptr;
    stream.storeDword(kCookedTriangleMeshMagic).storeDword(kCookedVersion);
    stream.storeDword(desc.numVertices).storeDword(desc.numTriangles).storeDword(materials ? 1 : 0);
    for (NxU32 v = 0; v < desc.numVertices; ++v) {
        const NxVec3 p = pointAt(desc.points, pointStride, v);
        stream.storeFloat(p.x).storeFloat(p.y).storeFloat(p.z);
    }
    stream.storeBuffer(triangles.data(), NxU32(triangles.size() * sizeof(NxU32)));
    if (materials) {
        const NxU32 stride = desc.materialIndexStride ? desc.materialIndexStride : 2;
        for (NxU32 t = 0; t < desc.numTriangles; ++t)
            stream.storeWord(*reinterpret_cast<const NxU16*>(static_cast<const NxU8*>(desc.materialIndices) +
                                                              std::size_t(stride) * t));
    }
    return true;
}

bool NxCookingInterface::NxCookConvexMesh(const NxConvexMeshDesc& desc, NxStream& stream)
{
    if (!desc.points || desc.numVertices < 4 || desc.numVertices > kCookedMaxVertices) {
        fail("cooking: a convex mesh needs at least four points");
        return false;
    }
    const NxU32 stride = desc.pointStrideBytes ? desc.pointStrideBytes : 12;
    std::vector<float> points(std::size_t(desc.numVertices) * 3);
    for (NxU32 v = 0; v < desc.numVertices; ++v) {
        const NxVec3 p = pointAt(desc.points, stride, v);
        points[v * 3] = p.x;
        points[v * 3 + 1] = p.y;
        points[v * 3 + 2] = p.z;
    }
    btConvexHullComputer hull;
    hull.compute(points.data(), 12, int(desc.numVertices), 0, 0);
    if (hull.vertices.size() < 4 || NxU32(hull.vertices.size()) > kCookedMaxHullPoints) {
        fail("cooking: the points do not span a convex hull of at most 256 points");
        return false;
    }
    // The given points, not the hull's own copies, which it rounds by up to about 1e-4 of the size.
    stream.storeDword(kCookedConvexMeshMagic).storeDword(kCookedVersion).storeDword(NxU32(hull.vertices.size()));
    for (int i = 0; i < hull.vertices.size(); ++i) {
        const float* p = &points[std::size_t(hull.original_vertex_index[i]) * 3];
        stream.storeFloat(p[0]).storeFloat(p[1]).storeFloat(p[2]);
    }
    return true;
}

NxCookingInterface* NxGetCookingLib(NxU32 sdkVersion)
{
    static NxCookingInterface cooking;
    return sdkVersion == NX_PHYSICS_SDK_VERSION ? &cooking : nullptr;
}
