#pragma once
// Scalar types, enumerations and flag words of the physics SDK layer. The flag values are the
// ones the engine's stored descriptors and data carry, so they are fixed here once.
#include <cstdint>

using NxReal = float;
using NxF32 = float;
using NxF64 = double;
using NxU8 = std::uint8_t;
using NxU16 = std::uint16_t;
using NxU32 = std::uint32_t;
using NxI16 = std::int16_t;
using NxI32 = std::int32_t;
using NxCollisionGroup = NxU16;   // 0 to 31
using NxActorGroup = NxU16;
using NxDominanceGroup = NxU16;   // 0 to 31
using NxMaterialIndex = NxU16;

constexpr NxU32 NX_PHYSICS_SDK_VERSION = 0x02080100;
constexpr NxU32 NX_NUM_COLLISION_GROUPS = 32;

enum NxSDKCreateError { NXCE_NO_ERROR = 0, NXCE_PHYSX_NOT_FOUND, NXCE_WRONG_VERSION, NXCE_INTERNAL_ERROR };

enum NxErrorCode {
    NXE_NO_ERROR = 0,
    NXE_INVALID_PARAMETER,
    NXE_INVALID_OPERATION,
    NXE_OUT_OF_MEMORY,
    NXE_INTERNAL_ERROR,
    NXE_ASSERTION,
    NXE_DB_INFO,
    NXE_DB_WARNING,
    NXE_DB_PRINT,
};

enum NxAssertResponse { NX_AR_CONTINUE = 0, NX_AR_IGNORE, NX_AR_BREAKPOINT };

enum NxParameter { NX_PENALTY_FORCE = 0, NX_SKIN_WIDTH, NX_DEFAULT_SLEEP_LIN_VEL_SQUARED, NX_DEFAULT_SLEEP_ANG_VEL_SQUARED,
                   NX_BOUNCE_THRESHOLD, NX_DYN_FRICT_SCALING, NX_STA_FRICT_SCALING, NX_MAX_ANGULAR_VELOCITY,
                   NX_PARAMS_NUM_VALUES };

enum NxSimulationType { NX_SIMULATION_SW = 0, NX_SIMULATION_HW = 1 };
enum NxTimeStepMethod { NX_TIMESTEP_FIXED = 0, NX_TIMESTEP_VARIABLE = 1 };
enum NxSimulationStatus { NX_RIGID_BODY_FINISHED = 1 << 0, NX_ALL_FINISHED = 0xFFFFFFFF };
enum NxSceneFlags { NX_SF_DISABLE_SCENE_MUTEX = 0x40 };

enum NxForceMode {
    NX_FORCE = 0,              // mass x distance / time^2, over the next simulate call
    NX_IMPULSE,                // mass x distance / time, at once
    NX_VELOCITY_CHANGE,        // distance / time, at once
    NX_SMOOTH_IMPULSE,         // an impulse spread over the next sub-step
    NX_SMOOTH_VELOCITY_CHANGE, // a velocity change spread over the next sub-step
    NX_ACCELERATION,           // distance / time^2, over the next simulate call
};

enum NxShapeType {
    NX_SHAPE_PLANE = 0,
    NX_SHAPE_SPHERE,
    NX_SHAPE_BOX,
    NX_SHAPE_CAPSULE,
    NX_SHAPE_WHEEL,
    NX_SHAPE_CONVEX,
    NX_SHAPE_MESH,
    NX_SHAPE_HEIGHTFIELD,
    NX_SHAPE_COUNT,
};

enum NxShapesType { NX_STATIC_SHAPES = 1 << 0, NX_DYNAMIC_SHAPES = 1 << 1, NX_ALL_SHAPES = NX_STATIC_SHAPES | NX_DYNAMIC_SHAPES };

enum NxShapeFlag : NxU32 {
    NX_TRIGGER_ON_ENTER = 1 << 0,
    NX_TRIGGER_ON_LEAVE = 1 << 1,
    NX_TRIGGER_ON_STAY = 1 << 2,
    NX_TRIGGER_ENABLE = NX_TRIGGER_ON_ENTER | NX_TRIGGER_ON_LEAVE | NX_TRIGGER_ON_STAY,
    NX_SF_VISUALIZATION = 1 << 3,
    NX_SF_DISABLE_COLLISION = 1 << 4,
    NX_SF_DISABLE_RAYCASTING = 1 << 6,
    NX_SF_DISABLE_SCENE_QUERIES = 1 << 14,
    // Visualisation and two bits that are carried only.
    NX_SF_DEFAULT = 0x120008,
};

enum NxActorFlag : NxU32 {
    NX_AF_DISABLE_COLLISION = 1 << 0,
    NX_AF_DISABLE_RESPONSE = 1 << 1,
    NX_AF_CONTACT_MODIFICATION = 1 << 4,
    NX_AF_FORCE_CONE_FRICTION = 1 << 5,
    NX_AF_USER_ACTOR_PAIR_FILTERING = 1 << 6,
};

enum NxBodyFlag : NxU32 {
    NX_BF_DISABLE_GRAVITY = 1 << 0,
    NX_BF_FROZEN_POS_X = 1 << 1,
    NX_BF_FROZEN_POS_Y = 1 << 2,
    NX_BF_FROZEN_POS_Z = 1 << 3,
    NX_BF_FROZEN_ROT_X = 1 << 4,
    NX_BF_FROZEN_ROT_Y = 1 << 5,
    NX_BF_FROZEN_ROT_Z = 1 << 6,
    NX_BF_FROZEN_POS = NX_BF_FROZEN_POS_X | NX_BF_FROZEN_POS_Y | NX_BF_FROZEN_POS_Z,
    NX_BF_FROZEN_ROT = NX_BF_FROZEN_ROT_X | NX_BF_FROZEN_ROT_Y | NX_BF_FROZEN_ROT_Z,
    NX_BF_FROZEN = NX_BF_FROZEN_POS | NX_BF_FROZEN_ROT,
    NX_BF_KINEMATIC = 1 << 7,
    NX_BF_ENERGY_SLEEP_TEST = 1 << 8, // carried only
    NX_BF_FILTER_SLEEP_VEL = 1 << 10, // carried only
    NX_BF_VISUALIZATION = 1 << 11,
};

// Contact-pair flags: the actor-pair, shape-pair and actor-group-pair words.
enum NxContactPairFlag : NxU32 {
    NX_IGNORE_PAIR = 1 << 0,
    NX_NOTIFY_ON_START_TOUCH = 1 << 1,
    NX_NOTIFY_ON_END_TOUCH = 1 << 2,
    NX_NOTIFY_ON_TOUCH = 1 << 3,
    NX_NOTIFY_FORCES = 1 << 7,
    NX_NOTIFY_ALL = NX_NOTIFY_ON_START_TOUCH | NX_NOTIFY_ON_END_TOUCH | NX_NOTIFY_ON_TOUCH,
};

enum NxFilterOp { NX_FILTEROP_AND = 0, NX_FILTEROP_OR, NX_FILTEROP_XOR, NX_FILTEROP_NAND, NX_FILTEROP_NOR,
                  NX_FILTEROP_NXOR, NX_FILTEROP_SWAP_AND };

enum NxCombineMode { NX_CM_AVERAGE = 0, NX_CM_MIN = 1, NX_CM_MULTIPLY = 2, NX_CM_MAX = 3 };

enum NxRaycastBit : NxU32 {
    NX_RAYCAST_SHAPE = 1 << 0,
    NX_RAYCAST_IMPACT = 1 << 1,
    NX_RAYCAST_NORMAL = 1 << 2,
    NX_RAYCAST_FACE_INDEX = 1 << 3,
    NX_RAYCAST_DISTANCE = 1 << 4,
    NX_RAYCAST_UV = 1 << 5,
    NX_RAYCAST_FACE_NORMAL = 1 << 6,
    NX_RAYCAST_MATERIAL = 1 << 7,
};

enum NxTriggerFlag { NX_TRIGGER_ENTER = NX_TRIGGER_ON_ENTER, NX_TRIGGER_LEAVE = NX_TRIGGER_ON_LEAVE,
                     NX_TRIGGER_STAY = NX_TRIGGER_ON_STAY };

// The 128-bit mask of the groups-mask filter.
struct NxGroupsMask
{
    NxU32 bits0 = 0, bits1 = 0, bits2 = 0, bits3 = 0;
};
static_assert(sizeof(NxGroupsMask) == 16);
