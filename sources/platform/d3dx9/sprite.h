#pragma once
// A sprite batch: textured, coloured rectangles in screen pixels, queued between Begin and End
// and drawn at Flush or End with the canvas2d and textured shading models. Unless told not to,
// Flush puts back every device state it changes, so a state cache in front of the device
// (the engine's effect state filter) stays true.
#include "platform/d3dx9/unknown.h"

#include <vector>

class TD3DXSprite : public TD3DXUnknown<ID3DXSprite>
{
public:
    explicit TD3DXSprite(IDirect3DDevice9* device);
    ~TD3DXSprite() override;

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT GetTransform(D3DXMATRIX* transform) override;
    HRESULT SetTransform(const D3DXMATRIX* transform) override;
    HRESULT Begin(DWORD flags) override;
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                 const D3DXVECTOR3* position, D3DCOLOR color) override;
    HRESULT Flush() override;
    HRESULT End() override;
    HRESULT OnLostDevice() override;
    HRESULT OnResetDevice() override { return D3D_OK; }

    struct TVertex
    {
        float x, y, z;
        D3DCOLOR colour;
        float u, v;
    };

private:
    struct TQuad
    {
        IDirect3DTexture9* texture;
        TVertex corners[4]; // top left, top right, bottom right, bottom left
    };
    class TSavedDeviceState;

    bool Prepare();
    void DrawQuads();
    void ReleaseQuads();

    IDirect3DDevice9* device_;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DVertexShader9* vertexShader_ = nullptr;
    IDirect3DPixelShader9* pixelShader_ = nullptr;
    D3DXMATRIX transform_;
    DWORD flags_ = 0;
    bool begun_ = false;
    std::vector<TQuad> quads_;
};
