#include "platform/d3d9/direct3d.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/settings.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
bool ValidSdkVersion(UINT sdkVersion)
{
    return (sdkVersion & 0x7FFFFFFFu) == D3D_SDK_VERSION;
}

bool IsDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
           format == D3DFMT_A2R10G10B10;
}

bool IsBackBufferFormat(D3DFORMAT format)
{
    return IsDisplayFormat(format) || format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5;
}
} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (!ValidSdkVersion(sdkVersion))
        return nullptr;
    return new TD3D9(false);
}

HRESULT Direct3DCreate9Ex(UINT sdkVersion, IDirect3D9Ex** direct3d)
{
    if (!direct3d)
        return D3DERR_INVALIDCALL;
    *direct3d = nullptr;
    if (!ValidSdkVersion(sdkVersion))
        return D3DERR_NOTAVAILABLE;
    if (D3D9Settings().osMajor < 6)
        return D3DERR_NOTAVAILABLE;
    *direct3d = new TD3D9(true);
    return D3D_OK;
}

TD3D9::TD3D9(bool extended) : TD3DUnknown(nullptr, 1), extended_(extended) {}

bool TD3D9::Answers(REFIID riid) const
{
    return riid == IID_IUnknown || riid == IID_IDirect3D9 || (extended_ && riid == IID_IDirect3D9Ex);
}

UINT TD3D9::GetAdapterCount()
{
    return UINT(std::max(0, WindowGetAdapterCount()));
}

HRESULT TD3D9::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier)
{
    if (!identifier || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    std::memset(identifier, 0, sizeof(*identifier));
    std::strcpy(identifier->Driver, "vestamor-software");
    std::strcpy(identifier->Description, "Vestamor software rasteriser");
    std::snprintf(identifier->DeviceName, sizeof(identifier->DeviceName), "\\\\.\\DISPLAY%u", adapter + 1);
    identifier->DriverVersion.HighPart = (9 << 16) | 0;
    identifier->DriverVersion.LowPart = (1 << 16) | 0;
    identifier->WHQLLevel = 1;
    return D3D_OK;
}

std::vector<D3DDISPLAYMODE> TD3D9::Modes(UINT adapter)
{
    std::vector<D3DDISPLAYMODE> modes;
    const int count = WindowGetDisplayModeCount(int(adapter));
    for (int i = 0; i < count; ++i)
    {
        int width = 0, height = 0, refresh = 0;
        if (WindowGetDisplayMode(int(adapter), i, &width, &height, &refresh))
            modes.push_back({UINT(width), UINT(height), UINT(refresh), D3DFMT_X8R8G8B8});
    }
    return modes;
}

bool TD3D9::HasMode(UINT adapter, UINT width, UINT height)
{
    for (const D3DDISPLAYMODE& mode : Modes(adapter))
    {
        if (mode.Width == width && mode.Height == height)
            return true;
    }
    return false;
}

UINT TD3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    if (adapter >= GetAdapterCount() || format != D3DFMT_X8R8G8B8)
        return 0;
    return UINT(Modes(adapter).size());
}

HRESULT TD3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (!displayMode || adapter >= GetAdapterCount() || format != D3DFMT_X8R8G8B8)
        return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE> modes = Modes(adapter);
    if (mode >= modes.size())
        return D3DERR_INVALIDCALL;
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT TD3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (!mode || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    // The desktop mode: the largest mode the adapter lists.
    *mode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    for (const D3DDISPLAYMODE& candidate : Modes(adapter))
    {
        if (candidate.Width * candidate.Height > mode->Width * mode->Height)
            *mode = candidate;
    }
    return D3D_OK;
}

HRESULT TD3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                               D3DFORMAT backBufferFormat, BOOL windowed)
{
    if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL || !IsDisplayFormat(displayFormat))
        return D3DERR_NOTAVAILABLE;
    return IsBackBufferFormat(backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TD3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                 D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat))
        return D3DERR_INVALIDCALL;
    const TFormatInfo* info = FindFormat(checkFormat);
    if (!info)
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
    {
        const bool surface = resourceType == D3DRTYPE_SURFACE;
        return info->kind == EFormatClass::Depth && surface ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    if (!D3D9FloatTargetsAllowed(checkFormat) && (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_FILTER)))
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_RENDERTARGET)
    {
        const bool drawable = resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE ||
                              resourceType == D3DRTYPE_CUBETEXTURE;
        return info->renderTarget && drawable ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    switch (resourceType)
    {
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
    case D3DRTYPE_VOLUMETEXTURE:
        return info->kind == EFormatClass::Colour || info->kind == EFormatClass::Block ? D3D_OK
                                                                                       : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_SURFACE:
        return info->kind != EFormatClass::Buffer ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_VERTEXBUFFER:
        return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
        return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
        return D3DERR_NOTAVAILABLE;
    }
}

HRESULT TD3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                          BOOL windowed, D3DMULTISAMPLE_TYPE multiSample,
                                          DWORD* qualityLevels)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (multiSample != D3DMULTISAMPLE_NONE)
        return D3DERR_NOTAVAILABLE;
    if (qualityLevels)
        *qualityLevels = 1;
    return D3D_OK;
}

HRESULT TD3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    return IsDepthFormat(depthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TD3D9::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT sourceFormat,
                                           D3DFORMAT targetFormat)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    const TFormatInfo* source = FindFormat(sourceFormat);
    const TFormatInfo* target = FindFormat(targetFormat);
    return source && target && source->kind == EFormatClass::Colour && target->renderTarget
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

void TD3D9::FillCaps(UINT adapter, D3DCAPS9* caps)
{
    std::memset(caps, 0, sizeof(*caps));
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = adapter;
    caps->Caps2 = D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_CANAUTOGENMIPMAP;
    caps->PresentationIntervals =
        D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps->ZCmpCaps = caps->AlphaCmpCaps = 0xFF;
    caps->SrcBlendCaps = caps->DestBlendCaps = 0x3FFF;
    caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP |
                        D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP | D3DPTEXTURECAPS_MIPCUBEMAP |
                        D3DPTEXTURECAPS_MIPVOLUMEMAP;
    caps->TextureFilterCaps = caps->CubeTextureFilterCaps = caps->VolumeTextureFilterCaps = 0x03030300;
    caps->TextureAddressCaps = caps->VolumeTextureAddressCaps = 0x3F;
    caps->MaxTextureWidth = caps->MaxTextureHeight = 8192;
    caps->MaxVolumeExtent = 2048;
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = 8192;
    caps->MaxAnisotropy = 1;
    caps->MaxVertexW = 1e10f;
    caps->GuardBandLeft = caps->GuardBandTop = -8192.0f;
    caps->GuardBandRight = caps->GuardBandBottom = 8192.0f;
    caps->StencilCaps = 0x1FF;
    caps->FVFCaps = 8;
    caps->MaxTextureBlendStages = caps->MaxSimultaneousTextures = 8;
    caps->MaxActiveLights = 8;
    caps->MaxUserClipPlanes = 6;
    caps->MaxPointSize = 8192.0f;
    caps->MaxPrimitiveCount = 0x00FFFFFF;
    caps->MaxVertexIndex = 0x00FFFFFF;
    caps->MaxStreams = 16;
    caps->MaxStreamStride = 508;
    caps->VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps->MaxVertexShaderConst = kConstantRegisters;
    caps->PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps->PixelShader1xMaxValue = 65504.0f;
    caps->NumberOfAdaptersInGroup = 1;
    caps->AdapterOrdinalInGroup = 0;
    caps->MasterAdapterOrdinal = adapter;
    caps->DeclTypes = 0x3FF;
    caps->NumSimultaneousRTs = D3D9SimultaneousTargets();
    if (D3D9Settings().caps == ECapsProfile::PixelShader2)
    {
        caps->VertexShaderVersion = D3DVS_VERSION(2, 0);
        caps->PixelShaderVersion = D3DPS_VERSION(2, 0);
    }
    caps->StretchRectFilterCaps = 0x03000300;
    caps->MaxVertexShader30InstructionSlots = caps->MaxPixelShader30InstructionSlots = 32768;
}

HRESULT TD3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (!caps || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    FillCaps(adapter, caps);
    return D3D_OK;
}

HMONITOR TD3D9::GetAdapterMonitor(UINT adapter)
{
    if (adapter >= GetAdapterCount())
        return nullptr;
    return WindowGetAdapterMonitor(int(adapter));
}

HRESULT TD3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                            D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    IDirect3DDevice9Ex* made = nullptr;
    const HRESULT result = MakeDevice(false, adapter, type, focusWindow, behaviorFlags, parameters, &made);
    *device = made;
    return result;
}

HRESULT TD3D9::CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                              D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode,
                              IDirect3DDevice9Ex** device)
{
    if (!extended_ || !device)
        return D3DERR_INVALIDCALL;
    // A full-screen device names its mode, and a windowed one none.
    if (parameters && !parameters->Windowed && fullscreenMode &&
        (fullscreenMode->Width != parameters->BackBufferWidth ||
         fullscreenMode->Height != parameters->BackBufferHeight))
        return D3DERR_INVALIDCALL;
    return MakeDevice(true, adapter, type, focusWindow, behaviorFlags, parameters, device);
}

HRESULT TD3D9::MakeDevice(bool extended, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9Ex** device)
{
    *device = nullptr;
    if (!parameters || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    TD3D9Settings& settings = D3D9Settings();
    if (settings.failingDeviceCreations > 0)
    {
        --settings.failingDeviceCreations;
        return D3DERR_NOTAVAILABLE;
    }
    if (!parameters->Windowed && !HasMode(adapter, parameters->BackBufferWidth, parameters->BackBufferHeight))
        return D3DERR_INVALIDCALL;
    if (!parameters->hDeviceWindow && !focusWindow && parameters->Windowed &&
        (parameters->BackBufferWidth == 0 || parameters->BackBufferHeight == 0))
        return D3DERR_INVALIDCALL; // no window to take the size from
    auto* made = new TD3DDevice(this, extended, adapter, type, focusWindow, behaviorFlags, *parameters);
    if (made->PresentParameters().BackBufferWidth == 0)
    {
        made->Release();
        return D3DERR_INVALIDCALL;
    }
    *parameters = made->PresentParameters();
    *device = made;
    return D3D_OK;
}

UINT TD3D9::GetAdapterModeCountEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter)
{
    return GetAdapterModeCount(adapter, filter ? filter->Format : D3DFMT_X8R8G8B8);
}

HRESULT TD3D9::EnumAdapterModesEx(UINT adapter, const D3DDISPLAYMODEFILTER* filter, UINT mode,
                                  D3DDISPLAYMODEEX* displayMode)
{
    D3DDISPLAYMODE plain;
    if (!displayMode)
        return D3DERR_INVALIDCALL;
    const HRESULT result = EnumAdapterModes(adapter, filter ? filter->Format : D3DFMT_X8R8G8B8, mode, &plain);
    if (SUCCEEDED(result))
        *displayMode = {sizeof(D3DDISPLAYMODEEX), plain.Width,  plain.Height,
                        plain.RefreshRate,        plain.Format, D3DSCANLINEORDERING_PROGRESSIVE};
    return result;
}

HRESULT TD3D9::GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation)
{
    D3DDISPLAYMODE plain;
    if (!mode)
        return D3DERR_INVALIDCALL;
    const HRESULT result = GetAdapterDisplayMode(adapter, &plain);
    if (SUCCEEDED(result))
        *mode = {sizeof(D3DDISPLAYMODEEX), plain.Width,  plain.Height,
                 plain.RefreshRate,        plain.Format, D3DSCANLINEORDERING_PROGRESSIVE};
    if (rotation)
        *rotation = D3DDISPLAYROTATION_IDENTITY;
    return result;
}

HRESULT TD3D9::GetAdapterLUID(UINT adapter, LUID* luid)
{
    if (!luid || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    *luid = {0x5E0 + adapter, 0};
    return D3D_OK;
}
