// TDxDeviceManager: the choice of Direct3D interfaces, window and device creation with its
// fall-back chain, reset, and the release at the end.
#include "directx/render/dxdevice.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/string.h"
#include "directx/render/dxdeviceint.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/render/deferredrendering.h"
#include "engine/render/forwardrendering.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/settings.h"
#include "platform/desktop/messagebox.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

TDxGlobals g_DxGlobals = {};
TDxDeviceManager* g_pDxDeviceManager = nullptr;

namespace
{
TDxDeviceManager s_DxDeviceManager;
const i32 s_nRegistered = [] {
    g_pDxDeviceManager = &s_DxDeviceManager;
    return TManagerManager::RegisterManager<TDeviceManager>("Device", "Dx", &g_pDeviceManager,
                                                            &s_DxDeviceManager);
}();
const i32 s_nDirectX = (InitializeDirectX(), 0);

constexpr const char* kInitPrefix = "TDxDeviceManager::InitializeManager(): ";
constexpr const char* kInitErrorPrefix = "TDxDeviceManager::InitializeManager(): error: ";
constexpr const char* kCreatePrefix = "TDxDeviceManager::_CreateDeviceInt(): ";
constexpr const char* kCreateErrorPrefix = "TDxDeviceManager::_CreateDeviceInt(): error: ";
constexpr const char* kResetPrefix = "TDxDeviceManager::_ResetDevice(): ";
constexpr const char* kSource = "sources/directx/render/dxdevice";

constexpr char16_t kWindowClass[] = u"vestam0r";
constexpr WORD kIconResource = 101;
constexpr UINT kSdkVersion = 0x80000020;
constexpr UINT kWindowedFallbackRefresh = 60;
constexpr i32 kFallbackWidth = 800;
constexpr i32 kFallbackHeight = 600;
constexpr i32 kMaxFrameLatency = 32;

constexpr const char* kRefusalCaption = "Graphics Hardware compatibility error (%s)";
constexpr const char* kShaderRefusal =
    "We apologize but Vestamor Engine(tm) is unable to run on this hardware configuration.\n\nCause:\n   "
    "Adapter %d on %s appears to be incompatible with Vestamor Engine(tm).\n   Vestamor Engine(tm) requires "
    "at "
    "least pixel shader 2.0 supported on graphics card.\n\nPlease contact support for more information.";
constexpr const char* kMemoryRefusal =
    "We apologize but Vestamor Engine(tm) is unable to run on this hardware configuration.\n\nCause:\n   "
    "Adapter %d on %s appears to be incompatible with Vestamor Engine(tm).\n   Vestamor Engine(tm) requires "
    "at "
    "least 128 MB of dedicated video memory.\n   Adapter %d on %s report only %d MB of available video "
    "memory.\n\nPlease contact support for more information.";

// Unsuitable hardware: the box, then exit code 1.
[[noreturn]] void RefuseHardware(const char* description, const char* text)
{
    PlatformMessageBox(StringFormat(kRefusalCaption, description), text, MESSAGE_BOX_ERROR);
    std::exit(1);
}

// The detail level belongs to the game's options; without the deferred renderer it drops to 0.
void LowerDetailLevel()
{
    TVariable* detail = TCommandManager::Instance().FindVariable(TName("device.detaillevel"));
    if (detail && detail->GetValue().ToInt() > 0)
        detail->SetInt(0);
}

bool FormatSupported(IDirect3D9* direct3d, UINT adapter, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format)
{
    return SUCCEEDED(
        direct3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, format));
}
} // namespace

void InitializeDirectX()
{
    const TD3D9Settings& os = D3D9Settings();
    g_DxGlobals.nVista = os.osMajor >= 6 ? 1 : 0;
    if (g_DxGlobals.nVista)
    {
        // The layer is linked in, so d3d9.dll is always loaded; only the 9Ex entry may be missing.
        g_DxGlobals.pDirect3DCreate9Ex =
            reinterpret_cast<HRESULT (*)(UINT, IDirect3D9Ex**)>(D3D9GetProcAddress("Direct3DCreate9Ex"));
        if (!g_DxGlobals.pDirect3DCreate9Ex)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "InitializeDirectX(): error: ",
                        "D3D9.dll does not contain the Direct3DCreate9Ex proc.");
            g_DxGlobals.nVista = 0;
        }
    }
    g_DxGlobals.nXP = g_DxGlobals.nVista ? 0 : 1;
    TLog::Print(g_pSystemLog, LOG_INFO,
                "InitializeDirectX(): ", "OS Version: %d.%d.%d. Using %s compatible interfaces.", os.osMajor,
                os.osMinor, os.osBuild, g_DxGlobals.nVista ? "Vista" : "XP");
}

TDxDeviceManager::TDxDeviceManager()
    : m_nPendingCount(0), m_nRecreate(0), m_PendingSettings(), m_nBackBufferWidth(0), m_nBackBufferHeight(0),
      m_nGammaSaved(0), m_SavedGamma(), m_nPow2(0), m_nMaxTextureSize(0), m_nInSizeMove(0), m_nPauseCount(0),
      m_nActive(1), m_nLastActivation(1), m_nDeactivateAllowed(1), m_nRunning(1), m_nReady(0),
      m_hWindow(nullptr), m_nQuit(0), m_nStoredWord(0), m_nScissorTest(0), m_apFlushQuery(), m_nFlushIndex(0),
      m_nQueryHighWater(0), m_nFreeQueryCount(0), m_aFreeQuery(), m_nLiveQueryCount(0), m_apLiveQuery(),
      m_aLivePosition(), m_Settings(), m_pBackBufferSurface(nullptr), m_pDepthStencilSurface(nullptr),
      m_BackBuffer(".backbuffer"), m_DepthStencil(".depthstencil"), m_nDisplayModeCount(0),
      m_pDirect3D(nullptr), m_pDevice(nullptr), m_LastGoodSettings(), m_nDeviceExisted(0), m_nAttempts(0),
      m_nRestoring(0), m_nResetFailed(0), m_nFrameWidth(0), m_nFrameHeight(0), m_pCapture(nullptr),
      m_nCaptureSize(0), m_pStaging(nullptr), m_nStagingWidth(0), m_nStagingHeight(0)
{
    m_LastGoodSettings.DisplayMode.Size = sizeof(D3DDISPLAYMODEEX);
}

TDxDeviceManager::~TDxDeviceManager()
{
    MemoryFree(m_pCapture);
}

i32 TDxDeviceManager::InitializeManager()
{
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "start");
    if (!g_pDxDeviceInt)
        g_pDxDeviceInt = MemoryNew<TDxDeviceInt>();

    if (g_DxGlobals.nVista)
    {
        IDirect3D9Ex* direct3d = nullptr;
        g_DxGlobals.pDirect3DCreate9Ex(kSdkVersion, &direct3d);
        m_pDirect3D = direct3d;
    }
    else
        m_pDirect3D = Direct3DCreate9(kSdkVersion);
    if (!m_pDirect3D)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kInitErrorPrefix, "unable to create Direct 3D interface");
        return DX_INIT_NO_DIRECT3D;
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "Direct 3D version %d.%d SDK version %d", 9, 0, 32);

    i32 adapter = g_device_adapter.GetInt();
    if (adapter < 0 || adapter >= static_cast<i32>(m_pDirect3D->GetAdapterCount()))
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "adapter %d out of range (reset to 0)", adapter);
        g_device_adapter.SetInt(0);
        adapter = 0;
    }

    D3DCAPS9 caps = {};
    D3DADAPTER_IDENTIFIER9 identifier = {};
    m_pDirect3D->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps);
    m_pDirect3D->GetAdapterIdentifier(adapter, 0, &identifier);
    const bool argb =
        FormatSupported(m_pDirect3D, adapter, D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8);
    const bool half =
        FormatSupported(m_pDirect3D, adapter, D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F);
    const bool r32f =
        FormatSupported(m_pDirect3D, adapter, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R32F);
    const bool d24x8 =
        FormatSupported(m_pDirect3D, adapter, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8);
    m_nMaxTextureSize = std::min(caps.MaxTextureWidth, caps.MaxTextureHeight);
    m_nPow2 = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) ? 1 : 0;

    const LARGE_INTEGER& version = identifier.DriverVersion;
    const u32 psMajor = D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion);
    const u32 psMinor = D3DSHADER_VERSION_MINOR(caps.PixelShaderVersion);
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "adapter %x '%s' ", adapter, identifier.Description);
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "driver '%s' %d.%d.%d.%d", identifier.Driver,
                HIWORD(version.HighPart), LOWORD(version.HighPart), HIWORD(version.LowPart),
                LOWORD(version.LowPart));
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "maxRTs %d, ps %d.%d, res %d", caps.NumSimultaneousRTs,
                psMajor, psMinor, argb * 1000 + half * 100 + r32f * 10 + d24x8);
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "texture max %d pow2 %d", m_nMaxTextureSize, m_nPow2);

    const TRendererCaps rendererCaps = {caps.NumSimultaneousRTs, psMajor * 1000 + psMinor,
                                        argb && half && r32f && d24x8 ? 1u : 0u};
    g_pForwardRendering->CheckSupport(rendererCaps);
    g_pDeferredRendering->CheckSupport(rendererCaps);
    if (!g_pForwardRendering->m_nSupported)
        RefuseHardware(identifier.Description, StringFormat(kShaderRefusal, adapter, identifier.Description));
    if (!g_pDeferredRendering->m_nSupported)
        LowerDetailLevel();

    // The window: client size device_size at device_pos, kept inside the adapter's monitor.
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = DeviceWindowProc;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageA(nullptr, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    const TVector size = g_device_size.GetVector();
    const TVector pos = g_device_pos.GetVector();
    i32 x = static_cast<i32>(pos.x);
    i32 y = static_cast<i32>(pos.y);

    char16_t title[DX_WINDOW_TITLE_LENGTH + 1];
    WidenWindowTitle(GetWindowTitle(), title);
    m_hWindow = g_pDxDeviceInt->CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, x, y,
                                                static_cast<i32>(size.x), static_cast<i32>(size.y), nullptr,
                                                nullptr, nullptr, nullptr);
    if (!m_hWindow)
        __Abort("TDxDeviceManager::InitializeManager", kSource, __LINE__, "unable to create window");
    RECT windowRect, clientRect;
    g_pDxDeviceInt->GetWindowRect(m_hWindow, &windowRect);
    g_pDxDeviceInt->GetClientRect(m_hWindow, &clientRect);
    m_nFrameWidth = (windowRect.right - windowRect.left) - (clientRect.right - clientRect.left);
    m_nFrameHeight = (windowRect.bottom - windowRect.top) - (clientRect.bottom - clientRect.top);
    // Clamped once the frame is known: the whole window, frame included, fits the monitor. The
    // client size is not the video size yet: the window is placed with its frame below, and a
    // full-screen device keeps the player's size in device_size.
    if (_ClampWindowToMonitor(x, y, adapter))
        g_device_pos.Store(static_cast<f32>(x), static_cast<f32>(y), 0.0f, 1.0f);
    g_pDxDeviceInt->SetWindowPos(m_hWindow, HWND_TOP, x, y, static_cast<i32>(size.x) + m_nFrameWidth,
                                 static_cast<i32>(size.y) + m_nFrameHeight, SWP_SHOWWINDOW);

    // The settings record.
    TDxDeviceSettings settings = {};
    settings.nAdapter = adapter;
    settings.DeviceType = D3DDEVTYPE_HAL;
    settings.nBehaviour = DX_BEHAVIOUR;
    D3DPRESENT_PARAMETERS& present = settings.Present;
    present.Windowed = g_device_windowed.GetInt() != 0 ? TRUE : FALSE;
    if (!present.Windowed)
    {
        present.BackBufferWidth = static_cast<UINT>(size.x);
        present.BackBufferHeight = static_cast<UINT>(size.y);
        present.BackBufferFormat = D3DFMT_X8R8G8B8;
        present.FullScreen_RefreshRateInHz = g_device_refreshrate.GetInt();
    }
    present.BackBufferCount = DX_BACK_BUFFER_COUNT;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = D3DFMT_D24S8;
    present.PresentationInterval =
        g_device_verticalsyn.GetInt() != 0 ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    if (present.Windowed)
    {
        g_pDxDeviceInt->GetClientRect(m_hWindow, &clientRect);
        _SetVideoSize(clientRect.right - clientRect.left, clientRect.bottom - clientRect.top);
    }
    if (_CreateDevice(settings) != 0)
        __Abort("TDxDeviceManager::InitializeManager", kSource, __LINE__, "unable to create DirectX device");

    const u32 memory = m_pDevice->GetAvailableTextureMem() >> 20;
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "available video memory %d MB", memory);
    if (memory < DX_MIN_VIDEO_MEMORY_MB)
        RefuseHardware(identifier.Description, StringFormat(kMemoryRefusal, adapter, identifier.Description,
                                                            adapter, identifier.Description, memory));

    m_nReady = 1;
    g_pDxDeviceInt->UpdateWindow(m_hWindow);
    TLog::Print(g_pSystemLog, LOG_INFO, kInitPrefix, "complete");
    return 0;
}

void TDxDeviceManager::FinalizeManager()
{
    if (m_nStepWord != 1)
        return;
    m_nReady = 0;
    // Nothing loaded may outlive the device: resources give back their device objects first.
    g_pResourceManager->UnloadAll();
    _ReleaseDeviceObjects();
    g_pDxDeviceInt->ReleaseDevice(m_pDevice);
    m_pDevice = nullptr;
    if (m_pDirect3D)
        m_pDirect3D->Release();
    m_pDirect3D = nullptr;
    MemoryDelete(g_pDxDeviceInt);
    g_pDxDeviceInt = nullptr;
    m_nMethodCount = 0;
    if (g_pCluster)
        g_pCluster->ClearListeners();
}

i32 TDxDeviceManager::_CreateDevice(TDxDeviceSettings settings)
{
    g_DxGlobals.nResetting = 1;
    OnDeviceRelease();
    const i32 result = _CreateDeviceInt(settings, 0);
    OnDeviceChange();
    OnDeviceRestore();
    g_DxGlobals.nResetting = 0;
    return result;
}

i32 TDxDeviceManager::_CreateDeviceInt(TDxDeviceSettings settings, u32 recreate)
{
    // The same adapter, device type and behaviour: a reset is enough.
    if (!recreate && m_pDevice && settings.nAdapter == m_Settings.nAdapter &&
        settings.DeviceType == m_Settings.DeviceType && settings.nBehaviour == m_Settings.nBehaviour)
    {
        m_Settings = settings;
        return _ResetDevice();
    }

    m_Settings = settings;
    u32 notifyCreate = m_nRestoring;
    if (m_pDevice)
    {
        // Nothing of the old device may outlive it.
        g_pResourceManager->UnloadAll();
        _ReleaseDeviceObjects();
        OnDeviceDestroy();
        g_pDxDeviceInt->ReleaseDevice(m_pDevice);
        m_pDevice = nullptr;
        m_nResetFailed = 0;
        notifyCreate = 1;
    }

    if (m_Settings.IsWindowed())
    {
        m_nReady = 0;
        _PlaceWindowed();
        g_pDxDeviceInt->SetWindowLongA(m_hWindow, GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
        g_pDxDeviceInt->SetWindowPos(m_hWindow, HWND_NOTOPMOST, 0, 0, 0, 0,
                                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
        g_pDxDeviceInt->ShowWindow(m_hWindow, g_device_ctor.GetInt() != 0 ? SW_HIDE : SW_SHOW);
        m_nReady = 1;
    }

    if (m_Settings.nAdapter >= m_pDirect3D->GetAdapterCount())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCreateErrorPrefix, "invalid adapter %d (defaulting to adapter 0)",
                    m_Settings.nAdapter);
        m_Settings.nAdapter = 0;
    }
    _EnumerateDisplayModes(m_Settings.nAdapter);
    _MatchDisplayMode(m_Settings);

    const bool windowed = m_Settings.IsWindowed();
    const HRESULT result = g_pDxDeviceInt->CreateDevice(
        m_pDirect3D, g_DxGlobals.nVista != 0, windowed ? D3DADAPTER_DEFAULT : m_Settings.nAdapter,
        m_Settings.DeviceType, m_hWindow, m_Settings.nBehaviour, &m_Settings.Present,
        windowed ? nullptr : &m_Settings.DisplayMode, &m_pDevice);

    if (FAILED(result))
    {
        m_pDevice = nullptr;
        if (m_nDeviceExisted)
        {
            const char* text = "unable to create DirectX device (restoring previous device)";
            TLog::Print(g_pSystemLog, LOG_ERROR, kCreateErrorPrefix, "%s", text);
            m_nDeviceExisted = 0;
            m_nRestoring = 1;
            TCommandManager::Instance().PrintError("%s", text);
            _SetVideoSize(m_LastGoodSettings.Present.BackBufferWidth,
                          m_LastGoodSettings.Present.BackBufferHeight);
            return _CreateDeviceInt(m_LastGoodSettings, 0);
        }
        ++m_nAttempts;
        if (m_nAttempts == 1 && !settings.IsWindowed())
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kCreatePrefix,
                        "unable to create DirectX device (mitigate - windowed)");
            settings.Present.Windowed = TRUE;
            settings.Present.FullScreen_RefreshRateInHz = kWindowedFallbackRefresh;
            return _CreateDeviceInt(settings, 0);
        }
        if (m_nAttempts <= 2)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kCreatePrefix,
                        "unable to create DirectX device (mitigate - windowed 800x600)");
            g_device_pos.Store(0.0f, 0.0f, 0.0f, 1.0f);
            _SetVideoSize(kFallbackWidth, kFallbackHeight);
            TDxDeviceSettings fallback = {};
            fallback.DeviceType = D3DDEVTYPE_HAL;
            fallback.nBehaviour = DX_BEHAVIOUR;
            fallback.Present.BackBufferCount = DX_BACK_BUFFER_COUNT;
            fallback.Present.SwapEffect = D3DSWAPEFFECT_DISCARD;
            fallback.Present.Windowed = TRUE;
            fallback.Present.EnableAutoDepthStencil = TRUE;
            fallback.Present.AutoDepthStencilFormat = D3DFMT_D24S8;
            fallback.Present.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
            return _CreateDeviceInt(fallback, 0);
        }
        TLog::Print(g_pSystemLog, LOG_ERROR, kCreateErrorPrefix, "unable to create DirectX device");
        __Abort("TDxDeviceManager::_CreateDeviceInt", kSource, __LINE__, "Unable to create DirectX device.");
    }

    m_LastGoodSettings = m_Settings;
    m_nAttempts = 0;
    m_nRestoring = 0;
    m_nDeviceExisted = 1;
    if (!m_nGammaSaved)
    {
        m_pDevice->GetGammaRamp(0, &m_SavedGamma);
        m_nGammaSaved = 1;
    }
    if (windowed)
    {
        _PlaceWindowed();
    }
    else
        _SetFullScreenWindow();

    if (!g_pDxEffectStateFilter)
        g_pDxEffectStateFilter = MemoryNew<TDxEffectStateFilter>();
    g_pDxEffectStateFilter->SetDevice(m_pDevice);
    g_pDxEffectStateFilter->Reset();
    __CreateFlushQueries();
    if (g_DxGlobals.nVista)
    {
        const UINT latency = static_cast<UINT>(std::clamp(g_device_frame_latency.GetInt(), 1, kMaxFrameLatency));
        static_cast<IDirect3DDevice9Ex*>(m_pDevice)->SetMaximumFrameLatency(latency);
    }
    _AttachDefaultTargets();
    if (notifyCreate)
        OnDeviceCreate();

    // Every back buffer starts black.
    for (u32 i = 0; i < m_Settings.Present.BackBufferCount + 1; ++i)
    {
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0.0f, 0);
        Present();
    }
    OnDeviceChange();
    return 0;
}

i32 TDxDeviceManager::_ResetDevice()
{
    // A retry after a failed reset: the listeners were told of the loss already.
    if (!m_nResetFailed)
    {
        if (!g_DxGlobals.nResetting)
            OnDeviceRelease();
        _ReleaseDeviceObjects();
        g_pResourceManager->DeviceLost();
    }
    HRESULT result;
    if (g_DxGlobals.nVista)
        result = static_cast<IDirect3DDevice9Ex*>(m_pDevice)->ResetEx(
            &m_Settings.Present, m_Settings.IsWindowed() ? nullptr : &m_Settings.DisplayMode);
    else
        result = m_pDevice->Reset(&m_Settings.Present);
    if (FAILED(result))
    {
        // Nothing may be re-created on a device that was not reset.
        if (!m_nResetFailed)
            TLog::Print(g_pSystemLog, LOG_ERROR, kResetPrefix, "reset failed %x (device kept lost)", result);
        m_nResetFailed = 1;
        return 1;
    }
    m_nResetFailed = 0;
    _AttachDefaultTargets();
    g_pResourceManager->DeviceReset();
    g_pDxEffectStateFilter->Reset();
    __CreateFlushQueries();
    OnDeviceChange();
    if (!g_DxGlobals.nResetting)
        OnDeviceRestore();
    return 0;
}

void TDxDeviceManager::_AttachDefaultTargets()
{
    g_DxDeviceStatistics.nDepthTargets = 0;
    g_DxDeviceStatistics.nColourTargets = 0;
    m_Settings.hMonitor = m_pDirect3D->GetAdapterMonitor(m_Settings.nAdapter);

    // A reset raised inside a creation (the window's size message) has attached them already;
    // a reference kept from then would refuse every later reset.
    _ReleaseDefaultTargets();
    m_pDevice->GetRenderTarget(0, &m_pBackBufferSurface);
    m_pDevice->GetDepthStencilSurface(&m_pDepthStencilSurface);
    // The targets hold their own references.
    if (m_pBackBufferSurface)
        m_pBackBufferSurface->AddRef();
    if (m_pDepthStencilSurface)
        m_pDepthStencilSurface->AddRef();
    m_BackBuffer.Attach(m_pBackBufferSurface);
    m_DepthStencil.Attach(m_pDepthStencilSurface);

    const u32 width = m_BackBuffer.m_nWidth;
    const u32 height = m_BackBuffer.m_nHeight;
    g_DxDeviceStatistics.nBackBuffer = m_BackBuffer.GetSizeEstimate() * 2;
    g_DxDeviceStatistics.nDepthStencil = m_DepthStencil.GetSizeEstimate();
    m_nBackBufferWidth = static_cast<i32>(width);
    m_nBackBufferHeight = static_cast<i32>(height);

    g_device_windowed.Store(m_Settings.IsWindowed() ? 1 : 0);
    g_device_adapter.Store(static_cast<i32>(m_Settings.nAdapter));
    g_device_refreshrate.Store(static_cast<i32>(m_Settings.Present.FullScreen_RefreshRateInHz));
    m_nFullScreen = m_Settings.IsWindowed() ? 0 : 1;
    // Full screen takes the nearest mode the display offers: the player's size stays what the
    // player set (the video size is the back buffer's then).
    if (!m_nFullScreen)
        _SetVideoSize(m_nBackBufferWidth, m_nBackBufferHeight);
    m_LastGoodSettings = m_Settings;
    m_nDeviceExisted = 1;
    SetCursorShow(g_device_cursor_show.GetInt());
    SetCursorClip(g_device_cursor_clip.GetInt());
}

void TDxDeviceManager::_ReleaseDefaultTargets()
{
    m_BackBuffer.Detach();
    m_DepthStencil.Detach();
    if (m_pBackBufferSurface)
        m_pBackBufferSurface->Release();
    if (m_pDepthStencilSurface)
        m_pDepthStencilSurface->Release();
    m_pBackBufferSurface = nullptr;
    m_pDepthStencilSurface = nullptr;
}

void TDxDeviceManager::_ReleaseDeviceObjects()
{
    _ReleaseDefaultTargets();
    for (u32 i = 0; i < m_nLiveQueryCount; ++i)
        m_apLiveQuery[i]->__Release();
    _ReleaseStaging();
}

void TDxDeviceManager::_SetVideoSize(i32 width, i32 height)
{
    g_device_size.Store(static_cast<f32>(width), static_cast<f32>(height), 0.0f, 1.0f);
    m_nBackBufferWidth = width;
    m_nBackBufferHeight = height;
}

void TDxDeviceManager::_SetFullScreenWindow()
{
    const RECT monitor = _GetAdapterMonitorRect(m_Settings.nAdapter);
    g_pDxDeviceInt->SetWindowLongA(m_hWindow, GWL_STYLE, 0);
    g_pDxDeviceInt->SetWindowPos(m_hWindow, HWND_TOPMOST, monitor.left, monitor.top, monitor.right,
                                 monitor.bottom, SWP_SHOWWINDOW | SWP_NOREDRAW);
}

void TDxDeviceManager::_PlaceWindowed()
{
    const TVector pos = g_device_pos.GetVector();
    const TVector size = g_device_size.GetVector();
    g_pDxDeviceInt->SetWindowPos(m_hWindow, nullptr, static_cast<i32>(pos.x), static_cast<i32>(pos.y),
                                 static_cast<i32>(size.x) + m_nFrameWidth,
                                 static_cast<i32>(size.y) + m_nFrameHeight, SWP_NOZORDER);
    g_pDxDeviceInt->UpdateWindow(m_hWindow);
}
