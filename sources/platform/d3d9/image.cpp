#include "platform/d3d9/image.h"

#include "platform/d3d9/format.h"
#include "platform/d3d9/wordfill.h"

#include <algorithm>
#include <cstring>

TImage::TImage(D3DFORMAT format, UINT width, UINT height, UINT depth)
    : format_(format), width_(width), height_(height), depth_(depth)
{
    pitch_ = FormatPitch(format, width);
    slicePitch_ = pitch_ * FormatRowCount(format, height);
    if (IsDepthFormat(format))
    {
        depthPlane_.assign(size_t(width) * height, 1.0f);
        stencilPlane_.assign(size_t(width) * height, 0);
    }
    else
        bits_.assign(size_t(slicePitch_) * depth, 0);
}

const std::uint32_t* TImage::Decoded()
{
    std::lock_guard<std::mutex> lock(decodeMutex_);
    const std::uint32_t version = Version();
    if (decodedVersion_ == version)
        return decoded_.data();
    const UINT blocksWide = (width_ + 3) / 4, blocksHigh = (height_ + 3) / 4;
    decoded_.assign(size_t(width_) * height_ * depth_, 0);
    for (UINT z = 0; z < depth_; ++z)
    {
        for (UINT by = 0; by < blocksHigh; ++by)
        {
            for (UINT bx = 0; bx < blocksWide; ++bx)
            {
                std::uint32_t block[16];
                DecodeDxtBlock(format_, Row(by, z) + bx * (pitch_ / blocksWide), block);
                for (UINT i = 0; i < 16; ++i)
                {
                    const UINT x = bx * 4 + i % 4, y = by * 4 + i / 4;
                    if (x < width_ && y < height_)
                        decoded_[(size_t(z) * height_ + y) * width_ + x] = block[i];
                }
            }
        }
    }
    decodedVersion_ = version;
    return decoded_.data();
}

namespace
{
std::uint32_t ReadWord(const std::uint8_t* bytes)
{
    std::uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

// Fills `count` texels of a row with the texel, whole words at a time.
template <class T> void FillRow(std::uint8_t* row, const std::uint8_t* texel, LONG count)
{
    T word;
    std::memcpy(&word, texel, sizeof word);
    std::fill_n(reinterpret_cast<T*>(row), count, word);
}
} // namespace

void TImage::Fill(const RECT& rect, const float rgba[4])
{
    const TFormatInfo* info = FindFormat(format_);
    if (!info || info->kind != EFormatClass::Colour)
        return;
    const UINT bytes = info->bits / 8;
    alignas(16) std::uint8_t texel[16];
    WriteTexel(format_, texel, rgba);
    const LONG count = rect.right - rect.left;
    for (UINT z = 0; z < depth_; ++z)
    {
        for (LONG y = rect.top; y < rect.bottom; ++y)
        {
            std::uint8_t* row = Row(y, z) + rect.left * bytes;
            switch (bytes)
            {
            case 1:
                std::memset(row, texel[0], size_t(count));
                break;
            case 2:
                FillRow<std::uint16_t>(row, texel, count);
                break;
            case 4:
                FillWords(reinterpret_cast<std::uint32_t*>(row), size_t(count), ReadWord(texel));
                break;
            case 8:
                FillTexels64(row, size_t(count), texel);
                break;
            default:
                for (LONG x = 0; x < count; ++x, row += bytes)
                    std::memcpy(row, texel, bytes);
            }
        }
    }
    Touch();
}

void TImage::FillDepthStencil(const RECT& rect, bool depth, float z, bool stencil, std::uint8_t s)
{
    std::uint32_t zBits;
    std::memcpy(&zBits, &z, 4);
    // Rows as wide as the planes lie one after the other: one fill for all of them.
    const bool whole = rect.left == 0 && rect.right == LONG(width_);
    const LONG rows = whole ? 1 : rect.bottom - rect.top;
    const size_t count = size_t(rect.right - rect.left) * (whole ? rect.bottom - rect.top : 1);
    for (LONG y = rect.top; y < rect.top + rows; ++y)
    {
        const size_t at = size_t(y) * width_ + rect.left;
        if (depth)
            FillWords(reinterpret_cast<std::uint32_t*>(depthPlane_.data() + at), count, zBits);
        if (stencil)
            std::memset(stencilPlane_.data() + at, s, count);
    }
    Touch();
}
