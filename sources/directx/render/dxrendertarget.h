#pragma once
// TDxRenderTarget: a render target over a Direct3D surface. For now only the device manager's
// two embedded targets use it: the back buffer and the depth-stencil surface.
#include "engine/render/rendertarget.h"
#include "platform/d3d9/d3d9.h"

class TDxRenderTarget : public TRenderTarget
{
public:
    explicit TDxRenderTarget(const char* name);
    ~TDxRenderTarget() override;

    // Takes over one reference of the surface (null: none) and its size and format.
    void Attach(IDirect3DSurface9* surface);
    void Release();
    // A colour target with a depth-stencil target (or none); a depth-stencil target alone sets
    // only the depth-stencil surface.
    void MakeCurrent(TRenderTarget* depthStencil) override;

    IDirect3DSurface9* GetSurface() const { return m_pSurface; }

private:
    IDirect3DSurface9* m_pSurface;
};
