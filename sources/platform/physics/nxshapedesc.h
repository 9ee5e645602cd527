#pragma once
// Shape descriptors. They are plain records that the engine keeps inside its stored objects
// (256 bytes at most), so they hold no pointers to tables: the first word names the kind.
#include <cstddef>
#include "platform/physics/nxmat34.h"

class NxTriangleMesh;
class NxConvexMesh;
class NxHeightField;
class NxUserWheelContactModify;

struct NxShapeDesc
{
    NxShapeType type;
    NxMat34 localPose;
    NxU32 shapeFlags = NX_SF_DEFAULT;
    NxCollisionGroup group = 0;
    NxMaterialIndex materialIndex = 0;
    NxReal density = 1;
    NxReal mass = -1;      // above 0: the shape's mass, else density x volume
    NxReal skinWidth = -1; // below 0: the SDK's skin width
    void* userData = nullptr;
    const char* name = nullptr;
    NxGroupsMask groupsMask;

    explicit NxShapeDesc(NxShapeType kind) : type(kind) {}
};
static_assert(offsetof(NxShapeDesc, localPose) == 4 && offsetof(NxShapeDesc, shapeFlags) == 52);
static_assert(sizeof(NxShapeDesc) == 96);

// Half extents.
struct NxBoxShapeDesc : NxShapeDesc
{
    NxVec3 dimensions;
    NxBoxShapeDesc() : NxShapeDesc(NX_SHAPE_BOX) {}
};

struct NxSphereShapeDesc : NxShapeDesc
{
    NxReal radius = 1;
    NxSphereShapeDesc() : NxShapeDesc(NX_SHAPE_SPHERE) {}
};

// Along the local Y axis; height is the distance between the centres of the two caps.
struct NxCapsuleShapeDesc : NxShapeDesc
{
    NxReal radius = 1;
    NxReal height = 1;
    NxCapsuleShapeDesc() : NxShapeDesc(NX_SHAPE_CAPSULE) {}
};

struct NxConvexShapeDesc : NxShapeDesc
{
    NxConvexMesh* meshData = nullptr;
    NxConvexShapeDesc() : NxShapeDesc(NX_SHAPE_CONVEX) {}
};

struct NxTriangleMeshShapeDesc : NxShapeDesc
{
    NxTriangleMesh* meshData = nullptr;
    NxTriangleMeshShapeDesc() : NxShapeDesc(NX_SHAPE_MESH) {}
};

// Slip turned into a force coefficient: rises to the extremum, falls to the asymptote, flat after.
struct NxTireFunctionDesc
{
    NxReal extremumSlip = 1;
    NxReal extremumValue = 0.02f;
    NxReal asymptoteSlip = 2;
    NxReal asymptoteValue = 0.01f;
    NxReal stiffnessFactor = 1000000;

    NxReal hermiteEval(NxReal slip) const;
};

struct NxSpringDesc
{
    NxReal spring = 0;
    NxReal damper = 0;
    NxReal targetValue = 0;
};

enum NxWheelShapeFlags : NxU32 {
    NX_WF_WHEEL_AXIS_CONTACT_NORMAL = 1 << 0,
    NX_WF_INPUT_LAT_SLIPVELOCITY = 1 << 1,
    NX_WF_INPUT_LNG_SLIPVELOCITY = 1 << 2,
    NX_WF_UNSCALED_SPRING_BEHAVIOR = 1 << 3,
    NX_WF_AXLE_SPEED_OVERRIDE = 1 << 4,
    NX_WF_EMULATE_LEGACY_WHEEL = 1 << 5,
    NX_WF_CLAMPED_FRICTION = 1 << 6,
};

// A ray-cast wheel: the local pose is the top of the suspension, the suspension runs down the
// local -Y axis, the wheel rolls about local X and steers about local Y.
struct NxWheelShapeDesc : NxShapeDesc
{
    NxReal radius = 1;
    NxReal suspensionTravel = 1;
    NxSpringDesc suspension;
    NxTireFunctionDesc longitudalTireForceFunction;
    NxTireFunctionDesc lateralTireForceFunction;
    NxReal inverseWheelMass = 1;
    NxU32 wheelFlags = 0;
    NxReal motorTorque = 0;
    NxReal brakeTorque = 0;
    NxReal steerAngle = 0; // radians
    NxUserWheelContactModify* wheelContactModify = nullptr;
    NxWheelShapeDesc() : NxShapeDesc(NX_SHAPE_WHEEL) {}
};

struct NxHeightFieldShapeDesc : NxShapeDesc
{
    NxHeightField* heightField = nullptr;
    NxReal heightScale = 1;
    NxReal rowScale = 1;
    NxReal columnScale = 1;
    NxMaterialIndex materialIndexHighBits = 0;
    NxMaterialIndex holeMaterial = 0;
    NxU32 meshFlags = 0;
    NxHeightFieldShapeDesc() : NxShapeDesc(NX_SHAPE_HEIGHTFIELD) {}
};

static_assert(sizeof(NxBoxShapeDesc) <= 256 && sizeof(NxSphereShapeDesc) <= 256 && sizeof(NxCapsuleShapeDesc) <= 256);
static_assert(sizeof(NxConvexShapeDesc) <= 256 && sizeof(NxTriangleMeshShapeDesc) <= 256);
static_assert(sizeof(NxWheelShapeDesc) <= 256 && sizeof(NxHeightFieldShapeDesc) <= 256);
