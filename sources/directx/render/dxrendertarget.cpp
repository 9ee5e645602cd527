#include "directx/render/dxrendertarget.h"

#include "core/system/log.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxrendertargetmanager.h"
#include "directx/render/dxtextureformat.h"
#include "engine/render/device.h"

namespace
{
IDirect3DDevice9* Device()
{
    return g_pDeviceManager->GetDevice();
}

IDirect3DSurface9* SurfaceOf(TRenderTarget* target)
{
    if (!target)
        return nullptr;
    target->Require();
    return static_cast<TDxRenderTarget*>(target)->GetSurface();
}

// The lock surface of a surface format and its bytes per pixel; false for other formats.
bool LockSlot(D3DFORMAT format, i32& slot, u32& bytesPerPixel)
{
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        slot = 0;
        bytesPerPixel = 4;
        return true;
    case D3DFMT_X8R8G8B8:
        slot = 1;
        bytesPerPixel = 4;
        return true;
    case D3DFMT_R5G6B5:
        slot = 2;
        bytesPerPixel = 2;
        return true;
    case D3DFMT_A16B16G16R16F:
        slot = 3;
        bytesPerPixel = 8;
        return true;
    default:
        return false;
    }
}
} // namespace

TDxRenderTarget::TDxRenderTarget()
    : m_nFlags(0), m_nDepth(0), m_nShareable(0), m_nWidth(0), m_nHeight(0), m_nFormat(0), m_nReferences(0),
      m_nFree(0), m_pSurface(nullptr)
{
    m_nRepositoryId = RENDER_TARGET_POOLED;
}

TDxRenderTarget::TDxRenderTarget(const char* name) : TDxRenderTarget()
{
    m_Name.Set(name, true);
    m_Texture.m_Name = m_Name;
    m_nRepositoryId = RENDER_TARGET_WRAPPED;
}

void TDxRenderTarget::Setup(const TName& name, u32 width, u32 height, u32 format, u32 shareable, u32 flags)
{
    m_nFree = 0;
    m_Name = name;
    m_nFlags = flags;
    m_nWidth = width;
    m_nHeight = height;
    m_nFormat = format;
    m_nDepth = (format & TEXTURE_FORMAT_DEPTH_GROUP) ? 1 : 0;
    m_nShareable = shareable;
    m_Texture.m_Name = name;
    m_Texture.m_nWidth = static_cast<i32>(width);
    m_Texture.m_nHeight = static_cast<i32>(height);
    m_Texture.m_nFormat = static_cast<i32>(format);
}

void TDxRenderTarget::Attach(IDirect3DSurface9* surface)
{
    Detach();
    m_pSurface = surface;
    if (!surface)
        return;
    D3DSURFACE_DESC desc = {};
    surface->GetDesc(&desc);
    Setup(m_Name, desc.Width, desc.Height, GetFormat(desc.Format), 0, 0);
    m_Texture.m_nD3DFormat = desc.Format;
    m_Texture.SetLoaded(1);
    SetLoaded(1);
}

void TDxRenderTarget::Detach()
{
    if (m_pSurface)
        m_pSurface->Release();
    m_pSurface = nullptr;
    m_Texture.SetLoaded(0);
    SetLoaded(0);
}

u32 TDxRenderTarget::GetSizeEstimate() const
{
    return GetFormatBitDepth(GetD3DFormat(m_nFormat)) * m_nWidth * m_nHeight / 8;
}

i32 TDxRenderTarget::Load()
{
    // A wrapped target is the device's own surface, given by Attach; one made here while it is
    // detached (a lost device) would be a texture that Attach never gives back.
    if (m_nRepositoryId == RENDER_TARGET_WRAPPED)
    {
        SetLoaded(0);
        return 0;
    }
    g_pDeviceManager->Lock();
    IDirect3DDevice9* device = Device();
    TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
    const D3DFORMAT format = GetD3DFormat(m_nFormat);
    device->EvictManagedResources();
    if (m_nDepth)
    {
        statistics->nDepthTargets += GetSizeEstimate();
        device->EvictManagedResources();
        device->CreateDepthStencilSurface(m_nWidth, m_nHeight, format, D3DMULTISAMPLE_NONE, 0, FALSE, &m_pSurface,
                                          nullptr);
        // Without a surface the target is not loaded: the next require tries again.
        if (!m_pSurface)
        {
            statistics->nDepthTargets -= GetSizeEstimate();
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDxRenderTarget::Load(): error: ",
                        "'%s': unable to create depth surface %ux%u format %d", GetNameText(), m_nWidth, m_nHeight,
                        format);
            SetLoaded(0);
        }
        else
            SetLoaded(1);
        g_pDeviceManager->Unlock();
        return 0;
    }
    const DWORD usage = D3DUSAGE_RENDERTARGET | ((m_nFlags & RENDER_TARGET_MIPMAPS) ? D3DUSAGE_AUTOGENMIPMAP : 0);
    statistics->nColourTargets += GetSizeEstimate();
    device->EvictManagedResources();
    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(m_nWidth, m_nHeight, 1, usage, format, D3DPOOL_DEFAULT, &texture, nullptr);
    if (texture)
    {
        texture->GetSurfaceLevel(0, &m_pSurface);
        m_Texture.m_pTexture = texture;
        m_Texture.m_nD3DFormat = format;
        m_Texture.SetLoaded(1);
        SetLoaded(1);
    }
    else
    {
        statistics->nColourTargets -= GetSizeEstimate();
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxRenderTarget::Load(): error: ",
                    "'%s': unable to create texture %ux%u format %d", GetNameText(), m_nWidth, m_nHeight, format);
        m_Texture.SetLoaded(0);
        SetLoaded(0);
    }
    g_pDeviceManager->Unlock();
    return 0;
}

i32 TDxRenderTarget::Release()
{
    if (m_nRepositoryId == RENDER_TARGET_WRAPPED)
    {
        Detach();
        return 0;
    }
    TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
    if (m_nDepth)
    {
        Device()->SetDepthStencilSurface(nullptr);
        statistics->nDepthTargets -= GetSizeEstimate();
        if (m_pSurface)
            m_pSurface->Release();
        m_pSurface = nullptr;
        m_Texture.SetLoaded(0);
        return 0;
    }
    if (m_pSurface)
        m_pSurface->Release();
    m_pSurface = nullptr;
    statistics->nColourTargets -= GetSizeEstimate();
    if (m_Texture.m_pTexture)
    {
        m_Texture.m_pTexture->Release();
        m_Texture.m_pTexture = nullptr;
    }
    m_Texture.SetLoaded(0);
    return 0;
}

i32 TDxRenderTarget::OnDeviceLost()
{
    Unload();
    return 0;
}

TTexture* TDxRenderTarget::GetTexture()
{
    Require();
    return &m_Texture;
}

void TDxRenderTarget::_Bind(TRenderTarget* depth)
{
    g_pDxEffectStateFilter->SetRenderTarget(0, m_pSurface);
    Device()->SetDepthStencilSurface(SurfaceOf(depth));
}

void TDxRenderTarget::SetRenderTarget(TRenderTarget* depth)
{
    TDxRenderTargetManager& manager = *g_pDxRenderTargetManager;
    manager.m_apCurrent[0] = this;
    for (u32 slot = 1; slot < DX_RENDER_TARGET_SLOTS; ++slot)
        manager.m_apCurrent[slot] = nullptr;
    manager.m_pCurrentDepth = depth;
    Require();
    for (u32 slot = 1; slot < DX_RENDER_TARGET_SLOTS; ++slot)
        g_pDxEffectStateFilter->SetRenderTarget(slot, nullptr);
    _Bind(depth);
}

void TDxRenderTarget::SetRenderTargets(TRenderTarget* depth, TRenderTarget* target1, TRenderTarget* target2,
                                       TRenderTarget* target3)
{
    TDxRenderTargetManager& manager = *g_pDxRenderTargetManager;
    TRenderTarget* const targets[DX_RENDER_TARGET_SLOTS] = {this, target1, target2, target3};
    for (u32 slot = 0; slot < DX_RENDER_TARGET_SLOTS; ++slot)
        manager.m_apCurrent[slot] = targets[slot];
    manager.m_pCurrentDepth = depth;
    Require();
    for (u32 slot = 1; slot < DX_RENDER_TARGET_SLOTS; ++slot)
        if (!targets[slot])
            g_pDxEffectStateFilter->SetRenderTarget(slot, nullptr);
    g_pDxEffectStateFilter->SetRenderTarget(0, m_pSurface);
    for (u32 slot = 1; slot < DX_RENDER_TARGET_SLOTS; ++slot)
        if (targets[slot])
            g_pDxEffectStateFilter->SetRenderTarget(slot, SurfaceOf(targets[slot]));
    Device()->SetDepthStencilSurface(SurfaceOf(depth));
}

void TDxRenderTarget::ReleaseReference()
{
    if (m_nReferences <= 0)
        return;
    if (--m_nReferences > 0)
        return;
    Unload();
    m_nFree = 1;
    g_pDxRenderTargetManager->_PushFree(this);
    m_nReferences = -1;
}

void* TDxRenderTarget::Lock(u32& bytes, i32 mode)
{
    bytes = 0;
    if (!m_pSurface)
        return nullptr;
    TDxRenderTargetManager& manager = *g_pDxRenderTargetManager;
    D3DSURFACE_DESC desc = {};
    m_pSurface->GetDesc(&desc);
    manager.m_nLockMode = mode;
    i32 slot = 0;
    u32 bytesPerPixel = 0;
    if (!LockSlot(desc.Format, slot, bytesPerPixel))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxRenderTarget::Lock(): error: ", "unsuported surface format %d",
                    desc.Format);
        return nullptr;
    }
    const u32 count = m_nWidth * m_nHeight * bytesPerPixel;
    manager.m_nLocked = slot;
    IDirect3DSurface9*& surface = manager.m_apLockSurface[slot];
    if (!surface)
        Device()->CreateOffscreenPlainSurface(m_nWidth, m_nHeight, desc.Format, D3DPOOL_SYSTEMMEM, &surface, nullptr);
    if (!surface)
    {
        manager.m_nLocked = DX_LOCK_NONE;
        return nullptr;
    }
    if (mode != RENDER_TARGET_LOCK_WRITE)
        Device()->GetRenderTargetData(m_pSurface, surface);
    D3DLOCKED_RECT rect = {};
    if (FAILED(surface->LockRect(&rect, nullptr, mode == RENDER_TARGET_LOCK_READ ? D3DLOCK_READONLY : 0)))
        return nullptr;
    manager.m_nLockedBytes = count;
    bytes = count;
    return rect.pBits;
}

void TDxRenderTarget::Unlock()
{
    TDxRenderTargetManager& manager = *g_pDxRenderTargetManager;
    if (manager.m_nLocked < 0 || manager.m_nLocked >= static_cast<i32>(DX_LOCK_SURFACES))
        return;
    IDirect3DSurface9*& surface = manager.m_apLockSurface[manager.m_nLocked];
    surface->UnlockRect();
    if (manager.m_nLockMode != RENDER_TARGET_LOCK_READ && m_pSurface)
        Device()->UpdateSurface(surface, nullptr, m_pSurface, nullptr);
    surface->Release();
    surface = nullptr;
    manager.m_nLocked = DX_LOCK_NONE;
}
