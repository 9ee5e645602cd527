#pragma once
// Render targets of any colour format read back as floats, and floats turned into 32-bit pixels
// for golden images by one fixed tone mapping (README.md). The floating-point targets hold
// negative normals and camera-space positions hundreds of units away, which no 8-bit image keeps
// as they are.
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/format.h"

#include <cmath>
#include <cstdint>
#include <vector>

// (r, g, b, a) of every pixel of a target, row by row; R32F reads as (r, r, r, 1). Empty when the
// surface cannot be read back.
inline std::vector<float> ReadTargetFloats(IDirect3DDevice9* device, IDirect3DSurface9* surface)
{
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    IDirect3DSurface9* copy = nullptr;
    if (device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                            D3DPOOL_SYSTEMMEM, &copy, nullptr) != D3D_OK)
        return {};
    std::vector<float> floats;
    D3DLOCKED_RECT locked;
    if (device->GetRenderTargetData(surface, copy) == D3D_OK && copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK)
    {
        const UINT bytes = FormatPitch(description.Format, 1);
        floats.resize(size_t(description.Width) * description.Height * 4);
        float* out = floats.data();
        for (UINT y = 0; y < description.Height; ++y)
            for (UINT x = 0; x < description.Width; ++x, out += 4)
            {
                ReadTexel(description.Format, static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * bytes, out);
                if (description.Format == D3DFMT_R32F)
                    out[1] = out[2] = out[0];
            }
        copy->UnlockRect();
    }
    copy->Release();
    return floats;
}

// One channel to a byte: 128 + 127.5 v / (s + |v|) rounded, so 0 is 128, +-s is 64 or 191 and
// every finite value keeps its order; NaN is 0.
inline std::uint32_t ToneMappedChannel(float value, float scale)
{
    if (std::isnan(value))
        return 0;
    const double v = value;
    const double mapped = std::isinf(v) ? (v > 0 ? 255.0 : 0.0) : 128.0 + 127.5 * v / (scale + std::fabs(v));
    return static_cast<std::uint32_t>(std::lround(std::fmin(std::fmax(mapped, 0.0), 255.0)));
}

// Floats of ReadTargetFloats as A8R8G8B8 words, every channel (alpha too) tone mapped.
inline std::vector<std::uint32_t> ToneMapped(const std::vector<float>& floats, float scale)
{
    std::vector<std::uint32_t> pixels(floats.size() / 4);
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        const float* p = &floats[i * 4];
        pixels[i] = ToneMappedChannel(p[3], scale) << 24 | ToneMappedChannel(p[0], scale) << 16 |
                    ToneMappedChannel(p[1], scale) << 8 | ToneMappedChannel(p[2], scale);
    }
    return pixels;
}

// Images of one size side by side, `columns` to a row, into one image.
inline std::vector<std::uint32_t> Tiled(const std::vector<std::vector<std::uint32_t>>& images, int width, int height,
                                        int columns)
{
    const int rows = (int(images.size()) + columns - 1) / columns;
    std::vector<std::uint32_t> out(size_t(width) * columns * height * rows, 0);
    for (size_t k = 0; k < images.size(); ++k)
    {
        const int left = int(k) % columns * width, top = int(k) / columns * height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out[size_t(top + y) * width * columns + left + x] = images[k][size_t(y) * width + x];
    }
    return out;
}
