#pragma once
// Full-screen passes of the deferred renderer's and the shadow manager's models over small
// textures: positions, A8R8G8B8 targets, and one screen quad drawn with the canvas's varying.
#include "d3dxfixture.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/shadingmodel.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace screenpass
{
constexpr UINT kSize = 16;

struct TScreenVertex
{
    float x, y, z, w;
    float u, v;
};

// Varying 1 the screen's texture coordinates, as the canvas vertex writes them.
inline void ScreenVertex(const TVertexInput& input, const TShaderConstants&, TVertexOutput& output)
{
    const float* position = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = position[c];
        output.varying[1][c] = uv[c];
    }
}

inline const TVertexModelRegistration kScreenVertex("screenpass.screen", ScreenVertex, 2);

class ScreenPassTest : public D3DXTest
{
protected:
    // A kSize x kSize A16B16G16R16F texture, texel (x, y) filled by `fill(x, y, rgba)`.
    template <class TFill> IDirect3DTexture9* FloatTexture(TFill fill)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A16B16G16R16F, D3DPOOL_MANAGED, &texture,
                                                nullptr));
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
            {
                float p[4];
                fill(x, y, p);
                for (int c = 0; c < 4; ++c)
                {
                    const std::uint16_t half = D3D9FloatToHalf(p[c]);
                    std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * UINT(locked.Pitch) + 8 * x + 2 * c,
                                &half, 2);
                }
            }
        texture->UnlockRect(0);
        return Own(texture);
    }

    // Camera-space positions, `depth(x)` deep.
    template <class TDepth> IDirect3DTexture9* Positions(TDepth depth)
    {
        return FloatTexture([&](UINT x, UINT y, float* p) {
            p[0] = float(x) - 8.0f;
            p[1] = float(y) - 8.0f;
            p[2] = depth(x);
            p[3] = 1.0f;
        });
    }

    // A kSize x kSize A8R8G8B8 texture of `texel(x, y)`.
    template <class TTexel> IDirect3DTexture9* ArgbTexture(TTexel texel)
    {
        return Texture32(kSize, kSize, 1, D3DFMT_A8R8G8B8, [&](UINT x, UINT y, UINT) { return texel(x, y); });
    }

    // A target kSize x kSize.
    IDirect3DSurface9* Target(D3DFORMAT format = D3DFMT_A8R8G8B8) { return TargetTexture(kSize, kSize, format); }

    // A full-screen quad of `model` over `targets` with `textures` at their stages (null: none)
    // and `registers` constant registers; the targets and textures are put back.
    void DrawScreen(const char* model, const float (*constants)[4], UINT registers,
                    std::initializer_list<std::pair<DWORD, IDirect3DTexture9*>> textures,
                    std::initializer_list<IDirect3DSurface9*> targets)
    {
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                              {0, 16, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                              D3DDECL_END()};
        IDirect3DVertexDeclaration9* declaration = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(elements, &declaration));
        Own(declaration);
        IDirect3DSurface9* back = nullptr;
        device->GetRenderTarget(0, &back);
        const TScreenVertex quad[4] = {{-1, 1, 0.5f, 1, 0, 0}, {1, 1, 0.5f, 1, 1, 0}, {-1, -1, 0.5f, 1, 0, 1},
                                       {1, -1, 0.5f, 1, 1, 1}};
        device->BeginScene();
        device->SetVertexDeclaration(declaration);
        device->SetVertexShader(Shader<IDirect3DVertexShader9>("screenpass.screen"));
        device->SetPixelShader(Shader<IDirect3DPixelShader9>(model));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device->SetPixelShaderConstantF(0, &constants[0][0], registers);
        for (const auto& [stage, texture] : textures)
            device->SetTexture(stage, texture);
        DWORD index = 0;
        for (IDirect3DSurface9* target : targets)
            device->SetRenderTarget(index++, target);
        EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TScreenVertex)));
        device->EndScene();
        while (index > 1)
            device->SetRenderTarget(--index, nullptr);
        device->SetRenderTarget(0, back);
        back->Release();
        for (const auto& [stage, texture] : textures)
            device->SetTexture(stage, nullptr);
    }
};

} // namespace screenpass
