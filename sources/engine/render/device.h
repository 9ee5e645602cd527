#pragma once
// TDeviceManager: the abstract device manager, reached by every subsystem through
// g_pDeviceManager: the window, the graphics device, the main loop and the render-state
// services. The base keeps the device listeners and the crash report; one back end (the
// Direct3D 9 device manager) implements the rest.
#include "core/math/vector.h"
#include "core/system/name.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"

struct IDirect3DDevice9;
class TRenderQuery;
class TRenderTarget;

constexpr u32 DEVICE_LISTENER_CAPACITY = 32;

// Clear flags.
constexpr u32 DEVICE_CLEAR_TARGET = 0x1;
constexpr u32 DEVICE_CLEAR_DEPTH = 0x2;
constexpr u32 DEVICE_CLEAR_STENCIL = 0x4;

// Memory totals of the device, in bytes.
struct TDeviceStatistics
{
    u32 nBackBuffer;
    u32 nDepthStencil;
    u32 nTextures;
    u32 nCubeTextures;
    u32 nVolumeTextures;
    u32 nDepthTargets;
    u32 nShaders;
    u32 nColourTargets; // with the dynamic textures
    u32 nVertexBuffers;
    u32 nIndexBuffers;
};

static_assert(sizeof(TDeviceStatistics) == 40);

class TDeviceManager : public TManager
{
public:
    TDeviceManager();

    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    virtual void SetBackBufferTarget(u32 withDepth) = 0;
    // flags: DEVICE_CLEAR_*; colour: ARGB.
    virtual void Clear(u32 flags, const u32& colour, f32 depth, i32 stencil) = 0;
    virtual i32 Present() = 0;
    virtual TRenderTarget* GetBackBufferTarget() = 0;
    virtual TRenderTarget* GetDepthStencilTarget() = 0;
    // create > 0: the device query at once; 0: on first use; < 0: at once unless it brackets.
    virtual TRenderQuery* CreateRenderQuery(u32 type, i32 create) = 0;
    virtual void DeleteRenderQuery(TRenderQuery* query) = 0;
    virtual i32 OnWindowEmpty() = 0;
    virtual i32 OnWindowMaximize() = 0;
    virtual i32 OnWindowRestore() = 0;
    virtual void SetWindowTitle(const TName& title) = 0;
    virtual const char* GetWindowTitle() = 0;
    virtual void GetWindowPosition(i32& x, i32& y) = 0;
    virtual void SetWindowPosition(i32 x, i32 y) = 0;
    virtual void SetWindowSize(i32 width, i32 height) = 0;
    virtual void SetVideoMode(i32 width, i32 height, i32 fullScreen) = 0;
    virtual void SetScissorTest(u32 enable) = 0;
    virtual u32 GetScissorTest() = 0;
    // Left, top, right, bottom.
    virtual TVector GetScissorRect() = 0;
    virtual void SetScissorRect(i32 left, i32 top, i32 right, i32 bottom) = 0;
    virtual void SetWindowed() = 0;
    virtual void SetFullScreen() = 0;
    virtual i32 GetVideoWidth() = 0;
    virtual i32 GetVideoHeight() = 0;
    virtual i32 GetBackBufferWidth() = 0;
    virtual i32 GetBackBufferHeight() = 0;
    virtual void SetBackBufferSize(i32 width, i32 height) = 0;
    virtual u32 GetDisplayModeCount() = 0;
    // Width, height, 0, 1.
    virtual const TVector& GetDisplayMode(u32 index) = 0;
    // A bottom-up 24-bit image of the window (the desktop in full screen), back-buffer sized.
    virtual const void* CaptureDesktop() = 0;
    // A word kept for callers.
    virtual u32 SetStoredWord(u32 value) = 0;
    virtual u32 GetStoredWord() = 0;
    virtual void SetCursorShow(i32 show) = 0;
    virtual void SetCursorClip(i32 clip) = 0;
    virtual i32 PumpMessages() = 0;
    virtual u32 IsRunning() = 0;
    virtual u32 IsDeviceReady() = 0;
    virtual u32 SetRunning(u32 running) = 0;
    virtual u32 IsDeactivateAllowed() = 0;
    virtual void SetDeactivateAllowed(u32 allowed) = 0;
    // 0, or 1 without full-screen gamma, 3 without a device.
    virtual i32 SetGamma(f32 gamma) = 0;
    virtual i32 Pause() = 0;
    virtual i32 Resume(i32 unused = 0) = 0;
    virtual i32 GetPauseCount() = 0;
    virtual void Quit() = 0;
    // Set once the main loop is asked to end (the window closing): loops outside it stop too.
    // A device without a main loop is never asked.
    virtual u32 GetQuit() const { return 0; }
    // The main loop; returns 0 when the system quits.
    virtual i32 __Run() = 0;
    virtual HWND GetWindowHandle() = 0;
    virtual IDirect3DDevice9* GetDevice() = 0;
    virtual u32 IsActive() = 0;
    // A negative height: rows bottom-up. Null pixels release the staging texture.
    virtual void DrawPixelsToBackBuffer(i32 x, i32 y, i32 width, i32 height, const void* pixels,
                                        i32 unused = 0) = 0;
    virtual void PresentFlush() = 0;
    virtual TDeviceStatistics* GetStatistics() = 0;
    // The largest texture edge the device makes; 0 while unknown.
    virtual u32 GetMaxTextureSize() { return 0; }

    // Listeners, refused (abort) while the manager system is locked. AddMethod returns 1 when
    // the listener was already listed, else 0.
    u32 AddMethod(TDeviceMethods* listener);
    void RemoveMethod(TDeviceMethods* listener);
    u32 GetMethodCount() const { return m_nMethodCount; }
    TDeviceMethods* GetMethod(u32 index) const { return m_aMethod[index]; }
    // Walks the listeners from index 0 upward.
    void Broadcast(void (TDeviceMethods::*notification)());

    void OnDeviceRestore() { Broadcast(&TDeviceMethods::OnDeviceRestore); }
    void OnDeviceRelease() { Broadcast(&TDeviceMethods::OnDeviceRelease); }
    void OnDeviceChange() { Broadcast(&TDeviceMethods::OnDeviceChange); }
    void OnDeviceCreate() { Broadcast(&TDeviceMethods::OnDeviceCreate); }
    void OnDeviceDestroy() { Broadcast(&TDeviceMethods::OnDeviceDestroy); }

    // Called by the crash handler: the crash track, the call stack, then every listener.
    void __SystemCrash();

    // The device critical section (Direct3D objects made on the loader thread), unless the
    // manager runs single-threaded.
    void Lock();
    void Unlock();
    void SetSingleThread(u32 single) { m_nSingleThread = single; }

    void SetScissorRect(f32 left, f32 top, f32 right, f32 bottom);
    // The whole video area, test off.
    void ResetScissorRect();

    u32 IsFullScreen() const { return m_nFullScreen; }

protected:
    u32 m_nSingleThread;
    // 1 while the current device is full screen.
    u32 m_nFullScreen;
    u32 m_nMethodCount;
    TDeviceMethods* m_aMethod[DEVICE_LISTENER_CAPACITY];
};

extern TDeviceManager* g_pDeviceManager;
