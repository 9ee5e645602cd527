#include "platform/d3d9/format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr TFormatInfo kFormats[] = {
    {D3DFMT_R8G8B8, 24, EFormatClass::Colour, false, false},
    {D3DFMT_A8R8G8B8, 32, EFormatClass::Colour, true, false},
    {D3DFMT_X8R8G8B8, 32, EFormatClass::Colour, true, false},
    {D3DFMT_R5G6B5, 16, EFormatClass::Colour, true, false},
    {D3DFMT_X1R5G5B5, 16, EFormatClass::Colour, true, false},
    {D3DFMT_A1R5G5B5, 16, EFormatClass::Colour, true, false},
    {D3DFMT_A4R4G4B4, 16, EFormatClass::Colour, true, false},
    {D3DFMT_R3G3B2, 8, EFormatClass::Colour, false, false},
    {D3DFMT_A8, 8, EFormatClass::Colour, false, false},
    {D3DFMT_A8R3G3B2, 16, EFormatClass::Colour, false, false},
    {D3DFMT_X4R4G4B4, 16, EFormatClass::Colour, true, false},
    {D3DFMT_A2B10G10R10, 32, EFormatClass::Colour, true, false},
    {D3DFMT_A8B8G8R8, 32, EFormatClass::Colour, true, false},
    {D3DFMT_X8B8G8R8, 32, EFormatClass::Colour, true, false},
    {D3DFMT_G16R16, 32, EFormatClass::Colour, true, false},
    {D3DFMT_A2R10G10B10, 32, EFormatClass::Colour, true, false},
    {D3DFMT_A16B16G16R16, 64, EFormatClass::Colour, true, false},
    {D3DFMT_A8P8, 16, EFormatClass::Buffer, false, false},
    {D3DFMT_P8, 8, EFormatClass::Buffer, false, false},
    {D3DFMT_L8, 8, EFormatClass::Colour, false, false},
    {D3DFMT_A8L8, 16, EFormatClass::Colour, false, false},
    {D3DFMT_A4L4, 8, EFormatClass::Colour, false, false},
    {D3DFMT_V8U8, 16, EFormatClass::Colour, false, false},
    {D3DFMT_L6V5U5, 16, EFormatClass::Colour, false, false},
    {D3DFMT_X8L8V8U8, 32, EFormatClass::Colour, false, false},
    {D3DFMT_Q8W8V8U8, 32, EFormatClass::Colour, false, false},
    {D3DFMT_V16U16, 32, EFormatClass::Colour, false, false},
    {D3DFMT_A2W10V10U10, 32, EFormatClass::Colour, false, false},
    {D3DFMT_DXT1, 4, EFormatClass::Block, false, false},
    {D3DFMT_DXT2, 8, EFormatClass::Block, false, false},
    {D3DFMT_DXT3, 8, EFormatClass::Block, false, false},
    {D3DFMT_DXT4, 8, EFormatClass::Block, false, false},
    {D3DFMT_DXT5, 8, EFormatClass::Block, false, false},
    {D3DFMT_D16_LOCKABLE, 16, EFormatClass::Depth, false, false},
    {D3DFMT_D32, 32, EFormatClass::Depth, false, false},
    {D3DFMT_D15S1, 16, EFormatClass::Depth, false, true},
    {D3DFMT_D24S8, 32, EFormatClass::Depth, false, true},
    {D3DFMT_D24X8, 32, EFormatClass::Depth, false, false},
    {D3DFMT_D24X4S4, 32, EFormatClass::Depth, false, true},
    {D3DFMT_D16, 16, EFormatClass::Depth, false, false},
    {D3DFMT_L16, 16, EFormatClass::Colour, false, false},
    {D3DFMT_D32F_LOCKABLE, 32, EFormatClass::Depth, false, false},
    {D3DFMT_D24FS8, 32, EFormatClass::Depth, false, true},
    {D3DFMT_VERTEXDATA, 32, EFormatClass::Buffer, false, false},
    {D3DFMT_INDEX16, 32, EFormatClass::Buffer, false, false},
    {D3DFMT_INDEX32, 32, EFormatClass::Buffer, false, false},
    {D3DFMT_Q16W16V16U16, 64, EFormatClass::Colour, false, false},
    {D3DFMT_R16F, 16, EFormatClass::Colour, true, false},
    {D3DFMT_G16R16F, 32, EFormatClass::Colour, true, false},
    {D3DFMT_A16B16G16R16F, 64, EFormatClass::Colour, true, false},
    {D3DFMT_R32F, 32, EFormatClass::Colour, true, false},
    {D3DFMT_G32R32F, 64, EFormatClass::Colour, true, false},
    {D3DFMT_A32B32G32R32F, 128, EFormatClass::Colour, true, false},
    {D3DFMT_CxV8U8, 16, EFormatClass::Colour, false, false},
};

float Unorm(std::uint32_t value, int bits)
{
    return float(value) / float((1u << bits) - 1);
}

float Snorm(std::int32_t value, int bits)
{
    return std::max(-1.0f, float(value) / float((1 << (bits - 1)) - 1));
}

// Sign-extends the low `bits` bits of a word.
std::int32_t Signed(std::uint32_t value, int bits)
{
    return std::int32_t(value << (32 - bits)) >> (32 - bits);
}

std::uint32_t ToUnorm(float value, int bits)
{
    const float scale = float((1u << bits) - 1);
    const float clamped = std::clamp(std::isnan(value) ? 0.0f : value, 0.0f, 1.0f);
    return std::uint32_t(clamped * scale + 0.5f);
}

std::uint32_t ToSnorm(float value, int bits)
{
    const float scale = float((1 << (bits - 1)) - 1);
    const float clamped = std::clamp(std::isnan(value) ? 0.0f : value, -1.0f, 1.0f);
    return std::uint32_t(std::int32_t(std::lround(clamped * scale))) & ((1u << bits) - 1);
}

std::uint16_t Load16(const std::uint8_t* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

std::uint32_t Load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Store16(std::uint8_t* p, std::uint32_t v)
{
    const std::uint16_t w = std::uint16_t(v);
    std::memcpy(p, &w, 2);
}

void Store32(std::uint8_t* p, std::uint32_t v)
{
    std::memcpy(p, &v, 4);
}

void Set(float rgba[4], float r, float g, float b, float a)
{
    rgba[0] = r;
    rgba[1] = g;
    rgba[2] = b;
    rgba[3] = a;
}

// A packed word of four unsigned fields given from the highest (a) to the lowest (b).
void ReadPacked(std::uint32_t v, int aBits, int rBits, int gBits, int bBits, float rgba[4])
{
    const int bShift = 0, gShift = bBits, rShift = bBits + gBits, aShift = bBits + gBits + rBits;
    auto field = [v](int shift, int bits) { return (v >> shift) & ((1u << bits) - 1); };
    Set(rgba, Unorm(field(rShift, rBits), rBits), Unorm(field(gShift, gBits), gBits),
        Unorm(field(bShift, bBits), bBits), aBits ? Unorm(field(aShift, aBits), aBits) : 1.0f);
}

std::uint32_t WritePacked(const float rgba[4], int aBits, int rBits, int gBits, int bBits)
{
    const int gShift = bBits, rShift = bBits + gBits, aShift = bBits + gBits + rBits;
    std::uint32_t v =
        ToUnorm(rgba[2], bBits) | (ToUnorm(rgba[1], gBits) << gShift) | (ToUnorm(rgba[0], rBits) << rShift);
    if (aBits)
        v |= ToUnorm(rgba[3], aBits) << aShift;
    return v;
}

std::uint32_t Expand565(std::uint16_t c)
{
    const std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int wa, int wb, int div)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * wa + cb * wb) / div) << shift;
    }
    return out;
}

// The colour half of every DXT block: two 565 end points and 2-bit indices.
void DecodeColourBlock(const std::uint8_t* block, bool allowTransparent, std::uint32_t argb[16])
{
    const std::uint16_t c0 = Load16(block), c1 = Load16(block + 2);
    std::uint32_t palette[4] = {Expand565(c0) | 0xFF000000u, Expand565(c1) | 0xFF000000u, 0, 0};
    if (c0 > c1 || !allowTransparent)
    {
        palette[2] = Mix(palette[0], palette[1], 2, 1, 3) | 0xFF000000u;
        palette[3] = Mix(palette[0], palette[1], 1, 2, 3) | 0xFF000000u;
    }
    else
    {
        palette[2] = Mix(palette[0], palette[1], 1, 1, 2) | 0xFF000000u;
        palette[3] = 0;
    }
    const std::uint32_t indices = Load32(block + 4);
    for (int i = 0; i < 16; ++i)
        argb[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeInterpolatedAlpha(const std::uint8_t* block, std::uint32_t argb[16])
{
    const std::uint32_t a0 = block[0], a1 = block[1];
    std::uint32_t alpha[8] = {a0, a1};
    if (a0 > a1)
    {
        for (int i = 1; i < 7; ++i)
            alpha[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    }
    else
    {
        for (int i = 1; i < 5; ++i)
            alpha[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        alpha[6] = 0;
        alpha[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        argb[i] = (argb[i] & 0x00FFFFFFu) | (alpha[(bits >> (3 * i)) & 7] << 24);
}

// DXT2 and DXT4 store colour multiplied by alpha; sampling answers it divided back.
void Unpremultiply(std::uint32_t argb[16])
{
    for (int i = 0; i < 16; ++i)
    {
        const std::uint32_t a = argb[i] >> 24;
        if (a == 0)
            continue;
        std::uint32_t out = argb[i] & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
            out |= std::min(255u, (((argb[i] >> shift) & 0xFF) * 255 + a / 2) / a) << shift;
        argb[i] = out;
    }
}
} // namespace

const TFormatInfo* FindFormat(D3DFORMAT format)
{
    for (const TFormatInfo& info : kFormats)
    {
        if (info.format == format)
            return &info;
    }
    return nullptr;
}

bool IsBlockFormat(D3DFORMAT format)
{
    const TFormatInfo* info = FindFormat(format);
    return info && info->kind == EFormatClass::Block;
}

bool IsDepthFormat(D3DFORMAT format)
{
    const TFormatInfo* info = FindFormat(format);
    return info && info->kind == EFormatClass::Depth;
}

UINT FormatPitch(D3DFORMAT format, UINT width)
{
    const TFormatInfo* info = FindFormat(format);
    if (!info)
        return 0;
    if (info->kind == EFormatClass::Block)
        return std::max(1u, (width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return width * info->bits / 8;
}

UINT FormatRowCount(D3DFORMAT format, UINT height)
{
    return IsBlockFormat(format) ? std::max(1u, (height + 3) / 4) : height;
}

UINT FormatSurfaceSize(D3DFORMAT format, UINT width, UINT height)
{
    return FormatPitch(format, width) * FormatRowCount(format, height);
}

void ReadTexel(D3DFORMAT format, const std::uint8_t* p, float rgba[4])
{
    switch (format)
    {
    case D3DFMT_R8G8B8:
        Set(rgba, Unorm(p[2], 8), Unorm(p[1], 8), Unorm(p[0], 8), 1.0f);
        break;
    case D3DFMT_A8R8G8B8:
        ReadPacked(Load32(p), 8, 8, 8, 8, rgba);
        break;
    case D3DFMT_X8R8G8B8:
        ReadPacked(Load32(p), 0, 8, 8, 8, rgba);
        break;
    case D3DFMT_R5G6B5:
        ReadPacked(Load16(p), 0, 5, 6, 5, rgba);
        break;
    case D3DFMT_X1R5G5B5:
        ReadPacked(Load16(p), 0, 5, 5, 5, rgba);
        break;
    case D3DFMT_A1R5G5B5:
        ReadPacked(Load16(p), 1, 5, 5, 5, rgba);
        break;
    case D3DFMT_A4R4G4B4:
        ReadPacked(Load16(p), 4, 4, 4, 4, rgba);
        break;
    case D3DFMT_X4R4G4B4:
        ReadPacked(Load16(p), 0, 4, 4, 4, rgba);
        break;
    case D3DFMT_R3G3B2:
        ReadPacked(p[0], 0, 3, 3, 2, rgba);
        break;
    case D3DFMT_A8R3G3B2:
        ReadPacked(Load16(p), 8, 3, 3, 2, rgba);
        break;
    case D3DFMT_A8:
        Set(rgba, 0.0f, 0.0f, 0.0f, Unorm(p[0], 8));
        break;
    case D3DFMT_A2R10G10B10:
        ReadPacked(Load32(p), 2, 10, 10, 10, rgba);
        break;
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8: {
        const bool tenBits = format == D3DFMT_A2B10G10R10;
        ReadPacked(Load32(p), format == D3DFMT_X8B8G8R8 ? 0 : (tenBits ? 2 : 8), tenBits ? 10 : 8,
                   tenBits ? 10 : 8, tenBits ? 10 : 8, rgba);
        std::swap(rgba[0], rgba[2]);
        break;
    }
    case D3DFMT_G16R16:
        Set(rgba, Unorm(Load16(p), 16), Unorm(Load16(p + 2), 16), 1.0f, 1.0f);
        break;
    case D3DFMT_A16B16G16R16:
        Set(rgba, Unorm(Load16(p), 16), Unorm(Load16(p + 2), 16), Unorm(Load16(p + 4), 16),
            Unorm(Load16(p + 6), 16));
        break;
    case D3DFMT_L8:
        Set(rgba, Unorm(p[0], 8), Unorm(p[0], 8), Unorm(p[0], 8), 1.0f);
        break;
    case D3DFMT_A8L8:
        Set(rgba, Unorm(p[0], 8), Unorm(p[0], 8), Unorm(p[0], 8), Unorm(p[1], 8));
        break;
    case D3DFMT_A4L4:
        Set(rgba, Unorm(p[0] & 15, 4), Unorm(p[0] & 15, 4), Unorm(p[0] & 15, 4), Unorm(p[0] >> 4, 4));
        break;
    case D3DFMT_L16:
        Set(rgba, Unorm(Load16(p), 16), Unorm(Load16(p), 16), Unorm(Load16(p), 16), 1.0f);
        break;
    case D3DFMT_V8U8:
    case D3DFMT_CxV8U8:
        Set(rgba, Snorm(std::int8_t(p[0]), 8), Snorm(std::int8_t(p[1]), 8), 1.0f, 1.0f);
        if (format == D3DFMT_CxV8U8)
            rgba[2] = std::sqrt(std::max(0.0f, 1.0f - rgba[0] * rgba[0] - rgba[1] * rgba[1]));
        break;
    case D3DFMT_L6V5U5: {
        const std::uint16_t v = Load16(p);
        Set(rgba, Snorm(Signed(v, 5), 5), Snorm(Signed(v >> 5, 5), 5), Unorm(v >> 10, 6), 1.0f);
        break;
    }
    case D3DFMT_X8L8V8U8:
        Set(rgba, Snorm(std::int8_t(p[0]), 8), Snorm(std::int8_t(p[1]), 8), Unorm(p[2], 8), 1.0f);
        break;
    case D3DFMT_Q8W8V8U8:
        Set(rgba, Snorm(std::int8_t(p[0]), 8), Snorm(std::int8_t(p[1]), 8), Snorm(std::int8_t(p[2]), 8),
            Snorm(std::int8_t(p[3]), 8));
        break;
    case D3DFMT_V16U16:
        Set(rgba, Snorm(std::int16_t(Load16(p)), 16), Snorm(std::int16_t(Load16(p + 2)), 16), 1.0f, 1.0f);
        break;
    case D3DFMT_A2W10V10U10: {
        const std::uint32_t v = Load32(p);
        Set(rgba, Snorm(Signed(v, 10), 10), Snorm(Signed(v >> 10, 10), 10), Snorm(Signed(v >> 20, 10), 10),
            Unorm(v >> 30, 2));
        break;
    }
    case D3DFMT_Q16W16V16U16:
        Set(rgba, Snorm(std::int16_t(Load16(p)), 16), Snorm(std::int16_t(Load16(p + 2)), 16),
            Snorm(std::int16_t(Load16(p + 4)), 16), Snorm(std::int16_t(Load16(p + 6)), 16));
        break;
    case D3DFMT_R16F:
        Set(rgba, D3D9HalfToFloat(Load16(p)), 1.0f, 1.0f, 1.0f);
        break;
    case D3DFMT_G16R16F:
        Set(rgba, D3D9HalfToFloat(Load16(p)), D3D9HalfToFloat(Load16(p + 2)), 1.0f, 1.0f);
        break;
    case D3DFMT_A16B16G16R16F:
        Set(rgba, D3D9HalfToFloat(Load16(p)), D3D9HalfToFloat(Load16(p + 2)), D3D9HalfToFloat(Load16(p + 4)),
            D3D9HalfToFloat(Load16(p + 6)));
        break;
    case D3DFMT_R32F:
        std::memcpy(rgba, p, 4);
        Set(rgba, rgba[0], 1.0f, 1.0f, 1.0f);
        break;
    case D3DFMT_G32R32F:
        std::memcpy(rgba, p, 8);
        rgba[2] = rgba[3] = 1.0f;
        break;
    case D3DFMT_A32B32G32R32F:
        std::memcpy(rgba, p, 16);
        break;
    default:
        Set(rgba, 0.0f, 0.0f, 0.0f, 1.0f);
        break;
    }
}

void WriteTexel(D3DFORMAT format, std::uint8_t* p, const float rgba[4])
{
    switch (format)
    {
    case D3DFMT_R8G8B8:
        p[0] = std::uint8_t(ToUnorm(rgba[2], 8));
        p[1] = std::uint8_t(ToUnorm(rgba[1], 8));
        p[2] = std::uint8_t(ToUnorm(rgba[0], 8));
        break;
    case D3DFMT_A8R8G8B8:
        Store32(p, WritePacked(rgba, 8, 8, 8, 8));
        break;
    case D3DFMT_X8R8G8B8:
        Store32(p, WritePacked(rgba, 0, 8, 8, 8) | 0xFF000000u);
        break;
    case D3DFMT_R5G6B5:
        Store16(p, WritePacked(rgba, 0, 5, 6, 5));
        break;
    case D3DFMT_X1R5G5B5:
        Store16(p, WritePacked(rgba, 0, 5, 5, 5) | 0x8000u);
        break;
    case D3DFMT_A1R5G5B5:
        Store16(p, WritePacked(rgba, 1, 5, 5, 5));
        break;
    case D3DFMT_A4R4G4B4:
        Store16(p, WritePacked(rgba, 4, 4, 4, 4));
        break;
    case D3DFMT_X4R4G4B4:
        Store16(p, WritePacked(rgba, 0, 4, 4, 4) | 0xF000u);
        break;
    case D3DFMT_R3G3B2:
        p[0] = std::uint8_t(WritePacked(rgba, 0, 3, 3, 2));
        break;
    case D3DFMT_A8R3G3B2:
        Store16(p, WritePacked(rgba, 8, 3, 3, 2));
        break;
    case D3DFMT_A8:
        p[0] = std::uint8_t(ToUnorm(rgba[3], 8));
        break;
    case D3DFMT_A2R10G10B10:
        Store32(p, WritePacked(rgba, 2, 10, 10, 10));
        break;
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8: {
        const float bgra[4] = {rgba[2], rgba[1], rgba[0], rgba[3]};
        const bool tenBits = format == D3DFMT_A2B10G10R10;
        std::uint32_t v =
            WritePacked(bgra, tenBits ? 2 : 8, tenBits ? 10 : 8, tenBits ? 10 : 8, tenBits ? 10 : 8);
        Store32(p, format == D3DFMT_X8B8G8R8 ? v | 0xFF000000u : v);
        break;
    }
    case D3DFMT_G16R16:
        Store16(p, ToUnorm(rgba[0], 16));
        Store16(p + 2, ToUnorm(rgba[1], 16));
        break;
    case D3DFMT_A16B16G16R16:
        for (int i = 0; i < 4; ++i)
            Store16(p + 2 * i, ToUnorm(rgba[i], 16));
        break;
    case D3DFMT_L8:
        p[0] = std::uint8_t(ToUnorm(rgba[0], 8));
        break;
    case D3DFMT_A8L8:
        p[0] = std::uint8_t(ToUnorm(rgba[0], 8));
        p[1] = std::uint8_t(ToUnorm(rgba[3], 8));
        break;
    case D3DFMT_A4L4:
        p[0] = std::uint8_t(ToUnorm(rgba[0], 4) | (ToUnorm(rgba[3], 4) << 4));
        break;
    case D3DFMT_L16:
        Store16(p, ToUnorm(rgba[0], 16));
        break;
    case D3DFMT_V8U8:
    case D3DFMT_CxV8U8:
        p[0] = std::uint8_t(ToSnorm(rgba[0], 8));
        p[1] = std::uint8_t(ToSnorm(rgba[1], 8));
        break;
    case D3DFMT_L6V5U5:
        Store16(p, ToSnorm(rgba[0], 5) | (ToSnorm(rgba[1], 5) << 5) | (ToUnorm(rgba[2], 6) << 10));
        break;
    case D3DFMT_X8L8V8U8:
        Store32(p, ToSnorm(rgba[0], 8) | (ToSnorm(rgba[1], 8) << 8) | (ToUnorm(rgba[2], 8) << 16));
        break;
    case D3DFMT_Q8W8V8U8:
        Store32(p, ToSnorm(rgba[0], 8) | (ToSnorm(rgba[1], 8) << 8) | (ToSnorm(rgba[2], 8) << 16) |
                       (ToSnorm(rgba[3], 8) << 24));
        break;
    case D3DFMT_V16U16:
        Store32(p, ToSnorm(rgba[0], 16) | (ToSnorm(rgba[1], 16) << 16));
        break;
    case D3DFMT_A2W10V10U10:
        Store32(p, ToSnorm(rgba[0], 10) | (ToSnorm(rgba[1], 10) << 10) | (ToSnorm(rgba[2], 10) << 20) |
                       (ToUnorm(rgba[3], 2) << 30));
        break;
    case D3DFMT_Q16W16V16U16:
        for (int i = 0; i < 4; ++i)
            Store16(p + 2 * i, ToSnorm(rgba[i], 16));
        break;
    case D3DFMT_R16F:
        Store16(p, D3D9FloatToHalf(rgba[0]));
        break;
    case D3DFMT_G16R16F:
        Store16(p, D3D9FloatToHalf(rgba[0]));
        Store16(p + 2, D3D9FloatToHalf(rgba[1]));
        break;
    case D3DFMT_A16B16G16R16F:
        for (int i = 0; i < 4; ++i)
            Store16(p + 2 * i, D3D9FloatToHalf(rgba[i]));
        break;
    case D3DFMT_R32F:
        std::memcpy(p, rgba, 4);
        break;
    case D3DFMT_G32R32F:
        std::memcpy(p, rgba, 8);
        break;
    case D3DFMT_A32B32G32R32F:
        std::memcpy(p, rgba, 16);
        break;
    default:
        break;
    }
}

void DecodeDxtBlock(D3DFORMAT format, const std::uint8_t* block, std::uint32_t argb[16])
{
    switch (format)
    {
    case D3DFMT_DXT1:
        DecodeColourBlock(block, true, argb);
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: {
        DecodeColourBlock(block + 8, false, argb);
        for (int i = 0; i < 16; ++i)
        {
            const std::uint32_t a = (block[i / 2] >> (4 * (i & 1))) & 15;
            argb[i] = (argb[i] & 0x00FFFFFFu) | ((a * 17) << 24);
        }
        if (format == D3DFMT_DXT2)
            Unpremultiply(argb);
        break;
    }
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        DecodeColourBlock(block + 8, false, argb);
        DecodeInterpolatedAlpha(block, argb);
        if (format == D3DFMT_DXT4)
            Unpremultiply(argb);
        break;
    default:
        std::fill(argb, argb + 16, 0u);
        break;
    }
}

float D3D9HalfToFloat(std::uint16_t half)
{
    const std::uint32_t sign = std::uint32_t(half & 0x8000) << 16;
    const std::uint32_t exponent = (half >> 10) & 31;
    std::uint32_t mantissa = half & 0x3FF;
    std::uint32_t bits;
    if (exponent == 0)
    {
        if (mantissa == 0)
            bits = sign;
        else
        {
            // Subnormal: normalise it.
            int e = -1;
            do
            {
                ++e;
                mantissa <<= 1;
            } while (!(mantissa & 0x400));
            bits = sign | std::uint32_t(127 - 15 - e) << 23 | (mantissa & 0x3FF) << 13;
        }
    }
    else if (exponent == 31)
        bits = sign | 0x7F800000u | mantissa << 13;
    else
        bits = sign | (exponent + 127 - 15) << 23 | mantissa << 13;
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::uint16_t D3D9FloatToHalf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const std::uint16_t sign = std::uint16_t((bits >> 16) & 0x8000);
    const std::uint32_t magnitude = bits & 0x7FFFFFFF;
    if (magnitude > 0x7F800000u)
        return sign | 0x7E00; // NaN
    if (magnitude >= 0x477FF000u)
        return sign | 0x7C00; // overflows to infinity
    if (magnitude < 0x38800000u)
    {
        // Subnormal or zero: round to nearest even on the shifted mantissa.
        if (magnitude < 0x33000000u)
            return sign;
        const std::uint32_t exponent = magnitude >> 23;
        const std::uint32_t mantissa = (magnitude & 0x7FFFFF) | 0x800000;
        const int shift = 126 - int(exponent);
        std::uint32_t half = mantissa >> shift;
        const std::uint32_t rest = mantissa & ((1u << shift) - 1);
        const std::uint32_t halfway = 1u << (shift - 1);
        if (rest > halfway || (rest == halfway && (half & 1)))
            ++half;
        return std::uint16_t(sign | half);
    }
    std::uint32_t half = ((magnitude - 0x38000000u) >> 13);
    const std::uint32_t rest = magnitude & 0x1FFF;
    if (rest > 0x1000 || (rest == 0x1000 && (half & 1)))
        ++half;
    return std::uint16_t(sign | half);
}
