#pragma once
// The pixels of one surface or volume level. Colour images keep the format's own bytes with
// a tight pitch; depth-stencil images keep a float depth plane and an 8-bit stencil plane.
// DXT images also keep a decoded A8R8G8B8 copy for sampling, rebuilt after each change.
#include "platform/d3d9/d3d9types.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

class TImage
{
public:
    TImage(D3DFORMAT format, UINT width, UINT height, UINT depth = 1);

    D3DFORMAT Format() const { return format_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    UINT Depth() const { return depth_; }
    UINT Pitch() const { return pitch_; }
    UINT SlicePitch() const { return slicePitch_; }
    std::uint8_t* Bits() { return bits_.data(); }
    const std::uint8_t* Bits() const { return bits_.data(); }
    std::uint8_t* Row(UINT y, UINT z = 0) { return bits_.data() + z * slicePitch_ + y * pitch_; }
    const std::uint8_t* Row(UINT y, UINT z = 0) const { return bits_.data() + z * slicePitch_ + y * pitch_; }
    float* DepthPlane() { return depthPlane_.data(); }
    std::uint8_t* StencilPlane() { return stencilPlane_.data(); }
    bool IsDepth() const { return !depthPlane_.empty(); }

    // Marks the pixels changed (after an unlock, a copy or a draw).
    void Touch() { version_.fetch_add(1, std::memory_order_release); }
    std::uint32_t Version() const { return version_.load(std::memory_order_acquire); }

    // The A8R8G8B8 texels sampling reads for a DXT image, brought up to date first.
    const std::uint32_t* Decoded();

    // Fills with one colour (converted to the format) or, for depth images, a depth and stencil.
    void Fill(const RECT& rect, const float rgba[4]);
    void FillDepthStencil(const RECT& rect, bool depth, float z, bool stencil, std::uint8_t s);

private:
    D3DFORMAT format_;
    UINT width_, height_, depth_;
    UINT pitch_, slicePitch_;
    std::vector<std::uint8_t> bits_;
    std::vector<float> depthPlane_;
    std::vector<std::uint8_t> stencilPlane_;
    std::atomic<std::uint32_t> version_{1};
    std::mutex decodeMutex_;
    std::vector<std::uint32_t> decoded_;
    std::uint32_t decodedVersion_ = 0;
};
