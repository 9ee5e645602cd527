#include "platform/physics/nxphysicssdk.h"
#include <algorithm>
#include <btBulletDynamicsCommon.h>
#include "platform/physics/nxconvexmesh.h"
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxtrianglemesh.h"
#include "platform/physics/nxuseroutputstream.h"

namespace {
// The rest a body needs before it may sleep, unless its own wake counter asks for more.
constexpr NxReal kDefaultWakeCounter = 0.39999998f;
} // namespace

NxPhysicsSDK::NxPhysicsSDK(NxUserOutputStream* output) : output_(output)
{
    std::fill(std::begin(parameters_), std::end(parameters_), 0.0f);
    parameters_[NX_SKIN_WIDTH] = 0.025f;
    parameters_[NX_DEFAULT_SLEEP_LIN_VEL_SQUARED] = 0.15f * 0.15f;
    parameters_[NX_DEFAULT_SLEEP_ANG_VEL_SQUARED] = 0.14f * 0.14f;
    parameters_[NX_BOUNCE_THRESHOLD] = -2;
    parameters_[NX_DYN_FRICT_SCALING] = 1;
    parameters_[NX_STA_FRICT_SCALING] = 1;
    parameters_[NX_MAX_ANGULAR_VELOCITY] = -1;
    gDeactivationTime = kDefaultWakeCounter;
}

NxPhysicsSDK::~NxPhysicsSDK()
{
    scenes_.clear();
}

bool NxPhysicsSDK::setParameter(NxParameter parameter, NxReal value)
{
    if (parameter < 0 || parameter >= NX_PARAMS_NUM_VALUES) {
        reportError(NXE_INVALID_PARAMETER, "setParameter: no such parameter", __FILE__, __LINE__);
        return false;
    }
    parameters_[parameter] = value;
    return true;
}

NxReal NxPhysicsSDK::getParameter(NxParameter parameter) const
{
    return parameter >= 0 && parameter < NX_PARAMS_NUM_VALUES ? parameters_[parameter] : 0.0f;
}

NxScene* NxPhysicsSDK::createScene(const NxSceneDesc& desc)
{
    scenes_.push_back(std::make_unique<NxScene>(*this, desc));
    return scenes_.back().get();
}

void NxPhysicsSDK::releaseScene(NxScene& scene)
{
    std::erase_if(scenes_, [&](const auto& s) { return s.get() == &scene; });
}

NxTriangleMesh* NxPhysicsSDK::createTriangleMesh(const NxStream& stream)
{
    std::unique_ptr<NxTriangleMesh> mesh = NxTriangleMesh::load(stream, output_);
    if (!mesh)
        return nullptr;
    triangleMeshes_.push_back(std::move(mesh));
    return triangleMeshes_.back().get();
}

void NxPhysicsSDK::releaseTriangleMesh(NxTriangleMesh& mesh)
{
    if (mesh.getReferenceCount()) {
        reportError(NXE_INVALID_OPERATION, "releaseTriangleMesh: shapes still use the mesh", __FILE__, __LINE__);
        return;
    }
    std::erase_if(triangleMeshes_, [&](const auto& m) { return m.get() == &mesh; });
}

NxConvexMesh* NxPhysicsSDK::createConvexMesh(const NxStream& stream)
{
    std::unique_ptr<NxConvexMesh> mesh = NxConvexMesh::load(stream, output_);
    if (!mesh)
        return nullptr;
    convexMeshes_.push_back(std::move(mesh));
    return convexMeshes_.back().get();
}

void NxPhysicsSDK::releaseConvexMesh(NxConvexMesh& mesh)
{
    if (mesh.getReferenceCount()) {
        reportError(NXE_INVALID_OPERATION, "releaseConvexMesh: shapes still use the mesh", __FILE__, __LINE__);
        return;
    }
    std::erase_if(convexMeshes_, [&](const auto& m) { return m.get() == &mesh; });
}

NxHeightField* NxPhysicsSDK::createHeightField(const NxHeightFieldDesc& desc)
{
    if (desc.nbRows < 2 || desc.nbColumns < 2 || !desc.samples || desc.format != NX_HF_S16_TM ||
        std::size_t(desc.nbRows) * desc.nbColumns > (1u << 24)) {
        reportError(NXE_INVALID_PARAMETER, "createHeightField: at least 2 x 2 samples of 16-bit heights are needed",
                    __FILE__, __LINE__);
        return nullptr;
    }
    heightFields_.push_back(std::make_unique<NxHeightField>(desc));
    return heightFields_.back().get();
}

void NxPhysicsSDK::releaseHeightField(NxHeightField& heightField)
{
    if (heightField.getReferenceCount()) {
        reportError(NXE_INVALID_OPERATION, "releaseHeightField: shapes still use the height field", __FILE__, __LINE__);
        return;
    }
    std::erase_if(heightFields_, [&](const auto& h) { return h.get() == &heightField; });
}

void NxPhysicsSDK::reportError(NxErrorCode code, const char* message, const char* file, int line) const
{
    if (output_)
        output_->reportError(code, message, file, line);
}

void NxPhysicsSDK::reportAssertViolation(const char* message, const char* file, int line) const
{
    if (output_)
        output_->reportAssertViolation(message, file, line);
}

void NxPhysicsSDK::print(const char* message) const
{
    if (output_)
        output_->print(message);
}

NxPhysicsSDK* NxCreatePhysicsSDK(NxU32 sdkVersion, NxUserAllocator*, NxUserOutputStream* outputStream,
                                 const NxPhysicsSDKDesc&, NxSDKCreateError* errorCode)
{
    if (sdkVersion != NX_PHYSICS_SDK_VERSION) {
        if (errorCode)
            *errorCode = NXCE_WRONG_VERSION;
        return nullptr;
    }
    if (errorCode)
        *errorCode = NXCE_NO_ERROR;
    return new NxPhysicsSDK(outputStream);
}
