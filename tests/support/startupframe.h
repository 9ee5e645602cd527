#pragma once
// What the tests that draw a frame share: the render managers the start-up script begins, and a
// drawn target read back.
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/resourcemanager.h"

#include <cstdint>
#include <vector>

// The managers the start-up script begins up to the render manager, in its order. Blocks are read
// at once without the loader thread: the first frame has them all.
inline void BeginStartupRenderManagers()
{
    g_pResourceManager->BeginManager();
    g_pResourceManager->GetLoader().SetEnabled(false);
    g_pDxShaderManager->BeginManager();
    g_pDxMeshManager->BeginManager();
    g_pDxCameraManager->BeginManager();
    g_pDxViewportManager->BeginManager();
    g_pDxFontManager->BeginManager();
    g_pDxCanvasManager->BeginManager();
    g_pRenderManager->BeginManager();
}

// An A8R8G8B8 or X8R8G8B8 target's pixels, opaque.
inline std::vector<std::uint32_t> TargetPixels(IDirect3DDevice9* device, TRenderTarget* target, i32 width,
                                               i32 height)
{
    IDirect3DSurface9* surface = static_cast<TDxRenderTarget*>(target)->GetSurface();
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    IDirect3DSurface9* copy = nullptr;
    device->CreateOffscreenPlainSurface(width, height, description.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr);
    device->GetRenderTargetData(surface, copy);
    D3DLOCKED_RECT locked;
    copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width * height));
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y * width + x)] =
                static_cast<const u32*>(locked.pBits)[y * locked.Pitch / 4 + x] | 0xFF000000u;
    copy->UnlockRect();
    copy->Release();
    return pixels;
}
