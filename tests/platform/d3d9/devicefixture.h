#pragma once
// A headless device of a given size for the tests, with helpers to read targets back.
#include "golden.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/shadingmodel.h"
#include "platform/window/winuser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <functional>
#include <type_traits>
#include <vector>

// A swap chain of the size and back-buffer format, windowed unless asked otherwise.
inline D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8,
                                        BOOL windowed = TRUE)
{
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = format;
    parameters.Windowed = windowed;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return parameters;
}

// An overlapped window of a class of that name whose client area is width x height.
inline HWND MakeWindow(const char16_t* name, int width, int height)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExW(0, name, u"", WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                           nullptr, nullptr, nullptr, nullptr);
}

// A reproducible jitter in [-amount, amount].
inline float Jitter(unsigned& seed, float amount)
{
    seed = seed * 1103515245u + 12345u;
    return (float((seed >> 8) & 0xFFFF) / 65535.0f * 2.0f - 1.0f) * amount;
}

class DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { MakeDevice(64, 64); }
    // What a test left bound goes, and what it owns, so that the device's last reference is its own.
    void TearDown() override
    {
        if (device)
        {
            device->EndScene();
            device->SetVertexShader(nullptr);
            device->SetPixelShader(nullptr);
            device->SetVertexDeclaration(nullptr);
            for (DWORD stage = 0; stage < 16; ++stage)
                device->SetTexture(stage, nullptr);
            for (DWORD index = 1; index < 4; ++index)
                device->SetRenderTarget(index, nullptr);
            DrawToBackBuffer();
            device->SetDepthStencilSurface(nullptr);
            for (auto object = owned.rbegin(); object != owned.rend(); ++object)
                (*object)->Release();
            owned.clear();
            EXPECT_EQ(0u, device->Release());
        }
        if (direct3d)
        {
            EXPECT_EQ(0u, direct3d->Release());
        }
        device = nullptr;
        direct3d = nullptr;
    }

    // Released at the end of the test, after everything is unbound.
    template <class T> T* Own(T* object)
    {
        owned.push_back(object);
        return object;
    }

    // Makes the back buffer render target 0 again, after a test drew to a target of its own.
    void DrawToBackBuffer()
    {
        IDirect3DSurface9* back = nullptr;
        device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        device->SetRenderTarget(0, back);
        back->Release();
    }

    // A managed 32-bit texture (0 levels: all), owned, texel (x, y) of each level row by row
    // from `texel(x, y, level)`.
    IDirect3DTexture9* Texture32(UINT width, UINT height, UINT levels, D3DFORMAT format,
                                 const std::function<std::uint32_t(UINT, UINT, UINT)>& texel)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr));
        for (UINT level = 0; texture && level < texture->GetLevelCount(); ++level)
        {
            D3DLOCKED_RECT locked;
            EXPECT_EQ(D3D_OK, texture->LockRect(level, &locked, nullptr, 0));
            for (UINT y = 0; y < std::max(height >> level, 1u); ++y)
                for (UINT x = 0; x < std::max(width >> level, 1u); ++x)
                    reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch)[x] =
                        texel(x, y, level);
            texture->UnlockRect(level);
        }
        return Own(texture);
    }

    // The stage's filter (magnifying and minifying) and its addressing (u and v).
    void Sampling(DWORD stage, DWORD filter, DWORD address = D3DTADDRESS_WRAP)
    {
        device->SetSamplerState(stage, D3DSAMP_MAGFILTER, filter);
        device->SetSamplerState(stage, D3DSAMP_MINFILTER, filter);
        device->SetSamplerState(stage, D3DSAMP_ADDRESSU, address);
        device->SetSamplerState(stage, D3DSAMP_ADDRESSV, address);
    }

    // The level of a new render-target texture, owned.
    IDirect3DSurface9* TargetTexture(UINT width, UINT height, D3DFORMAT format)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                                &texture, nullptr));
        IDirect3DSurface9* surface = nullptr;
        Own(texture)->GetSurfaceLevel(0, &surface);
        return Own(surface);
    }

    // The shading model's shader, owned.
    template <class TShader> TShader* Shader(const char* name)
    {
        constexpr bool pixel = std::is_same_v<TShader, IDirect3DPixelShader9>;
        DWORD tokens[64];
        EXPECT_NE(0u, ShadingModelTokens(pixel, name, tokens, 64)) << name;
        TShader* shader = nullptr;
        if constexpr (pixel)
            EXPECT_EQ(D3D_OK, device->CreatePixelShader(tokens, &shader));
        else
            EXPECT_EQ(D3D_OK, device->CreateVertexShader(tokens, &shader));
        return Own(shader);
    }

    // A windowed device, with a depth buffer unless its format is D3DFMT_UNKNOWN.
    void MakeDevice(UINT width, UINT height, D3DFORMAT depth = D3DFMT_D24S8, bool extended = false)
    {
        D3DPRESENT_PARAMETERS parameters = Parameters(width, height);
        parameters.BackBufferCount = 1;
        parameters.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN;
        parameters.AutoDepthStencilFormat = depth;
        MakeDevice(parameters, nullptr, extended);
    }

    void MakeDevice(D3DPRESENT_PARAMETERS& parameters, HWND window = nullptr, bool extended = false)
    {
        if (extended)
        {
            IDirect3D9Ex* ex = nullptr;
            ASSERT_EQ(D3D_OK, Direct3DCreate9Ex(D3D_SDK_VERSION, &ex));
            direct3d = ex;
            IDirect3DDevice9Ex* made = nullptr;
            ASSERT_EQ(D3D_OK, ex->CreateDeviceEx(0, D3DDEVTYPE_HAL, window, 0x52, &parameters, nullptr, &made));
            device = made;
            return;
        }
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(nullptr, direct3d);
        ASSERT_EQ(D3D_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0x52, &parameters, &device));
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

    // Fails the test with the difference when the back buffer's colours are not the golden image's
    // within `tolerance` per channel.
    void ExpectGolden(const char* name, int tolerance = 1)
    {
        IDirect3DSurface9* back = nullptr;
        device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        back->Release();
        std::vector<std::uint32_t> opaque = ReadBackBuffer();
        for (std::uint32_t& pixel : opaque)
            pixel |= 0xFF000000u;
        EXPECT_EQ("", CompareWithGolden(name, opaque, int(desc.Width), int(desc.Height), tolerance)) << name;
    }

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::vector<IUnknown*> owned;
};
