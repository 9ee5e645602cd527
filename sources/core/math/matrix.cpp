#include "core/math/matrix.h"

#include "core/math/scalar.h"

#include <cmath>
#include <emmintrin.h>
#include <utility>

namespace
{
// An axis row of a rotation: a direction, so the last column stays 0.
TVector AxisRow(const TVector& v)
{
    return TVector(v.x, v.y, v.z, 0.0f);
}

// Row vector times the 3x3 part of a matrix.
TVector RotateRow(const TVector& v, const TMatrix& m, float w)
{
    const TVector& x = m.aRow[0];
    const TVector& y = m.aRow[1];
    const TVector& z = m.aRow[2];
    return TVector(v.x * x.x + v.y * y.x + v.z * z.x, v.x * x.y + v.y * y.y + v.z * z.y,
                   v.x * x.z + v.y * y.z + v.z * z.z, w);
}

TMatrix RotationFromRows(const TVector& x, const TVector& y, const TVector& z)
{
    TMatrix m;
    m.aRow[0] = AxisRow(x);
    m.aRow[1] = AxisRow(y);
    m.aRow[2] = AxisRow(z);
    m.aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    return m;
}

void ToElements(const TMatrix& m, float e[4][4])
{
    for (int r = 0; r < 4; ++r)
    {
        e[r][0] = m.aRow[r].x;
        e[r][1] = m.aRow[r].y;
        e[r][2] = m.aRow[r].z;
        e[r][3] = m.aRow[r].w;
    }
}

TMatrix FromElements(const float e[4][4])
{
    TMatrix m;
    for (int r = 0; r < 4; ++r)
        m.aRow[r] = TVector(e[r][0], e[r][1], e[r][2], e[r][3]);
    return m;
}

float Component(const TVector& v, int index)
{
    switch (index)
    {
    case 0:
        return v.x;
    case 1:
        return v.y;
    default:
        return v.z;
    }
}
} // namespace

TMatrix::TMatrix(float diagonal)
{
    aRow[0] = TVector(diagonal, 0.0f, 0.0f, 0.0f);
    aRow[1] = TVector(0.0f, diagonal, 0.0f, 0.0f);
    aRow[2] = TVector(0.0f, 0.0f, diagonal, 0.0f);
    aRow[3] = TVector(0.0f, 0.0f, 0.0f, diagonal);
}

void TMatrix::Copy(const TMatrix& source)
{
    *this = source;
}

TMatrix TMatrix::Multiply(const TMatrix& a, const TMatrix& b)
{
    // Each row of a times b's 3x3 part, four columns at a time in the order RotateRow adds
    // them (skeletons multiply every bone of every frame); the last column is 0 for the axis
    // rows and 1 for the translation row, which adds b's translation.
    const __m128 bx = _mm_loadu_ps(&b.aRow[0].x);
    const __m128 by = _mm_loadu_ps(&b.aRow[1].x);
    const __m128 bz = _mm_loadu_ps(&b.aRow[2].x);
    const __m128 keepXyz = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
    TMatrix m;
    for (int r = 0; r < 4; ++r)
    {
        const TVector& v = a.aRow[r];
        __m128 row = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(v.x), bx), _mm_mul_ps(_mm_set1_ps(v.y), by)),
                                _mm_mul_ps(_mm_set1_ps(v.z), bz));
        if (r == 3)
            row = _mm_add_ps(row, _mm_loadu_ps(&b.aRow[3].x));
        _mm_storeu_ps(&m.aRow[r].x, _mm_and_ps(row, keepXyz));
    }
    m.aRow[3].w = 1.0f;
    return m;
}

TMatrix TMatrix::MultiplyInverse(const TMatrix& a, const TMatrix& rigid)
{
    // The inverse of a rigid matrix is its transposed rotation applied after undoing its
    // translation, so each row is dotted with R's axes.
    const TVector& rx = rigid.aRow[0];
    const TVector& ry = rigid.aRow[1];
    const TVector& rz = rigid.aRow[2];
    TMatrix m;
    for (int r = 0; r < 3; ++r)
        m.aRow[r] = TVector(a.aRow[r].Dot(rx), a.aRow[r].Dot(ry), a.aRow[r].Dot(rz), 0.0f);
    const TVector t = TVector::Subtract(a.aRow[3], rigid.aRow[3]);
    m.aRow[3] = TVector(t.Dot(rx), t.Dot(ry), t.Dot(rz), 1.0f);
    return m;
}

TMatrix TMatrix::Inverse() const
{
    // Gauss-Jordan elimination in place with full pivoting; the column swaps that full
    // pivoting implies are undone at the end in reverse order.
    float e[4][4];
    ToElements(*this, e);
    bool used[4] = {false, false, false, false};
    int pivotRow[4];
    int pivotColumn[4];
    for (int i = 0; i < 4; ++i)
    {
        float largest = 0.0f;
        int row = 0;
        int column = 0;
        for (int r = 0; r < 4; ++r)
        {
            if (used[r])
                continue;
            for (int c = 0; c < 4; ++c)
            {
                if (!used[c] && Abs(e[r][c]) > largest)
                {
                    largest = Abs(e[r][c]);
                    row = r;
                    column = c;
                }
            }
        }
        if (largest == 0.0f)
            return TMatrix(1.0f);
        used[column] = true;
        if (row != column)
            std::swap(e[row], e[column]);
        pivotRow[i] = row;
        pivotColumn[i] = column;

        const float scale = 1.0f / e[column][column];
        e[column][column] = 1.0f;
        for (float& value : e[column])
            value *= scale;
        for (int r = 0; r < 4; ++r)
        {
            if (r == column)
                continue;
            const float factor = e[r][column];
            e[r][column] = 0.0f;
            for (int c = 0; c < 4; ++c)
                e[r][c] -= e[column][c] * factor;
        }
    }
    for (int i = 3; i >= 0; --i)
    {
        if (pivotRow[i] == pivotColumn[i])
            continue;
        for (auto& rowElements : e)
            std::swap(rowElements[pivotRow[i]], rowElements[pivotColumn[i]]);
    }
    return FromElements(e);
}

TVector TMatrix::TransformPoint(const TVector& point) const
{
    const TVector p = RotateRow(point, *this, 1.0f);
    return TVector(p.x + aRow[3].x, p.y + aRow[3].y, p.z + aRow[3].z, 1.0f);
}

TVector TMatrix::GetScale() const
{
    return TVector(aRow[0].Length(), aRow[1].Length(), aRow[2].Length(), 1.0f);
}

TMatrix TMatrix::RotationX(float degrees)
{
    const float s = Sin(degrees * DegreesToRadians);
    const float c = Cos(degrees * DegreesToRadians);
    return RotationFromRows(TVector(1.0f, 0.0f, 0.0f, 0.0f), TVector(0.0f, c, s, 0.0f),
                            TVector(0.0f, -s, c, 0.0f));
}

TMatrix TMatrix::RotationY(float degrees)
{
    const float s = Sin(degrees * DegreesToRadians);
    const float c = Cos(degrees * DegreesToRadians);
    return RotationFromRows(TVector(c, 0.0f, -s, 0.0f), TVector(0.0f, 1.0f, 0.0f, 0.0f),
                            TVector(s, 0.0f, c, 0.0f));
}

TMatrix TMatrix::RotationZ(float degrees)
{
    const float s = Sin(degrees * DegreesToRadians);
    const float c = Cos(degrees * DegreesToRadians);
    return RotationFromRows(TVector(c, s, 0.0f, 0.0f), TVector(-s, c, 0.0f, 0.0f),
                            TVector(0.0f, 0.0f, 1.0f, 0.0f));
}

TMatrix TMatrix::RotationYawPitch(float heading, float pitch)
{
    return Multiply(RotationX(pitch), RotationY(heading));
}

TMatrix TMatrix::RotationXYZ(float x, float y, float z)
{
    return Multiply(Multiply(RotationX(x), RotationY(y)), RotationZ(z));
}

void TMatrix::SetOrientation(const TVector& forward, const TVector& up)
{
    const TVector z = forward.Normalized();
    const TVector x = TVector::Cross(up, z).Normalized();
    const TVector y = TVector::Cross(z, x);
    *this = RotationFromRows(x, y, z);
}

TMatrix& TMatrix::SetFromDirection(const TVector& direction, int variant)
{
    // Working on the unit direction keeps the tolerance below independent of its length.
    const TVector d = direction.Normalized();

    // An auxiliary vector that is rarely parallel to the direction: the direction with its
    // smallest and largest components swapped, then negated.
    int smallest = 0;
    int largest = 0;
    for (int i = 1; i < 3; ++i)
    {
        if (Component(d, i) < Component(d, smallest))
            smallest = i;
        if (Component(d, i) > Component(d, largest))
            largest = i;
    }
    float swapped[3] = {d.x, d.y, d.z};
    std::swap(swapped[smallest], swapped[largest]);
    TVector auxiliary(-swapped[0], -swapped[1], -swapped[2], 1.0f);

    // The swap leaves the direction (or its opposite) unchanged for directions such as
    // (1, 0, -1) or (1, 1, 1); a cross product with a parallel vector would give no frame.
    constexpr float tolerance = 1e-5f;
    auto parallel = [&](float sign) {
        return Abs(auxiliary.x - sign * d.x) < tolerance && Abs(auxiliary.y - sign * d.y) < tolerance &&
               Abs(auxiliary.z - sign * d.z) < tolerance;
    };
    if (parallel(1.0f) || parallel(-1.0f))
        auxiliary = TVector(0.0f, 1.0f, 0.0f, 1.0f);

    const TVector across = TVector::Cross(d, auxiliary);
    const TVector third = TVector::Cross(across, d);

    // Rows in cyclic order from the direction's axis keep the frame right-handed.
    const int axis = variant == 0 ? 0 : variant == 1 ? 1 : 2;
    aRow[axis] = AxisRow(d);
    aRow[(axis + 1) % 3] = AxisRow(third.Normalized());
    aRow[(axis + 2) % 3] = AxisRow(across.Normalized());
    aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    return *this;
}

TMatrix TMatrix::BuildFromDirection(const TVector& direction)
{
    // Worked out in place: Y x Z with Y up is (z.z, 0, -z.x), and Z x X completes the frame.
    TMatrix m(1.0f);
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    if (length < VectorMinimumLength)
        return m;
    const float zx = direction.x / length, zy = direction.y / length, zz = direction.z / length;
    const float across = std::sqrt(zx * zx + zz * zz);
    // Straight up or down: the up vector gives no X; the world's Z takes its place.
    const float xx = across < 1e-6f ? (zy > 0.0f ? -1.0f : 1.0f) : zz / across;
    const float xz = across < 1e-6f ? 0.0f : -zx / across;
    m.aRow[0] = TVector(xx, 0.0f, xz, 0.0f);
    m.aRow[1] = TVector(zy * xz, zz * xx - zx * xz, -zy * xx, 0.0f);
    m.aRow[2] = TVector(zx, zy, zz, 0.0f);
    return m;
}
