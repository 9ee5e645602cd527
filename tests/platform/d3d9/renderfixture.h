#pragma once
// Drawing helpers for the rendering tests: a vertex of clip position, colour and texture
// coordinates given in pixels of the 64x64 back buffer, and the test shading models.
#include "devicefixture.h"

#include "platform/d3d9/shadingmodel.h"

#include <functional>

struct TTestVertex
{
    float x, y, z, w;
    D3DCOLOR colour;
    float u, v;
};

// A vertex at pixel position (px, py) of a 64x64 target, at depth z.
inline TTestVertex At(float px, float py, float z, D3DCOLOR colour, float u = 0.0f, float v = 0.0f)
{
    return {px / 32.0f - 1.0f, 1.0f - py / 32.0f, z, 1.0f, colour, u, v};
}

class RenderTest : public DeviceTest
{
protected:
    void SetUp() override;

    // The model's pixel shader (owned) set on the device.
    void UsePixelShader(const char* name);
    // The samples that pass while `draw` draws, counted by an occlusion query.
    DWORD Samples(const std::function<void()>& draw);
    // Blending on, with these factors.
    void Blend(DWORD source, DWORD destination);
    HRESULT Draw(D3DPRIMITIVETYPE type, const std::vector<TTestVertex>& vertices);
    void Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour, float u0 = 0.0f,
              float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f);
    IDirect3DSurface9* RenderTarget(UINT width, UINT height, D3DFORMAT format);

    IDirect3DQuery9* query = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
};
