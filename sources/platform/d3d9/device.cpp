#include "platform/d3d9/device.h"

#include "platform/d3d9/cubetexture.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/indexbuffer.h"
#include "platform/d3d9/presentedframe.h"
#include "platform/d3d9/presentpacer.h"
#include "platform/d3d9/query.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/shader.h"
#include "platform/d3d9/surface.h"
#include "platform/d3d9/texture.h"
#include "platform/d3d9/vertexbuffer.h"
#include "platform/d3d9/vertexdeclaration.h"
#include "platform/d3d9/volumetexture.h"
#include "platform/d3d9/wordfill.h"
#include "platform/window/window.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

const D3DMATRIX kIdentity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

RECT ImageRect(const TImage& image)
{
    return {0, 0, LONG(image.Width()), LONG(image.Height())};
}

bool ValidPool(D3DPOOL pool)
{
    return pool <= D3DPOOL_SCRATCH;
}

// Whether a texture of that format, usage and pool can be made.
bool ValidTexture(D3DFORMAT format, DWORD usage, D3DPOOL pool)
{
    const TFormatInfo* info = FindFormat(format);
    if (!info || !ValidPool(pool) ||
        (info->kind != EFormatClass::Colour && info->kind != EFormatClass::Block))
        return false;
    if ((usage & D3DUSAGE_RENDERTARGET) &&
        (pool != D3DPOOL_DEFAULT || !info->renderTarget || !D3D9FloatTargetsAllowed(format)))
        return false;
    if ((usage & D3DUSAGE_DYNAMIC) && (pool == D3DPOOL_MANAGED || (usage & D3DUSAGE_RENDERTARGET)))
        return false;
    if ((usage & D3DUSAGE_AUTOGENMIPMAP) && (info->kind != EFormatClass::Colour || pool == D3DPOOL_SYSTEMMEM))
        return false;
    return !(usage & D3DUSAGE_DEPTHSTENCIL);
}

template <class T> HRESULT Hand(T* object, T** out)
{
    *out = object;
    return D3D_OK;
}

// D3DCOLOR to four floats (r, g, b, a).
void ColourToFloats(D3DCOLOR colour, float rgba[4])
{
    rgba[0] = float((colour >> 16) & 0xFF) / 255.0f;
    rgba[1] = float((colour >> 8) & 0xFF) / 255.0f;
    rgba[2] = float(colour & 0xFF) / 255.0f;
    rgba[3] = float(colour >> 24) / 255.0f;
}

bool IsIdentityRamp(const D3DGAMMARAMP& ramp)
{
    for (int i = 0; i < 256; ++i)
    {
        const WORD identity = WORD(i * 257);
        if (ramp.red[i] != identity || ramp.green[i] != identity || ramp.blue[i] != identity)
            return false;
    }
    return true;
}

// One row of a back buffer in another format than X8R8G8B8, as X8R8G8B8.
void ConvertRowToArgb(D3DFORMAT format, const std::uint8_t* source, UINT bytes, int width, std::uint32_t* row)
{
    for (int x = 0; x < width; ++x, source += bytes)
    {
        float rgba[4];
        ReadTexel(format, source, rgba);
        row[x] = D3DCOLOR_ARGB(255, DWORD(std::clamp(rgba[0], 0.0f, 1.0f) * 255.0f + 0.5f),
                               DWORD(std::clamp(rgba[1], 0.0f, 1.0f) * 255.0f + 0.5f),
                               DWORD(std::clamp(rgba[2], 0.0f, 1.0f) * 255.0f + 0.5f));
    }
}

// The refreshes a presentation interval waits for; 0 for immediate presents.
unsigned IntervalRefreshes(UINT interval)
{
    switch (interval)
    {
    case D3DPRESENT_INTERVAL_IMMEDIATE:
        return 0;
    case D3DPRESENT_INTERVAL_TWO:
        return 2;
    default: // the default interval is interval one
        return 1;
    }
}

void MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    }
    out = r;
}

// Copies a rectangle between two colour images, converting the format when they differ and
// filtering (point or bilinear) when the sizes differ.
void CopyRect(const TImage& source, const RECT& from, TImage& dest, const RECT& to, bool linear)
{
    const D3DFORMAT sf = source.Format(), df = dest.Format();
    const UINT sBytes = FindFormat(sf)->bits / 8, dBytes = FindFormat(df)->bits / 8;
    const LONG sw = from.right - from.left, sh = from.bottom - from.top;
    const LONG dw = to.right - to.left, dh = to.bottom - to.top;
    if (sf == df && sw == dw && sh == dh)
    {
        for (LONG y = 0; y < sh; ++y)
            std::memcpy(dest.Row(to.top + y) + to.left * dBytes,
                        source.Row(from.top + y) + from.left * sBytes, size_t(sw) * sBytes);
        dest.Touch();
        return;
    }
    auto texel = [&](LONG x, LONG y, float rgba[4]) {
        x = std::clamp(x, from.left, from.right - 1);
        y = std::clamp(y, from.top, from.bottom - 1);
        ReadTexel(sf, source.Row(y) + x * sBytes, rgba);
    };
    for (LONG y = 0; y < dh; ++y)
    {
        for (LONG x = 0; x < dw; ++x)
        {
            float rgba[4];
            const float fx = (float(x) + 0.5f) * float(sw) / float(dw) - 0.5f + float(from.left);
            const float fy = (float(y) + 0.5f) * float(sh) / float(dh) - 0.5f + float(from.top);
            if (linear && (sw != dw || sh != dh))
            {
                const LONG x0 = LONG(std::floor(fx)), y0 = LONG(std::floor(fy));
                const float ax = fx - float(x0), ay = fy - float(y0);
                float t00[4], t10[4], t01[4], t11[4];
                texel(x0, y0, t00);
                texel(x0 + 1, y0, t10);
                texel(x0, y0 + 1, t01);
                texel(x0 + 1, y0 + 1, t11);
                for (int c = 0; c < 4; ++c)
                {
                    const float top = t00[c] + (t10[c] - t00[c]) * ax;
                    const float bottom = t01[c] + (t11[c] - t01[c]) * ax;
                    rgba[c] = top + (bottom - top) * ay;
                }
            }
            else
                texel(LONG(std::floor(fx + 0.5f)), LONG(std::floor(fy + 0.5f)), rgba);
            WriteTexel(df, dest.Row(to.top + y) + (to.left + x) * dBytes, rgba);
        }
    }
    dest.Touch();
}
} // namespace

IDirect3DDevice9* DeviceInterface(TD3DDevice* device)
{
    return device;
}

void CountDefaultPoolResource(TD3DDevice* device, int change)
{
    device->CountDefaultPool(change);
}

TD3DDevice::TD3DDevice(TD3D9* direct3d, bool extended, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                       DWORD behaviour, const D3DPRESENT_PARAMETERS& parameters)
    : TD3DUnknown(direct3d, 1), direct3d_(direct3d),
      extended_(extended), creation_{adapter, type, focusWindow, behaviour}, parameters_(parameters)
{
    if (D3D9Settings().desktopGamma)
        gamma_ = *D3D9Settings().desktopGamma;
    else
        for (int i = 0; i < 256; ++i)
            gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = WORD(i * 257);
    if (SUCCEEDED(CreateSwapChain(parameters)))
        ResetState();
    else
        parameters_.BackBufferWidth = 0;
}

TD3DDevice::~TD3DDevice()
{
    UnbindAll();
    ReleaseSwapChain();
    for (auto& [fvf, declaration] : fvfDeclarations_)
        declaration->Unbind();
}

bool TD3DDevice::Answers(REFIID riid) const
{
    return riid == IID_IUnknown || riid == IID_IDirect3DDevice9 ||
           (extended_ && riid == IID_IDirect3DDevice9Ex);
}

HRESULT TD3DDevice::CreateSwapChain(const D3DPRESENT_PARAMETERS& requested)
{
    D3DPRESENT_PARAMETERS parameters = requested;
    if (parameters.Windowed && (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0))
    {
        RECT client = {};
        HWND window = parameters.hDeviceWindow ? parameters.hDeviceWindow : creation_.hFocusWindow;
        if (!window || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
            return D3DERR_INVALIDCALL;
        if (parameters.BackBufferWidth == 0)
            parameters.BackBufferWidth = UINT(client.right);
        if (parameters.BackBufferHeight == 0)
            parameters.BackBufferHeight = UINT(client.bottom);
    }
    if (parameters.BackBufferFormat == D3DFMT_UNKNOWN)
    {
        if (!parameters.Windowed)
            return D3DERR_INVALIDCALL;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    const TFormatInfo* format = FindFormat(parameters.BackBufferFormat);
    if (!format || !format->renderTarget || parameters.BackBufferWidth > 8192 ||
        parameters.BackBufferHeight > 8192)
        return D3DERR_INVALIDCALL;
    if (parameters.EnableAutoDepthStencil && !IsDepthFormat(parameters.AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    if (parameters.BackBufferCount == 0)
        parameters.BackBufferCount = 1;
    if (parameters.BackBufferCount > 3 || parameters.MultiSampleType != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    if (!parameters.hDeviceWindow)
        parameters.hDeviceWindow = creation_.hFocusWindow;

    const bool lockable = (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
    for (UINT i = 0; i < parameters.BackBufferCount; ++i)
    {
        backBuffers_.push_back(new TD3DSurface(this, parameters.BackBufferFormat, parameters.BackBufferWidth,
                                               parameters.BackBufferHeight, D3DPOOL_DEFAULT,
                                               D3DUSAGE_RENDERTARGET, lockable, 0));
        backBuffers_.back()->Bind();
    }
    if (parameters.EnableAutoDepthStencil)
    {
        autoDepthStencil_ =
            new TD3DSurface(this, parameters.AutoDepthStencilFormat, parameters.BackBufferWidth,
                            parameters.BackBufferHeight, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, false, 0);
        autoDepthStencil_->Bind();
    }
    parameters_ = parameters;
    // Vertical sync follows the full-screen mode's rate, else the desktop's.
    refreshRate_ = parameters.Windowed ? 0 : parameters.FullScreen_RefreshRateInHz;
    D3DDISPLAYMODE desktop;
    if (refreshRate_ == 0 && SUCCEEDED(direct3d_->GetAdapterDisplayMode(creation_.AdapterOrdinal, &desktop)))
        refreshRate_ = desktop.RefreshRate;
    return D3D_OK;
}

bool TD3DDevice::HoldsSwapChainSurfaces()
{
    for (TD3DSurface* surface : backBuffers_)
        if (surface->Holder()->PublicReferences() > 0)
            return true;
    return autoDepthStencil_ && autoDepthStencil_->Holder()->PublicReferences() > 0;
}

void TD3DDevice::ReleaseSwapChain()
{
    for (TD3DSurface* surface : backBuffers_)
        surface->Unbind();
    backBuffers_.clear();
    if (autoDepthStencil_)
        autoDepthStencil_->Unbind();
    autoDepthStencil_ = nullptr;
}

template <class T> void TD3DDevice::Rebind(T*& slot, T* value)
{
    if (value)
        value->Bind();
    if (slot)
        slot->Unbind();
    slot = value;
}

void TD3DDevice::RebindSurface(TD3DSurface*& slot, TD3DSurface* value)
{
    if (value)
        value->Holder()->Bind();
    if (slot)
        slot->Holder()->Unbind();
    slot = value;
}

void TD3DDevice::RebindTexture(IDirect3DBaseTexture9*& slot, IDirect3DBaseTexture9* value)
{
    if (value)
        dynamic_cast<TD3DObject*>(value)->Bind();
    if (slot)
        dynamic_cast<TD3DObject*>(slot)->Unbind();
    slot = value;
}

void TD3DDevice::UnbindAll()
{
    for (IDirect3DBaseTexture9*& texture : bound_.textures)
        RebindTexture(texture, nullptr);
    for (TStream& stream : bound_.streams)
        Rebind(stream.buffer, static_cast<TD3DVertexBuffer*>(nullptr));
    Rebind(bound_.indices, static_cast<TD3DIndexBuffer*>(nullptr));
    Rebind(bound_.declaration, static_cast<TD3DVertexDeclaration*>(nullptr));
    Rebind(bound_.vertexShader, static_cast<TD3DVertexShader*>(nullptr));
    Rebind(bound_.pixelShader, static_cast<TD3DPixelShader*>(nullptr));
    for (TD3DSurface*& target : bound_.targets)
        RebindSurface(target, nullptr);
    RebindSurface(bound_.depthStencil, nullptr);
}

void TD3DDevice::ResetState()
{
    UnbindAll();
    bound_ = {};
    TState& s = state_;
    std::memset(s.renderStates, 0, sizeof(s.renderStates));
    DWORD* rs = s.renderStates;
    rs[D3DRS_ZENABLE] = parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = rs[D3DRS_COLORWRITEENABLE1] = rs[D3DRS_COLORWRITEENABLE2] =
        rs[D3DRS_COLORWRITEENABLE3] = 0x0F;
    rs[D3DRS_BLENDOP] = rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = D3DDEGREE_CUBIC;
    rs[D3DRS_NORMALDEGREE] = D3DDEGREE_LINEAR;
    rs[D3DRS_MINTESSELLATIONLEVEL] = rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;

    for (auto& sampler : s.samplerStates)
    {
        std::memset(sampler, 0, sizeof(sampler));
        sampler[D3DSAMP_ADDRESSU] = sampler[D3DSAMP_ADDRESSV] = sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    }
    for (int stage = 0; stage < kTextureStages; ++stage)
    {
        DWORD* ss = s.stageStates[stage];
        std::memset(ss, 0, sizeof(s.stageStates[stage]));
        ss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ss[D3DTSS_COLORARG1] = ss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ss[D3DTSS_COLORARG2] = ss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ss[D3DTSS_COLORARG0] = ss[D3DTSS_ALPHAARG0] = ss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        ss[D3DTSS_TEXCOORDINDEX] = DWORD(stage);
    }
    for (D3DMATRIX& matrix : s.transforms)
        matrix = kIdentity;
    s.material = {};
    s.lights.clear();
    std::memset(s.clipPlanes, 0, sizeof(s.clipPlanes));
    std::memset(s.vertexF, 0, sizeof(s.vertexF));
    std::memset(s.vertexI, 0, sizeof(s.vertexI));
    std::memset(s.vertexB, 0, sizeof(s.vertexB));
    std::memset(s.pixelF, 0, sizeof(s.pixelF));
    std::memset(s.pixelI, 0, sizeof(s.pixelI));
    std::memset(s.pixelB, 0, sizeof(s.pixelB));
    for (TStream& stream : bound_.streams)
        stream.frequency = 1;
    RebindSurface(bound_.targets[0], backBuffers_[0]);
    RebindSurface(bound_.depthStencil, autoDepthStencil_);
    s.viewport = {0, 0, parameters_.BackBufferWidth, parameters_.BackBufferHeight, 0.0f, 1.0f};
    s.scissor = {0, 0, LONG(parameters_.BackBufferWidth), LONG(parameters_.BackBufferHeight)};
    inScene_ = false;
}

HRESULT TD3DDevice::TestCooperativeLevel()
{
    return D3D_OK;
}

UINT TD3DDevice::GetAvailableTextureMem()
{
    return D3D9Settings().textureMemoryBytes;
}

HRESULT TD3DDevice::GetDirect3D(IDirect3D9** direct3d)
{
    if (!direct3d)
        return D3DERR_INVALIDCALL;
    *direct3d = direct3d_;
    direct3d_->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    TD3D9::FillCaps(creation_.AdapterOrdinal, caps);
    return D3D_OK;
}

HRESULT TD3DDevice::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    if (swapChain != 0 || !mode)
        return D3DERR_INVALIDCALL;
    if (!parameters_.Windowed)
    {
        *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                 parameters_.FullScreen_RefreshRateInHz, parameters_.BackBufferFormat};
        return D3D_OK;
    }
    return direct3d_->GetAdapterDisplayMode(creation_.AdapterOrdinal, mode);
}

HRESULT TD3DDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    if (!parameters)
        return D3DERR_INVALIDCALL;
    *parameters = creation_;
    return D3D_OK;
}

HRESULT TD3DDevice::ResetDevice(D3DPRESENT_PARAMETERS* parameters)
{
    if (!parameters)
        return D3DERR_INVALIDCALL;
    // As Direct3D: every default-pool resource (and every held swap-chain surface) must be
    // released first; an extended device keeps its other default-pool resources across a reset.
    if (extended_ ? HoldsSwapChainSurfaces() : DefaultPoolResources() > 0)
        return D3DERR_INVALIDCALL;
    if (!parameters->Windowed && !direct3d_->HasMode(creation_.AdapterOrdinal, parameters->BackBufferWidth,
                                                     parameters->BackBufferHeight))
        return D3DERR_INVALIDCALL;
    const D3DPRESENT_PARAMETERS previous = parameters_;
    UnbindAll();
    ReleaseSwapChain();
    HRESULT result = CreateSwapChain(*parameters);
    if (FAILED(result))
    {
        CreateSwapChain(previous);
        ResetState();
        return result;
    }
    ResetState();
    *parameters = parameters_;
    return D3D_OK;
}

HRESULT TD3DDevice::Reset(D3DPRESENT_PARAMETERS* parameters)
{
    return ResetDevice(parameters);
}

HRESULT TD3DDevice::ResetEx(D3DPRESENT_PARAMETERS* parameters, D3DDISPLAYMODEEX* fullscreenMode)
{
    if (parameters && !parameters->Windowed && fullscreenMode &&
        (fullscreenMode->Width != parameters->BackBufferWidth ||
         fullscreenMode->Height != parameters->BackBufferHeight))
        return D3DERR_INVALIDCALL;
    return ResetDevice(parameters);
}

HRESULT TD3DDevice::PresentFrame(HWND window)
{
    if (inScene_)
        return D3DERR_INVALIDCALL;
    const TImage& image = backBuffers_[0]->Image();
    const int width = int(image.Width()), height = int(image.Height());
    const D3DFORMAT format = image.Format();
    const bool argb = format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
    const UINT bytes = FindFormat(format)->bits / 8;
    // The ramp as three tables of shifted channels; none while it changes nothing.
    const bool gamma = !parameters_.Windowed && !IsIdentityRamp(gamma_);
    std::uint32_t ramp[3][256];
    if (gamma)
    {
        for (int i = 0; i < 256; ++i)
        {
            ramp[0][i] = std::uint32_t(gamma_.red[i] >> 8) << 16;
            ramp[1][i] = std::uint32_t(gamma_.green[i] >> 8) << 8;
            ramp[2][i] = std::uint32_t(gamma_.blue[i] >> 8);
        }
    }
    // Vertical sync waits for a display's refresh: a frame for no display (a headless window, or
    // none) goes at once, so that headless runs are paced by nothing but their work.
    pacer_.WaitForSlot(WindowOnDisplay(window) ? IntervalRefreshes(parameters_.PresentationInterval) : 0, refreshRate_);
    TPresentedFrameWriter frame(width, height);
    // Read and written, a frame's pixels take one core longer than memory takes them: in bands.
    rasterizer_.FillBands({0, 0, width, height}, int(bytes) + 4, [&](const RECT& band) {
        for (int y = int(band.top); y < int(band.bottom); ++y)
        {
            const std::uint8_t* source = image.Row(UINT(y));
            std::uint32_t* row = frame.Row(y);
            if (argb)
                CopyOpaque(source, row, size_t(width));
            else
                ConvertRowToArgb(format, source, bytes, width, row);
            if (gamma)
            {
                for (int x = 0; x < width; ++x)
                {
                    const std::uint32_t pixel = row[x];
                    row[x] = 0xFF000000u | ramp[0][(pixel >> 16) & 0xFF] | ramp[1][(pixel >> 8) & 0xFF] |
                             ramp[2][pixel & 0xFF];
                }
            }
        }
    });
    if (window)
        WindowPresentPixels(window, frame.Pixels(), width, height, width * 4);
    return D3D_OK;
}

HRESULT TD3DDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                            const void* dirtyRegion)
{
    return PresentFrame(destWindow ? destWindow : parameters_.hDeviceWindow);
}

HRESULT TD3DDevice::PresentEx(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                              const void* dirtyRegion, DWORD flags)
{
    return PresentFrame(destWindow ? destWindow : parameters_.hDeviceWindow);
}

HRESULT TD3DDevice::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface)
{
    if (!surface || swapChain != 0 || index >= backBuffers_.size())
        return D3DERR_INVALIDCALL;
    backBuffers_[index]->AddRef();
    return Hand<IDirect3DSurface9>(backBuffers_[index], surface);
}

HRESULT TD3DDevice::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status)
{
    if (!status || swapChain != 0)
        return D3DERR_INVALIDCALL;
    *status = {FALSE, 0};
    return D3D_OK;
}

void TD3DDevice::SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp)
{
    if (ramp && swapChain == 0)
        gamma_ = *ramp;
}

void TD3DDevice::GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp)
{
    if (ramp && swapChain == 0)
        *ramp = gamma_;
}

HRESULT TD3DDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle)
{
    if (!texture || width == 0 || height == 0 || width > 8192 || height > 8192 ||
        !ValidTexture(format, usage, pool) || !PoolAllowed(pool))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_AUTOGENMIPMAP) && levels > 1)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DTexture9>(new TD3DTexture(this, width, height, levels, usage, format, pool),
                                   texture);
}

HRESULT TD3DDevice::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                        HANDLE* sharedHandle)
{
    if (!texture || width == 0 || height == 0 || depth == 0 || width > 2048 || height > 2048 ||
        depth > 2048 || !ValidTexture(format, usage, pool) || !PoolAllowed(pool) ||
        (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP)))
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DVolumeTexture9>(
        new TD3DVolumeTexture(this, width, height, depth, levels, usage, format, pool), texture);
}

HRESULT TD3DDevice::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                      D3DPOOL pool, IDirect3DCubeTexture9** texture, HANDLE* sharedHandle)
{
    if (!texture || edgeLength == 0 || edgeLength > 8192 || !ValidTexture(format, usage, pool) ||
        !PoolAllowed(pool))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_AUTOGENMIPMAP) && levels > 1)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DCubeTexture9>(new TD3DCubeTexture(this, edgeLength, levels, usage, format, pool),
                                       texture);
}

HRESULT TD3DDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle)
{
    if (!buffer || length == 0 || !ValidPool(pool) || pool == D3DPOOL_SCRATCH || !PoolAllowed(pool) ||
        ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DVertexBuffer9>(new TD3DVertexBuffer(this, length, usage, fvf, pool), buffer);
}

HRESULT TD3DDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle)
{
    if (!buffer || length == 0 || !ValidPool(pool) || pool == D3DPOOL_SCRATCH || !PoolAllowed(pool) ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) ||
        ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DIndexBuffer9>(new TD3DIndexBuffer(this, length, usage, format, pool), buffer);
}

HRESULT TD3DDevice::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                       D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                       BOOL lockable, IDirect3DSurface9** surface, HANDLE* sharedHandle)
{
    const TFormatInfo* info = FindFormat(format);
    if (!surface || !info || !info->renderTarget || !D3D9FloatTargetsAllowed(format) || width == 0 ||
        height == 0 || width > 8192 || height > 8192 || multiSample != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DSurface9>(new TD3DSurface(this, format, width, height, D3DPOOL_DEFAULT,
                                                   D3DUSAGE_RENDERTARGET, lockable != FALSE, 1),
                                   surface);
}

HRESULT TD3DDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                              BOOL discard, IDirect3DSurface9** surface, HANDLE* sharedHandle)
{
    if (!surface || !IsDepthFormat(format) || width == 0 || height == 0 || width > 8192 || height > 8192 ||
        multiSample != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DSurface9>(
        new TD3DSurface(this, format, width, height, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, false, 1),
        surface);
}

HRESULT TD3DDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9** surface, HANDLE* sharedHandle)
{
    const TFormatInfo* info = FindFormat(format);
    if (!surface || !info || info->kind == EFormatClass::Depth || info->kind == EFormatClass::Buffer ||
        width == 0 || height == 0 || width > 8192 || height > 8192 || !ValidPool(pool) ||
        pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DSurface9>(new TD3DSurface(this, format, width, height, pool, 0, true, 1), surface);
}

HRESULT TD3DDevice::UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                  const POINT* destPoint)
{
    TD3DSurface* from = ToSurface(source);
    TD3DSurface* to = ToSurface(dest);
    if (!from || !to || from->Pool() != D3DPOOL_SYSTEMMEM || to->Pool() != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    TImage& si = from->Image();
    TImage& di = to->Image();
    if (si.Format() != di.Format() || si.IsDepth() || from->IsLocked() || to->IsLocked())
        return D3DERR_INVALIDCALL;
    const RECT whole = ImageRect(si);
    const RECT area = sourceRect ? *sourceRect : whole;
    const POINT at = destPoint ? *destPoint : POINT{0, 0};
    const LONG w = area.right - area.left, h = area.bottom - area.top;
    if (area.left < 0 || area.top < 0 || w <= 0 || h <= 0 || area.right > whole.right ||
        area.bottom > whole.bottom || at.x < 0 || at.y < 0 || at.x + w > LONG(di.Width()) ||
        at.y + h > LONG(di.Height()))
        return D3DERR_INVALIDCALL;
    if (IsBlockFormat(si.Format()))
    {
        if ((area.left | area.top | at.x | at.y) & 3)
            return D3DERR_INVALIDCALL;
        const UINT rowBytes = FormatPitch(si.Format(), UINT(w));
        const UINT column = FormatPitch(si.Format(), 4);
        for (LONG row = 0; row < (h + 3) / 4; ++row)
            std::memcpy(di.Row(UINT(at.y / 4 + row)) + at.x / 4 * column,
                        si.Row(UINT(area.top / 4 + row)) + area.left / 4 * column, rowBytes);
        di.Touch();
        return D3D_OK;
    }
    CopyRect(si, area, di, {at.x, at.y, at.x + w, at.y + h}, false);
    return D3D_OK;
}

HRESULT TD3DDevice::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest)
{
    auto* from = dynamic_cast<TTextureStore*>(source);
    auto* to = dynamic_cast<TTextureStore*>(dest);
    if (!from || !to || from == to || from->Kind() != to->Kind() ||
        from->StoreFormat() != to->StoreFormat() || from->Faces() != to->Faces())
        return D3DERR_INVALIDCALL;
    // The destination's levels take the source levels of the same size; the source must have
    // every level the destination has (it may have larger ones on top).
    UINT skip = 0;
    while (skip < from->StoredLevels() && from->Image(0, skip).Width() > to->Image(0, 0).Width())
        ++skip;
    const UINT levels = to->AutoGenerates() ? 1 : to->StoredLevels();
    if (skip + levels > from->StoredLevels())
        return D3DERR_INVALIDCALL;
    for (UINT face = 0; face < to->Faces(); ++face)
    {
        for (UINT level = 0; level < levels; ++level)
        {
            TImage& si = from->Image(face, level + skip);
            TImage& di = to->Image(face, level);
            if (si.Width() != di.Width() || si.Height() != di.Height() || si.Depth() != di.Depth())
                return D3DERR_INVALIDCALL;
            std::memcpy(di.Bits(), si.Bits(), size_t(si.SlicePitch()) * si.Depth());
            di.Touch();
        }
    }
    return D3D_OK;
}

HRESULT TD3DDevice::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest)
{
    TD3DSurface* from = ToSurface(renderTarget);
    TD3DSurface* to = ToSurface(dest);
    if (!from || !to || !(from->Usage() & D3DUSAGE_RENDERTARGET) || to->Pool() != D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    TImage& si = from->Image();
    TImage& di = to->Image();
    if (si.Format() != di.Format() || si.Width() != di.Width() || si.Height() != di.Height() ||
        to->IsLocked())
        return D3DERR_INVALIDCALL;
    std::memcpy(di.Bits(), si.Bits(), size_t(si.SlicePitch()));
    di.Touch();
    return D3D_OK;
}

HRESULT TD3DDevice::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest)
{
    TD3DSurface* to = ToSurface(dest);
    int width = 0, height = 0;
    if (swapChain != 0 || !to || to->Image().Format() != D3DFMT_A8R8G8B8 || to->Pool() != D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (!D3D9CopyPresentedFrame(nullptr, 0, &width, &height))
        return D3DERR_INVALIDCALL;
    TImage& di = to->Image();
    if (UINT(width) != di.Width() || UINT(height) != di.Height())
        return D3DERR_INVALIDCALL;
    D3D9CopyPresentedFrame(di.Bits(), int(di.Pitch()), &width, &height);
    di.Touch();
    return D3D_OK;
}

HRESULT TD3DDevice::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                const RECT* destRect, D3DTEXTUREFILTERTYPE filter)
{
    TD3DSurface* from = ToSurface(source);
    TD3DSurface* to = ToSurface(dest);
    if (!from || !to || from == to || from->Pool() != D3DPOOL_DEFAULT || to->Pool() != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    TImage& si = from->Image();
    TImage& di = to->Image();
    const RECT sw = ImageRect(si), dw = ImageRect(di);
    const RECT s = sourceRect ? *sourceRect : sw;
    const RECT d = destRect ? *destRect : dw;
    auto inside = [](const RECT& r, const RECT& whole) {
        return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= whole.right &&
               r.bottom <= whole.bottom;
    };
    if (!inside(s, sw) || !inside(d, dw))
        return D3DERR_INVALIDCALL;
    if (si.IsDepth() || di.IsDepth())
    {
        // Depth surfaces copy whole, between equal sizes only.
        if (!si.IsDepth() || !di.IsDepth() || sourceRect || destRect || si.Width() != di.Width() ||
            si.Height() != di.Height())
            return D3DERR_INVALIDCALL;
        std::memcpy(di.DepthPlane(), si.DepthPlane(), size_t(si.Width()) * si.Height() * sizeof(float));
        std::memcpy(di.StencilPlane(), si.StencilPlane(), size_t(si.Width()) * si.Height());
        di.Touch();
        return D3D_OK;
    }
    const TFormatInfo* sInfo = FindFormat(si.Format());
    if (sInfo->kind != EFormatClass::Colour || !(to->Usage() & D3DUSAGE_RENDERTARGET))
        return D3DERR_INVALIDCALL;
    CopyRect(si, s, di, d, filter == D3DTEXF_LINEAR);
    return D3D_OK;
}

HRESULT TD3DDevice::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color)
{
    TD3DSurface* target = ToSurface(surface);
    if (!target || target->Pool() != D3DPOOL_DEFAULT || target->Image().IsDepth() ||
        FindFormat(target->Image().Format())->kind != EFormatClass::Colour)
        return D3DERR_INVALIDCALL;
    const RECT whole = ImageRect(target->Image());
    const RECT area = rect ? Intersect(*rect, whole) : whole;
    float rgba[4];
    ColourToFloats(color, rgba);
    target->Image().Fill(area, rgba);
    return D3D_OK;
}

HRESULT TD3DDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    TD3DSurface* target = ToSurface(surface);
    if (index >= D3D9SimultaneousTargets() || (index == 0 && !target) || (surface && !target))
        return D3DERR_INVALIDCALL;
    if (target && !(target->Usage() & D3DUSAGE_RENDERTARGET))
        return D3DERR_INVALIDCALL;
    RebindSurface(bound_.targets[index], target);
    if (index == 0)
    {
        // A new first target resets the viewport and the scissor rectangle to its size.
        const TImage& image = target->Image();
        state_.viewport = {0, 0, image.Width(), image.Height(), 0.0f, 1.0f};
        state_.scissor = ImageRect(image);
    }
    return D3D_OK;
}

HRESULT TD3DDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (!surface || index >= DWORD(kMaxRenderTargets))
        return D3DERR_INVALIDCALL;
    *surface = bound_.targets[index];
    if (!*surface)
        return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    TD3DSurface* depth = ToSurface(surface);
    if (surface && (!depth || !depth->Image().IsDepth()))
        return D3DERR_INVALIDCALL;
    RebindSurface(bound_.depthStencil, depth);
    return D3D_OK;
}

HRESULT TD3DDevice::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = bound_.depthStencil;
    if (!*surface)
        return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::BeginScene()
{
    if (inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT TD3DDevice::EndScene()
{
    if (!inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT TD3DDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil)
{
    const bool depthFlags = (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0;
    if ((count > 0 && !rects) || (flags & ~DWORD(7)) || flags == 0)
        return D3DERR_INVALIDCALL;
    if (depthFlags && !bound_.depthStencil)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !FindFormat(bound_.depthStencil->Image().Format())->stencil)
        return D3DERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(drawMutex_);
    // The area: the viewport, within the first target, and the scissor rectangle when enabled.
    const D3DVIEWPORT9& v = state_.viewport;
    RECT area = Intersect({LONG(v.X), LONG(v.Y), LONG(v.X + v.Width), LONG(v.Y + v.Height)},
                          ImageRect(bound_.targets[0]->Image()));
    if (state_.renderStates[D3DRS_SCISSORTESTENABLE])
        area = Intersect(area, state_.scissor);
    std::vector<RECT> parts;
    if (count == 0)
        parts.push_back(area);
    for (DWORD i = 0; i < count; ++i)
        parts.push_back(Intersect({rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}, area));
    float rgba[4];
    ColourToFloats(color, rgba);
    // The bytes of a pixel over every plane cleared.
    int bytesPerPixel = 0;
    if (flags & D3DCLEAR_TARGET)
    {
        for (TD3DSurface* target : bound_.targets)
            bytesPerPixel += target ? int(FindFormat(target->Image().Format())->bits / 8) : 0;
    }
    bytesPerPixel += (flags & D3DCLEAR_ZBUFFER ? 4 : 0) + (flags & D3DCLEAR_STENCIL ? 1 : 0);
    for (const RECT& part : parts)
    {
        rasterizer_.FillBands(part, bytesPerPixel, [&](const RECT& band) {
            if (flags & D3DCLEAR_TARGET)
            {
                for (TD3DSurface* target : bound_.targets)
                {
                    if (target)
                        target->Image().Fill(Intersect(band, ImageRect(target->Image())), rgba);
                }
            }
            if (depthFlags)
            {
                TImage& depth = bound_.depthStencil->Image();
                depth.FillDepthStencil(Intersect(band, ImageRect(depth)), (flags & D3DCLEAR_ZBUFFER) != 0,
                                       std::clamp(z, 0.0f, 1.0f), (flags & D3DCLEAR_STENCIL) != 0,
                                       std::uint8_t(stencil));
            }
        });
    }
    return D3D_OK;
}

int TD3DDevice::TransformSlot(D3DTRANSFORMSTATETYPE state) const
{
    if (state == D3DTS_VIEW)
        return 0;
    if (state == D3DTS_PROJECTION)
        return 1;
    if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7)
        return 2 + int(state - D3DTS_TEXTURE0);
    if (state >= D3DTS_WORLD && state < D3DTS_WORLD + 256)
        return 10 + int(state - D3DTS_WORLD);
    return -1;
}

HRESULT TD3DDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    const int slot = TransformSlot(state);
    if (slot < 0 || !matrix)
        return D3DERR_INVALIDCALL;
    state_.transforms[slot] = *matrix;
    return D3D_OK;
}

HRESULT TD3DDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    const int slot = TransformSlot(state);
    if (slot < 0 || !matrix)
        return D3DERR_INVALIDCALL;
    *matrix = state_.transforms[slot];
    return D3D_OK;
}

HRESULT TD3DDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    const int slot = TransformSlot(state);
    if (slot < 0 || !matrix)
        return D3DERR_INVALIDCALL;
    MultiplyMatrices(*matrix, state_.transforms[slot], state_.transforms[slot]);
    return D3D_OK;
}

HRESULT TD3DDevice::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    const TImage& target = bound_.targets[0]->Image();
    if (viewport->Width == 0 || viewport->Height == 0 || viewport->X + viewport->Width > target.Width() ||
        viewport->Y + viewport->Height > target.Height() || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f)
        return D3DERR_INVALIDCALL;
    state_.viewport = *viewport;
    return D3D_OK;
}

HRESULT TD3DDevice::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = state_.viewport;
    return D3D_OK;
}

HRESULT TD3DDevice::SetMaterial(const D3DMATERIAL9* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    state_.material = *material;
    return D3D_OK;
}

HRESULT TD3DDevice::GetMaterial(D3DMATERIAL9* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = state_.material;
    return D3D_OK;
}

HRESULT TD3DDevice::SetLight(DWORD index, const D3DLIGHT9* light)
{
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    auto [slot, added] = state_.lights.try_emplace(index, TLightSlot{*light, FALSE});
    slot->second.light = *light;
    return D3D_OK;
}

HRESULT TD3DDevice::GetLight(DWORD index, D3DLIGHT9* light)
{
    auto slot = state_.lights.find(index);
    if (!light || slot == state_.lights.end())
        return D3DERR_INVALIDCALL;
    *light = slot->second.light;
    return D3D_OK;
}

HRESULT TD3DDevice::LightEnable(DWORD index, BOOL enable)
{
    // Enabling a light never set gives it Direct3D's default: a white directional light.
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    auto [slot, added] = state_.lights.try_emplace(index, TLightSlot{light, FALSE});
    slot->second.enabled = enable ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT TD3DDevice::GetLightEnable(DWORD index, BOOL* enable)
{
    auto slot = state_.lights.find(index);
    if (!enable || slot == state_.lights.end())
        return D3DERR_INVALIDCALL;
    *enable = slot->second.enabled ? 128 : FALSE;
    return D3D_OK;
}

HRESULT TD3DDevice::SetClipPlane(DWORD index, const float* plane)
{
    if (index >= 6 || !plane)
        return D3DERR_INVALIDCALL;
    std::memcpy(state_.clipPlanes[index], plane, sizeof(state_.clipPlanes[index]));
    return D3D_OK;
}

HRESULT TD3DDevice::GetClipPlane(DWORD index, float* plane)
{
    if (index >= 6 || !plane)
        return D3DERR_INVALIDCALL;
    std::memcpy(plane, state_.clipPlanes[index], sizeof(state_.clipPlanes[index]));
    return D3D_OK;
}

HRESULT TD3DDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= D3DRS_COUNT)
        return D3DERR_INVALIDCALL;
    state_.renderStates[state] = value;
    return D3D_OK;
}

HRESULT TD3DDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (state >= D3DRS_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = state_.renderStates[state];
    return D3D_OK;
}

int TD3DDevice::SamplerSlot(DWORD sampler) const
{
    if (sampler < 16)
        return int(sampler);
    if (sampler >= D3DDMAPSAMPLER && sampler <= D3DVERTEXTEXTURESAMPLER3)
        return 16 + int(sampler - D3DDMAPSAMPLER);
    return -1;
}

HRESULT TD3DDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    const int slot = SamplerSlot(stage);
    if (slot < 0 || !texture)
        return D3DERR_INVALIDCALL;
    *texture = bound_.textures[slot];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    const int slot = SamplerSlot(stage);
    if (slot < 0 || (texture && !dynamic_cast<TTextureStore*>(texture)))
        return D3DERR_INVALIDCALL;
    RebindTexture(bound_.textures[slot], texture);
    return D3D_OK;
}

HRESULT TD3DDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (stage >= DWORD(kTextureStages) || type >= D3DTSS_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = state_.stageStates[stage][type];
    return D3D_OK;
}

HRESULT TD3DDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= DWORD(kTextureStages) || type >= D3DTSS_COUNT)
        return D3DERR_INVALIDCALL;
    state_.stageStates[stage][type] = value;
    return D3D_OK;
}

HRESULT TD3DDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    const int slot = SamplerSlot(sampler);
    if (slot < 0 || type >= D3DSAMP_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = state_.samplerStates[slot][type];
    return D3D_OK;
}

HRESULT TD3DDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    const int slot = SamplerSlot(sampler);
    if (slot < 0 || type >= D3DSAMP_COUNT)
        return D3DERR_INVALIDCALL;
    state_.samplerStates[slot][type] = value;
    return D3D_OK;
}

HRESULT TD3DDevice::ValidateDevice(DWORD* passes)
{
    if (passes)
        *passes = 1;
    return D3D_OK;
}

HRESULT TD3DDevice::SetScissorRect(const RECT* rect)
{
    if (!rect || rect->left > rect->right || rect->top > rect->bottom)
        return D3DERR_INVALIDCALL;
    state_.scissor = *rect;
    return D3D_OK;
}

HRESULT TD3DDevice::GetScissorRect(RECT* rect)
{
    if (!rect)
        return D3DERR_INVALIDCALL;
    *rect = state_.scissor;
    return D3D_OK;
}

HRESULT TD3DDevice::SetSoftwareVertexProcessing(BOOL software)
{
    softwareVertexProcessing_ = software;
    return D3D_OK;
}

HRESULT TD3DDevice::SetNPatchMode(float segments)
{
    nPatchSegments_ = segments;
    return D3D_OK;
}

HRESULT TD3DDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** declaration)
{
    if (!declaration || !TD3DVertexDeclaration::Validate(elements))
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DVertexDeclaration9>(new TD3DVertexDeclaration(this, elements), declaration);
}

HRESULT TD3DDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    auto* typed = dynamic_cast<TD3DVertexDeclaration*>(declaration);
    if (declaration && !typed)
        return D3DERR_INVALIDCALL;
    Rebind(bound_.declaration, typed);
    bound_.fvf = 0;
    return D3D_OK;
}

HRESULT TD3DDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration)
{
    if (!declaration)
        return D3DERR_INVALIDCALL;
    *declaration = bound_.declaration;
    if (*declaration)
        (*declaration)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::SetFVF(DWORD fvf)
{
    if (fvf == 0)
        return D3D_OK;
    auto cached = fvfDeclarations_.find(fvf);
    if (cached == fvfDeclarations_.end())
    {
        const std::vector<D3DVERTEXELEMENT9> elements = TD3DVertexDeclaration::FromFvf(fvf);
        if (elements.empty())
            return D3DERR_INVALIDCALL;
        auto* declaration = new TD3DVertexDeclaration(this, elements.data(), true);
        declaration->Bind();
        cached = fvfDeclarations_.emplace(fvf, declaration).first;
    }
    Rebind(bound_.declaration, cached->second);
    bound_.fvf = fvf;
    return D3D_OK;
}

HRESULT TD3DDevice::GetFVF(DWORD* fvf)
{
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = bound_.fvf;
    return D3D_OK;
}

HRESULT TD3DDevice::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader)
{
    UINT length = 0;
    const char* name = ShadingModelName(function, false, &length);
    const TVertexModel* model = name ? FindVertexModel(name) : nullptr;
    if (!shader || !model)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DVertexShader9>(new TD3DVertexShader(this, model, function, length), shader);
}

HRESULT TD3DDevice::SetVertexShader(IDirect3DVertexShader9* shader)
{
    auto* typed = dynamic_cast<TD3DVertexShader*>(shader);
    if (shader && !typed)
        return D3DERR_INVALIDCALL;
    Rebind(bound_.vertexShader, typed);
    return D3D_OK;
}

HRESULT TD3DDevice::GetVertexShader(IDirect3DVertexShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = bound_.vertexShader;
    if (*shader)
        (*shader)->AddRef();
    return D3D_OK;
}

namespace
{
template <class T, size_t N>
HRESULT SetRegisters(T (&registers)[N], UINT start, const T* data, UINT count, UINT width)
{
    if (!data || start > N / width || count > N / width - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(&registers[start * width], data, sizeof(T) * width * count);
    return D3D_OK;
}

template <class T, size_t N>
HRESULT GetRegisters(const T (&registers)[N], UINT start, T* data, UINT count, UINT width)
{
    if (!data || start > N / width || count > N / width - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(data, &registers[start * width], sizeof(T) * width * count);
    return D3D_OK;
}
} // namespace

HRESULT TD3DDevice::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    return SetRegisters(reinterpret_cast<float(&)[kConstantRegisters * 4]>(state_.vertexF), start, data,
                        count, 4);
}

HRESULT TD3DDevice::GetVertexShaderConstantF(UINT start, float* data, UINT count)
{
    return GetRegisters(reinterpret_cast<float(&)[kConstantRegisters * 4]>(state_.vertexF), start, data,
                        count, 4);
}

HRESULT TD3DDevice::SetVertexShaderConstantI(UINT start, const int* data, UINT count)
{
    return SetRegisters(reinterpret_cast<int(&)[64]>(state_.vertexI), start, data, count, 4);
}

HRESULT TD3DDevice::GetVertexShaderConstantI(UINT start, int* data, UINT count)
{
    return GetRegisters(reinterpret_cast<int(&)[64]>(state_.vertexI), start, data, count, 4);
}

HRESULT TD3DDevice::SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count)
{
    return SetRegisters(state_.vertexB, start, data, count, 1);
}

HRESULT TD3DDevice::GetVertexShaderConstantB(UINT start, BOOL* data, UINT count)
{
    return GetRegisters(state_.vertexB, start, data, count, 1);
}

HRESULT TD3DDevice::SetPixelShaderConstantF(UINT start, const float* data, UINT count)
{
    return SetRegisters(reinterpret_cast<float(&)[kConstantRegisters * 4]>(state_.pixelF), start, data, count,
                        4);
}

HRESULT TD3DDevice::GetPixelShaderConstantF(UINT start, float* data, UINT count)
{
    return GetRegisters(reinterpret_cast<float(&)[kConstantRegisters * 4]>(state_.pixelF), start, data, count,
                        4);
}

HRESULT TD3DDevice::SetPixelShaderConstantI(UINT start, const int* data, UINT count)
{
    return SetRegisters(reinterpret_cast<int(&)[64]>(state_.pixelI), start, data, count, 4);
}

HRESULT TD3DDevice::GetPixelShaderConstantI(UINT start, int* data, UINT count)
{
    return GetRegisters(reinterpret_cast<int(&)[64]>(state_.pixelI), start, data, count, 4);
}

HRESULT TD3DDevice::SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count)
{
    return SetRegisters(state_.pixelB, start, data, count, 1);
}

HRESULT TD3DDevice::GetPixelShaderConstantB(UINT start, BOOL* data, UINT count)
{
    return GetRegisters(state_.pixelB, start, data, count, 1);
}

HRESULT TD3DDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    auto* typed = dynamic_cast<TD3DVertexBuffer*>(buffer);
    if (stream >= UINT(kStreams) || (buffer && !typed) || stride > 508)
        return D3DERR_INVALIDCALL;
    Rebind(bound_.streams[stream].buffer, typed);
    bound_.streams[stream].offset = offset;
    bound_.streams[stream].stride = stride;
    return D3D_OK;
}

HRESULT TD3DDevice::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride)
{
    if (stream >= UINT(kStreams) || !buffer || !offset || !stride)
        return D3DERR_INVALIDCALL;
    *buffer = bound_.streams[stream].buffer;
    if (*buffer)
        (*buffer)->AddRef();
    *offset = bound_.streams[stream].offset;
    *stride = bound_.streams[stream].stride;
    return D3D_OK;
}

HRESULT TD3DDevice::SetStreamSourceFreq(UINT stream, UINT divider)
{
    if (stream >= UINT(kStreams))
        return D3DERR_INVALIDCALL;
    bound_.streams[stream].frequency = divider;
    return D3D_OK;
}

HRESULT TD3DDevice::GetStreamSourceFreq(UINT stream, UINT* divider)
{
    if (stream >= UINT(kStreams) || !divider)
        return D3DERR_INVALIDCALL;
    *divider = bound_.streams[stream].frequency;
    return D3D_OK;
}

HRESULT TD3DDevice::SetIndices(IDirect3DIndexBuffer9* indices)
{
    auto* typed = dynamic_cast<TD3DIndexBuffer*>(indices);
    if (indices && !typed)
        return D3DERR_INVALIDCALL;
    Rebind(bound_.indices, typed);
    return D3D_OK;
}

HRESULT TD3DDevice::GetIndices(IDirect3DIndexBuffer9** indices)
{
    if (!indices)
        return D3DERR_INVALIDCALL;
    *indices = bound_.indices;
    if (*indices)
        (*indices)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader)
{
    UINT length = 0;
    const char* name = ShadingModelName(function, true, &length);
    const TPixelModel* model = name ? FindPixelModel(name) : nullptr;
    if (!shader || !model)
        return D3DERR_INVALIDCALL;
    return Hand<IDirect3DPixelShader9>(new TD3DPixelShader(this, model, function, length), shader);
}

HRESULT TD3DDevice::SetPixelShader(IDirect3DPixelShader9* shader)
{
    auto* typed = dynamic_cast<TD3DPixelShader*>(shader);
    if (shader && !typed)
        return D3DERR_INVALIDCALL;
    Rebind(bound_.pixelShader, typed);
    return D3D_OK;
}

HRESULT TD3DDevice::GetPixelShader(IDirect3DPixelShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = bound_.pixelShader;
    if (*shader)
        (*shader)->AddRef();
    return D3D_OK;
}

HRESULT TD3DDevice::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query)
{
    if (!TD3DQuery::DataSize(type))
        return D3DERR_NOTAVAILABLE;
    // A null out pointer asks only whether the type is supported.
    if (!query)
        return D3D_OK;
    return Hand<IDirect3DQuery9>(new TD3DQuery(this, type), query);
}

HRESULT TD3DDevice::SetGPUThreadPriority(INT priority)
{
    if (priority < -7 || priority > 7)
        return D3DERR_INVALIDCALL;
    gpuThreadPriority_ = priority;
    return D3D_OK;
}

HRESULT TD3DDevice::GetGPUThreadPriority(INT* priority)
{
    if (!priority)
        return D3DERR_INVALIDCALL;
    *priority = gpuThreadPriority_;
    return D3D_OK;
}

HRESULT TD3DDevice::WaitForVBlank(UINT swapChain)
{
    return swapChain == 0 ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT TD3DDevice::SetMaximumFrameLatency(UINT maxLatency)
{
    if (maxLatency > 20)
        return D3DERR_INVALIDCALL;
    frameLatency_ = maxLatency == 0 ? 3 : maxLatency;
    return D3D_OK;
}

HRESULT TD3DDevice::GetMaximumFrameLatency(UINT* maxLatency)
{
    if (!maxLatency)
        return D3DERR_INVALIDCALL;
    *maxLatency = frameLatency_;
    return D3D_OK;
}

HRESULT TD3DDevice::CheckDeviceState(HWND window)
{
    return D3D_OK;
}

HRESULT TD3DDevice::GetDisplayModeEx(UINT swapChain, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation)
{
    D3DDISPLAYMODE plain;
    if (!mode)
        return D3DERR_INVALIDCALL;
    const HRESULT result = GetDisplayMode(swapChain, &plain);
    if (SUCCEEDED(result))
        *mode = {sizeof(D3DDISPLAYMODEEX), plain.Width,  plain.Height,
                 plain.RefreshRate,        plain.Format, D3DSCANLINEORDERING_PROGRESSIVE};
    if (rotation)
        *rotation = D3DDISPLAYROTATION_IDENTITY;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Drawing

namespace
{
// Vertices a primitive list of that type and count uses.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        return primitives;
    case D3DPT_LINELIST:
        return primitives * 2;
    case D3DPT_LINESTRIP:
        return primitives + 1;
    case D3DPT_TRIANGLELIST:
        return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitives + 2;
    default:
        return 0;
    }
}
} // namespace

HRESULT TD3DDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    return Draw(type, primitiveCount, nullptr, 0, 0, 0, startVertex, nullptr);
}

HRESULT TD3DDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                         UINT numVertices, UINT startIndex, UINT primitiveCount)
{
    if (!bound_.indices)
        return D3DERR_INVALIDCALL;
    const TBuffer& buffer = bound_.indices->Buffer();
    const UINT indexSize = bound_.indices->Format() == D3DFMT_INDEX32 ? 4 : 2;
    const UINT count = VertexCount(type, primitiveCount);
    if (UINT64(startIndex + UINT64(count)) * indexSize > buffer.Size())
        return D3DERR_INVALIDCALL;
    return Draw(type, primitiveCount, buffer.Bytes(), indexSize, startIndex, baseVertexIndex, 0, nullptr);
}

HRESULT TD3DDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride)
{
    if (!vertices || stride == 0)
        return D3DERR_INVALIDCALL;
    const UINT count = VertexCount(type, primitiveCount);
    const TStreamSource stream = {static_cast<const std::uint8_t*>(vertices), count * stride, stride};
    // As Direct3D: the user pointer replaces stream 0, which is left unbound afterwards.
    const HRESULT result = Draw(type, primitiveCount, nullptr, 0, 0, 0, 0, &stream);
    SetStreamSource(0, nullptr, 0, 0);
    return result;
}

HRESULT TD3DDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride)
{
    if (!vertices || !indices || stride == 0 ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    const TStreamSource stream = {static_cast<const std::uint8_t*>(vertices),
                                  (minVertexIndex + numVertices) * stride, stride};
    const HRESULT result =
        Draw(type, primitiveCount, indices, indexFormat == D3DFMT_INDEX32 ? 4 : 2, 0, 0, 0, &stream);
    SetStreamSource(0, nullptr, 0, 0);
    SetIndices(nullptr);
    return result;
}

HRESULT TD3DDevice::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* indices, UINT indexSize,
                         UINT startIndex, INT baseVertex, UINT startVertex, const TStreamSource* userStream)
{
    if (!inScene_ || VertexCount(type, 1) == 0 || !bound_.declaration)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;
    std::lock_guard<std::mutex> lock(drawMutex_);
    TDrawCall call = {};
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.indices = indices;
    call.indexSize = indexSize;
    call.startIndex = startIndex;
    call.baseVertex = baseVertex;
    call.startVertex = startVertex;
    call.elements = &bound_.declaration->Elements();
    call.registerOf = bound_.declaration->RegisterOf();
    call.preTransformed = bound_.declaration->PreTransformed();
    for (const D3DVERTEXELEMENT9& element : *call.elements)
    {
        TStreamSource& source = call.streams[element.Stream];
        if (userStream && element.Stream == 0)
        {
            source = *userStream;
            continue;
        }
        const TStream& stream = bound_.streams[element.Stream];
        if (!stream.buffer)
            return D3DERR_INVALIDCALL;
        const TBuffer& buffer = stream.buffer->Buffer();
        if (stream.offset > buffer.Size())
            return D3DERR_INVALIDCALL;
        source = {buffer.Bytes() + stream.offset, buffer.Size() - stream.offset, stream.stride};
    }

    const TState& s = state_;
    call.vertexModel = bound_.vertexShader ? bound_.vertexShader->ShadingModel() : nullptr;
    call.pixelModel = bound_.pixelShader ? bound_.pixelShader->ShadingModel() : nullptr;
    call.vertexConstants = {s.vertexF, s.vertexI, s.vertexB};
    call.pixelConstants = {s.pixelF, s.pixelI, s.pixelB};
    if (!call.vertexModel || !call.pixelModel)
        PrepareFixedFunction(call);

    for (int slot = 0; slot < kPixelSamplers; ++slot)
    {
        auto* store = bound_.textures[slot] ? dynamic_cast<TTextureStore*>(bound_.textures[slot]) : nullptr;
        UINT lod = 0;
        if (store)
        {
            store->PrepareForSampling();
            lod = bound_.textures[slot]->GetLOD();
        }
        samplers_.Bind(slot, store, s.samplerStates[slot], lod);
    }
    call.samplers = &samplers_;

    for (int i = 0; i < kMaxRenderTargets; ++i)
        call.targets[i] = bound_.targets[i] ? &bound_.targets[i]->Image() : nullptr;
    const DWORD zEnable = s.renderStates[D3DRS_ZENABLE];
    const bool needsDepth = zEnable != D3DZB_FALSE || s.renderStates[D3DRS_STENCILENABLE];
    call.depthStencil = bound_.depthStencil && needsDepth ? &bound_.depthStencil->Image() : nullptr;
    call.renderStates = s.renderStates;
    call.viewport = s.viewport;
    const D3DVIEWPORT9& v = s.viewport;
    call.clip = Intersect({LONG(v.X), LONG(v.Y), LONG(v.X + v.Width), LONG(v.Y + v.Height)},
                          ImageRect(*call.targets[0]));
    // Every bound target and the depth surface bound the area drawn.
    for (TImage* target : call.targets)
    {
        if (target)
            call.clip = Intersect(call.clip, ImageRect(*target));
    }
    if (call.depthStencil)
        call.clip = Intersect(call.clip, ImageRect(*call.depthStencil));
    call.originX = call.clip.left;
    call.originY = call.clip.top;
    if (s.renderStates[D3DRS_SCISSORTESTENABLE])
        call.clip = Intersect(call.clip, s.scissor);

    samplesPassed_ += rasterizer_.Draw(call);
    for (TImage* target : call.targets)
    {
        if (target)
            target->Touch();
    }
    return D3D_OK;
}

void TD3DDevice::PrepareFixedFunction(TDrawCall& call)
{
    // World x view x projection for row vectors, as four constant rows, then the texture factor.
    D3DMATRIX worldView, wvp;
    MultiplyMatrices(state_.transforms[10], state_.transforms[0], worldView);
    MultiplyMatrices(worldView, state_.transforms[1], wvp);
    for (int row = 0; row < 4; ++row)
    {
        for (int column = 0; column < 4; ++column)
            fixedConstants_[column][row] = wvp.m[row][column];
    }
    ColourToFloats(state_.renderStates[D3DRS_TEXTUREFACTOR], fixedConstants_[4]);
    fixedConstants_[5][0] = float(state_.stageStates[0][D3DTSS_COLOROP]);
    fixedConstants_[5][1] = float(state_.stageStates[0][D3DTSS_ALPHAOP]);
    fixedConstants_[5][2] = bound_.textures[0] ? 1.0f : 0.0f;
    const TShaderConstants fixed = {fixedConstants_, state_.vertexI, state_.vertexB};
    if (!call.vertexModel)
    {
        call.vertexModel = FindVertexModel("fixed-function");
        call.vertexConstants = fixed;
    }
    if (!call.pixelModel)
    {
        call.pixelModel = FindPixelModel("fixed-function");
        call.pixelConstants = {fixedConstants_, state_.pixelI, state_.pixelB};
    }
}
