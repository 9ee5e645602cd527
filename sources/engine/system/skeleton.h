#pragma once
// TSkeleton (stored type 53, 2896 bytes): the node object that animates a bone hierarchy. Its
// blend program samples and mixes up to 8 animations per bone into the pose's working
// matrices; the pose resolves them into world matrices; linked scene nodes follow their bones.
#include "core/system/types.h"
#include "engine/system/animationkey.h"
#include "engine/system/blendprogram.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"
#include "engine/system/skeletondata.h"

#include <cstring>

class TSkeletonPose;

constexpr u32 SKELETON_NODE_LINK_CAPACITY = 40;

// Flags.
constexpr u32 SKELETON_NOT_UPDATED = 0x1;
constexpr u32 SKELETON_NO_CONSTRAINTS = 0x2;     // types 1-5 and the post constraints are skipped
constexpr u32 SKELETON_FIXED_ON_REQUEST = 0x4;   // types 2 and 5 only with their CONSTRAINT_ALWAYS
constexpr u32 SKELETON_SKIN_IN_MESH_SPACE = 0x10;
constexpr u32 SKELETON_UPDATE_DISABLED = 0x20;   // updated even while its node is disabled
constexpr u32 SKELETON_FIXED_RATE = 0x40;        // evaluated in the fixed-rate update
constexpr u32 SKELETON_NODES_IN_WORLD = 0x80;    // this or any higher bit

// SetBoneFromPhysics mode bits.
constexpr u32 BONE_FROM_PARENT_BIND = 0x1;
constexpr u32 BONE_INTO_NODE_SPACE = 0x2;
constexpr u32 BONE_THROUGH_BIND = 0x4;

// A scene node that follows a bone.
struct TBoneNodeLink
{
    i32 nBone;
    TNode* pNode;
};

static_assert(sizeof(TBoneNodeLink) == 8);

class TSkeleton : public TNodeObject
{
public:
    TSkeleton()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTSkeleton.GetId();
    }

    // Runs the blend program over every bone, evaluates the pose and blends the root key. Off
    // the main thread nothing is loaded (load 0): animations whose data is not loaded drive no
    // bone.
    static void RunProgram(TBlendProgram* program, TSkeleton* skeleton, u32 load = 1);
    // Loads the pose and the data of the program's animations (main thread).
    static void RequireResources(TSkeleton* skeleton);
    // Writes a bone's working matrix from a world matrix of physics (modes 1 to 7).
    static void SetBoneFromPhysics(TSkeletonPose* pose, TSkeleton* skeleton, u32 bone, const TMatrix& world,
                                   u32 mode);
    // Moves the linked nodes to their bones' published matrices.
    static void PlaceNodes(TSkeleton* skeleton);

    u32 GetLinkCount() const
    {
        return m_nLinkedNodeCount <= 0 ? 0u
               : m_nLinkedNodeCount > static_cast<i32>(SKELETON_NODE_LINK_CAPACITY)
                   ? SKELETON_NODE_LINK_CAPACITY
                   : static_cast<u32>(m_nLinkedNodeCount);
    }
    u32 GetInstructionCount() const
    {
        return Function.nInstructionCount > BLEND_PROGRAM_SIZE ? BLEND_PROGRAM_SIZE : Function.nInstructionCount;
    }

    u32 m_nFlags;
    TSkeletonData* pSkeletonData;
    TSkeletonPose* pSkeletonPose;
    TBlendProgram Function;
    TAnimationKey m_RootKey;
    // The start of register 1 for each bone.
    TAnimationKey aRestKey[SKELETON_BONE_CAPACITY];
    u8 m_aReserved2564[8];
    i32 m_nLinkedNodeCount;
    TBoneNodeLink aLinkedNode[SKELETON_NODE_LINK_CAPACITY];
};

static_assert(sizeof(TSkeleton) == 2896);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeleton, m_nFlags) == 12);
static_assert(offsetof(TSkeleton, pSkeletonData) == 16);
static_assert(offsetof(TSkeleton, pSkeletonPose) == 20);
static_assert(offsetof(TSkeleton, Function) == 24);
static_assert(offsetof(TSkeleton, m_RootKey) == 124);
static_assert(offsetof(TSkeleton, aRestKey) == 164);
static_assert(offsetof(TSkeleton, m_nLinkedNodeCount) == 2572);
static_assert(offsetof(TSkeleton, aLinkedNode) == 2576);
#pragma GCC diagnostic pop
constexpr u32 SKELETON_INSTRUCTION_COUNT_OFFSET = 24;
constexpr u32 SKELETON_LINK_COUNT_OFFSET = 2572;
#pragma GCC diagnostic push
#pragma GCC diagnostic pop
