#pragma once
// Cooking: mesh descriptors turned into our cooked format (cookedformat.h) through a stream,
// read back by NxPhysicsSDK::createTriangleMesh and createConvexMesh.
#include "platform/physics/nxtypes.h"

class NxStream;
class NxUserOutputStream;
class NxUserAllocator;

enum NxMeshFlags { NX_MF_FLIPNORMALS = 1 << 0, NX_MF_16_BIT_INDICES = 1 << 1 };
enum NxConvexFlags { NX_CF_COMPUTE_CONVEX = 1 << 0 };

struct NxTriangleMeshDesc
{
    NxU32 numVertices = 0;
    NxU32 numTriangles = 0;
    NxU32 pointStrideBytes = 0;
    NxU32 triangleStrideBytes = 0;
    const void* points = nullptr;    // 3 floats at each stride
    const void* triangles = nullptr; // 3 indices (32-bit, or 16-bit with NX_MF_16_BIT_INDICES)
    NxU32 flags = 0;
    NxU32 materialIndexStride = 0;
    const void* materialIndices = nullptr; // one u16 per triangle, or none
};

struct NxConvexMeshDesc
{
    NxU32 numVertices = 0;
    NxU32 pointStrideBytes = 0;
    const void* points = nullptr;
    NxU32 flags = 0; // the hull is always computed from the points
};

class NxCookingInterface
{
public:
    bool NxInitCooking(NxUserAllocator* allocator = nullptr, NxUserOutputStream* outputStream = nullptr);
    void NxCloseCooking();
    // false (with the reason on the output stream) for an invalid descriptor; nothing is written then.
    bool NxCookTriangleMesh(const NxTriangleMeshDesc& desc, NxStream& stream);
    bool NxCookConvexMesh(const NxConvexMeshDesc& desc, NxStream& stream);

private:
    void fail(const char* message) const;
    NxUserOutputStream* output_ = nullptr;
};

// The one cooking interface of the process; null for another SDK version.
NxCookingInterface* NxGetCookingLib(NxU32 sdkVersion);
