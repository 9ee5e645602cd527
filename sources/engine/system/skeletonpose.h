#pragma once
// TSkeletonPose (stored type 54, 4144 bytes): the evaluated bones of one skeleton as a
// resource: one 16-byte-aligned block of 4 x bone count matrices, made by Load, seen through
// four arrays: the published world matrices and their previous (what drawing and node placement
// read) and the working pair (what evaluation and physics write). The skeleton manager swaps
// the pairs once per frame. Up to 40 constraints adjust bones before and after the hierarchy.
#include "core/math/matrix.h"
#include "core/system/types.h"
#include "engine/system/animationkey.h"
#include "engine/system/resource.h"

#include <cstring>

class TSkeleton;

constexpr u32 SKELETON_CONSTRAINT_CAPACITY = 40;

// Constraint types 1-5 and 10 set a bone's matrix before the hierarchy is resolved, 6-9 aim
// world matrices after it.
constexpr i32 CONSTRAINT_SET_LOCAL = 1;       // the constraint matrix
constexpr i32 CONSTRAINT_SET_NODE_SPACE = 2;  // the constraint matrix in the skeleton node's space
constexpr i32 CONSTRAINT_MULTIPLY_AFTER = 3;  // bone x constraint matrix
constexpr i32 CONSTRAINT_MULTIPLY_BEFORE = 4; // constraint matrix x bone
constexpr i32 CONSTRAINT_SET_WORLD = 5;       // the constraint matrix
constexpr i32 CONSTRAINT_AIM = 6;             // the bone aims at the target
constexpr i32 CONSTRAINT_AIM_BOTH = 7;        // the bone and the target aim at each other
constexpr i32 CONSTRAINT_AIM_BOTH_UP = 8;     // as 7, keeping the Y axis
constexpr i32 CONSTRAINT_TWO_BONE_REACH = 9;  // the bone and the target aim at the joint between
constexpr i32 CONSTRAINT_COPY_ROTATION = 10;  // the target's matrix, the bone's translation
// Constraint flags: applied even when the skeleton has SKELETON_FIXED_ON_REQUEST.
constexpr u32 CONSTRAINT_ALWAYS = 0x2;

struct TSkeletonConstraint
{
    u32 nReserved0;
    i32 nBone;
    i32 nType;
    TMatrix Matrix;
    u32 nFlags;
    i32 nTarget;
    u32 nReserved84;
    // Segment lengths of the two-bone reach.
    f32 fLength1;
    f32 fLength2;
    u32 nReserved96;
};

static_assert(sizeof(TSkeletonConstraint) == 100);
static_assert(offsetof(TSkeletonConstraint, nBone) == 4);
static_assert(offsetof(TSkeletonConstraint, nType) == 8);
static_assert(offsetof(TSkeletonConstraint, Matrix) == 12);
static_assert(offsetof(TSkeletonConstraint, nFlags) == 76);
static_assert(offsetof(TSkeletonConstraint, nTarget) == 80);
static_assert(offsetof(TSkeletonConstraint, fLength1) == 88);
static_assert(offsetof(TSkeletonConstraint, fLength2) == 92);

class TSkeletonPose : public TResource
{
public:
    TSkeletonPose()
    {
        std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68);
        m_nKind = 9;
    }
    ~TSkeletonPose() override { FreeMatrices(); }

    // Allocates the 4 x bone count matrices (the stored count, at most 60), all identity.
    i32 Load() override;
    // Frees the block and clears the four arrays.
    i32 Release() override;

    // Evaluated = 0; each working matrix the bone's rest matrix; then, with the flag, Evaluate.
    static void Reset(TSkeletonPose* pose, TSkeleton* skeleton, u32 evaluate);
    // Pre-constraints, hierarchy, post-constraints on the working matrices; evaluated = 1.
    static void Evaluate(TSkeletonPose* pose, TSkeleton* skeleton);
    // Publishes the working pair: swaps it with the published pair.
    void SwapBuffers();

    // The bones both the pose and the skeleton's data hold.
    u32 GetBoneCount(const TSkeleton* skeleton) const;
    u32 GetConstraintCount() const
    {
        return m_nConstraintCount <= 0 ? 0u
               : m_nConstraintCount > static_cast<i32>(SKELETON_CONSTRAINT_CAPACITY)
                   ? SKELETON_CONSTRAINT_CAPACITY
                   : static_cast<u32>(m_nConstraintCount);
    }

    TAnimationKey m_RootKey;
    TSkeleton* pSkeleton;
    u32 m_nEvaluated;
    i32 m_nBoneCount;
    TMatrix* m_pBlock;
    TMatrix* m_pPublished;
    TMatrix* m_pPublishedPrevious;
    TMatrix* m_pWorking;
    TMatrix* m_pWorkingPrevious;
    i32 m_nConstraintCount;
    TSkeletonConstraint aConstraint[SKELETON_CONSTRAINT_CAPACITY];

private:
    void FreeMatrices();
};

// The aim of a constraint: the X row turns towards the point; without the flag the Z row keeps
// its direction as far as it can, with it the Y row. The translation stays.
TMatrix AimMatrix(const TVector& point, const TMatrix& matrix, u32 useSecondAxis);

static_assert(sizeof(TSkeletonPose) == 4144);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeletonPose, m_RootKey) == 68);
static_assert(offsetof(TSkeletonPose, pSkeleton) == 108);
static_assert(offsetof(TSkeletonPose, m_nEvaluated) == 112);
static_assert(offsetof(TSkeletonPose, m_nBoneCount) == 116);
static_assert(offsetof(TSkeletonPose, m_pBlock) == 120);
static_assert(offsetof(TSkeletonPose, m_pWorkingPrevious) == 136);
static_assert(offsetof(TSkeletonPose, m_nConstraintCount) == 140);
static_assert(offsetof(TSkeletonPose, aConstraint) == 144);
#pragma GCC diagnostic pop
// The words of loaded records that their manager checks or clears.
constexpr u32 SKELETON_POSE_EVALUATED_OFFSET = 112;
constexpr u32 SKELETON_POSE_BONE_COUNT_OFFSET = 116;
constexpr u32 SKELETON_POSE_BLOCK_OFFSET = 120;
constexpr u32 SKELETON_POSE_CONSTRAINT_COUNT_OFFSET = 140;
#pragma GCC diagnostic push
#pragma GCC diagnostic pop
