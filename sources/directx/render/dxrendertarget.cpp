#include "directx/render/dxrendertarget.h"

#include "directx/render/dxdevice.h"

TDxRenderTarget::TDxRenderTarget(const char* name) : m_pSurface(nullptr)
{
    m_Name.Set(name, true);
}

TDxRenderTarget::~TDxRenderTarget()
{
    Release();
}

void TDxRenderTarget::Attach(IDirect3DSurface9* surface)
{
    Release();
    m_pSurface = surface;
    if (!surface)
        return;
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    m_nWidth = desc.Width;
    m_nHeight = desc.Height;
    m_nFormat = desc.Format;
}

void TDxRenderTarget::Release()
{
    if (m_pSurface)
        m_pSurface->Release();
    m_pSurface = nullptr;
}

void TDxRenderTarget::MakeCurrent(TRenderTarget* depthStencil)
{
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    if (!device)
        return;
    device->SetRenderTarget(0, m_pSurface);
    auto* depth = static_cast<TDxRenderTarget*>(depthStencil);
    device->SetDepthStencilSurface(depth ? depth->GetSurface() : nullptr);
}
