#pragma once
// How bodies and wheels drive skeletons: a binding index is a bone (0 or more) or a constraint
// of the skeleton's pose (-10 minus its index); -1 and -2 to -9 name nothing.
#include "core/math/matrix.h"
#include "core/system/types.h"

class TSkeleton;
struct TSkeletonConstraint;

constexpr i32 SKELETON_NO_BONE = -1;
constexpr i32 SKELETON_CONSTRAINT_NOT_FOUND = -9;
constexpr i32 SKELETON_FIRST_CONSTRAINT_CODE = -10;

// The pose's constraint a code names, or null (not a constraint code, out of range, no pose).
TSkeletonConstraint* BoundConstraint(TSkeleton* skeleton, i32 code);
// A world matrix into the bound bone or constraint: a constraint takes it as it is; a bone
// takes it relative to the skeleton node in the pose's working matrix, and in the working
// previous (last element 0) when the pose has constraints and is evaluated.
void WriteBoundMatrix(TSkeleton* skeleton, i32 index, const TMatrix& world);
// Roll about X, then steer about Y (degrees), without translation.
TMatrix WheelRotation(f32 rollDegrees, f32 steerDegrees);
// The three axis rows made unit length (those shorter than 1e-30 are left as they are).
void NormalizeAxes(TMatrix& m);
