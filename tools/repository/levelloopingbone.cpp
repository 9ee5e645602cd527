#include "levelloopingbone.h"

#include "core/math/quaternion.h"
#include "engine/system/animationmanager.h"
#include "engine/system/node.h"
#include "engine/system/skeletonmanager.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstring>
#include <string>

TAnimationKey LevelYawKey(f32 heading, f32 x, f32 y, f32 z)
{
    TAnimationKey key;
    key.SetRotation(TQuaternion(0.0f, std::sin(heading * 0.5f), 0.0f, std::cos(heading * 0.5f)));
    const f32 position[4] = {x, y, z, 1.0f};
    const f32 scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::memcpy(key.aPosition, position, sizeof position);
    std::memcpy(key.aScale, scale, sizeof scale);
    return key;
}

TLevelLoopingBone::TLevelLoopingBone(TRepositoryWriter& writer, const char* name, std::vector<TAnimationKey> loop,
                                     f32 timeScale)
    : keys(std::move(loop))
{
    const std::string base(name);
    data.m_Name.Set((base + "_skeleton").c_str(), true);
    data.m_nBoneCount = 1;
    data.aBone[0].nParent = -1;
    data.aBone[0].Bind = data.aBone[0].Rest = TMatrix(1.0f);
    pose.m_Name.Set((base + "_pose").c_str(), true);
    pose.m_nBoneCount = 1;
    pose.pSkeleton = &skeleton;

    track.m_Name.Set(name, true);
    track.m_nLength = static_cast<i32>(keys.size()) - 1;
    track.m_nTrackCount = 1;
    writer.AddBlock(&track, keys.data(), static_cast<u32>(keys.size() * sizeof(TAnimationKey)));
    animation.m_nState = ANIMATION_PLAYING;
    animation.m_fTimeScale = timeScale;
    animation.m_nLoop = 1;
    animation.m_fSpeed = 1.0f;
    animation.pSkeleton = &skeleton;
    animation.pAnimationData = &track;
    std::memset(animation.aBoneMap, ANIMATION_NO_TRACK, sizeof animation.aBoneMap);
    animation.aBoneMap[0] = 0;

    skeleton.pSkeletonData = &data;
    skeleton.pSkeletonPose = &pose;
    skeleton.Function.nInstructionCount = 1;
    skeleton.Function.aInstruction[0] = {BLEND_COPY, 0, 0, BLEND_OPERAND_NONE, 0.0f};
    skeleton.Function.aAnimation[0] = &animation;
}

void TLevelLoopingBone::Attach(TNode* owner, TNode* follower)
{
    owner->AddObject(&skeleton);
    skeleton.aLinkedNode[0] = {0, follower};
    skeleton.m_nLinkedNodeCount = 1;
    g_pSkeletonManager->SkeletonData().Add(&data);
    g_pSkeletonManager->Poses().Add(&pose);
    g_pSkeletonManager->Skeletons().Add(&skeleton);
    g_pAnimationManager->AnimationData().Add(&track);
    g_pAnimationManager->Animations().Add(&animation);
}
