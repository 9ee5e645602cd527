#pragma once
// The Direct3D 9 and 9Ex interfaces that the engine calls, with Direct3D 9's meaning, served by
// the software device of this folder. Every object is reference counted; QueryInterface answers
// for the interface identifiers below.
#include "platform/d3d9/d3d9types.h"
#include "platform/windef/unknwn.h"

extern const IID IID_IDirect3D9;
extern const IID IID_IDirect3D9Ex;
extern const IID IID_IDirect3DDevice9;
extern const IID IID_IDirect3DDevice9Ex;
extern const IID IID_IDirect3DResource9;
extern const IID IID_IDirect3DBaseTexture9;
extern const IID IID_IDirect3DTexture9;
extern const IID IID_IDirect3DCubeTexture9;
extern const IID IID_IDirect3DVolumeTexture9;
extern const IID IID_IDirect3DSurface9;
extern const IID IID_IDirect3DVolume9;
extern const IID IID_IDirect3DVertexBuffer9;
extern const IID IID_IDirect3DIndexBuffer9;
extern const IID IID_IDirect3DVertexDeclaration9;
extern const IID IID_IDirect3DVertexShader9;
extern const IID IID_IDirect3DPixelShader9;
extern const IID IID_IDirect3DQuery9;

struct IDirect3DDevice9;

struct IDirect3DResource9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual DWORD SetPriority(DWORD priority) = 0;
    virtual DWORD GetPriority() = 0;
    virtual void PreLoad() = 0;
    virtual D3DRESOURCETYPE GetType() = 0;
};

struct IDirect3DSurface9 : IDirect3DResource9
{
    // The texture (or the device, for a stand-alone surface) the surface belongs to.
    virtual HRESULT GetContainer(REFIID riid, void** container) = 0;
    virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;
};

struct IDirect3DVolume9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT GetContainer(REFIID riid, void** container) = 0;
    virtual HRESULT GetDesc(D3DVOLUME_DESC* desc) = 0;
    virtual HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) = 0;
    virtual HRESULT UnlockBox() = 0;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9
{
    virtual DWORD SetLOD(DWORD lod) = 0;
    virtual DWORD GetLOD() = 0;
    virtual DWORD GetLevelCount() = 0;
    virtual HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) = 0;
    virtual D3DTEXTUREFILTERTYPE GetAutoGenFilterType() = 0;
    virtual void GenerateMipSubLevels() = 0;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9
{
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
    virtual HRESULT AddDirtyRect(const RECT* rect) = 0;
};

struct IDirect3DCubeTexture9 : IDirect3DBaseTexture9
{
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) = 0;
    virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                             DWORD flags) = 0;
    virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
    virtual HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect) = 0;
};

struct IDirect3DVolumeTexture9 : IDirect3DBaseTexture9
{
    virtual HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) = 0;
    virtual HRESULT GetVolumeLevel(UINT level, IDirect3DVolume9** volume) = 0;
    virtual HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) = 0;
    virtual HRESULT UnlockBox(UINT level) = 0;
    virtual HRESULT AddDirtyBox(const D3DBOX* box) = 0;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9
{
    virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9
{
    virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DVertexDeclaration9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    // With a null element array answers the element count (the end element included) only.
    virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) = 0;
};

// A shader object names one of the registered shading models (platform/d3d9/shadingmodel.h);
// GetFunction answers the token stream it was created from.
struct IDirect3DVertexShader9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT GetFunction(void* data, UINT* size) = 0;
};

struct IDirect3DPixelShader9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT GetFunction(void* data, UINT* size) = 0;
};

struct IDirect3DQuery9 : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual D3DQUERYTYPE GetType() = 0;
    virtual DWORD GetDataSize() = 0;
    virtual HRESULT Issue(DWORD flags) = 0;
    // S_OK with the answer, S_FALSE while it is not ready.
    virtual HRESULT GetData(void* data, DWORD size, DWORD flags) = 0;
};

struct IDirect3D9;

struct IDirect3DDevice9 : IUnknown
{
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual UINT GetAvailableTextureMem() = 0;
    virtual HRESULT EvictManagedResources() = 0;
    virtual HRESULT GetDirect3D(IDirect3D9** direct3d) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;
    virtual HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) = 0;
    virtual void SetCursorPosition(int x, int y, DWORD flags) = 0;
    virtual BOOL ShowCursor(BOOL show) = 0;
    virtual UINT GetNumberOfSwapChains() = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) = 0;
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                            const void* dirtyRegion) = 0;
    virtual HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface) = 0;
    virtual HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) = 0;
    virtual void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) = 0;
    virtual void GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                        HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                      D3DPOOL pool, IDirect3DCubeTexture9** texture,
                                      HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                       D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                       BOOL lockable, IDirect3DSurface9** surface, HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                              BOOL discard, IDirect3DSurface9** surface,
                                              HANDLE* sharedHandle) = 0;
    virtual HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                  const POINT* destPoint) = 0;
    virtual HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) = 0;
    virtual HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) = 0;
    virtual HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) = 0;
    virtual HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                const RECT* destRect, D3DTEXTUREFILTERTYPE filter) = 0;
    virtual HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) = 0;
    virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9** surface, HANDLE* sharedHandle) = 0;
    virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) = 0;
    virtual HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) = 0;
    virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;
    virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL9* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
    virtual HRESULT SetClipPlane(DWORD index, const float* plane) = 0;
    virtual HRESULT GetClipPlane(DWORD index, float* plane) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT ValidateDevice(DWORD* passes) = 0;
    virtual HRESULT SetScissorRect(const RECT* rect) = 0;
    virtual HRESULT GetScissorRect(RECT* rect) = 0;
    virtual HRESULT SetSoftwareVertexProcessing(BOOL software) = 0;
    virtual BOOL GetSoftwareVertexProcessing() = 0;
    virtual HRESULT SetNPatchMode(float segments) = 0;
    virtual float GetNPatchMode() = 0;
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                         UINT numVertices, UINT startIndex, UINT primitiveCount) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) = 0;
    virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** declaration) = 0;
    virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) = 0;
    virtual HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) = 0;
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT GetFVF(DWORD* fvf) = 0;
    virtual HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
    virtual HRESULT GetVertexShader(IDirect3DVertexShader9** shader) = 0;
    virtual HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) = 0;
    virtual HRESULT GetVertexShaderConstantF(UINT start, float* data, UINT count) = 0;
    virtual HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) = 0;
    virtual HRESULT GetVertexShaderConstantI(UINT start, int* data, UINT count) = 0;
    virtual HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;
    virtual HRESULT GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                    UINT stride) = 0;
    virtual HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                    UINT* stride) = 0;
    virtual HRESULT SetStreamSourceFreq(UINT stream, UINT divider) = 0;
    virtual HRESULT GetStreamSourceFreq(UINT stream, UINT* divider) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer9* indices) = 0;
    virtual HRESULT GetIndices(IDirect3DIndexBuffer9** indices) = 0;
    virtual HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) = 0;
    virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
    virtual HRESULT GetPixelShader(IDirect3DPixelShader9** shader) = 0;
    virtual HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) = 0;
    virtual HRESULT GetPixelShaderConstantF(UINT start, float* data, UINT count) = 0;
    virtual HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) = 0;
    virtual HRESULT GetPixelShaderConstantI(UINT start, int* data, UINT count) = 0;
    virtual HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;
    virtual HRESULT GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) = 0;
    virtual HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) = 0;
};

struct IDirect3DDevice9Ex : IDirect3DDevice9
{
    virtual HRESULT SetGPUThreadPriority(INT priority) = 0;
    virtual HRESULT GetGPUThreadPriority(INT* priority) = 0;
    virtual HRESULT WaitForVBlank(UINT swapChain) = 0;
    virtual HRESULT SetMaximumFrameLatency(UINT maxLatency) = 0;
    virtual HRESULT GetMaximumFrameLatency(UINT* maxLatency) = 0;
    virtual HRESULT CheckDeviceState(HWND window) = 0;
    virtual HRESULT PresentEx(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                              const void* dirtyRegion, DWORD flags) = 0;
    virtual HRESULT ResetEx(D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode) = 0;
    virtual HRESULT GetDisplayModeEx(UINT swapChain, D3DDISPLAYMODEEX* mode,
                                     D3DDISPLAYROTATION* rotation) = 0;
};

struct IDirect3D9 : IUnknown
{
    virtual HRESULT RegisterSoftwareDevice(void* initializeFunction) = 0;
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) = 0;
    virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
    virtual HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                     D3DDISPLAYMODE* displayMode) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                               BOOL windowed, D3DMULTISAMPLE_TYPE multiSample,
                                               DWORD* qualityLevels) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT sourceFormat,
                                                D3DFORMAT targetFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) = 0;
    virtual HMONITOR GetAdapterMonitor(UINT adapter) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) = 0;
};

struct IDirect3D9Ex : IDirect3D9
{
    virtual UINT GetAdapterModeCountEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter) = 0;
    virtual HRESULT EnumAdapterModesEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter, UINT mode,
                                       D3DDISPLAYMODEEX* displayMode) = 0;
    virtual HRESULT GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode,
                                            D3DDISPLAYROTATION* rotation) = 0;
    virtual HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                   D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode,
                                   IDirect3DDevice9Ex** device) = 0;
    virtual HRESULT GetAdapterLUID(UINT adapter, LUID* luid) = 0;
};

// The entry points. Both accept D3D_SDK_VERSION with or without the debug bit (0x80000000).
IDirect3D9* Direct3DCreate9(UINT sdkVersion);
HRESULT Direct3DCreate9Ex(UINT sdkVersion, IDirect3D9Ex** direct3d);
