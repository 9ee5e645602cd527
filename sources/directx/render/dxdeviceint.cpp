#include "directx/render/dxdeviceint.h"

#include "core/stream/stream.h"
#include "core/system/log.h"
#include "core/system/string.h"

TDxDeviceInt* g_pDxDeviceInt = nullptr;
TDxBufferProfile g_DxBufferProfile = {};

HWND TDxDeviceInt::CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                                   int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                   void* param)
{
    return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                             instance, param);
}

BOOL TDxDeviceInt::GetClientRect(HWND window, RECT* rect)
{
    return ::GetClientRect(window, rect);
}

BOOL TDxDeviceInt::SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height,
                                UINT flags)
{
    return ::SetWindowPos(window, insertAfter, x, y, width, height, flags);
}

BOOL TDxDeviceInt::UpdateWindow(HWND window)
{
    return ::UpdateWindow(window);
}

BOOL TDxDeviceInt::ShowWindow(HWND window, int command)
{
    return ::ShowWindow(window, command);
}

BOOL TDxDeviceInt::GetWindowRect(HWND window, RECT* rect)
{
    return ::GetWindowRect(window, rect);
}

BOOL TDxDeviceInt::SetWindowTextW(HWND window, LPCWSTR text)
{
    return ::SetWindowTextW(window, text);
}

BOOL TDxDeviceInt::GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    return ::GetWindowPlacement(window, placement);
}

LONG TDxDeviceInt::SetWindowLongA(HWND window, int index, LONG value)
{
    return ::SetWindowLongW(window, index, value);
}

BOOL TDxDeviceInt::ClientToScreen(HWND window, POINT* point)
{
    return ::ClientToScreen(window, point);
}

HRESULT TDxDeviceInt::TestCooperativeLevel(IDirect3DDevice9* device)
{
    return device->TestCooperativeLevel();
}

HRESULT TDxDeviceInt::CreateDevice(IDirect3D9* direct3d, bool extended, UINT adapter, D3DDEVTYPE type,
                                   HWND focusWindow, DWORD behaviour, D3DPRESENT_PARAMETERS* parameters,
                                   D3DDISPLAYMODEEX* displayMode, IDirect3DDevice9** device)
{
    if (extended)
    {
        IDirect3DDevice9Ex* created = nullptr;
        const HRESULT result = static_cast<IDirect3D9Ex*>(direct3d)->CreateDeviceEx(
            adapter, type, focusWindow, behaviour, parameters, displayMode, &created);
        *device = created;
        return result;
    }
    return direct3d->CreateDevice(adapter, type, focusWindow, behaviour, parameters, device);
}

ULONG TDxDeviceInt::ReleaseDevice(IDirect3DDevice9* device)
{
    if (!device)
        return 0;
    const ULONG left = device->Release();
    if (left > 0)
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TDxDeviceInt::ReleaseDevice(): error: ", "%d resources unreleased", left);
    return left;
}

HRESULT TDxDeviceInt::LockTextureLevel(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked,
                                       DWORD flags, u32 unused0, u32 unused1)
{
    return texture->LockRect(level, locked, nullptr, flags);
}

HRESULT TDxDeviceInt::UnlockTextureLevel(IDirect3DTexture9* texture, UINT level)
{
    return texture->UnlockRect(level);
}

HRESULT TDxDeviceInt::LockBuffer(IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data,
                                 DWORD flags)
{
    return buffer->Lock(offset, size, data, flags);
}

HRESULT TDxDeviceInt::LockBuffer(IDirect3DIndexBuffer9* buffer, UINT offset, UINT size, void** data,
                                 DWORD flags)
{
    return buffer->Lock(offset, size, data, flags);
}

HRESULT TDxDeviceInt::UnlockBuffer(IDirect3DVertexBuffer9* buffer)
{
    return buffer->Unlock();
}

HRESULT TDxDeviceInt::UnlockBuffer(IDirect3DIndexBuffer9* buffer)
{
    return buffer->Unlock();
}

INT TDxDeviceInt::DrawTextA(ID3DXFont* font, ID3DXSprite* sprite, DWORD spriteFlags, LPCSTR text, INT count,
                            RECT* rect, DWORD format, D3DCOLOR colour)
{
    if (sprite)
        sprite->Begin(spriteFlags);
    font->DrawTextA(sprite, text, count, rect, format, colour);
    if (sprite)
        sprite->End();
    return 0;
}

INT TDxDeviceInt::DrawTextW(ID3DXFont* font, ID3DXSprite* sprite, DWORD spriteFlags, LPCWSTR text, INT count,
                            RECT* rect, DWORD format, D3DCOLOR colour)
{
    if (sprite)
        sprite->Begin(spriteFlags);
    font->DrawTextW(sprite, text, count, rect, format, colour);
    if (sprite)
        sprite->End();
    return 0;
}

void TDxBufferProfile::Reset()
{
    for (u32 i = 0; i < DX_PROFILE_ENTRIES; ++i)
    {
        aCalls[i] = 0;
        aDxCycles[i] = 0;
        aCycles[i] = 0;
    }
}

void TDxBufferProfile::Export(TStream& stream) const
{
    stream.WriteText("Function index\tTotal calls\ttotal dx cycles\ttotal i cyles\n");
    char line[128];
    for (u32 i = 1; i < DX_PROFILE_ENTRIES; ++i)
    {
        if (aCalls[i] != 0)
            FormatStringN(line, sizeof line, "%d\t%d\t%I64d\t%I64d\n", i, aCalls[i], aDxCycles[i],
                          aCycles[i]);
        else
            FormatStringN(line, sizeof line, "%d\t0\t0\t0\n", i);
        stream.WriteText(line);
    }
}
