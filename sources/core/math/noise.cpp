#include "core/math/noise.h"

#include "core/math/scalar.h"
#include "core/system/name.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
constexpr int B = 256;
constexpr int BM = 255;
constexpr float N = 4096.0f;
constexpr int TableSize = B + B + 2;

// Each vector is divided by its length, taken in double precision and rounded to float.
void Normalize(float* v, int count)
{
    double squares = 0.0;
    for (int i = 0; i < count; ++i)
        squares += static_cast<double>(v[i]) * v[i];
    const auto length = static_cast<float>(std::sqrt(squares));
    if (length == 0.0f)
        return;
    for (int i = 0; i < count; ++i)
        v[i] /= length;
}

float Gradient()
{
    return static_cast<float>(std::rand() % (B + B) - B) / B;
}

// The reference tables. Only the permutation and the 1-D gradients are read; the 2-D and 3-D
// gradients are drawn all the same so the permutation takes the reference's place in the
// rand sequence.
struct TNoiseTables
{
    int p[TableSize];
    float g1[TableSize];
    float g2[TableSize][2];
    float g3[TableSize][3];

    TNoiseTables()
    {
        // The noise source's name goes into the name table first, so its text can be printed.
        TName("sources/core/math/noise.inl", true);
        for (int i = 0; i < B; ++i)
        {
            p[i] = i;
            g1[i] = Gradient();
            for (float& g : g2[i])
                g = Gradient();
            Normalize(g2[i], 2);
            for (float& g : g3[i])
                g = Gradient();
            Normalize(g3[i], 3);
        }
        for (int i = B - 1; i > 0; --i)
            std::swap(p[i], p[std::rand() % B]);
        // The copies let a lookup index up to 2B + 1 without wrapping.
        for (int i = 0; i < B + 2; ++i)
        {
            p[B + i] = p[i];
            g1[B + i] = g1[i];
            g2[B + i][0] = g2[i][0];
            g2[B + i][1] = g2[i][1];
            for (int j = 0; j < 3; ++j)
                g3[B + i][j] = g3[i][j];
        }
    }
};

const TNoiseTables& Tables()
{
    static const TNoiseTables tables;
    return tables;
}

// Built at start-up, so the tables do not depend on rand draws made later in the run.
[[maybe_unused]] const TNoiseTables& builtAtStart = Tables();

float SCurve(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

float Lerp(float t, float a, float b)
{
    return a + t * (b - a);
}
} // namespace

float Noise1(float x)
{
    const TNoiseTables& tables = Tables();
    const float t = x + N;
    // Beyond the integer range (or for a NaN) the lattice cell has no index.
    if (!(Abs(t) < 2147483520.0f))
        return 0.0f;
    const int whole = static_cast<int>(t);
    const int b0 = whole & BM;
    const int b1 = (b0 + 1) & BM;
    const float r0 = t - static_cast<float>(whole);
    const float r1 = r0 - 1.0f;
    const float u = r0 * tables.g1[tables.p[b0]];
    const float v = r1 * tables.g1[tables.p[b1]];
    return Lerp(SCurve(r0), u, v);
}

float NoiseOctaves1(float x, float alpha, float beta, int octaves)
{
    float sum = 0.0f;
    float scale = 1.0f;
    for (int i = 0; i < octaves; ++i)
    {
        sum += Noise1(x) / scale;
        scale *= alpha;
        x *= beta;
    }
    return sum;
}

TVector NoiseVector1D(float x, float factor)
{
    return TVector(NoiseOctaves1(x, 2.0f, 2.0f, 3) * factor, NoiseOctaves1(x + 0.15f, 2.0f, 2.0f, 3) * factor,
                   NoiseOctaves1(x + 0.3f, 2.0f, 2.0f, 3) * factor, 1.0f);
}

TVector NoiseVector3D(const TVector& point, float factor)
{
    return TVector(NoiseOctaves1(point.x, 2.0f, 2.0f, 3) * factor,
                   NoiseOctaves1(point.y, 2.0f, 2.0f, 3) * factor,
                   NoiseOctaves1(point.z, 2.0f, 2.0f, 3) * factor, 1.0f);
}
