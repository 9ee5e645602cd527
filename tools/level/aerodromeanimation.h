#pragma once
// Skeletons and animations of the aerodrome's units: skeleton data of a few bones, a skeleton
// on a node whose bones move linked nodes (their local matrices the bones' published ones),
// animation data of one key a frame for each track, shared by several animations that the game
// finds by their data's names, and the animations on a skeleton, each driving the bones its
// tracks are mapped to (a bone no playing animation drives rests), played at 30 frames a
// second.
#include "core/math/matrix.h"
#include "core/system/types.h"
#include "engine/system/animationkey.h"

#include <vector>

class TAerodromeBuilder;
class TAnimation;
class TAnimationData;
class TNode;
class TSkeleton;
class TSkeletonData;

// Frames a second every animation of the level plays at.
constexpr f32 ANIMATION_FRAME_RATE = 30.0f;

// A key of a placement: position, heading (degrees about y) and pitch (degrees, nose up).
TAnimationKey PlacementKey(f32 x, f32 y, f32 z, f32 heading, f32 pitch);

// Skeleton data of bones each a child of the first, resting at the offsets given.
TSkeletonData& AddSkeletonData(TAerodromeBuilder& builder, const char* name, const std::vector<TVector>& rest);
// A skeleton on the node (its pose its own, its rest keys the bones' rests); bone b moves
// linked[b] when that is not null.
TSkeleton& AddSkeleton(TAerodromeBuilder& builder, TNode* node, TSkeletonData& data,
                       const std::vector<TNode*>& linked);
// Animation data named as given of `tracks` tracks and (keys / tracks - 1) frames: keys track
// after track, one a frame.
TAnimationData& AddAnimationKeys(TAerodromeBuilder& builder, const char* name, u32 tracks,
                                 const std::vector<TAnimationKey>& keys);
// Animation data of another name reading the same block as the source.
TAnimationData& ShareAnimationKeys(TAerodromeBuilder& builder, const TAnimationData& source, const char* name);
// A stopped animation of the data on the skeleton, track t driving bone bones[t].
TAnimation& AddAnimation(TAerodromeBuilder& builder, TSkeleton& skeleton, TAnimationData& data,
                         const std::vector<u32>& bones);
