// Bilinear sampling of A8R8G8B8 and X8R8G8B8 levels: quads whose texels all lie inside the
// level take a path of their own, which must agree bit for bit with the addressed one.
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/simdlevel.h"
#include "platform/d3d9/texel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <utility>

namespace
{
constexpr int kWidth = 16, kHeight = 8;

class SamplerTest : public ::testing::TestWithParam<D3DFORMAT>
{
protected:
    void SetUp() override { MakeLevel(kWidth, kHeight); }

    // A level of random texels to bind.
    void MakeLevel(int width, int height)
    {
        store = std::make_unique<TTextureStore>(D3DRTYPE_TEXTURE, GetParam(), UINT(width), UINT(height), 1, 1,
                                                1, false);
        TImage& image = store->Image(0, 0);
        unsigned seed = 5;
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                std::memcpy(image.Row(UINT(y)) + x * 4, &seed, 4);
            }
        }
    }

    void Bind(DWORD filter, DWORD address)
    {
        DWORD states[D3DSAMP_COUNT] = {};
        states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = address;
        states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = filter;
        states[D3DSAMP_BORDERCOLOR] = 0x80402010;
        samplers.Bind(0, store.get(), states, 0);
    }

    // Whether lane `lane` of two samples holds the same bits in every channel.
    static bool SameLane(const TQuadVector& a, const TQuadVector& b, int lane)
    {
        const float left[4] = {a.x[lane], a.y[lane], a.z[lane], a.w[lane]};
        const float right[4] = {b.x[lane], b.y[lane], b.z[lane], b.w[lane]};
        return std::memcmp(left, right, sizeof left) == 0;
    }

    std::unique_ptr<TTextureStore> store;
    TSamplerSet samplers;
};

// Coordinates whose 2x2 texels all lie inside the level, in texture units.
float Inside(unsigned& seed, int size)
{
    seed = seed * 1103515245u + 12345u;
    const float texel = 0.5f + float(seed >> 8 & 0xFFFF) / 65536.0f * float(size - 1.01f);
    return texel / float(size);
}
} // namespace

TEST_P(SamplerTest, InsideQuadsMatchTheAddressedPathLaneByLane)
{
    for (const auto& [filter, address] :
         {std::pair{D3DTEXF_LINEAR, D3DTADDRESS_WRAP}, std::pair{D3DTEXF_LINEAR, D3DTADDRESS_CLAMP},
          std::pair{D3DTEXF_LINEAR, D3DTADDRESS_BORDER}, std::pair{D3DTEXF_POINT, D3DTADDRESS_WRAP},
          std::pair{D3DTEXF_POINT, D3DTADDRESS_BORDER}})
    {
        Bind(filter, address);
        unsigned seed = 11;
        for (int round = 0; round < 200; ++round)
        {
            float u[4], v[4];
            for (int lane = 0; lane < 4; ++lane)
            {
                u[lane] = Inside(seed, kWidth);
                v[lane] = Inside(seed, kHeight);
            }
            const TQuadVector inside = samplers.Sample(0, TQuad::Lanes(u[0], u[1], u[2], u[3]),
                                                       TQuad::Lanes(v[0], v[1], v[2], v[3]));
            for (int lane = 0; lane < 4; ++lane)
            {
                // The other lanes read past the level's edge, which takes the quad through
                // addressing.
                float uu[4] = {-0.01f, 1.01f, -0.01f, 1.01f}, vv[4] = {-0.02f, -0.02f, 1.02f, 1.02f};
                uu[lane] = u[lane];
                vv[lane] = v[lane];
                const TQuadVector addressed = samplers.Sample(0, TQuad::Lanes(uu[0], uu[1], uu[2], uu[3]),
                                                              TQuad::Lanes(vv[0], vv[1], vv[2], vv[3]));
                ASSERT_TRUE(SameLane(addressed, inside, lane))
                    << "address mode " << address << ", u " << u[lane] << ", v " << v[lane];
            }
        }
    }
}

TEST_P(SamplerTest, FilterWeightsAreIn256ths)
{
    // One row of two texels, black and white in every channel, a quarter of the way across.
    TImage& image = store->Image(0, 0);
    const std::uint32_t black = 0, white = 0xFFFFFFFF;
    for (int y = 0; y < 2; ++y)
    {
        std::memcpy(image.Row(UINT(y)), &black, 4);
        std::memcpy(image.Row(UINT(y)) + 4, &white, 4);
    }
    Bind(D3DTEXF_LINEAR, D3DTADDRESS_CLAMP);
    // Texel centres at 0.5 and 1.5; x = 0.75 weighs the white one 64/256, x = 1.0 exactly 128.
    const TQuad u = TQuad::Lanes(0.75f / kWidth, 1.0f / kWidth, 0.5f / kWidth, 1.5f / kWidth);
    const TQuadVector sample = samplers.Sample(0, u, TQuad(1.0f / kHeight));
    const float unit = 1.0f / 255.0f;
    EXPECT_EQ(64.0f * unit, sample.x[0]);  // (255 * 64 + 128) >> 8
    EXPECT_EQ(128.0f * unit, sample.y[1]); // (255 * 128 + 128) >> 8
    EXPECT_EQ(0.0f, sample.z[2]);
    EXPECT_EQ(255.0f * unit, sample.w[3]);
}

TEST_P(SamplerTest, PointQuadsMatchTheWordsPathOnEveryAddressMode)
{
    // Quads inside the level, on its last texels and past its edges, at points: Sample's
    // channels are the words SampleWords reads, over 255.
    unsigned seed = 31;
    for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER})
    {
        Bind(D3DTEXF_POINT, address);
        for (int round = 0; round < 300; ++round)
        {
            float lanes[8];
            for (float& lane : lanes)
            {
                seed = seed * 1103515245u + 12345u;
                // Odd rounds reach past the edges; every fifth lane sits on the last texel.
                lane = float(seed >> 8 & 0xFFFF) / 65536.0f * (round % 2 ? 1.4f : 1.0f) - (round % 2 ? 0.2f : 0.0f);
                if ((seed >> 4) % 5 == 0)
                    lane = 0.999f;
            }
            const TQuad u = TQuad::Lanes(lanes[0], lanes[1], lanes[2], lanes[3]);
            const TQuad v = TQuad::Lanes(lanes[4], lanes[5], lanes[6], lanes[7]);
            const TQuadVector quad = samplers.Sample(0, u, v);
            const TQuadVector words = UnpackArgb(samplers.SampleWords(0, u, v));
            ASSERT_EQ(0, std::memcmp(&quad, &words, sizeof(quad))) << "address mode " << address << ", round " << round;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SamplerTest, ::testing::Values(D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8));

TEST_P(SamplerTest, RepeatsMatchTheGeneralPathBitForBit)
{
    // Coordinates several repeats away, seams included, each lane against the general path:
    // point sampling lane by lane, bilinear through addressing (the other lanes on a seam).
    unsigned seed = 23;
    auto next = [&](int size) {
        seed = seed * 1103515245u + 12345u;
        return float(int((seed >> 8) % (7 * size * 64)) - 3 * size * 64) / float(size * 64);
    };
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
    {
        Bind(filter, D3DTADDRESS_WRAP);
        for (int round = 0; round < 400; ++round)
        {
            float u[4], v[4];
            for (int lane = 0; lane < 4; ++lane)
            {
                u[lane] = next(kWidth);
                v[lane] = next(kHeight);
            }
            const TQuadVector sample = samplers.Sample(0, TQuad::Lanes(u[0], u[1], u[2], u[3]),
                                                       TQuad::Lanes(v[0], v[1], v[2], v[3]));
            for (int lane = 0; lane < 4; ++lane)
            {
                float uu[4] = {-0.01f, -0.01f, -0.01f, -0.01f}, vv[4] = {0.5f, 0.5f, 0.5f, 0.5f};
                uu[lane] = u[lane];
                vv[lane] = v[lane];
                const TQuad lu = TQuad::Lanes(uu[0], uu[1], uu[2], uu[3]);
                const TQuad lv = TQuad::Lanes(vv[0], vv[1], vv[2], vv[3]);
                const TQuadVector general = filter == D3DTEXF_POINT ? samplers.SampleLevel(0, lu, lv, 0.0f)
                                                                    : samplers.Sample(0, lu, lv);
                ASSERT_TRUE(SameLane(general, sample, lane))
                    << "filter " << filter << ", u " << u[lane] << ", v " << v[lane];
            }
        }
    }
}

TEST_P(SamplerTest, WideInstructionsMatchSse2BitForBit)
{
    if (!SimdLevelAvailable(ESimdLevel::Avx2))
        GTEST_SKIP() << "the processor has no AVX2";
    const ESimdLevel chosen = RasteriserSimdLevel();
    unsigned seed = 31;
    for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP})
    {
        Bind(D3DTEXF_LINEAR, address);
        for (int round = 0; round < 400; ++round)
        {
            float u[4], v[4];
            for (int lane = 0; lane < 4; ++lane)
            {
                u[lane] = Inside(seed, kWidth) + float(round % 3);
                v[lane] = Inside(seed, kHeight) - float(round % 2);
            }
            const TQuad qu = TQuad::Lanes(u[0], u[1], u[2], u[3]), qv = TQuad::Lanes(v[0], v[1], v[2], v[3]);
            ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Sse2));
            const TQuadVector narrow = samplers.Sample(0, qu, qv);
            ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Avx2));
            const TQuadVector wide = samplers.Sample(0, qu, qv);
            for (int lane = 0; lane < 4; ++lane)
            {
                ASSERT_TRUE(SameLane(narrow, wide, lane))
                    << "address mode " << address << ", u " << u[lane] << ", v " << v[lane];
            }
        }
    }
    SetRasteriserSimdLevel(chosen);
}

TEST_P(SamplerTest, RowsMatchQuadByQuadOnEveryPath)
{
    // Rows of odd and even lengths, mostly inside the level with some quads on wrap seams or
    // clamped edges both ways and some lanes far outside, against SampleWords quad by quad on
    // SSE2, on every instruction level; on a small level and one whose rows are 2^15 bytes.
    const ESimdLevel chosen = RasteriserSimdLevel();
    unsigned seed = 47;
    for (const auto& [width, height] : {std::pair{kWidth, kHeight}, std::pair{8192, 4}})
    {
        MakeLevel(width, height);
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        {
            for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP})
            {
                Bind(filter, address);
                for (int count = 1; count <= 9; ++count)
                {
                    for (int round = 0; round < 40; ++round)
                    {
                        TQuad u[9], v[9];
                        for (int i = 0; i < count; ++i)
                        {
                            float lanesU[4], lanesV[4];
                            for (int lane = 0; lane < 4; ++lane)
                            {
                                seed = seed * 1103515245u + 12345u;
                                const bool seamU = (seed >> 20) % 5 == 0, seamV = (seed >> 24) % 7 == 0;
                                // Too large to convert (the weight comes out as 0x80000000), or
                                // too large to convert in 1/256ths of a texel.
                                const bool huge = (seed >> 12) % 13 == 0;
                                const float far = (seed >> 16) & 1 ? 3.0e9f : -700001.3f;
                                lanesU[lane] =
                                    huge ? far : (seamU ? 0.01f : Inside(seed, width)) + float(round % 3);
                                lanesV[lane] = (seamV ? 0.99f : Inside(seed, height)) - float(round % 2);
                                // Fractions of exactly k + 1/2 256ths round to even.
                                if ((seed >> 8) % 11 == 0)
                                {
                                    lanesU[lane] = (3.5f + 100.5f / 256.0f) / float(width) + float(round % 3);
                                    lanesV[lane] = (2.5f + 77.5f / 256.0f) / float(height) - float(round % 2);
                                }
                            }
                            u[i] = TQuad::Lanes(lanesU[0], lanesU[1], lanesU[2], lanesU[3]);
                            v[i] = TQuad::Lanes(lanesV[0], lanesV[1], lanesV[2], lanesV[3]);
                        }
                        ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Sse2));
                        __m128i expected[9];
                        for (int i = 0; i < count; ++i)
                            expected[i] = samplers.SampleWords(0, u[i], v[i]);
                        for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
                        {
                            if (!SimdLevelAvailable(level))
                                continue;
                            ASSERT_TRUE(SetRasteriserSimdLevel(level));
                            __m128i words[9];
                            samplers.SampleWordsRow(0, u, v, count, words);
                            ASSERT_EQ(0, std::memcmp(expected, words, sizeof(__m128i) * count))
                                << "filter " << filter << ", address mode " << address << ", " << count
                                << " quads, round " << round << ", width " << width;
                        }
                    }
                }
            }
        }
    }
    SetRasteriserSimdLevel(chosen);
}

TEST_P(SamplerTest, RowsOverOneColourMatchQuadByQuad)
{
    // Texels 4..9 across and 2..5 down hold one colour (X8R8G8B8's alpha bytes differ, which it
    // reads as 255): rows whose filters weigh only those answer it in every lane. Rows reaching
    // the texels beside it by a 256th of a texel, on either side, rows with a lane that is not a
    // number or too far out to convert (at an end of the row or inside it), and rows reaching
    // past the level's edge must still filter as quad by quad does.
    TImage& image = store->Image(0, 0);
    for (int y = 2; y <= 5; ++y)
    {
        for (int x = 4; x <= 9; ++x)
        {
            const std::uint32_t alpha = GetParam() == D3DFMT_X8R8G8B8 ? std::uint32_t(x * 16 + y) : 0x80u;
            const std::uint32_t word = 0x00A0B0C0u | alpha << 24;
            std::memcpy(image.Row(UINT(y)) + x * 4, &word, 4);
        }
    }
    const ESimdLevel chosen = RasteriserSimdLevel();
    const float step = 1.0f / 256.0f;
    // (first and last x, first and last y) in texels less one half, as the bilinear filter reads them.
    struct TSpan
    {
        float x0, x1, y0, y1;
    };
    const TSpan spans[] = {
        {4.0f, 9.0f - step, 2.0f, 5.0f - step},   // weighs the block alone
        {4.0f - step, 8.0f, 2.5f, 4.0f},          // a 256th onto the column before it
        {5.0f, 9.0f + step, 2.5f, 4.0f},          // onto the column after it
        {5.0f, 8.0f, 2.0f - step, 4.0f},          // onto the row above it
        {5.0f, 8.0f, 3.0f, 5.0f + step},          // onto the row below it
        {-0.5f, 3.0f, 2.0f, 3.0f},                // past the level's left edge
        {0.0f, 15.0f, 0.0f, 7.0f},                // the whole level: too many texels to look at
    };
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
    {
        for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP})
        {
            Bind(filter, address);
            for (const TSpan& span : spans)
            {
                // 0 every lane as the span has it; 1 and 2 a lane not a number inside the row and at
                // its end; 3 and 4 a lane too far out to convert there.
                for (int odd = 0; odd < 5; ++odd)
                {
                    // Six quads: the span's corners in the first, points between in the rest.
                    constexpr int kCount = 6;
                    TQuad u[kCount], v[kCount];
                    for (int i = 0; i < kCount; ++i)
                    {
                        const float t = float(i) / float(kCount);
                        const float xs[4] = {span.x0, span.x1, span.x0 + (span.x1 - span.x0) * t,
                                             span.x1 - (span.x1 - span.x0) * t};
                        const float ys[4] = {span.y0, span.y1, span.y1 - (span.y1 - span.y0) * t,
                                             span.y0 + (span.y1 - span.y0) * t};
                        float lanesU[4], lanesV[4];
                        for (int lane = 0; lane < 4; ++lane)
                        {
                            // Point sampling reads floor(x + 1/2): the same texels, nearest.
                            lanesU[lane] = (xs[lane] + 0.5f) / float(kWidth);
                            lanesV[lane] = (ys[lane] + 0.5f) / float(kHeight);
                        }
                        if (odd > 0 && i == (odd % 2 ? 2 : kCount - 1))
                            lanesU[1] = odd <= 2 ? std::nanf("") : 3.0e9f;
                        u[i] = TQuad::Lanes(lanesU[0], lanesU[1], lanesU[2], lanesU[3]);
                        v[i] = TQuad::Lanes(lanesV[0], lanesV[1], lanesV[2], lanesV[3]);
                    }
                    ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Sse2));
                    __m128i expected[kCount];
                    for (int i = 0; i < kCount; ++i)
                        expected[i] = samplers.SampleWords(0, u[i], v[i]);
                    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
                    {
                        if (!SimdLevelAvailable(level))
                            continue;
                        ASSERT_TRUE(SetRasteriserSimdLevel(level));
                        __m128i words[kCount];
                        samplers.SampleWordsRow(0, u, v, kCount, words);
                        EXPECT_EQ(0, std::memcmp(expected, words, sizeof words))
                            << "filter " << filter << ", address mode " << address << ", span from " << span.x0
                            << ", " << span.y0 << " to " << span.x1 << ", " << span.y1 << ", odd lane "
                            << odd;
                    }
                }
            }
        }
    }
    SetRasteriserSimdLevel(chosen);
}

TEST(SamplerPlaceTest, OnePlaceInEveryLaneReadsAsLaneByLane)
{
    // A level read texel by texel (R5G6B5), point and bilinear: a quad at one place answers in
    // every lane what a quad whose other lanes lie elsewhere answers in its first.
    TTextureStore store(D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, 5, 3, 1, 1, 1, false);
    TImage& image = store.Image(0, 0);
    unsigned seed = 11;
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 5; ++x)
        {
            seed = seed * 1664525u + 1013904223u;
            const std::uint16_t texel = std::uint16_t(seed >> 16);
            std::memcpy(image.Row(UINT(y)) + x * 2, &texel, 2);
        }
    }
    TSamplerSet samplers;
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
    {
        DWORD states[D3DSAMP_COUNT] = {};
        states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = D3DTADDRESS_CLAMP;
        states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = filter;
        samplers.Bind(0, &store, states, 0);
        for (float u : {0.1f, 0.5f, 0.77f})
        {
            for (float v : {0.2f, 0.5f, 0.9f})
            {
                const TQuadVector one = samplers.Sample(0, TQuad(u), TQuad(v));
                const TQuadVector apart =
                    samplers.Sample(0, TQuad::Lanes(u, 0.3f, 0.6f, 0.95f), TQuad::Lanes(v, 0.1f, 0.4f, 0.8f));
                for (int lane = 0; lane < 4; ++lane)
                {
                    EXPECT_EQ(apart.x[0], one.x[lane]) << "filter " << filter << " at " << u << ", " << v;
                    EXPECT_EQ(apart.y[0], one.y[lane]);
                    EXPECT_EQ(apart.z[0], one.z[lane]);
                    EXPECT_EQ(apart.w[0], one.w[lane]);
                }
            }
        }
    }
}

TEST(SamplerPlaceTest, SixteenBitPointQuadsMatchTheFilterLaneByLane)
{
    // An R5G6B5 level holding every 16-bit word once, sampled at points four lanes at a time,
    // against the filter lane by lane: every texel at its centre and at random places inside,
    // then quads reaching past the edges and far beyond, clamped, repeated and with a border.
    constexpr int kSide = 256;
    TTextureStore store(D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, kSide, kSide, 1, 1, 1, false);
    TImage& image = store.Image(0, 0);
    for (int y = 0; y < kSide; ++y)
    {
        for (int x = 0; x < kSide; ++x)
        {
            const std::uint16_t texel = std::uint16_t(y * kSide + x);
            std::memcpy(image.Row(UINT(y)) + x * 2, &texel, 2);
        }
    }
    TSamplerSet samplers;
    unsigned seed = 31;
    const auto random = [&](float low, float high) {
        seed = seed * 1103515245u + 12345u;
        return low + float(seed >> 8 & 0xFFFF) / 65536.0f * (high - low);
    };
    const auto expectLaneByLane = [&](const TQuad& u, const TQuad& v, const char* what) {
        const TQuadVector quad = samplers.Sample(0, u, v);
        const TQuadVector lane = samplers.SampleLevel(0, u, v, TQuad(0.0f));
        ASSERT_EQ(0, std::memcmp(&quad, &lane, sizeof(quad)))
            << what << " at " << u[0] << ", " << v[0] << " ... " << u[3] << ", " << v[3];
    };
    for (DWORD address : {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER})
    {
        DWORD states[D3DSAMP_COUNT] = {};
        states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = address;
        states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        states[D3DSAMP_BORDERCOLOR] = 0x80FF4020;
        samplers.Bind(0, &store, states, 0);
        for (int t = 0; t < kSide * kSide; t += 4)
        {
            float u[4], v[4];
            for (int lane = 0; lane < 4; ++lane)
            {
                // Lanes of texels far apart, as a reduction's taps are.
                const int texel = int(unsigned(t + lane) * 40503u % unsigned(kSide * kSide));
                u[lane] = (float(texel % kSide) + 0.5f) / float(kSide);
                v[lane] = (float(texel / kSide) + 0.5f) / float(kSide);
            }
            expectLaneByLane(TQuad::Lanes(u[0], u[1], u[2], u[3]), TQuad::Lanes(v[0], v[1], v[2], v[3]),
                             "centres");
        }
        for (int round = 0; round < 4000; ++round)
        {
            // Even rounds inside the level, odd ones reaching past its edges.
            const float low = round % 2 ? -0.05f : 0.0f, high = round % 2 ? 1.05f : 0.9999f;
            const TQuad u =
                TQuad::Lanes(random(low, high), random(low, high), random(low, high), random(low, high));
            const TQuad v =
                TQuad::Lanes(random(low, high), random(low, high), random(low, high), random(low, high));
            expectLaneByLane(u, v, round % 2 ? "past the edges" : "inside");
        }
        // Far outside, and not a number: indices beyond what a lane's floor holds exactly.
        const float far[] = {-1e20f, 1e20f, -9e6f, 9e6f, -4194305.3f, NAN, 0.5f};
        for (float a : far)
        {
            for (float b : far)
                expectLaneByLane(TQuad::Lanes(a, 0.5f, b, 0.25f), TQuad::Lanes(0.5f, b, 0.75f, a), "far");
        }
    }
}

TEST(SamplerPlaceTest, BilinearFloatQuadsMatchTheFilterLaneByLane)
{
    // A16B16G16R16F and R32F levels filtered bilinearly, in every address mode: quads inside the
    // level, quads with a lane on the edge or a few sizes past it (a scaled-down image's last row
    // and column), and lanes too far out to address four at once, against the filter lane by lane
    // at level 0.
    unsigned seed = 23;
    for (D3DFORMAT format : {D3DFMT_A16B16G16R16F, D3DFMT_R32F})
    {
        const int bytes = format == D3DFMT_R32F ? 4 : 8;
        TTextureStore store(D3DRTYPE_TEXTURE, format, 7, 5, 1, 1, 1, false);
        TImage& image = store.Image(0, 0);
        for (int y = 0; y < 5; ++y)
        {
            for (int x = 0; x < 7 * bytes / 2; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                // Halves of moderate size (exponents 13-17), or floats in [0, 4).
                const std::uint16_t half = std::uint16_t(0x3400 + (seed >> 18) % 0x1800);
                std::memcpy(image.Row(UINT(y)) + x * 2, &half, 2);
            }
            if (bytes == 4)
            {
                for (int x = 0; x < 7; ++x)
                {
                    seed = seed * 1664525u + 1013904223u;
                    const float value = float(seed >> 8) / float(1 << 22);
                    std::memcpy(image.Row(UINT(y)) + x * 4, &value, 4);
                }
            }
        }
        for (DWORD address : {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_BORDER,
                              D3DTADDRESS_MIRRORONCE})
        {
            DWORD states[D3DSAMP_COUNT] = {};
            states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = address;
            states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = D3DTEXF_LINEAR;
            states[D3DSAMP_BORDERCOLOR] = 0x80402010;
            TSamplerSet samplers;
            samplers.Bind(0, &store, states, 0);
            for (int round = 0; round < 300; ++round)
            {
                float lanes[8];
                for (float& lane : lanes)
                {
                    seed = seed * 1103515245u + 12345u;
                    // Rounds of kind 1 reach past the edges, of kind 2 a few sizes past them.
                    const int kind = round % 3;
                    const float r = float(seed >> 8 & 0xFFFF) / 65536.0f;
                    lane = kind == 0 ? r * 0.6f + 0.2f : kind == 1 ? r * 1.2f - 0.1f : r * 7.0f - 3.0f;
                    if ((seed >> 26) == 0)
                        lane = (seed >> 25 & 1) ? 3.0e9f : -5.0e8f;
                }
                const TQuad u = TQuad::Lanes(lanes[0], lanes[1], lanes[2], lanes[3]);
                const TQuad v = TQuad::Lanes(lanes[4], lanes[5], lanes[6], lanes[7]);
                const TQuadVector quad = samplers.Sample(0, u, v);
                const TQuadVector lane = samplers.SampleLevel(0, u, v, TQuad(0.0f));
                ASSERT_EQ(0, std::memcmp(&quad, &lane, sizeof(quad)))
                    << "format " << format << ", address mode " << address << ", round " << round;
            }
        }
    }
}

namespace
{
// Two quads sampled at once, as the loops compiled for AVX2 sample them, into 32 floats (each
// channel's eight lanes).
[[gnu::target("avx2")]] void SamplePairInto(const TSamplerSet& samplers, const float (&u)[8], const float (&v)[8],
                                            float (&out)[32])
{
    TQuadPair pu, pv;
    std::memcpy(&pu.v, u, sizeof u);
    std::memcpy(&pv.v, v, sizeof v);
    const TLaneVector<TQuadPair> pair = samplers.SamplePair(0, pu, pv);
    std::memcpy(out, &pair.x.v, 32);
    std::memcpy(out + 8, &pair.y.v, 32);
    std::memcpy(out + 16, &pair.z.v, 32);
    std::memcpy(out + 24, &pair.w.v, 32);
}
} // namespace

TEST(SamplerPairTest, PairsMatchQuadByQuadBitForBit)
{
    // Float (four halves, one float), 32-bit and 16-bit levels at points and filtered, and nothing bound:
    // two neighbouring quads
    // of an image's own pixels, taps a pixel or more away, scattered lanes and lanes past the
    // edge, against each quad sampled alone.
    if (!SimdLevelAvailable(ESimdLevel::Avx2))
        GTEST_SKIP() << "the processor has no AVX2";
    const ESimdLevel chosen = RasteriserSimdLevel();
    ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Avx2));
    constexpr int kSide = 12;
    unsigned seed = 41;
    for (D3DFORMAT format :
         {D3DFMT_A16B16G16R16F, D3DFMT_R32F, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_UNKNOWN})
    {
        TTextureStore store(D3DRTYPE_TEXTURE, format == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : format, kSide, kSide, 1, 1,
                            1, false);
        TImage& image = store.Image(0, 0);
        const int bytes = format == D3DFMT_A16B16G16R16F ? 8 : format == D3DFMT_R5G6B5 ? 2 : 4;
        for (int y = 0; y < kSide; ++y)
        {
            for (int x = 0; x < kSide * bytes / 2; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                // Halves of moderate size, or any bytes.
                const std::uint16_t half = bytes == 8 ? std::uint16_t(0x3000 + (seed >> 18) % 0x2000)
                                                      : std::uint16_t(seed >> 16);
                std::memcpy(image.Row(UINT(y)) + x * 2, &half, 2);
            }
        }
        // Clamped lanes past the edge read the edge's texels on the pairs' own path; the other
        // modes, and clamping one way only, take the general one.
        constexpr DWORD kAddress[][2] = {{D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
                                         {D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
                                         {D3DTADDRESS_CLAMP, D3DTADDRESS_MIRROR},
                                         {D3DTADDRESS_BORDER, D3DTADDRESS_CLAMP}};
        for (const auto& address : kAddress)
        {
            for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
            {
                TSamplerSet samplers;
                DWORD states[D3DSAMP_COUNT] = {};
                states[D3DSAMP_ADDRESSU] = address[0];
                states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = address[1];
                states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = filter;
                states[D3DSAMP_BORDERCOLOR] = 0x80402010u;
                samplers.Bind(0, format == D3DFMT_UNKNOWN ? nullptr : &store, states, 0);
                for (int round = 0; round < 300; ++round)
                {
                    float u[8], v[8];
                    const int kind = round % 4;
                    seed = seed * 1103515245u + 12345u;
                    const int x0 = int(seed >> 8) % (kSide - 3), y0 = int(seed >> 16) % (kSide - 1);
                    // Kind 0: two neighbouring quads at pixel centres (the last column and row of the
                    // level included); 1: their taps a pixel left and one up; 2: lanes anywhere
                    // inside; 3: lanes reaching past the edges.
                    for (int lane = 0; lane < 8; ++lane)
                    {
                        const int px = x0 + (lane >> 2) * 2 + (lane & 1), py = y0 + (lane >> 1 & 1);
                        seed = seed * 1103515245u + 12345u;
                        const float r = float(seed >> 8 & 0xFFFF) / 65536.0f, s = float(seed >> 24) / 256.0f;
                        u[lane] = kind == 0   ? (float(px) + 0.5f) / kSide
                                  : kind == 1 ? (float(px) - 0.5f) / kSide
                                  : kind == 2 ? r
                                              : r * 1.4f - 0.2f;
                        v[lane] = kind == 0   ? (float(py) + 0.5f) / kSide
                                  : kind == 1 ? (float(py) - 0.5f) / kSide
                                  : kind == 2 ? s
                                              : s * 1.4f - 0.2f;
                    }
                    float pair[32];
                    SamplePairInto(samplers, u, v, pair);
                    for (int q = 0; q < 2; ++q)
                    {
                        const TQuadVector quad =
                            samplers.Sample(0, TQuad::Lanes(u[4 * q], u[4 * q + 1], u[4 * q + 2], u[4 * q + 3]),
                                            TQuad::Lanes(v[4 * q], v[4 * q + 1], v[4 * q + 2], v[4 * q + 3]));
                        const TQuad* channels[4] = {&quad.x, &quad.y, &quad.z, &quad.w};
                        for (int c = 0; c < 4; ++c)
                            ASSERT_EQ(0, std::memcmp(&channels[c]->v, pair + 8 * c + 4 * q, 16))
                                << "format " << format << ", address " << address[0] << " " << address[1] << ", filter "
                                << filter << ", round " << round << ", quad " << q << ", channel " << c;
                    }
                }
            }
        }
    }
    SetRasteriserSimdLevel(chosen);
}

namespace
{
constexpr int kTaps = 3;

// A sample of two quads as 32 floats (each channel's eight lanes).
[[gnu::target("avx2")]] void StorePair(const TLaneVector<TQuadPair>& tap, float (&out)[32])
{
    std::memcpy(out, &tap.x.v, 32);
    std::memcpy(out + 8, &tap.y.v, 32);
    std::memcpy(out + 16, &tap.z.v, 32);
    std::memcpy(out + 24, &tap.w.v, 32);
}

// Three taps of two quads sampled at once, and each tap alone.
[[gnu::target("avx2")]] void SampleTapsInto(const TSamplerSet& samplers, const float (&u)[kTaps][8],
                                            const float (&v)[kTaps][8], float (&together)[kTaps][32],
                                            float (&alone)[kTaps][32])
{
    TQuadPair pu[kTaps], pv[kTaps];
    for (int k = 0; k < kTaps; ++k)
    {
        std::memcpy(&pu[k].v, u[k], sizeof u[k]);
        std::memcpy(&pv[k].v, v[k], sizeof v[k]);
    }
    samplers.SamplePairs(0, pu, pv,
                         [&](int k, const TLaneVector<TQuadPair>& tap) { StorePair(tap, together[k]); });
    for (int k = 0; k < kTaps; ++k)
        StorePair(samplers.SamplePair(0, pu[k], pv[k]), alone[k]);
}
} // namespace

TEST(SamplerPairTest, TapsTogetherMatchEachAlone)
{
    // Taps of two quads read together, as blurs read them: float levels (a path of their own),
    // R32F, 32-bit levels and nothing bound, at points and filtered; taps a pixel around the
    // quads, anywhere inside, and with one tap reaching past the edges; against each tap alone.
    if (!SimdLevelAvailable(ESimdLevel::Avx2))
        GTEST_SKIP() << "the processor has no AVX2";
    const ESimdLevel chosen = RasteriserSimdLevel();
    ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Avx2));
    constexpr int kSide = 12;
    unsigned seed = 43;
    for (D3DFORMAT format : {D3DFMT_A16B16G16R16F, D3DFMT_R32F, D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN})
    {
        TTextureStore store(D3DRTYPE_TEXTURE, format == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : format, kSide,
                            kSide, 1, 1, 1, false);
        TImage& image = store.Image(0, 0);
        const int bytes = format == D3DFMT_A16B16G16R16F ? 8 : 4;
        for (int y = 0; y < kSide; ++y)
        {
            for (int x = 0; x < kSide * bytes / 2; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                const std::uint16_t half =
                    bytes == 8 ? std::uint16_t(0x3000 + (seed >> 18) % 0x2000) : std::uint16_t(seed >> 16);
                std::memcpy(image.Row(UINT(y)) + x * 2, &half, 2);
            }
        }
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        {
            TSamplerSet samplers;
            DWORD states[D3DSAMP_COUNT] = {};
            states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] =
                D3DTADDRESS_CLAMP;
            states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = filter;
            samplers.Bind(0, format == D3DFMT_UNKNOWN ? nullptr : &store, states, 0);
            for (int round = 0; round < 240; ++round)
            {
                float u[kTaps][8], v[kTaps][8];
                const int kind = round % 3;
                seed = seed * 1103515245u + 12345u;
                const int x0 = 1 + int(seed >> 8) % (kSide - 5), y0 = 1 + int(seed >> 16) % (kSide - 3);
                // Kind 0: two neighbouring quads' taps a pixel left and down, on them, and a pixel
                // right and up; 1: lanes anywhere inside; 2: as 1, the last tap reaching past the
                // edges.
                for (int k = 0; k < kTaps; ++k)
                {
                    for (int lane = 0; lane < 8; ++lane)
                    {
                        const int px = x0 + (lane >> 2) * 2 + (lane & 1) + k - 1,
                                  py = y0 + (lane >> 1 & 1) + 1 - k;
                        seed = seed * 1103515245u + 12345u;
                        const float r = float(seed >> 8 & 0xFFFF) / 65536.0f, s = float(seed >> 24) / 256.0f;
                        const bool past = kind == 2 && k == kTaps - 1;
                        u[k][lane] = kind == 0 ? (float(px) + 0.5f) / kSide : past ? r * 1.4f - 0.2f : r;
                        v[k][lane] = kind == 0 ? (float(py) + 0.5f) / kSide : past ? s * 1.4f - 0.2f : s;
                    }
                }
                float together[kTaps][32], alone[kTaps][32];
                SampleTapsInto(samplers, u, v, together, alone);
                for (int k = 0; k < kTaps; ++k)
                    ASSERT_EQ(0, std::memcmp(together[k], alone[k], sizeof alone[k]))
                        << "format " << format << ", filter " << filter << ", round " << round << ", tap "
                        << k;
            }
        }
    }
    SetRasteriserSimdLevel(chosen);
}

namespace
{
// Stages 0-2 sampled at once at one place, and each alone.
[[gnu::target("avx2")]] void SampleStagesInto(const TSamplerSet& samplers, const float (&u)[8], const float (&v)[8],
                                              float (&together)[3][32], float (&alone)[3][32])
{
    TQuadPair pu, pv;
    std::memcpy(&pu.v, u, sizeof u);
    std::memcpy(&pv.v, v, sizeof v);
    constexpr int kStages[3] = {0, 1, 2};
    samplers.SampleStagesPair(kStages, pu, pv,
                              [&](int k, const TLaneVector<TQuadPair>& tap) { StorePair(tap, together[k]); });
    for (int k = 0; k < 3; ++k)
        StorePair(samplers.SamplePair(k, pu, pv), alone[k]);
}
} // namespace

TEST(SamplerPairTest, StagesTogetherMatchEachAlone)
{
    // Three float images read at one place, as the edge smoothing reads positions and normals:
    // all of one size (found once), one of them another size or another format, or addressed
    // another way (each alone); lanes inside and past the edges; against each stage alone.
    if (!SimdLevelAvailable(ESimdLevel::Avx2))
        GTEST_SKIP() << "the processor has no AVX2";
    const ESimdLevel chosen = RasteriserSimdLevel();
    ASSERT_TRUE(SetRasteriserSimdLevel(ESimdLevel::Avx2));
    unsigned seed = 47;
    const auto fill = [&](TTextureStore& store) {
        TImage& image = store.Image(0, 0);
        for (UINT y = 0; y < image.Height(); ++y)
        {
            for (UINT x = 0; x < image.Pitch() / 2; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                const std::uint16_t half = std::uint16_t(0x3000 + (seed >> 18) % 0x2000);
                std::memcpy(image.Row(y) + x * 2, &half, 2);
            }
        }
    };
    constexpr int kSide = 12;
    TTextureStore a(D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, kSide, kSide, 1, 1, 1, false);
    TTextureStore b(D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, kSide, kSide, 1, 1, 1, false);
    TTextureStore c(D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, kSide, kSide, 1, 1, 1, false);
    TTextureStore wider(D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, kSide + 2, kSide, 1, 1, 1, false);
    TTextureStore red(D3DRTYPE_TEXTURE, D3DFMT_R32F, kSide, kSide, 1, 1, 1, false);
    for (TTextureStore* store : {&a, &b, &c, &wider, &red})
        fill(*store);
    struct TCase
    {
        TTextureStore* third;
        DWORD thirdAddress;
    };
    for (const TCase& setup : {TCase{&c, D3DTADDRESS_CLAMP}, TCase{&wider, D3DTADDRESS_CLAMP},
                               TCase{&red, D3DTADDRESS_CLAMP}, TCase{&c, D3DTADDRESS_WRAP}})
    {
        TSamplerSet samplers;
        DWORD states[D3DSAMP_COUNT] = {};
        states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = D3DTADDRESS_CLAMP;
        samplers.Bind(0, &a, states, 0);
        samplers.Bind(1, &b, states, 0);
        states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = setup.thirdAddress;
        samplers.Bind(2, setup.third, states, 0);
        for (int round = 0; round < 200; ++round)
        {
            float u[8], v[8];
            const bool past = round % 2 == 1;
            for (int lane = 0; lane < 8; ++lane)
            {
                seed = seed * 1103515245u + 12345u;
                const float r = float(seed >> 8 & 0xFFFF) / 65536.0f, s = float(seed >> 24) / 256.0f;
                u[lane] = past ? r * 1.4f - 0.2f : r;
                v[lane] = past ? s * 1.4f - 0.2f : s;
            }
            float together[3][32], alone[3][32];
            SampleStagesInto(samplers, u, v, together, alone);
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(0, std::memcmp(together[k], alone[k], sizeof alone[k]))
                    << "third stage " << setup.third->Image(0, 0).Width() << " wide, address " << setup.thirdAddress
                    << ", round " << round << ", stage " << k;
        }
    }
    SetRasteriserSimdLevel(chosen);
}
