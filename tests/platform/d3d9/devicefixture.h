#pragma once
// A headless device of a given size for the tests, with helpers to read targets back.
#include "platform/d3d9/d3d9.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

class DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { MakeDevice(64, 64); }
    void TearDown() override
    {
        if (device)
        {
            EXPECT_EQ(0u, device->Release());
        }
        if (direct3d)
            direct3d->Release();
    }

    void MakeDevice(UINT width, UINT height, D3DFORMAT depth = D3DFMT_D24S8)
    {
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(nullptr, direct3d);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = width;
        parameters.BackBufferHeight = height;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = depth;
        ASSERT_EQ(D3D_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    }

    // A target's bytes, row by row without the pitch's padding.
    std::vector<std::uint8_t> TargetBytes(IDirect3DSurface9* target, UINT texelBytes)
    {
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        IDirect3DSurface9* copy = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                              D3DPOOL_SYSTEMMEM, &copy, nullptr));
        EXPECT_EQ(D3D_OK, device->GetRenderTargetData(target, copy));
        D3DLOCKED_RECT locked;
        EXPECT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
        std::vector<std::uint8_t> bytes;
        for (UINT y = 0; y < desc.Height; ++y)
        {
            const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch;
            bytes.insert(bytes.end(), row, row + desc.Width * texelBytes);
        }
        copy->UnlockRect();
        copy->Release();
        return bytes;
    }

    // The pixels of a render target as 32-bit words (A8R8G8B8 / X8R8G8B8 targets; A16B16G16R16F
    // ones as two words each); the unused byte of X8R8G8B8 reads as 0 unless `unusedByte`.
    std::vector<std::uint32_t> ReadTarget(IDirect3DSurface9* target, bool unusedByte = false)
    {
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        const std::vector<std::uint8_t> bytes = TargetBytes(target, desc.Format == D3DFMT_A16B16G16R16F ? 8 : 4);
        std::vector<std::uint32_t> pixels(bytes.size() / 4);
        std::memcpy(pixels.data(), bytes.data(), bytes.size());
        for (std::uint32_t& pixel : pixels)
            pixel &= desc.Format == D3DFMT_X8R8G8B8 && !unusedByte ? 0x00FFFFFFu : 0xFFFFFFFFu;
        return pixels;
    }

    // A managed texture of seeded bits: 32-bit texels whole; A16B16G16R16F and R32F ones of 0
    // to 2 (halves with the sign clear and exponents up to 15, floats below 2).
    static IDirect3DTexture9* RandomTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels,
                                            D3DFORMAT format, unsigned& seed)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr));
        for (UINT level = 0; level < levels; ++level)
        {
            D3DLOCKED_RECT locked;
            texture->LockRect(level, &locked, nullptr, 0);
            for (UINT y = 0; y < (height >> level); ++y)
            {
                auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
                for (UINT x = 0; x < (width >> level); ++x)
                {
                    seed = seed * 1103515245u + 12345u;
                    const std::uint32_t bits = seed ^ (seed >> 15);
                    const float value = float(bits & 0xFFFFFF) / 8388608.0f;
                    const std::uint16_t halves[4] = {std::uint16_t(bits & 0x3FFF), std::uint16_t((bits >> 14) & 0x3FFF),
                                                     std::uint16_t((bits >> 7) & 0x3FFF),
                                                     std::uint16_t((bits >> 18) & 0x3FFF)};
                    if (format == D3DFMT_A16B16G16R16F)
                        std::memcpy(row + 8 * x, halves, 8);
                    else
                        std::memcpy(row + 4 * x, format == D3DFMT_R32F ? static_cast<const void*>(&value) : &bits, 4);
                }
            }
            texture->UnlockRect(level);
        }
        return texture;
    }

    std::vector<std::uint32_t> ReadBackBuffer()
    {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
        std::vector<std::uint32_t> pixels = ReadTarget(back);
        back->Release();
        return pixels;
    }

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};
