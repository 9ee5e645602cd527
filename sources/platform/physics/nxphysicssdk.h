#pragma once
// The SDK object: parameters, scenes and the meshes shared by them.
#include <memory>
#include <vector>
#include "platform/physics/nxscenedesc.h"

class NxUserOutputStream;
class NxUserAllocator;
class NxScene;
class NxStream;
class NxTriangleMesh;
class NxConvexMesh;
class NxHeightField;
struct NxHeightFieldDesc;

// Carried only: there is no hardware to size here.
struct NxPhysicsSDKDesc
{
    NxU32 hwPageSize = 65536;
    NxU32 hwPageMax = 256;
    NxU32 hwConvexMax = 2048;
    NxU32 cookerThreadMask = 0;
    NxU32 flags = 0;
};

class NxPhysicsSDK
{
public:
    explicit NxPhysicsSDK(NxUserOutputStream* output);
    ~NxPhysicsSDK();
    NxPhysicsSDK(const NxPhysicsSDK&) = delete;
    NxPhysicsSDK& operator=(const NxPhysicsSDK&) = delete;

    void release() { delete this; }
    bool setParameter(NxParameter parameter, NxReal value);
    NxReal getParameter(NxParameter parameter) const;

    // A scene is always made (in software); the descriptor's hardware request is accepted.
    NxScene* createScene(const NxSceneDesc& desc);
    void releaseScene(NxScene& scene);
    NxU32 getNbScenes() const { return NxU32(scenes_.size()); }
    NxScene* getScene(NxU32 i) const { return i < scenes_.size() ? scenes_[i].get() : nullptr; }

    // From our cooked format; null (reported on the output stream) for data that are not one.
    NxTriangleMesh* createTriangleMesh(const NxStream& stream);
    void releaseTriangleMesh(NxTriangleMesh& mesh);
    NxU32 getNbTriangleMeshes() const { return NxU32(triangleMeshes_.size()); }
    NxConvexMesh* createConvexMesh(const NxStream& stream);
    void releaseConvexMesh(NxConvexMesh& mesh);
    NxU32 getNbConvexMeshes() const { return NxU32(convexMeshes_.size()); }

    // Null (reported) for a grid of fewer than 2 x 2 samples or without samples.
    NxHeightField* createHeightField(const NxHeightFieldDesc& desc);
    void releaseHeightField(NxHeightField& heightField);
    NxU32 getNbHeightFields() const { return NxU32(heightFields_.size()); }

    // Layer side: reports through the engine's output stream. A failed assertion goes on
    // whatever the answer: a trap would end a release process.
    NxUserOutputStream* output() const { return output_; }
    void reportError(NxErrorCode code, const char* message, const char* file, int line) const;
    void reportAssertViolation(const char* message, const char* file, int line) const;
    void print(const char* message) const;

private:
    NxUserOutputStream* output_;
    NxReal parameters_[NX_PARAMS_NUM_VALUES];
    std::vector<std::unique_ptr<NxScene>> scenes_;
    std::vector<std::unique_ptr<NxTriangleMesh>> triangleMeshes_;
    std::vector<std::unique_ptr<NxConvexMesh>> convexMeshes_;
    std::vector<std::unique_ptr<NxHeightField>> heightFields_;
};

// Never fails here; null only for another SDK version.
NxPhysicsSDK* NxCreatePhysicsSDK(NxU32 sdkVersion, NxUserAllocator* allocator = nullptr,
                                 NxUserOutputStream* outputStream = nullptr, const NxPhysicsSDKDesc& desc = NxPhysicsSDKDesc(),
                                 NxSDKCreateError* errorCode = nullptr);
