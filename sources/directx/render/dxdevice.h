#pragma once
// TDxDeviceManager ("Device", back end "Dx"): the Direct3D 9 device manager. It owns the one
// application window and its window procedure, creates the device from the device variables
// (with a fall-back chain when creation fails), resets or re-creates it on loss and on the
// pending device changes that settings queue, runs the main loop of the whole system, and gives
// the render-state services (scenes, targets, clear, present and flush, queries, scissor, gamma,
// desktop capture, pixel upload, statistics).
//
// The work is spread over four files: dxdevice.cpp (creation and reset), dxdevicewindow.cpp
// (window procedure and main loop), dxdevicechange.cpp (device changes and display modes) and
// dxdeviceservices.cpp (render-state services).
#include "directx/render/dxdevicesettings.h"
#include "directx/render/dxrenderquery.h"
#include "directx/render/dxrendertarget.h"
#include "engine/render/device.h"

// Display-mode list and query pool capacities.
constexpr u32 DX_DISPLAY_MODE_CAPACITY = 256;
constexpr u32 DX_QUERY_POOL_CAPACITY = 256;
// A freed pool slot's position in the live list.
constexpr u32 DX_QUERY_FREED = 0xDEADBEEF;

// Display modes narrower than this are not listed.
constexpr UINT DX_MIN_MODE_WIDTH = 640;
// The video memory the engine needs, in MB.
constexpr u32 DX_MIN_VIDEO_MEMORY_MB = 128;
// Behaviour flags of every device: hardware vertex processing, pure device, FPU preserve.
constexpr DWORD DX_BEHAVIOUR = 0x52;
constexpr u32 DX_BACK_BUFFER_COUNT = 2;
// Messages PumpMessages dispatches at most.
constexpr i32 DX_PUMP_LIMIT = 512;
// Milliseconds a pass of the main loop sleeps while inactive, while not running and while the
// older device is lost.
constexpr u32 DX_INACTIVE_SLEEP_MS = 10;
constexpr u32 DX_NOT_RUNNING_SLEEP_MS = 1000;
constexpr u32 DX_LOST_SLEEP_MS = 10;

// Characters of the window title.
constexpr u32 DX_WINDOW_TITLE_LENGTH = 255;

// Results of InitializeManager.
constexpr i32 DX_INIT_NO_DIRECT3D = 1;
constexpr i32 DX_INIT_NO_DEVICE = 2;

// Process-wide Direct3D state.
struct TDxGlobals
{
    // 1: the Direct3D 9Ex interfaces (Direct3DCreate9Ex, CreateDeviceEx, ResetEx, PresentEx,
    // CheckDeviceState); 0: the XP-class interfaces. The XP flag is its complement, read by the
    // mesh and texture code to choose resource pools.
    u32 nVista;
    u32 nXP;
    HRESULT (*pDirect3DCreate9Ex)(UINT, IDirect3D9Ex**);
    // Set while a device change or the first creation runs: _ResetDevice then leaves the
    // release and restore notifications to its caller.
    u32 nResetting;
    // Set by BeginScene, cleared by EndScene.
    u32 nInScene;
};

extern TDxGlobals g_DxGlobals;

// Run once during static initialisation: picks the 9Ex or the XP-class interfaces.
void InitializeDirectX();

class TDxDeviceManager : public TDeviceManager
{
public:
    TDxDeviceManager();
    ~TDxDeviceManager() override;

    // TManager.
    i32 InitializeManager() override;
    void FinalizeManager() override;
    void EndManager() override {}

    // TDeviceManager.
    void BeginScene() override;
    void EndScene() override;
    void SetBackBufferTarget(u32 withDepth) override;
    void Clear(u32 flags, const u32& colour, f32 depth, i32 stencil) override;
    i32 Present() override;
    TRenderTarget* GetBackBufferTarget() override { return &m_BackBuffer; }
    TRenderTarget* GetDepthStencilTarget() override { return &m_DepthStencil; }
    TRenderQuery* CreateRenderQuery(u32 type, i32 create) override;
    void DeleteRenderQuery(TRenderQuery* query) override;
    i32 OnWindowEmpty() override { return 0; }
    i32 OnWindowMaximize() override;
    i32 OnWindowRestore() override { return 0; }
    void SetWindowTitle(const TName& title) override;
    const char* GetWindowTitle() override;
    void GetWindowPosition(i32& x, i32& y) override;
    void SetWindowPosition(i32 x, i32 y) override;
    void SetWindowSize(i32 width, i32 height) override;
    void SetVideoMode(i32 width, i32 height, i32 fullScreen) override;
    void SetScissorTest(u32 enable) override;
    u32 GetScissorTest() override { return m_nScissorTest; }
    TVector GetScissorRect() override;
    using TDeviceManager::SetScissorRect;
    void SetScissorRect(i32 left, i32 top, i32 right, i32 bottom) override;
    void SetWindowed() override;
    void SetFullScreen() override;
    i32 GetVideoWidth() override;
    i32 GetVideoHeight() override;
    i32 GetBackBufferWidth() override { return m_nBackBufferWidth; }
    i32 GetBackBufferHeight() override { return m_nBackBufferHeight; }
    void SetBackBufferSize(i32 width, i32 height) override;
    u32 GetDisplayModeCount() override { return m_nDisplayModeCount; }
    const TVector& GetDisplayMode(u32 index) override { return m_aDisplayMode[index]; }
    const void* CaptureDesktop() override;
    u32 SetStoredWord(u32 value) override { return m_nStoredWord = value; }
    u32 GetStoredWord() override { return m_nStoredWord; }
    void SetCursorShow(i32 show) override;
    void SetCursorClip(i32 clip) override;
    i32 PumpMessages() override;
    u32 IsRunning() override { return m_nRunning; }
    u32 IsDeviceReady() override { return m_nReady; }
    u32 SetRunning(u32 running) override { return m_nRunning = running; }
    u32 IsDeactivateAllowed() override { return m_nDeactivateAllowed; }
    void SetDeactivateAllowed(u32 allowed) override;
    i32 SetGamma(f32 gamma) override;
    i32 Pause() override;
    i32 Resume(i32 unused = 0) override;
    i32 GetPauseCount() override { return m_nPauseCount; }
    void Quit() override { m_nQuit = 1; }
    i32 __Run() override;
    HWND GetWindowHandle() override { return m_hWindow; }
    IDirect3DDevice9* GetDevice() override { return m_pDevice; }
    u32 IsActive() override { return m_nActive; }
    void DrawPixelsToBackBuffer(i32 x, i32 y, i32 width, i32 height, const void* pixels,
                                i32 unused = 0) override;
    void PresentFlush() override;
    TDeviceStatistics* GetStatistics() override;
    u32 GetMaxTextureSize() override { return m_nMaxTextureSize; }

    // Creation and reset.
    i32 _CreateDevice(TDxDeviceSettings settings);
    i32 _CreateDeviceInt(TDxDeviceSettings settings, u32 recreate);
    i32 _ResetDevice();
    void _AttachDefaultTargets();
    void _ReleaseDefaultTargets();
    void _ReleaseDeviceObjects();
    // Stores the size in device_size (not marked changed) and as the back-buffer size.
    void _SetVideoSize(i32 width, i32 height);
    // Style 0, topmost over the whole monitor of the current adapter.
    void _SetFullScreenWindow();

    // Window procedure and main loop.
    // -1 when nobody consumed the message, 0 otherwise.
    LRESULT __MsgProc(UINT message, WPARAM wParam, LPARAM lParam);
    i32 SetSystemCursorVisible(i32 show);
    void _ClipCursor(i32 clip);
    // Applies the pending device change (start of an active pass).
    void _ApplyPendingChange();
    // Resets a lost device when it can be; false while it stays lost (the pass draws nothing).
    bool _CheckDevice();

    // Device changes, monitors and display modes.
    void SetVerticalSync(i32 enable);
    void SetRefreshRate(i32 rate);
    void SetAdapter(i32 adapter);
    void _CheckWindowChangingMonitors();
    void _CheckWindowSize();
    i32 _FindAdapterForMonitor(HMONITOR monitor);
    // Left, top, width, height.
    RECT _GetAdapterMonitorRect(i32 adapter);
    // 1 when it moved the position into the adapter's monitor.
    i32 _ClampWindowToMonitor(i32& x, i32& y, i32 adapter);
    void _EnumerateDisplayModes(i32 adapter);
    void _MatchDisplayMode(TDxDeviceSettings& settings);

    // Render-state services.
    void __CreateFlushQueries();

    // What the device manager keeps, for the device variables, commands and tests.
    IDirect3D9* GetDirect3D() const { return m_pDirect3D; }
    const TDxDeviceSettings& GetSettings() const { return m_Settings; }
    const TDxDeviceSettings& GetPendingSettings() const { return m_PendingSettings; }
    u32 GetPendingCount() const { return m_nPendingCount; }
    u32 GetRecreate() const { return m_nRecreate; }
    u32 GetQuit() const override { return m_nQuit; }
    u32 IsResetFailed() const { return m_nResetFailed; }
    u32 GetLiveQueryCount() const { return m_nLiveQueryCount; }
    // The two present-flush queries (null until made) and the one PresentFlush waited on last.
    const TDxRenderQuery* GetFlushQuery(u32 index) const { return m_apFlushQuery[index]; }
    u32 GetFlushIndex() const { return m_nFlushIndex; }
    const D3DGAMMARAMP& GetSavedGammaRamp() const { return m_SavedGamma; }
    // The ramp SetGamma builds: entry i is pow(i / 255, gamma) x 65535 + 0.5, clamped.
    static void BuildGammaRamp(f32 gamma, D3DGAMMARAMP& ramp);

    // Sleeps of the main loop; tests replace it to count them.
    static void (*s_pSleep)(u32 milliseconds);
    // Asked when the window is closed: false keeps the loop running (the game asks the player
    // first). None: the loop ends.
    static bool (*s_pCloseRequest)();

private:
    // The pending record, copied from the current one by the first change; counts the request.
    TDxDeviceSettings& _QueueChange(u32 recreate);
    // The record the next change starts from: the pending one while a change is pending.
    const TDxDeviceSettings& _EffectiveSettings() const;
    // The adapter's X8R8G8B8 modes (the 9Ex enumeration with the Vista-class interface).
    template <class Visit> void _ForEachMode(UINT adapter, Visit visit);
    void _PlaceWindowed();
    void _ReleaseStaging();

    // Device changes.
    u32 m_nPendingCount;
    // Once set by a windowed, full-screen, vertical-sync, refresh-rate or adapter change it stays
    // set: every later change re-creates the device.
    u32 m_nRecreate;
    TDxDeviceSettings m_PendingSettings;
    i32 m_nBackBufferWidth;
    i32 m_nBackBufferHeight;
    u32 m_nGammaSaved;
    D3DGAMMARAMP m_SavedGamma;
    u32 m_nPow2;
    u32 m_nMaxTextureSize;

    // Window and loop.
    u32 m_nInSizeMove;
    i32 m_nPauseCount;
    u32 m_nActive;
    WPARAM m_nLastActivation;
    u32 m_nDeactivateAllowed;
    u32 m_nRunning;
    u32 m_nReady;
    HWND m_hWindow;
    u32 m_nQuit;

    // Render-state services.
    u32 m_nStoredWord;
    u32 m_nScissorTest;
    TDxRenderQuery* m_apFlushQuery[2];
    u32 m_nFlushIndex;
    TDxRenderQuery m_aQuery[DX_QUERY_POOL_CAPACITY];
    u32 m_nQueryHighWater;
    u32 m_nFreeQueryCount;
    u32 m_aFreeQuery[DX_QUERY_POOL_CAPACITY];
    u32 m_nLiveQueryCount;
    TDxRenderQuery* m_apLiveQuery[DX_QUERY_POOL_CAPACITY];
    u32 m_aLivePosition[DX_QUERY_POOL_CAPACITY];

    TDxDeviceSettings m_Settings;
    IDirect3DSurface9* m_pBackBufferSurface;
    IDirect3DSurface9* m_pDepthStencilSurface;
    TDxRenderTarget m_BackBuffer;
    TDxRenderTarget m_DepthStencil;

    u32 m_nDisplayModeCount;
    TVector m_aDisplayMode[DX_DISPLAY_MODE_CAPACITY];

    // Direct3D.
    IDirect3D9* m_pDirect3D;
    IDirect3DDevice9* m_pDevice;
    TDxDeviceSettings m_LastGoodSettings;
    u32 m_nDeviceExisted;
    u32 m_nAttempts;
    u32 m_nRestoring;
    // A reset that failed: the device stays lost and the main loop retries the reset.
    u32 m_nResetFailed;
    // Window frame around the client area.
    i32 m_nFrameWidth;
    i32 m_nFrameHeight;

    // CaptureDesktop's image and DrawPixelsToBackBuffer's staging texture.
    u8* m_pCapture;
    u32 m_nCaptureSize;
    IDirect3DTexture9* m_pStaging;
    i32 m_nStagingWidth;
    i32 m_nStagingHeight;
};

extern TDxDeviceManager* g_pDxDeviceManager;
// The device statistics (one per process).
extern TDeviceStatistics g_DxDeviceStatistics;

// The title widened to UTF-16, one unit per character, cut to DX_WINDOW_TITLE_LENGTH.
void WidenWindowTitle(const char* text, char16_t out[DX_WINDOW_TITLE_LENGTH + 1]);

// The window procedure of the class "vestam0r".
LRESULT DeviceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
