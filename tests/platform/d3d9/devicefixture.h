#pragma once
// A headless device of a given size for the tests, with helpers to read targets back.
#include "platform/d3d9/d3d9.h"

#include <gtest/gtest.h>

#include <cstdint>
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

    // The pixels of a render target as 32-bit words (A8R8G8B8 / X8R8G8B8 targets); the unused
    // byte of X8R8G8B8 reads as 0 unless `unusedByte`.
    std::vector<std::uint32_t> ReadTarget(IDirect3DSurface9* target, bool unusedByte = false)
    {
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        IDirect3DSurface9* copy = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                              D3DPOOL_SYSTEMMEM, &copy, nullptr));
        EXPECT_EQ(D3D_OK, device->GetRenderTargetData(target, copy));
        D3DLOCKED_RECT locked;
        EXPECT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
        // Pixels of 64 bits (A16B16G16R16F) as two words each.
        const UINT words = desc.Width * (desc.Format == D3DFMT_A16B16G16R16F ? 2 : 1);
        std::vector<std::uint32_t> pixels(words * desc.Height);
        for (UINT y = 0; y < desc.Height; ++y)
        {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < words; ++x)
                pixels[y * words + x] =
                    row[x] & (desc.Format == D3DFMT_X8R8G8B8 && !unusedByte ? 0x00FFFFFFu : 0xFFFFFFFFu);
        }
        copy->UnlockRect();
        copy->Release();
        return pixels;
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
