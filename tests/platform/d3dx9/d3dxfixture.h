#pragma once
// A headless software device for the D3DX tests, with effect creation and target read-back.
#include "platform/d3dx9/d3dx9.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class D3DXTest : public ::testing::Test
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

    void MakeDevice(UINT width, UINT height)
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
        parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(D3D_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    }

    // Creates the effect or fails the test with the compiler's message.
    ID3DXEffect* MakeEffect(const std::string& text, ID3DXEffectPool* pool = nullptr)
    {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        const HRESULT result = D3DXCreateEffectEx(device, text.data(), UINT(text.size()), nullptr, nullptr,
                                                  nullptr, D3DXFX_NOT_CLONEABLE, pool, &effect, &errors);
        EXPECT_EQ(D3D_OK, result) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        if (errors)
            errors->Release();
        return effect;
    }

    // The pixels of the back buffer as 0xRRGGBB words, rows top down.
    std::vector<std::uint32_t> ReadBackBuffer()
    {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        IDirect3DSurface9* copy = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                              D3DPOOL_SYSTEMMEM, &copy, nullptr));
        EXPECT_EQ(D3D_OK, device->GetRenderTargetData(back, copy));
        D3DLOCKED_RECT locked;
        EXPECT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
        std::vector<std::uint32_t> pixels(desc.Width * desc.Height);
        for (UINT y = 0; y < desc.Height; ++y)
        {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x)
                pixels[y * desc.Width + x] = row[x] & 0x00FFFFFFu;
        }
        copy->UnlockRect();
        copy->Release();
        back->Release();
        return pixels;
    }

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};
