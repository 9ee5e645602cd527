#include "platform/d3d9/floatpixels.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/simdlevel.h"
#include "platform/d3d9/vertexfetch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

TEST(Format, PitchesAreTightAndDxtPitchesArePerBlockRow)
{
    EXPECT_EQ(40u, FormatPitch(D3DFMT_A8R8G8B8, 10));
    EXPECT_EQ(10u, FormatPitch(D3DFMT_L8, 10));
    EXPECT_EQ(80u, FormatPitch(D3DFMT_A16B16G16R16F, 10));
    EXPECT_EQ(160u, FormatPitch(D3DFMT_A32B32G32R32F, 10));
    EXPECT_EQ(30u, FormatPitch(D3DFMT_R8G8B8, 10));
    // 10 texels are three blocks of 8 bytes (the device tests lock the 16-byte kind).
    EXPECT_EQ(24u, FormatPitch(D3DFMT_DXT1, 10));
    EXPECT_EQ(8u, FormatPitch(D3DFMT_DXT1, 1));
    EXPECT_EQ(3u, FormatRowCount(D3DFMT_DXT3, 9));
    EXPECT_EQ(9u, FormatRowCount(D3DFMT_A8, 9));
    EXPECT_EQ(24u * 3u, FormatSurfaceSize(D3DFMT_DXT1, 10, 10));
}

TEST(Format, TexelsConvertWithMissingChannelsReadAsOne)
{
    const std::uint16_t half = D3D9FloatToHalf(0.5f);
    const float x = NAN; // not looked at
    const struct
    {
        D3DFORMAT format;
        std::uint32_t bits; // the texel's bytes, little-endian
        float rgba[4];
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xCC996633, {0x99 / 255.0f, x, 0x33 / 255.0f, 0xCC / 255.0f}},
        {D3DFMT_X8R8G8B8, 0xCC996633, {x, x, x, 1.0f}},
        {D3DFMT_R5G6B5, 0xF800, {1.0f, 0.0f, x, x}},
        {D3DFMT_L8, 51, {x, 0.2f, x, 1.0f}},
        {D3DFMT_A8, 51, {0.0f, x, x, 0.2f}},
        {D3DFMT_V8U8, 0x7F81, {-1.0f, 1.0f, x, x}}, // -127 and 127
        {D3DFMT_R16F, half, {0.5f, 1.0f, x, 1.0f}},
        {D3DFMT_A2R10G10B10, (3u << 30) | (1023u << 20), {1.0f, x, 0.0f, 1.0f}},
    };
    for (const auto& c : cases)
    {
        float rgba[4];
        ReadTexel(c.format, reinterpret_cast<const std::uint8_t*>(&c.bits), rgba);
        for (int i = 0; i < 4; ++i)
        {
            if (!std::isnan(c.rgba[i]))
            {
                EXPECT_FLOAT_EQ(c.rgba[i], rgba[i]) << c.format << " channel " << i;
            }
        }
    }
}

TEST(Format, VertexColoursAreEachByteOver255InRgbaOrder)
{
    // Every byte in every channel, to the bits of one division each.
    for (int value = 0; value < 256; ++value)
    {
        for (int channel = 0; channel < 4; ++channel)
        {
            std::uint8_t bgra[4] = {1, 2, 3, 4};
            bgra[channel] = std::uint8_t(value);
            float rgba[4];
            FetchColour(bgra, rgba);
            const int from[4] = {2, 1, 0, 3};
            for (int out = 0; out < 4; ++out)
            {
                const float expected = bgra[from[out]] / 255.0f;
                EXPECT_EQ(0, std::memcmp(&expected, &rgba[out], 4)) << value << " in " << channel << " to " << out;
            }
        }
    }
}

TEST(Format, WrittenTexelsReadBack)
{
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8,    D3DFMT_A16B16G16R16F, D3DFMT_A32B32G32R32F,
                                 D3DFMT_A2R10G10B10, D3DFMT_A4R4G4B4,      D3DFMT_A8B8G8R8,
                                 D3DFMT_A16B16G16R16};
    const float colour[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
    for (D3DFORMAT format : formats)
    {
        std::uint8_t texel[16] = {};
        float back[4];
        WriteTexel(format, texel, colour);
        ReadTexel(format, texel, back);
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(colour[c], back[c], 1.0f / 15.0f) << format << " channel " << c;
    }
}

TEST(Format, HalfFloatsConvertBothWays)
{
    EXPECT_EQ(0x3C00, D3D9FloatToHalf(1.0f));
    EXPECT_EQ(0xC000, D3D9FloatToHalf(-2.0f));
    EXPECT_EQ(0x7BFF, D3D9FloatToHalf(65504.0f));
    EXPECT_EQ(0x7C00, D3D9FloatToHalf(1e6f));
    EXPECT_EQ(0x0001, D3D9FloatToHalf(std::ldexp(1.0f, -24)));
    EXPECT_EQ(0x0000, D3D9FloatToHalf(std::ldexp(1.0f, -26)));
    EXPECT_FLOAT_EQ(std::ldexp(1.0f, -24), D3D9HalfToFloat(0x0001));
    EXPECT_FLOAT_EQ(65504.0f, D3D9HalfToFloat(0x7BFF));
    EXPECT_TRUE(std::isinf(D3D9HalfToFloat(0x7C00)));
    for (std::uint32_t h = 0; h < 0x7C00; h += 7)
        EXPECT_EQ(h, D3D9FloatToHalf(D3D9HalfToFloat(std::uint16_t(h))));
}

TEST(Format, DxtBlocksDecodeToKnownColours)
{
    // DXT1, four-colour mode: red, blue and the two thirds between; indices 0, 1, 2, 3.
    std::uint8_t dxt1[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
    std::uint32_t argb[16];
    DecodeDxtBlock(D3DFMT_DXT1, dxt1, argb);
    EXPECT_EQ(0xFFFF0000u, argb[0]);
    EXPECT_EQ(0xFF0000FFu, argb[1]);
    EXPECT_EQ(0xFFAA0055u, argb[2]);
    EXPECT_EQ(0xFF5500AAu, argb[3]);
    EXPECT_EQ(0xFFFF0000u, argb[4]);

    // DXT1, three-colour mode (c0 <= c1): index 2 the midpoint, index 3 transparent black.
    std::uint8_t transparent[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
    DecodeDxtBlock(D3DFMT_DXT1, transparent, argb);
    EXPECT_EQ(0xFF7F007Fu, argb[2]);
    EXPECT_EQ(0x00000000u, argb[3]);

    // DXT3: explicit 4-bit alpha 0xF, 0x0, 0x8 ...; colour white.
    std::uint8_t dxt3[16] = {0x0F, 0x08, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    DecodeDxtBlock(D3DFMT_DXT3, dxt3, argb);
    EXPECT_EQ(0xFFFFFFFFu, argb[0]);
    EXPECT_EQ(0x00FFFFFFu, argb[1]);
    EXPECT_EQ(0x88FFFFFFu, argb[2]);

    // DXT5, eight-alpha mode between 255 and 0: indices 0, 1, 2.
    std::uint8_t dxt5[16] = {255, 0, 0x88, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    DecodeDxtBlock(D3DFMT_DXT5, dxt5, argb);
    EXPECT_EQ(255u, argb[0] >> 24);
    EXPECT_EQ(0u, argb[1] >> 24);
    EXPECT_EQ(218u, argb[2] >> 24);
}

TEST(Format, HalfFloatLanesConvertAsTexelByTexel)
{
    // Every 16-bit pattern to float, and floats of every exponent (with the mantissas either side
    // of each rounding step, subnormal results, overflow, infinities and NaNs) to 16 bits: four
    // lanes at a time, the same bits as the texel conversions, on every level (the processor's
    // own conversions on AVX2).
    std::vector<std::uint32_t> patterns;
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent)
        for (std::uint32_t mantissa : {0u, 1u, 0xFFFu, 0x1000u, 0x1001u, 0x2FFFu, 0x3000u, 0x3001u, 0x7FFFFFu,
                                       0x400000u, 0x7FE000u, 0x7FF000u, 0x7FEFFFu, 0x123456u})
            for (std::uint32_t sign : {0u, 0x80000000u})
                patterns.push_back(sign | exponent << 23 | mantissa);
    while (patterns.size() % 4)
        patterns.push_back(0);
    const ESimdLevel level = RasteriserSimdLevel();
    for (ESimdLevel simd : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (!SetRasteriserSimdLevel(simd))
            continue;
        int wrong = 0;
        for (std::uint32_t h = 0; h < 65536; h += 4)
        {
            const __m128i lanes = _mm_setr_epi32(int(h), int(h + 1), int(h + 2), int(h + 3));
            alignas(16) std::uint32_t bits[2][4];
            _mm_store_ps(reinterpret_cast<float*>(bits[0]), floatpixels::HalfToFloat(lanes));
            _mm_store_ps(reinterpret_cast<float*>(bits[1]),
                         floatpixels::HalvesToFloats(_mm_setr_epi16(short(h), short(h + 1), short(h + 2),
                                                                    short(h + 3), 0, 0, 0, 0)));
            for (std::uint32_t i = 0; i < 4; ++i)
            {
                const float expected = D3D9HalfToFloat(std::uint16_t(h + i));
                std::uint32_t expectedBits;
                std::memcpy(&expectedBits, &expected, 4);
                // A float returned on the x87 stack comes back quiet: NaNs compare with the quiet bit set.
                const std::uint32_t quiet = std::isnan(expected) ? 0x00400000u : 0u;
                wrong += (bits[0][i] | quiet) != (expectedBits | quiet);
                wrong += (bits[1][i] | quiet) != (expectedBits | quiet);
            }
        }
        EXPECT_EQ(0, wrong) << int(simd);
        for (size_t at = 0; at < patterns.size(); at += 4)
        {
            const __m128 value = _mm_loadu_ps(reinterpret_cast<const float*>(&patterns[at]));
            alignas(16) std::uint32_t halves[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(halves), floatpixels::FloatToHalf(value));
            alignas(16) std::uint16_t packed[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(packed), floatpixels::FloatsToHalves(value));
            for (size_t i = 0; i < 4; ++i)
            {
                float single;
                std::memcpy(&single, &patterns[at + i], 4);
                EXPECT_EQ(std::uint32_t(D3D9FloatToHalf(single)), halves[i]) << std::hex << patterns[at + i];
                EXPECT_EQ(D3D9FloatToHalf(single), packed[i]) << std::hex << patterns[at + i] << " " << int(simd);
            }
        }
    }
    SetRasteriserSimdLevel(level);
}
