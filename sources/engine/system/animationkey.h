#pragma once
// TAnimationKey: one key of an animation track as repositories store it (40 bytes): a rotation
// quaternion quantised to 16 bits per component (value x 32767), a position and a scale, both
// with 1.0 as their fourth component. Keys stay quantised through sampling and blending.
#include "core/math/matrix.h"
#include "core/math/quaternion.h"

constexpr f32 KEY_ROTATION_SCALE = 32767.0f;

struct TAnimationKey
{
    i16 aRotation[4];
    f32 aPosition[4];
    f32 aScale[4];

    // The rotation as floats (component / 32767).
    TQuaternion GetRotation() const;
    void SetRotation(const TQuaternion& rotation);
    // The rotation's matrix with its rows scaled by the scale, translation the position.
    TMatrix ToMatrix() const;
};

static_assert(sizeof(TAnimationKey) == 40);
static_assert(offsetof(TAnimationKey, aPosition) == 8);
static_assert(offsetof(TAnimationKey, aScale) == 24);

// Each component x 32767 + 0.5, floored, clamped to [-32767, 32767] (never -32768).
void QuantizeRotation(const f32* components, i16* out);
i32 ClampInt(i32 value, i32 minimum, i32 maximum);
// a at t = 0, b at t = 1; otherwise the rotations slerped along the shorter arc and quantised
// again, positions and scales interpolated linearly. out may be a or b.
void InterpolateKey(const TAnimationKey& a, const TAnimationKey& b, f32 t, TAnimationKey& out);
// The component-wise sum of two keys: rotations added as numbers and quantised again, positions
// and scales added; fourth components 1.0. out may be a or b.
void AddKeys(const TAnimationKey& a, const TAnimationKey& b, TAnimationKey& out);
