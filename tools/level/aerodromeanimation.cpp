#include "aerodromeanimation.h"
#include "aerodromebuilder.h"

#include "core/math/quaternion.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/node.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstring>

namespace
{
// The rotation of a matrix (rows as TQuaternion::ToMatrix makes them) whose trace is above -1:
// the level's keys turn by less than half a circle.
TQuaternion RotationOf(const TMatrix& m)
{
    const f32 w = std::sqrt(std::max(1.0f + m.aRow[0].x + m.aRow[1].y + m.aRow[2].z, 1e-6f)) * 0.5f;
    const f32 k = 0.25f / w;
    return TQuaternion((m.aRow[1].z - m.aRow[2].y) * k, (m.aRow[2].x - m.aRow[0].z) * k,
                       (m.aRow[0].y - m.aRow[1].x) * k, w);
}

TAnimationKey Key(const TQuaternion& rotation, const TVector& position)
{
    TAnimationKey key;
    key.SetRotation(rotation);
    const f32 at[4] = {position.x, position.y, position.z, 1.0f};
    const f32 scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::memcpy(key.aPosition, at, sizeof at);
    std::memcpy(key.aScale, scale, sizeof scale);
    return key;
}
} // namespace

TAnimationKey PlacementKey(f32 x, f32 y, f32 z, f32 heading, f32 pitch)
{
    // Nose up turns the forward axis towards +y: a negative turn about x.
    return Key(RotationOf(TMatrix::Multiply(TMatrix::RotationX(-pitch), TMatrix::RotationY(heading))),
               TVector(x, y, z, 1.0f));
}

TSkeletonData& AddSkeletonData(TAerodromeBuilder& builder, const char* name, const std::vector<TVector>& rest)
{
    TSkeletonData& data = builder.Make<TSkeletonData>();
    data.m_Name.Set(name, true);
    data.m_nBoneCount = static_cast<i32>(rest.size());
    for (u32 b = 0; b < rest.size(); ++b)
    {
        TSkeletonBone& bone = data.aBone[b];
        bone.nParent = b == 0 ? -1 : 0;
        bone.Bind = TMatrix(1.0f);
        bone.Rest = TMatrix(1.0f);
        bone.Rest.aRow[3] = TVector(rest[b].x, rest[b].y, rest[b].z, 1.0f);
    }
    g_pSkeletonManager->SkeletonData().Add(&data);
    return data;
}

TSkeleton& AddSkeleton(TAerodromeBuilder& builder, TNode* node, TSkeletonData& data, const std::vector<TNode*>& linked)
{
    TSkeletonPose& pose = builder.Make<TSkeletonPose>();
    TSkeleton& skeleton = builder.Make<TSkeleton>();
    pose.m_Name.Set(node->m_Name.GetText(), true);
    pose.m_nBoneCount = data.m_nBoneCount;
    pose.pSkeleton = &skeleton;
    skeleton.pSkeletonData = &data;
    skeleton.pSkeletonPose = &pose;
    skeleton.m_RootKey = Key(TQuaternion(0.0f, 0.0f, 0.0f, 1.0f), TVector(0.0f, 0.0f, 0.0f, 1.0f));
    for (i32 b = 0; b < data.m_nBoneCount; ++b)
    {
        skeleton.aRestKey[b] = Key(TQuaternion(0.0f, 0.0f, 0.0f, 1.0f), data.aBone[b].Rest.aRow[3]);
        if (static_cast<u32>(b) < linked.size() && linked[b])
            skeleton.aLinkedNode[skeleton.m_nLinkedNodeCount++] = {b, linked[b]};
    }
    node->AddObject(&skeleton);
    g_pSkeletonManager->Poses().Add(&pose);
    g_pSkeletonManager->Skeletons().Add(&skeleton);
    return skeleton;
}

TAnimationData& AddAnimationKeys(TAerodromeBuilder& builder, const char* name, u32 tracks,
                                 const std::vector<TAnimationKey>& keys)
{
    TAnimationData& data = builder.Make<TAnimationData>();
    data.m_Name.Set(name, true);
    data.m_nTrackCount = tracks;
    data.m_nLength = static_cast<i32>(keys.size() / tracks) - 1;
    data.m_RootKey = Key(TQuaternion(0.0f, 0.0f, 0.0f, 1.0f), TVector(0.0f, 0.0f, 0.0f, 1.0f));
    builder.Writer().AddBlock(&data, keys.data(), static_cast<u32>(keys.size() * sizeof(TAnimationKey)));
    g_pAnimationManager->AnimationData().Add(&data);
    return data;
}

TAnimationData& ShareAnimationKeys(TAerodromeBuilder& builder, const TAnimationData& source, const char* name)
{
    TAnimationData& data = builder.Make<TAnimationData>();
    data.m_Name.Set(name, true);
    data.m_nTrackCount = source.m_nTrackCount;
    data.m_nLength = source.m_nLength;
    data.m_RootKey = source.m_RootKey;
    data.m_nRepositoryId = source.m_nRepositoryId;
    data.m_nDataOffset = source.m_nDataOffset;
    data.m_nDataSize = source.m_nDataSize;
    g_pAnimationManager->AnimationData().Add(&data);
    return data;
}

TAnimation& AddAnimation(TAerodromeBuilder& builder, TSkeleton& skeleton, TAnimationData& data,
                         const std::vector<u32>& bones)
{
    TAnimation& animation = builder.Make<TAnimation>();
    animation.m_nState = ANIMATION_STOPPED;
    animation.m_fTimeScale = ANIMATION_FRAME_RATE;
    animation.m_fSpeed = 1.0f;
    animation.pSkeleton = &skeleton;
    animation.pAnimationData = &data;
    std::memset(animation.aBoneMap, ANIMATION_NO_TRACK, sizeof animation.aBoneMap);
    for (u32 t = 0; t < bones.size(); ++t)
        animation.aBoneMap[bones[t]] = static_cast<u8>(t);
    g_pAnimationManager->Animations().Add(&animation);
    return animation;
}
