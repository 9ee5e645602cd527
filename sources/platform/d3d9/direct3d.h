#pragma once
// The Direct3D 9 (9Ex) object: adapters, their modes, caps and format checks, and devices.
#include "platform/d3d9/object.h"

#include <vector>

class TD3D9 : public TD3DUnknown<IDirect3D9Ex>
{
public:
    explicit TD3D9(bool extended);

    HRESULT RegisterSoftwareDevice(void* initializeFunction) override { return D3DERR_INVALIDCALL; }
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT sourceFormat,
                                        D3DFORMAT targetFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR GetAdapterMonitor(UINT adapter) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;

    UINT GetAdapterModeCountEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter) override;
    HRESULT EnumAdapterModesEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter, UINT mode,
                               D3DDISPLAYMODEEX* displayMode) override;
    HRESULT GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode,
                                    D3DDISPLAYROTATION* rotation) override;
    HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                           D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode,
                           IDirect3DDevice9Ex** device) override;
    HRESULT GetAdapterLUID(UINT adapter, LUID* luid) override;

    // The caps every device of this layer has.
    static void FillCaps(UINT adapter, D3DCAPS9* caps);
    // Whether a full-screen mode of that size exists on the adapter.
    bool HasMode(UINT adapter, UINT width, UINT height);

private:
    bool Answers(REFIID riid) const override;
    std::vector<D3DDISPLAYMODE> Modes(UINT adapter);
    HRESULT MakeDevice(bool extended, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9Ex** device);

    bool extended_;
};
