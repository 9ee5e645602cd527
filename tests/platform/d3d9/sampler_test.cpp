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
