#include "platform/d3d9/vertexfetch.h"

#include "platform/d3d9/format.h"
#include "platform/d3d9/vertexdeclaration.h"

#include <algorithm>
#include <cstring>

void FetchVertexElement(BYTE type, const std::uint8_t* p, float out[4])
{
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    auto i16 = [p](int i) {
        std::int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    };
    auto u16 = [p](int i) {
        std::uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    };
    switch (type)
    {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
        std::memcpy(out, p, 4 * (type - D3DDECLTYPE_FLOAT1 + 1));
        break;
    case D3DDECLTYPE_D3DCOLOR:
        FetchColour(p, out);
        break;
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
        for (int i = 0; i < 4; ++i)
            out[i] = type == D3DDECLTYPE_UBYTE4 ? float(p[i]) : p[i] / 255.0f;
        break;
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4:
        for (int i = 0; i < (type == D3DDECLTYPE_SHORT2 ? 2 : 4); ++i)
            out[i] = float(i16(i));
        break;
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_SHORT4N:
        for (int i = 0; i < (type == D3DDECLTYPE_SHORT2N ? 2 : 4); ++i)
            out[i] = std::max(-1.0f, i16(i) / 32767.0f);
        break;
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_USHORT4N:
        for (int i = 0; i < (type == D3DDECLTYPE_USHORT2N ? 2 : 4); ++i)
            out[i] = u16(i) / 65535.0f;
        break;
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        for (int i = 0; i < 3; ++i)
        {
            const std::uint32_t field = (v >> (10 * i)) & 0x3FF;
            if (type == D3DDECLTYPE_UDEC3)
                out[i] = float(field);
            else
                out[i] = std::max(-1.0f, float(std::int32_t(field << 22) >> 22) / 511.0f);
        }
        break;
    }
    case D3DDECLTYPE_FLOAT16_2:
    case D3DDECLTYPE_FLOAT16_4:
        for (int i = 0; i < (type == D3DDECLTYPE_FLOAT16_2 ? 2 : 4); ++i)
            out[i] = D3D9HalfToFloat(u16(i));
        break;
    default:
        break;
    }
}

TVertexFetch::TVertexFetch(const std::vector<D3DVERTEXELEMENT9>& elements, const TStreamSource* streams)
{
    elements_ = int(std::min<size_t>(elements.size(), MAXD3DDECLLENGTH));
    available_ = std::int64_t(1) << 40;
    for (int e = 0; e < elements_; ++e)
    {
        const D3DVERTEXELEMENT9& element = elements[size_t(e)];
        const TStreamSource& stream = streams[element.Stream];
        const std::int64_t end = std::int64_t(element.Offset) + TD3DVertexDeclaration::TypeSize(element.Type);
        std::int64_t vertices = 0;
        if (stream.bytes && end <= std::int64_t(stream.size))
            vertices = stream.stride ? (std::int64_t(stream.size) - end) / stream.stride + 1 : std::int64_t(1) << 40;
        available_ = std::min(available_, vertices);
        sources_[e] = {stream.bytes ? stream.bytes + element.Offset : nullptr, stream.stride, element.Type};
        bool seen = false;
        for (int s = 0; s < e; ++s)
            seen = seen || elements[size_t(s)].Stream == element.Stream;
        if (!seen && stream.bytes && stream.stride)
            streams_[streamCount_++] = {reinterpret_cast<std::uintptr_t>(stream.bytes), stream.stride};
    }
}

void TVertexFetch::Fetch(UINT first, int count, float (*registers)[4]) const
{
    const int elements = elements_;
    for (int e = 0; e < elements; ++e)
    {
        const TSource& source = sources_[e];
        // Fetched vertices are available, so the offset fits in 32 bits.
        const std::uint8_t* const bytes = source.bytes + first * source.stride;
        const UINT stride = source.stride;
        auto each = [&](auto fetchOne) {
            for (int v = 0; v < count; ++v)
                fetchOne(bytes + UINT(v) * stride, registers[v * elements + e]);
        };
        // Floats, the usual case, and colours, the next, without the general call.
        switch (source.type)
        {
        case D3DDECLTYPE_FLOAT1:
            each([](const std::uint8_t* p, float* r) {
                std::memcpy(r, p, 4);
                r[1] = r[2] = 0.0f;
                r[3] = 1.0f;
            });
            break;
        case D3DDECLTYPE_FLOAT2:
            each([](const std::uint8_t* p, float* r) {
                std::memcpy(r, p, 8);
                r[2] = 0.0f;
                r[3] = 1.0f;
            });
            break;
        case D3DDECLTYPE_FLOAT3:
            each([](const std::uint8_t* p, float* r) {
                std::memcpy(r, p, 12);
                r[3] = 1.0f;
            });
            break;
        case D3DDECLTYPE_FLOAT4:
            each([](const std::uint8_t* p, float* r) { std::memcpy(r, p, 16); });
            break;
        case D3DDECLTYPE_D3DCOLOR:
            each([](const std::uint8_t* p, float* r) { FetchColour(p, r); });
            break;
        default:
            each([type = source.type](const std::uint8_t* p, float* r) { FetchVertexElement(type, p, r); });
            break;
        }
    }
    // Prefetches never fault, so the lines past a buffer's end may be asked for too.
    constexpr std::uintptr_t kLine = 64;
    for (int s = 0; s < streamCount_; ++s)
    {
        const TStreamRows& stream = streams_[s];
        const std::uintptr_t from = stream.bytes + std::uintptr_t(first + UINT(count)) * stream.stride;
        const std::uintptr_t to = from + std::uintptr_t(count) * stream.stride;
        for (std::uintptr_t line = from & ~(kLine - 1); line < to; line += kLine)
            _mm_prefetch(reinterpret_cast<const char*>(line), _MM_HINT_T0);
    }
}
