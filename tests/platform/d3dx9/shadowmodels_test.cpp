// The shadow manager's projection model: each mask follows its own positions, also where the
// transparent positions are the opaque ones (the model reads the map once there).
#include "d3dxfixture.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/shadingmodel.h"

#include <cstring>
#include <vector>

namespace
{
constexpr UINT kSize = 16;

struct TScreenVertex
{
    float x, y, z, w;
    float u, v;
};

// Varying 1 the screen's texture coordinates, as the canvas vertex writes them.
void ScreenVertex(const TVertexInput& input, const TShaderConstants&, TVertexOutput& output)
{
    const float* position = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = position[c];
        output.varying[1][c] = uv[c];
    }
}

const TVertexModelRegistration kScreenVertex("shadowtest.screen", ScreenVertex, 2);

class ShadowProjectionTest : public D3DXTest
{
protected:
    template <class T> T* Own(T* object)
    {
        owned.push_back(object);
        return object;
    }

    // A kSize x kSize A16B16G16R16F texture of camera-space positions, `depth(x)` deep.
    template <class TDepth> IDirect3DTexture9* Positions(TDepth depth)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A16B16G16R16F, D3DPOOL_MANAGED, &texture,
                                                nullptr));
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
            {
                const float p[4] = {float(x) - 8.0f, float(y) - 8.0f, depth(x), 1.0f};
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

    std::vector<IUnknown*> owned;
};

TEST_F(ShadowProjectionTest, EachMaskFollowsItsOwnPositions)
{
    // The map everywhere 0.6 (stored as one less the depth: 0.4); map depth is camera depth
    // times 0.05: the opaque positions at 10 lie beyond it (shadowed), the transparent ones in
    // front of them at 5 on the right half do not.
    IDirect3DTexture9* map = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_R32F, D3DPOOL_MANAGED, &map, nullptr));
    Own(map);
    D3DLOCKED_RECT locked;
    map->LockRect(0, &locked, nullptr, 0);
    for (UINT i = 0; i < 8; ++i)
        for (UINT x = 0; x < 8; ++x)
            reinterpret_cast<float*>(static_cast<std::uint8_t*>(locked.pBits) + i * UINT(locked.Pitch))[x] = 0.6f;
    map->UnlockRect(0);
    IDirect3DTexture9* opaque = Positions([](UINT) { return 10.0f; });
    IDirect3DTexture9* transparent = Positions([](UINT x) { return x < kSize / 2 ? 10.0f : 5.0f; });
    IDirect3DSurface9* masks[2];
    for (IDirect3DSurface9*& mask : masks)
    {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                D3DPOOL_DEFAULT, &texture, nullptr));
        Own(texture);
        texture->GetSurfaceLevel(0, &mask);
        Own(mask);
    }
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(elements, &declaration));
    Own(declaration);
    DWORD tokens[64];
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    ShadingModelTokens(false, "shadowtest.screen", tokens, 64);
    ASSERT_EQ(D3D_OK, device->CreateVertexShader(tokens, &vertexShader));
    Own(vertexShader);
    ShadingModelTokens(true, "shadowprojection", tokens, 64);
    ASSERT_EQ(D3D_OK, device->CreatePixelShader(tokens, &pixelShader));
    Own(pixelShader);
    IDirect3DSurface9* back = nullptr;
    device->GetRenderTarget(0, &back);

    // Camera space to map coordinates (x and y over the map) and depth; the red channel; the
    // split's range (fading from 90 to 100); no bias.
    const float constants[9][4] = {{0.05f, 0.0f, 0.0f, 0.5f}, {0.0f, 0.05f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.05f, 0.0f},
                                   {0.0f, 0.0f, 0.0f, 1.0f},  {},                         {},
                                   {1.0f, 0.0f, 0.0f, 0.0f},  {0.0f, 100.0f, 90.0f, 100.0f}, {}};
    const TScreenVertex quad[4] = {{-1, 1, 0.5f, 1, 0, 0}, {1, 1, 0.5f, 1, 1, 0}, {-1, -1, 0.5f, 1, 0, 1},
                                   {1, -1, 0.5f, 1, 1, 1}};
    device->BeginScene();
    device->SetVertexDeclaration(declaration);
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetPixelShaderConstantF(0, &constants[0][0], 9);
    device->SetTexture(0, opaque);
    device->SetTexture(1, transparent);
    device->SetTexture(3, map);
    device->SetRenderTarget(0, masks[0]);
    device->SetRenderTarget(1, masks[1]);
    EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TScreenVertex)));
    device->EndScene();
    device->SetRenderTarget(1, nullptr);
    device->SetRenderTarget(0, back);
    back->Release();
    for (DWORD stage : {0u, 1u, 3u})
        device->SetTexture(stage, nullptr);
    device->SetPixelShader(nullptr);
    device->SetVertexShader(nullptr);
    device->SetVertexDeclaration(nullptr);

    const std::vector<std::uint32_t> opaqueMask = ReadTarget(masks[0]), transparentMask = ReadTarget(masks[1]);
    int wrong = 0;
    for (UINT y = 0; y < kSize; ++y)
        for (UINT x = 0; x < kSize; ++x)
        {
            wrong += opaqueMask[y * kSize + x] != 0x00FF0000u;
            wrong += transparentMask[y * kSize + x] != (x < kSize / 2 ? 0x00FF0000u : 0u);
        }
    EXPECT_EQ(0, wrong);
    for (IUnknown* object : owned)
        object->Release();
}
} // namespace
