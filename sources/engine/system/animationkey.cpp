#include "engine/system/animationkey.h"

TQuaternion TAnimationKey::GetRotation() const
{
    constexpr f32 scale = 1.0f / KEY_ROTATION_SCALE;
    return TQuaternion(aRotation[0] * scale, aRotation[1] * scale, aRotation[2] * scale, aRotation[3] * scale);
}

void TAnimationKey::SetRotation(const TQuaternion& rotation)
{
    const f32 components[4] = {rotation.x, rotation.y, rotation.z, rotation.w};
    QuantizeRotation(components, aRotation);
}

TMatrix TAnimationKey::ToMatrix() const
{
    TMatrix m = GetRotation().ToMatrix();
    for (int r = 0; r < 3; ++r)
        m.aRow[r].Scale(aScale[r]);
    m.aRow[3] = TVector(aPosition[0], aPosition[1], aPosition[2], 1.0f);
    return m;
}

i32 ClampInt(i32 value, i32 minimum, i32 maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

void QuantizeRotation(const f32* components, i16* out)
{
    for (int i = 0; i < 4; ++i)
    {
        const f32 value = components[i] * KEY_ROTATION_SCALE + 0.5f;
        // Clamped as a float first: a sum of keys may leave the 16-bit range, and NaN has none.
        // Inside the range the floor is the truncation, one less below a negative whole part.
        i32 whole;
        if (!(value >= -KEY_ROTATION_SCALE))
            whole = value != value ? 0 : -32767;
        else if (value >= KEY_ROTATION_SCALE)
            whole = 32767;
        else
        {
            whole = static_cast<i32>(value);
            if (static_cast<f32>(whole) > value)
                --whole;
        }
        out[i] = static_cast<i16>(whole);
    }
}

void InterpolateKey(const TAnimationKey& a, const TAnimationKey& b, f32 t, TAnimationKey& out)
{
    if (t == 0.0f)
    {
        out = a;
        return;
    }
    if (t == 1.0f)
    {
        out = b;
        return;
    }
    const TQuaternion rotation = TQuaternion::Slerp(a.GetRotation(), b.GetRotation(), t);
    for (int i = 0; i < 3; ++i)
    {
        out.aPosition[i] = a.aPosition[i] + (b.aPosition[i] - a.aPosition[i]) * t;
        out.aScale[i] = a.aScale[i] + (b.aScale[i] - a.aScale[i]) * t;
    }
    out.aPosition[3] = 1.0f;
    out.aScale[3] = 1.0f;
    out.SetRotation(rotation);
}

void AddKeys(const TAnimationKey& a, const TAnimationKey& b, TAnimationKey& out)
{
    f32 rotation[4];
    constexpr f32 scale = 1.0f / KEY_ROTATION_SCALE;
    for (int i = 0; i < 4; ++i)
        rotation[i] = a.aRotation[i] * scale + b.aRotation[i] * scale;
    for (int i = 0; i < 3; ++i)
    {
        out.aPosition[i] = a.aPosition[i] + b.aPosition[i];
        out.aScale[i] = a.aScale[i] + b.aScale[i];
    }
    out.aPosition[3] = 1.0f;
    out.aScale[3] = 1.0f;
    QuantizeRotation(rotation, out.aRotation);
}
