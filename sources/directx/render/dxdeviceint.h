#pragma once
// TDxDeviceInt: the thin device-call layer through which the device manager makes its window
// calls and a few device calls, and through which meshes, textures and fonts make some of their
// buffer and texture calls. Its operations pass their arguments on unchanged except where told.
//
// Beside it, the device-call profiling table: per device-call index a call count and two cycle
// totals, cleared by "dxbufferprofile_reset" and written to "dxbuffer.timing" by
// "dxbufferprofile_export".
#include "core/system/types.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/window/winuser.h"

class TStream;

class TDxDeviceInt
{
public:
    HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                         int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
    BOOL GetClientRect(HWND window, RECT* rect);
    BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
    BOOL UpdateWindow(HWND window);
    BOOL ShowWindow(HWND window, int command);
    BOOL GetWindowRect(HWND window, RECT* rect);
    BOOL SetWindowTextW(HWND window, LPCWSTR text);
    BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
    LONG SetWindowLongA(HWND window, int index, LONG value);
    BOOL ClientToScreen(HWND window, POINT* point);

    HRESULT TestCooperativeLevel(IDirect3DDevice9* device);
    // CreateDeviceEx with the Vista-class interface (extended), CreateDevice without the display
    // mode otherwise.
    HRESULT CreateDevice(IDirect3D9* direct3d, bool extended, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                         DWORD behaviour, D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* displayMode,
                         IDirect3DDevice9** device);
    // Releases the device and logs the references left; returns their count (0 for null).
    ULONG ReleaseDevice(IDirect3DDevice9* device);

    // The whole level; the last two arguments are ignored.
    HRESULT LockTextureLevel(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked, DWORD flags,
                             u32 unused0 = 0, u32 unused1 = 0);
    HRESULT UnlockTextureLevel(IDirect3DTexture9* texture, UINT level);
    HRESULT LockBuffer(IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data, DWORD flags);
    HRESULT LockBuffer(IDirect3DIndexBuffer9* buffer, UINT offset, UINT size, void** data, DWORD flags);
    HRESULT UnlockBuffer(IDirect3DVertexBuffer9* buffer);
    HRESULT UnlockBuffer(IDirect3DIndexBuffer9* buffer);

    // With a sprite: the sprite's Begin (flags), the text, the sprite's End. Both return 0.
    INT DrawTextA(ID3DXFont* font, ID3DXSprite* sprite, DWORD spriteFlags, LPCSTR text, INT count, RECT* rect,
                  DWORD format, D3DCOLOR colour);
    INT DrawTextW(ID3DXFont* font, ID3DXSprite* sprite, DWORD spriteFlags, LPCWSTR text, INT count,
                  RECT* rect, DWORD format, D3DCOLOR colour);
};

extern TDxDeviceInt* g_pDxDeviceInt;

// Device-call profiling: three columns of 148 entries indexed by device-call number.
constexpr u32 DX_PROFILE_ENTRIES = 148;

struct TDxBufferProfile
{
    u32 aCalls[DX_PROFILE_ENTRIES];
    u64 aDxCycles[DX_PROFILE_ENTRIES];
    u64 aCycles[DX_PROFILE_ENTRIES];

    void Reset();
    // The header line, then one line per index 1 to 147.
    void Export(TStream& stream) const;
};

extern TDxBufferProfile g_DxBufferProfile;

// The file dxbufferprofile_export writes.
constexpr const char* DX_PROFILE_FILE = "dxbuffer.timing";
