#include "engine/system/skeletonpose.h"

#include "core/system/memory.h"
#include "engine/system/skeleton.h"

#include <cmath>
#include <utility>

namespace
{
TVector Position(const TMatrix& m)
{
    return TVector(m.aRow[3].x, m.aRow[3].y, m.aRow[3].z, 1.0f);
}

// Bones after the constrained one whose parent index is not below its index: its subtree when
// the table lists parents before children.
u32 CarriedEnd(const TSkeletonData* data, u32 bone, u32 count)
{
    u32 end = bone + 1;
    while (end < count && data->GetParent(end) >= static_cast<i32>(bone))
        ++end;
    return end;
}

// The aims of one post constraint on the world matrices; false when it changes nothing.
bool ApplyPostConstraint(const TSkeletonConstraint& constraint, TMatrix* world, u32 count)
{
    const u32 bone = static_cast<u32>(constraint.nBone);
    const u32 target = static_cast<u32>(constraint.nTarget);
    if (target >= count)
        return false;
    const TVector from = Position(world[bone]);
    const TVector to = Position(world[target]);
    switch (constraint.nType)
    {
    case CONSTRAINT_AIM:
        world[bone] = AimMatrix(to, world[bone], 0);
        return true;
    case CONSTRAINT_AIM_BOTH:
    case CONSTRAINT_AIM_BOTH_UP:
    {
        const u32 second = constraint.nType == CONSTRAINT_AIM_BOTH_UP ? 1 : 0;
        world[bone] = AimMatrix(to, world[bone], second);
        world[target] = AimMatrix(from, world[target], second);
        return true;
    }
    case CONSTRAINT_TWO_BONE_REACH:
    {
        const TVector reach = TVector::Subtract(to, from);
        const f32 d = reach.Length();
        // Start and target at one point: no direction to bend in, the bones stay as they are.
        if (!(d > 0.0f))
            return false;
        const f32 l1 = constraint.fLength1;
        const f32 l2 = constraint.fLength2;
        const f32 x = (l1 * l1 - l2 * l2 + d * d) / (2.0f * d);
        // Out of reach the joint lies on the line: the height is clamped to 0.
        const f32 h2 = l1 * l1 - x * x;
        const f32 h = h2 > 0.0f ? std::sqrt(h2) : 0.0f;
        const TVector joint(from.x + reach.x * x / d, from.y + reach.y * x / d + h * -reach.z / d,
                            from.z + reach.z * x / d + h * reach.y / d, 1.0f);
        world[bone] = AimMatrix(joint, world[bone], 0);
        world[target] = AimMatrix(joint, world[target], 0);
        return true;
    }
    default:
        return false;
    }
}
} // namespace

TMatrix AimMatrix(const TVector& point, const TMatrix& matrix, u32 useSecondAxis)
{
    TMatrix m = matrix;
    const TVector x = TVector::Subtract(point, Position(matrix)).Normalized();
    m.aRow[0] = x;
    if (!useSecondAxis)
    {
        const TVector z = matrix.aRow[2].Normalized();
        const TVector y = TVector::Cross(z, x).Normalized();
        m.aRow[1] = y;
        m.aRow[2] = TVector::Cross(x, y).Normalized();
    }
    else
    {
        const TVector y = matrix.aRow[1].Normalized();
        const TVector z = TVector::Cross(x, y).Normalized();
        m.aRow[2] = z;
        m.aRow[1] = TVector::Cross(z, x).Normalized();
    }
    // Axis rows stay directions, so the matrix stays affine.
    for (int r = 0; r < 3; ++r)
        m.aRow[r].w = 0.0f;
    m.aRow[3].w = 1.0f;
    return m;
}

i32 TSkeletonPose::Load()
{
    FreeMatrices();
    const u32 count = m_nBoneCount <= 0 ? 0u
                      : m_nBoneCount > static_cast<i32>(SKELETON_BONE_CAPACITY)
                          ? SKELETON_BONE_CAPACITY
                          : static_cast<u32>(m_nBoneCount);
    m_nBoneCount = static_cast<i32>(count);
    if (count)
    {
        m_pBlock = static_cast<TMatrix*>(MemoryAllocate(4 * count * sizeof(TMatrix)));
        const TMatrix identity(1.0f);
        for (u32 i = 0; i < 4 * count; ++i)
            m_pBlock[i] = identity;
        m_pPublished = m_pBlock;
        m_pPublishedPrevious = m_pBlock + count;
        m_pWorking = m_pBlock + 2 * count;
        m_pWorkingPrevious = m_pBlock + 3 * count;
    }
    SetLoaded(1);
    return 0;
}

i32 TSkeletonPose::Release()
{
    FreeMatrices();
    return 0;
}

void TSkeletonPose::FreeMatrices()
{
    if (m_pBlock)
        MemoryFree(m_pBlock);
    m_pBlock = nullptr;
    m_pPublished = nullptr;
    m_pPublishedPrevious = nullptr;
    m_pWorking = nullptr;
    m_pWorkingPrevious = nullptr;
}

u32 TSkeletonPose::GetBoneCount(const TSkeleton* skeleton) const
{
    if (!m_pBlock || m_nBoneCount <= 0 || !skeleton->pSkeletonData)
        return 0;
    const u32 bones = skeleton->pSkeletonData->GetBoneCount();
    return bones < static_cast<u32>(m_nBoneCount) ? bones : static_cast<u32>(m_nBoneCount);
}

void TSkeletonPose::SwapBuffers()
{
    std::swap(m_pPublished, m_pWorking);
    std::swap(m_pPublishedPrevious, m_pWorkingPrevious);
}

void TSkeletonPose::Reset(TSkeletonPose* pose, TSkeleton* skeleton, u32 evaluate)
{
    pose->m_nEvaluated = 0;
    const u32 count = pose->GetBoneCount(skeleton);
    for (u32 b = 0; b < count; ++b)
        pose->m_pWorking[b] = skeleton->pSkeletonData->aBone[b].Rest;
    if (evaluate)
        Evaluate(pose, skeleton);
}

void TSkeletonPose::Evaluate(TSkeletonPose* pose, TSkeleton* skeleton)
{
    if (pose->Require() != 0)
        return;
    const u32 count = pose->GetBoneCount(skeleton);
    const TSkeletonData* data = skeleton->pSkeletonData;
    TMatrix* working = pose->m_pWorking;
    const u32 constraints = (skeleton->m_nFlags & SKELETON_NO_CONSTRAINTS) ? 0u : pose->GetConstraintCount();
    bool fixed[SKELETON_BONE_CAPACITY] = {};

    for (u32 c = 0; c < constraints; ++c)
    {
        const TSkeletonConstraint& constraint = pose->aConstraint[c];
        const u32 bone = static_cast<u32>(constraint.nBone);
        if (bone >= count)
            continue;
        TMatrix& m = working[bone];
        switch (constraint.nType)
        {
        case CONSTRAINT_SET_NODE_SPACE:
        case CONSTRAINT_SET_WORLD:
            if ((skeleton->m_nFlags & SKELETON_FIXED_ON_REQUEST) && !(constraint.nFlags & CONSTRAINT_ALWAYS))
                break;
            fixed[bone] = true;
            m = constraint.nType == CONSTRAINT_SET_WORLD
                    ? constraint.Matrix
                    : TMatrix::Multiply(constraint.Matrix, skeleton->GetMatrix()->Inverse());
            break;
        case CONSTRAINT_SET_LOCAL:
            m = constraint.Matrix;
            break;
        case CONSTRAINT_MULTIPLY_AFTER:
            m = TMatrix::Multiply(m, constraint.Matrix);
            break;
        case CONSTRAINT_MULTIPLY_BEFORE:
            m = TMatrix::Multiply(constraint.Matrix, m);
            break;
        case CONSTRAINT_COPY_ROTATION:
            if (static_cast<u32>(constraint.nTarget) < count)
            {
                const TVector translation = m.aRow[3];
                m = working[constraint.nTarget];
                m.aRow[3] = translation;
            }
            break;
        default:
            break;
        }
    }

    for (u32 b = 0; b < count; ++b)
        pose->m_pWorkingPrevious[b] = working[b];

    for (u32 b = 0; b < count; ++b)
    {
        const i32 parent = data->GetParent(b);
        if (fixed[b] || parent < 0 || working[b].aRow[3].w == 0.0f)
            continue;
        working[b] = TMatrix::Multiply(working[b], working[parent]);
    }

    TMatrix before[SKELETON_BONE_CAPACITY];
    for (u32 c = 0; c < constraints; ++c)
    {
        const TSkeletonConstraint& constraint = pose->aConstraint[c];
        const u32 bone = static_cast<u32>(constraint.nBone);
        if (bone >= count || constraint.nType < CONSTRAINT_AIM || constraint.nType > CONSTRAINT_TWO_BONE_REACH)
            continue;
        const u32 end = CarriedEnd(data, bone, count);
        for (u32 b = bone; b < end; ++b)
            before[b] = working[b];
        if (!ApplyPostConstraint(constraint, working, count))
            continue;
        // The bones below follow, each keeping its placement relative to its parent; an aimed
        // target keeps its aim.
        for (u32 b = bone + 1; b < end; ++b)
        {
            if (b == static_cast<u32>(constraint.nTarget))
                continue;
            const i32 parent = data->GetParent(b);
            const TMatrix relative = TMatrix::Multiply(before[b], before[parent].Inverse());
            working[b] = TMatrix::Multiply(relative, working[parent]);
        }
    }
    pose->m_nEvaluated = 1;
}
