#include "engine/system/animationkey.h"

#include <emmintrin.h>

namespace
{
// The four stored components as floats, value / 32767, in one register.
__m128 LoadRotation(const i16* rotation)
{
    const __m128i packed = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rotation));
    const __m128i widened = _mm_srai_epi32(_mm_unpacklo_epi16(packed, packed), 16);
    return _mm_mul_ps(_mm_cvtepi32_ps(widened), _mm_set1_ps(1.0f / KEY_ROTATION_SCALE));
}
} // namespace

TQuaternion TAnimationKey::GetRotation() const
{
    TQuaternion rotation;
    _mm_storeu_ps(&rotation.x, LoadRotation(aRotation));
    return rotation;
}

void TAnimationKey::SetRotation(const TQuaternion& rotation)
{
    QuantizeRotation(&rotation.x, aRotation);
}

TMatrix TAnimationKey::ToMatrix() const
{
    TMatrix m = GetRotation().ToMatrix();
    // The axis rows times their scale; their fourth components stay 0.
    for (int r = 0; r < 3; ++r)
        _mm_storeu_ps(&m.aRow[r].x, _mm_mul_ps(_mm_loadu_ps(&m.aRow[r].x), _mm_set_ps(1.0f, aScale[r], aScale[r], aScale[r])));
    m.aRow[3] = TVector(aPosition[0], aPosition[1], aPosition[2], 1.0f);
    return m;
}

i32 ClampInt(i32 value, i32 minimum, i32 maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

void QuantizeRotation(const f32* components, i16* out)
{
    // All four at once, without branches: every sampled, blended or added key passes here.
    const __m128 limit = _mm_set1_ps(KEY_ROTATION_SCALE);
    const __m128 value =
        _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(components), limit), _mm_set1_ps(0.5f));
    // Clamped as floats first: a sum of keys may leave the 16-bit range. The maximum answers its
    // second operand for NaN, which the ordered mask then turns into 0.
    const __m128 clamped = _mm_and_ps(_mm_min_ps(_mm_max_ps(value, _mm_sub_ps(_mm_setzero_ps(), limit)), limit),
                                      _mm_cmpord_ps(value, value));
    // The floor: the truncation, one less where it lies above the value (a negative fraction).
    const __m128i truncated = _mm_cvttps_epi32(clamped);
    const __m128i above = _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), clamped));
    const __m128i whole = _mm_add_epi32(truncated, above);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(whole, whole));
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
    // Positions and scales as a + (b - a) t, four at a time; the fourth components are 1.
    const __m128 weight = _mm_set1_ps(t);
    const __m128 positionA = _mm_loadu_ps(a.aPosition);
    const __m128 scaleA = _mm_loadu_ps(a.aScale);
    const __m128 position = _mm_add_ps(positionA, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(b.aPosition), positionA), weight));
    const __m128 scale = _mm_add_ps(scaleA, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(b.aScale), scaleA), weight));
    _mm_storeu_ps(out.aPosition, position);
    _mm_storeu_ps(out.aScale, scale);
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
