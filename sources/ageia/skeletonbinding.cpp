#include "ageia/skeletonbinding.h"

#include "engine/system/skeleton.h"
#include "engine/system/skeletonpose.h"

#include <cmath>

namespace
{
constexpr f32 kRadians = 0.017453292f;
}

TSkeletonConstraint* BoundConstraint(TSkeleton* skeleton, i32 code)
{
    if (!skeleton || !skeleton->pSkeletonPose || code > SKELETON_FIRST_CONSTRAINT_CODE)
        return nullptr;
    TSkeletonPose* pose = skeleton->pSkeletonPose;
    const u32 index = static_cast<u32>(SKELETON_FIRST_CONSTRAINT_CODE - code);
    return index < pose->GetConstraintCount() ? &pose->aConstraint[index] : nullptr;
}

void WriteBoundMatrix(TSkeleton* skeleton, i32 index, const TMatrix& world)
{
    if (!skeleton)
        return;
    if (index < 0)
    {
        if (TSkeletonConstraint* constraint = BoundConstraint(skeleton, index))
            constraint->Matrix = world;
        return;
    }
    TSkeletonPose* pose = skeleton->pSkeletonPose;
    if (!pose || static_cast<u32>(index) >= pose->GetBoneCount(skeleton))
        return;
    const TMatrix m = TMatrix::Multiply(world, skeleton->GetMatrix()->Inverse());
    pose->m_pWorking[index] = m;
    if (pose->GetConstraintCount() && pose->m_nEvaluated)
    {
        pose->m_pWorkingPrevious[index] = m;
        pose->m_pWorkingPrevious[index].aRow[3].w = 0.0f;
    }
}

TMatrix WheelRotation(f32 rollDegrees, f32 steerDegrees)
{
    const f32 r = rollDegrees * kRadians;
    const f32 s = steerDegrees * kRadians;
    const f32 cr = std::cos(r), sr = std::sin(r), cs = std::cos(s), ss = std::sin(s);
    TMatrix m(1.0f);
    m.aRow[0] = TVector(cs, 0.0f, -ss, 0.0f);
    m.aRow[1] = TVector(ss * sr, cr, cs * sr, 0.0f);
    m.aRow[2] = TVector(ss * cr, -sr, cs * cr, 0.0f);
    return m;
}

void NormalizeAxes(TMatrix& m)
{
    for (i32 i = 0; i < 3; ++i)
    {
        const f32 length = m.aRow[i].Length();
        if (length >= 1e-30f)
            m.aRow[i].Scale(1.0f / length);
    }
}
