#pragma once
// The software Direct3D 9 (9Ex) device: resources, state, drawing through the rasteriser, and
// presentation of the back buffer to the window layer (or, headless, to memory).
#include "platform/d3d9/drawcall.h"
#include "platform/d3d9/object.h"
#include "platform/d3d9/presentpacer.h"
#include "platform/d3d9/rasterizer.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

class TD3D9;
class TD3DSurface;
class TD3DVertexBuffer;
class TD3DIndexBuffer;
class TD3DVertexDeclaration;
class TTextureStore;
template <class Interface, class Model> class TD3DShader;
typedef TD3DShader<IDirect3DVertexShader9, TVertexModel> TD3DVertexShader;
typedef TD3DShader<IDirect3DPixelShader9, TPixelModel> TD3DPixelShader;

// Samplers 0-15, D3DDMAPSAMPLER and the four vertex samplers.
constexpr int kSamplerSlots = 21;
constexpr int kTextureStages = 8;
constexpr int kStreams = 16;
// View, projection, eight texture matrices, then 256 world matrices.
constexpr int kTransformSlots = 10 + 256;

class TD3DDevice : public TD3DUnknown<IDirect3DDevice9Ex>
{
public:
    TD3DDevice(TD3D9* direct3d, bool extended, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
               DWORD behaviour, const D3DPRESENT_PARAMETERS& parameters);
    ~TD3DDevice() override;

    // IDirect3DDevice9
    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT EvictManagedResources() override { return D3D_OK; }
    HRESULT GetDirect3D(IDirect3D9** direct3d) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    void SetCursorPosition(int x, int y, DWORD flags) override {}
    BOOL ShowCursor(BOOL show) override { return FALSE; }
    UINT GetNumberOfSwapChains() override { return 1; }
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                    const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface) override;
    HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) override;
    void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) override;
    void GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                HANDLE* sharedHandle) override;
    HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DCubeTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                               DWORD multisampleQuality, BOOL lockable, IDirect3DSurface9** surface,
                               HANDLE* sharedHandle) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality, BOOL discard,
                                      IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
    HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                          const POINT* destPoint) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) override;
    HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) override;
    HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                        const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
    HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT GetMaterial(D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetClipPlane(DWORD index, const float* plane) override;
    HRESULT GetClipPlane(DWORD index, float* plane) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT ValidateDevice(DWORD* passes) override;
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT GetScissorRect(RECT* rect) override;
    HRESULT SetSoftwareVertexProcessing(BOOL software) override;
    BOOL GetSoftwareVertexProcessing() override { return softwareVertexProcessing_; }
    HRESULT SetNPatchMode(float segments) override;
    float GetNPatchMode() override { return nPatchSegments_; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                   UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, UINT stride) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                    IDirect3DVertexDeclaration9** declaration) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT GetVertexShader(IDirect3DVertexShader9** shader) override;
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT GetVertexShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT GetVertexShaderConstantI(UINT start, int* data, UINT count) override;
    HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                            UINT* stride) override;
    HRESULT SetStreamSourceFreq(UINT stream, UINT divider) override;
    HRESULT GetStreamSourceFreq(UINT stream, UINT* divider) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT GetIndices(IDirect3DIndexBuffer9** indices) override;
    HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT GetPixelShader(IDirect3DPixelShader9** shader) override;
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT GetPixelShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT GetPixelShaderConstantI(UINT start, int* data, UINT count) override;
    HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) override;
    HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) override;

    // IDirect3DDevice9Ex
    HRESULT SetGPUThreadPriority(INT priority) override;
    HRESULT GetGPUThreadPriority(INT* priority) override;
    HRESULT WaitForVBlank(UINT swapChain) override;
    HRESULT SetMaximumFrameLatency(UINT maxLatency) override;
    HRESULT GetMaximumFrameLatency(UINT* maxLatency) override;
    HRESULT CheckDeviceState(HWND window) override;
    HRESULT PresentEx(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const void* dirtyRegion,
                      DWORD flags) override;
    HRESULT ResetEx(D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode) override;
    HRESULT GetDisplayModeEx(UINT swapChain, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation) override;

    // Samples that passed the depth and stencil tests since the device was made (occlusion).
    std::uint64_t SamplesPassed() const { return samplesPassed_.load(); }
    void CountDefaultPool(int change) { defaultPoolResources_ += change; }
    int DefaultPoolResources() const { return defaultPoolResources_.load(); }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }

private:
    bool Answers(REFIID riid) const override;

    struct TLightSlot
    {
        D3DLIGHT9 light;
        BOOL enabled;
    };
    struct TStream
    {
        TD3DVertexBuffer* buffer;
        UINT offset, stride, frequency;
    };
    // Every state Set* stores; reset to Direct3D's defaults at creation and Reset.
    struct TState
    {
        DWORD renderStates[D3DRS_COUNT];
        DWORD samplerStates[kSamplerSlots][D3DSAMP_COUNT];
        DWORD stageStates[kTextureStages][D3DTSS_COUNT];
        D3DMATRIX transforms[kTransformSlots];
        D3DMATERIAL9 material;
        std::map<DWORD, TLightSlot> lights;
        D3DVIEWPORT9 viewport;
        RECT scissor;
        float clipPlanes[6][4];
        float vertexF[kConstantRegisters][4];
        int vertexI[16][4];
        BOOL vertexB[16];
        float pixelF[kConstantRegisters][4];
        int pixelI[16][4];
        BOOL pixelB[16];
    };
    struct TBindings
    {
        IDirect3DBaseTexture9* textures[kSamplerSlots];
        TStream streams[kStreams];
        TD3DIndexBuffer* indices;
        TD3DVertexDeclaration* declaration;
        DWORD fvf;
        TD3DVertexShader* vertexShader;
        TD3DPixelShader* pixelShader;
        TD3DSurface* targets[kMaxRenderTargets];
        TD3DSurface* depthStencil;
    };

    HRESULT CreateSwapChain(const D3DPRESENT_PARAMETERS& parameters);
    bool HoldsSwapChainSurfaces();
    void ReleaseSwapChain();
    void ResetState();
    void UnbindAll();
    HRESULT ResetDevice(D3DPRESENT_PARAMETERS* parameters);
    // Keeps the back buffer as the presented frame and shows it in the window (when there is one).
    HRESULT PresentFrame(HWND window);
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* indices, UINT indexSize,
                 UINT startIndex, INT baseVertex, UINT startVertex, const TStreamSource* userStream);
    int SamplerSlot(DWORD sampler) const;
    // Direct3D 9Ex devices have no managed pool.
    bool PoolAllowed(D3DPOOL pool) const { return !(extended_ && pool == D3DPOOL_MANAGED); }
    int TransformSlot(D3DTRANSFORMSTATETYPE state) const;
    void PrepareFixedFunction(TDrawCall& call);
    template <class T> void Rebind(T*& slot, T* value);
    void RebindSurface(TD3DSurface*& slot, TD3DSurface* value);
    void RebindTexture(IDirect3DBaseTexture9*& slot, IDirect3DBaseTexture9* value);

    TD3D9* direct3d_;
    bool extended_;
    D3DDEVICE_CREATION_PARAMETERS creation_;
    D3DPRESENT_PARAMETERS parameters_;
    std::vector<TD3DSurface*> backBuffers_;
    TD3DSurface* autoDepthStencil_ = nullptr;
    TState state_;
    TBindings bound_ = {};
    std::map<DWORD, TD3DVertexDeclaration*> fvfDeclarations_;
    bool inScene_ = false;
    BOOL softwareVertexProcessing_ = FALSE;
    float nPatchSegments_ = 0.0f;
    UINT frameLatency_ = 3;
    INT gpuThreadPriority_ = 0;
    D3DGAMMARAMP gamma_;
    // Presents wait for their refresh unless the interval is immediate.
    TPresentPacer pacer_;
    UINT refreshRate_ = 0;
    std::atomic<int> defaultPoolResources_{0};
    std::atomic<std::uint64_t> samplesPassed_{0};
    std::mutex drawMutex_;
    TSamplerSet samplers_;
    float fixedConstants_[8][4];
    TRasterizer rasterizer_;
};
