// Set-up's records, bit for bit: the edges, bounds and planes it bins for a varied scene of
// triangles, lines and points must not change by one bit when set-up is made faster, since every
// pixel drawn comes from them.
#include "platform/d3d9/primitivesetup.h"
#include "platform/d3d9/simdlevel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
// Reproducible numbers in [lo, hi).
class TNumbers
{
public:
    float Next(float lo, float hi)
    {
        seed_ = seed_ * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(seed_ >> 8) * (1.0f / 16777216.0f);
    }

private:
    std::uint32_t seed_ = 7;
};

struct TSetupScene
{
    DWORD states[D3DRS_COUNT] = {};
    TDrawCall call = {};

    TSetupScene(DWORD cull, DWORD fill)
    {
        states[D3DRS_CULLMODE] = cull;
        states[D3DRS_FILLMODE] = fill;
        const float bias = 1.0f / 4096.0f, slope = 0.5f, size = 3.0f, largest = 64.0f;
        std::memcpy(&states[D3DRS_DEPTHBIAS], &bias, 4);
        std::memcpy(&states[D3DRS_SLOPESCALEDEPTHBIAS], &slope, 4);
        std::memcpy(&states[D3DRS_POINTSIZE], &size, 4);
        std::memcpy(&states[D3DRS_POINTSIZE_MAX], &largest, 4);
        call.renderStates = states;
        // A viewport not at the origin, with a depth range, and a scissored clip rectangle.
        call.viewport = {40, 24, 1200, 680, 0.25f, 0.75f};
        call.clip = {48, 30, 1230, 700};
        call.originX = 48;
        call.originY = 30;
    }
};

// FNV-1a, a word at a time, over every record every run left in every tile, in order.
std::uint64_t Hash(const TTileBins& bins, std::uint64_t hash = 14695981039346656037ull)
{
    for (int run = 0; run < bins.Runs(); ++run)
    {
        for (int tile = 0; tile < bins.Tiles(); ++tile)
        {
            const std::span<const float> bin = bins.Bin(run, tile);
            for (float value : bin)
            {
                std::uint32_t bits;
                std::memcpy(&bits, &value, 4);
                hash = (hash ^ bits) * 1099511628211ull;
            }
        }
    }
    return hash;
}

// Sets up a scene of every kind of corner set-up meets: small and large triangles, some with
// perspective, some crossing the guard band, the near or far plane or the eye plane, some
// degenerate; then the hash of the records binned.
std::uint64_t SceneHash(DWORD cull, DWORD fill, int varyings)
{
    TSetupScene scene(cull, fill);
    TTileBins bins;
    bins.Reset(scene.call.clip, 2, 2 + 4 * varyings);
    const int stride = kVertexHeader + 4 * varyings;
    TNumbers numbers;
    std::vector<float> corners(size_t(3) * stride);
    for (int run = 0; run < 2; ++run)
    {
        TPrimitiveSetup setup(scene.call, varyings, bins, run);
        for (int i = 0; i < 600; ++i)
        {
            const int kind = i % 6;
            const float cx = numbers.Next(-1.2f, 1.2f), cy = numbers.Next(-1.2f, 1.2f);
            const float reach = kind == 0 ? 0.01f : kind == 1 ? 0.3f : kind == 2 ? 40.0f : 1.0f;
            for (int c = 0; c < 3; ++c)
            {
                float* v = &corners[size_t(c) * stride];
                const float w = kind == 3   ? numbers.Next(-0.5f, 3.0f)
                                : kind == 4 ? numbers.Next(0.5f, 4.0f)
                                            : 1.0f;
                v[0] = (cx + numbers.Next(-reach, reach)) * w;
                v[1] = (cy + numbers.Next(-reach, reach)) * w;
                v[2] = numbers.Next(kind == 5 ? -0.5f : 0.0f, kind == 5 ? 1.5f : 1.0f) * w;
                v[3] = w;
                v[4] = numbers.Next(-1.0f, 8.0f);
                for (int k = 0; k < 4 * varyings; ++k)
                    v[kVertexHeader + k] = numbers.Next(-2.0f, 2.0f);
            }
            // Some triangles share a corner twice: no area.
            if (i % 97 == 0)
                std::memcpy(&corners[size_t(stride)], &corners[0], sizeof(float) * stride);
            setup.Triangle(&corners[0], &corners[size_t(stride)], &corners[size_t(2) * stride]);
            if (i % 50 == 0)
            {
                setup.Line(&corners[0], &corners[size_t(stride)]);
                setup.Point(&corners[size_t(2) * stride]);
            }
        }
    }
    return Hash(bins);
}

std::uint64_t AllScenesHash()
{
    std::uint64_t hash = 0;
    for (DWORD cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW})
    {
        for (int varyings : {0, 1, 3})
            hash = hash * 31 + SceneHash(cull, D3DFILL_SOLID, varyings);
    }
    hash = hash * 31 + SceneHash(D3DCULL_CCW, D3DFILL_WIREFRAME, 1);
    hash = hash * 31 + SceneHash(D3DCULL_NONE, D3DFILL_POINT, 2);
    return hash;
}
} // namespace

TEST(PrimitiveSetupTest, RecordsKeepEveryBit)
{
    // The same on every instruction set the processor runs.
    const ESimdLevel level = RasteriserSimdLevel();
    for (ESimdLevel each : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (SetRasteriserSimdLevel(each))
        {
            EXPECT_EQ(9731495409329794250u, AllScenesHash()) << "level " << int(each);
        }
    }
    SetRasteriserSimdLevel(level);
}

TEST(PrimitiveSetupTest, ViewportsReachingPastTheGuardBandStillClipToIt)
{
    // Every corner inside the viewport, which reaches 8,950 pixels: the pieces set up keep
    // within the band's 8,192.
    TSetupScene scene(D3DCULL_NONE, D3DFILL_SOLID);
    scene.call.viewport = {8000, 0, 1000, 64, 0.0f, 1.0f};
    scene.call.clip = {8000, 0, 9000, 64};
    scene.call.originX = 8000;
    TTileBins bins;
    bins.Reset(scene.call.clip, 1, 2);
    {
        TPrimitiveSetup setup(scene.call, 0, bins, 0);
        const float corners[3][kVertexHeader] = {
            {-0.9f, -0.5f, 0.5f, 1.0f, 1.0f}, {0.9f, -0.5f, 0.5f, 1.0f, 1.0f}, {0.9f, 0.5f, 0.5f, 1.0f, 1.0f}};
        setup.Triangle(corners[0], corners[1], corners[2]);
    }
    int records = 0;
    for (int tile = 0; tile < bins.Tiles(); ++tile)
    {
        const std::span<const float> bin = bins.Bin(0, tile);
        for (size_t at = 0; at < bin.size(); at += size_t(bins.RecordFloats()))
        {
            TBinnedTriangle triangle;
            std::memcpy(&triangle, &bin[at], sizeof triangle);
            ++records;
            for (int x : triangle.x)
                EXPECT_LE(x, 8192 * kSubpixel);
        }
    }
    EXPECT_GT(records, 0);
}
