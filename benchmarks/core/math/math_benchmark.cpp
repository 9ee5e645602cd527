#include "core/math/curve.h"
#include "core/math/half.h"
#include "core/math/matrix.h"
#include "core/math/noise.h"
#include "core/math/random.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
TMatrix SampleMatrix()
{
    TMatrix m = TMatrix::RotationXYZ(12.0f, -40.0f, 73.0f);
    m.Translation() = TVector(3.0f, -1.0f, 8.0f, 1.0f);
    return m;
}

void MatrixMultiply(benchmark::State& state)
{
    TMatrix a = SampleMatrix();
    const TMatrix b = TMatrix::RotationY(1.0f);
    for (auto _ : state)
    {
        a = TMatrix::Multiply(a, b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(MatrixMultiply);

void MatrixInverse(benchmark::State& state)
{
    TMatrix m = SampleMatrix();
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(m);
        TMatrix inverse = m.Inverse();
        benchmark::DoNotOptimize(inverse);
    }
}
BENCHMARK(MatrixInverse);

void RandomNext(benchmark::State& state)
{
    TRandom random(5489);
    for (auto _ : state)
        benchmark::DoNotOptimize(random.Next());
}
BENCHMARK(RandomNext);

void NoiseVector(benchmark::State& state)
{
    float x = 0.0f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(NoiseVector1D(x, 1.0f));
        x += 0.001f;
    }
}
BENCHMARK(NoiseVector);

void HalfConversion(benchmark::State& state)
{
    float x = 0.001f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(HalfToFloat(FloatToHalf(x)));
        x *= 1.0001f;
    }
}
BENCHMARK(HalfConversion);

void CurveCatmullRom(benchmark::State& state)
{
    // A stored curve: the count, then the points right after it.
    constexpr u32 count = 64;
    std::vector<u32> words(1 + count * 4);
    words[0] = count;
    auto* points = reinterpret_cast<TVector*>(words.data() + 1);
    for (u32 i = 0; i < count; ++i)
        points[i] =
            TVector(static_cast<float>(i), static_cast<float>(i % 7), static_cast<float>(i % 3), 1.0f);
    const auto& curve = *reinterpret_cast<const TCurve*>(words.data());
    TVector status, point;
    float t = 0.0f;
    for (auto _ : state)
    {
        TCurve::Evaluate(TCurve::CatmullRom, status, curve, point, t);
        benchmark::DoNotOptimize(point);
        t = t < 1.0f ? t + 0.0007f : 0.0f;
    }
}
BENCHMARK(CurveCatmullRom);
} // namespace
