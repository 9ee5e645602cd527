#pragma once
// A skeleton of one bone playing a looping track of keys for ever and moving one linked node: the
// level's own motions (the radar dish's spin, the tug's round). The records live here until the
// level is written; the managers list them meanwhile.
#include "core/system/types.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonpose.h"

#include <vector>

class TNode;
class TRepositoryWriter;

// A key turned by heading (radians) about the vertical axis, at (x, y, z), unscaled.
TAnimationKey LevelYawKey(f32 heading, f32 x, f32 y, f32 z);

class TLevelLoopingBone
{
public:
    // The keys follow one another a time unit apart, the last at the place of the first so that
    // the loop closes; the track is stored as "<name>", its skeleton as "<name>_skeleton" and
    // its pose as "<name>_pose". The time scale is keys a second.
    TLevelLoopingBone(TRepositoryWriter& writer, const char* name, std::vector<TAnimationKey> keys, f32 timeScale);
    // The written level's cluster has freed the nodes by now: the skeleton leaves no node.
    ~TLevelLoopingBone() { skeleton.pNode = nullptr; }
    TLevelLoopingBone(const TLevelLoopingBone&) = delete;
    TLevelLoopingBone& operator=(const TLevelLoopingBone&) = delete;

    // Plays on owner's node and moves follower (placed at the first key by its maker).
    void Attach(TNode* owner, TNode* follower);
    const TAnimationKey& FirstKey() const { return keys.front(); }

private:
    TSkeletonData data;
    TSkeletonPose pose;
    TSkeleton skeleton;
    std::vector<TAnimationKey> keys;
    TAnimationData track;
    TAnimation animation{};
};
