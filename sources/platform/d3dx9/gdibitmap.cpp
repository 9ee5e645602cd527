#include "platform/d3dx9/gdibitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
// Rows and the whole image stay addressable with 32-bit offsets.
constexpr std::uint64_t kMaxBytes = 0x7FFFFFFF;
// DIB rows start 16-byte aligned for the vector loops.
constexpr std::size_t kAlignment = 16;
} // namespace

std::unique_ptr<TGdiBitmap> TGdiBitmap::Create(int width, int height, bool bottomUp)
{
    if (width <= 0 || height <= 0 || std::uint64_t(width) * std::uint64_t(height) * 4 > kMaxBytes)
        return nullptr;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    void* bits = std::aligned_alloc(kAlignment, (bytes + kAlignment - 1) / kAlignment * kAlignment);
    if (!bits)
        return nullptr;
    std::memset(bits, 0, bytes);
    return std::unique_ptr<TGdiBitmap>(new TGdiBitmap(width, height, bottomUp, static_cast<std::uint32_t*>(bits)));
}

TGdiBitmap::TGdiBitmap(int width, int height, bool bottomUp, std::uint32_t* bits)
    : TGdiObject(EGdiKind::Bitmap), width_(width), height_(height), bottomUp_(bottomUp), bits_(bits)
{
}

TGdiBitmap::~TGdiBitmap()
{
    std::free(bits_);
}

TGdiPixels TGdiBitmap::View() const
{
    const std::ptrdiff_t pitch = std::ptrdiff_t(width_) * 4;
    auto* base = reinterpret_cast<std::uint8_t*>(bits_);
    if (bottomUp_)
        return {base + (height_ - 1) * pitch, -pitch, width_, height_, {0, 0, width_, height_}};
    return {base, pitch, width_, height_, {0, 0, width_, height_}};
}
