// TDxDeviceManager: the window procedure, activation and sizing, the cursor, the pause counter
// and the main loop.
#include "directx/render/dxdevice.h"

#include "core/system/cputimer.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "directx/render/dxdeviceint.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxrendertypes.h"
#include "engine/system/managermanager.h"
#include "platform/desktop/display.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{
constexpr const char* kMsgPrefix = "TDxDeviceManager::__MsgProc(): ";
constexpr const char* kRunPrefix = "TDxDeviceManager::__Run(): ";
constexpr f32 DX_HEADLESS_STEP_MAX = 1.0f / 15.0f;

// Slots of the main-loop timing record.
constexpr u32 kTimingPump = 0;
constexpr u32 kTimingUpdate = 1;
constexpr u32 kTimingFlush = 2;
constexpr u32 kTimingRender = 3;
constexpr u32 kTimingPresent = 4;
constexpr u32 kTimingSlots = 5;

// The system cursor is shown while its display count is at least this.
constexpr int kCursorShown = 2;

// The milliseconds the work took.
template <class Work> f32 Timed(Work work)
{
    TCpuTimer timer;
    timer.Start();
    work();
    return timer.Stop();
}

// Headless runs may step the game by fixed seconds a frame (VESTAMOR_HEADLESS_STEP), so that
// they repeat and go as fast as the machine; at most 1/15 s, what the physics' eight sub-steps
// a frame cover.
void ApplyHeadlessStep()
{
    const char* text = std::getenv("VESTAMOR_HEADLESS_STEP");
    if (!text || PlatformHasDisplay() || !g_pTimer)
        return;
    char* end = nullptr;
    const f32 step = std::strtof(text, &end);
    if (end == text || *end != 0 || !(step > 0.0f))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRunPrefix, "VESTAMOR_HEADLESS_STEP '%s' is no positive number of "
                    "seconds: the clock steps the frames", text);
        return;
    }
    const f32 used = std::min(step, DX_HEADLESS_STEP_MAX);
    if (used != step)
        TLog::Print(g_pSystemLog, LOG_WARNING, kRunPrefix, "VESTAMOR_HEADLESS_STEP %g cut to %g s", step, used);
    g_pTimer->SetFixedStep(used);
    TLog::Print(g_pSystemLog, LOG_INFO, kRunPrefix, "each frame steps %g s", used);
}

void SleepMilliseconds(u32 milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace

void (*TDxDeviceManager::s_pSleep)(u32 milliseconds) = SleepMilliseconds;
bool (*TDxDeviceManager::s_pCloseRequest)() = nullptr;

LRESULT DeviceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_CLOSE:
        // The main loop ends after this pass; the window stays.
        if (!TDxDeviceManager::s_pCloseRequest || TDxDeviceManager::s_pCloseRequest())
            g_pDxDeviceManager->Quit();
        return 0;
    default:
        if (g_pDxDeviceManager->__MsgProc(message, wParam, lParam) != DEVICE_MESSAGE_NOT_CONSUMED)
            return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TDxDeviceManager::__MsgProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_nReady)
        return DEVICE_MESSAGE_NOT_CONSUMED;

    switch (message)
    {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP: {
        m_nLastActivation = wParam;
        // WM_ACTIVATE carries the minimised flag in its high word: a minimised window is not
        // activated.
        const bool activate =
            message == WM_ACTIVATE ? LOWORD(static_cast<DWORD>(wParam)) != WA_INACTIVE : wParam != 0;
        if (activate)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kMsgPrefix, "activate");
            if (!m_nActive)
            {
                m_nActive = 1;
                Resume();
                Broadcast(&TDeviceMethods::OnDeviceActivate);
                if (m_nFullScreen)
                    _SetFullScreenWindow();
                _ClipCursor(g_device_cursor_clip.GetInt());
                SetSystemCursorVisible(g_device_cursor_show.GetInt());
                g_ManagerManager.RequestSystem(g_NameNormal);
            }
        }
        else
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kMsgPrefix, "deactivate");
            if (!m_nDeactivateAllowed)
                TLog::Print(g_pSystemLog, LOG_INFO, kMsgPrefix, "deactivate skipped");
            else if (m_nActive && g_disable_deactivate.GetInt() == 0)
            {
                m_nActive = 0;
                Pause();
                Broadcast(&TDeviceMethods::OnDeviceDeactivate);
                ClipCursor(nullptr);
                while (ShowCursor(TRUE) < kCursorShown)
                {
                }
                g_ManagerManager.RequestSystem(g_NameInactive);
            }
        }
        break;
    }
    case WM_SIZE:
        if (m_Settings.IsWindowed() && wParam != SIZE_MINIMIZED)
        {
            RECT client;
            g_pDxDeviceInt->GetClientRect(m_hWindow, &client);
            if (client.top == 0 && client.bottom == 0)
                OnWindowEmpty();
            else if (wParam == SIZE_MAXIMIZED)
                OnWindowMaximize();
            else if (wParam == SIZE_RESTORED && !m_nInSizeMove)
            {
                _CheckWindowChangingMonitors();
                _CheckWindowSize();
            }
        }
        break;
    case WM_ENTERSIZEMOVE:
        m_nInSizeMove = 1;
        Pause();
        break;
    case WM_EXITSIZEMOVE:
        // Size first, then the monitor.
        m_nInSizeMove = 0;
        Resume();
        _CheckWindowSize();
        _CheckWindowChangingMonitors();
        break;
    default:
        break;
    }

    for (u32 i = 0; i < m_nMethodCount; ++i)
        if (m_aMethod[i]->OnDeviceMessage(message, wParam, lParam) != DEVICE_MESSAGE_NOT_CONSUMED)
            return 0;
    return DEVICE_MESSAGE_NOT_CONSUMED;
}

i32 TDxDeviceManager::OnWindowMaximize()
{
    SetFullScreen();
    return 0;
}

i32 TDxDeviceManager::Pause()
{
    ++m_nPauseCount;
    g_pTimer->SetPaused(1);
    return m_nPauseCount;
}

i32 TDxDeviceManager::Resume(i32 unused)
{
    if (m_nPauseCount == 0)
        return 0;
    if (--m_nPauseCount == 0)
        g_pTimer->SetPaused(0);
    return m_nPauseCount;
}

void TDxDeviceManager::SetDeactivateAllowed(u32 allowed)
{
    m_nDeactivateAllowed = allowed;
    if (allowed)
        SetFocus(m_hWindow);
}

void TDxDeviceManager::SetCursorShow(i32 show)
{
    g_device_cursor_show.Store(show);
    SetSystemCursorVisible(show);
}

void TDxDeviceManager::SetCursorClip(i32 clip)
{
    g_device_cursor_clip.Store(clip);
    _ClipCursor(clip);
}

i32 TDxDeviceManager::SetSystemCursorVisible(i32 show)
{
    int count;
    if (show)
    {
        do
            count = ShowCursor(TRUE);
        while (count < kCursorShown);
    }
    else
    {
        do
            count = ShowCursor(FALSE);
        while (count >= 0);
    }
    return count;
}

void TDxDeviceManager::_ClipCursor(i32 clip)
{
    if (!clip)
    {
        ClipCursor(nullptr);
        return;
    }
    RECT area;
    if (m_nFullScreen)
    {
        const RECT monitor = _GetAdapterMonitorRect(m_Settings.nAdapter);
        area = {monitor.left, monitor.top, monitor.left + monitor.right, monitor.top + monitor.bottom};
    }
    else
    {
        g_pDxDeviceInt->GetClientRect(m_hWindow, &area);
        POINT topLeft = {area.left, area.top};
        POINT bottomRight = {area.right, area.bottom};
        g_pDxDeviceInt->ClientToScreen(m_hWindow, &topLeft);
        g_pDxDeviceInt->ClientToScreen(m_hWindow, &bottomRight);
        area = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    }
    ClipCursor(&area);
}

i32 TDxDeviceManager::PumpMessages()
{
    i32 count = 0;
    MSG message;
    // The limit is tested before a message is taken, so none is removed unseen.
    while (count < DX_PUMP_LIMIT && PeekMessageA(&message, m_hWindow, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_SYSCOMMAND && message.wParam == SC_CLOSE)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        ++count;
    }
    return count;
}

void TDxDeviceManager::_ApplyPendingChange()
{
    g_DxGlobals.nResetting = 1;
    OnDeviceRelease();
    // A reset that failed raises the change and restore notifications itself when it succeeds.
    if (_CreateDeviceInt(m_PendingSettings, m_nRecreate) == 0)
    {
        OnDeviceChange();
        OnDeviceRestore();
    }
    g_DxGlobals.nResetting = 0;
    m_nPendingCount = 0;
}

bool TDxDeviceManager::_CheckDevice()
{
    if (m_nResetFailed && _ResetDevice() != 0)
    {
        s_pSleep(DX_LOST_SLEEP_MS);
        return false;
    }
    if (g_DxGlobals.nVista)
    {
        const HRESULT state = static_cast<IDirect3DDevice9Ex*>(m_pDevice)->CheckDeviceState(m_hWindow);
        if (state == S_PRESENT_MODE_CHANGED)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kRunPrefix,
                        "Present mode changed. Should pick a pixel format to match the desktop.");
            _ResetDevice();
        }
        else if (state != S_OK && state != S_PRESENT_OCCLUDED)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kRunPrefix, "CheckDeviceState error %x (reseting device)",
                        state);
            _ResetDevice();
        }
        if (m_nResetFailed)
        {
            s_pSleep(DX_LOST_SLEEP_MS);
            return false;
        }
        return true;
    }
    const HRESULT level = g_pDxDeviceInt->TestCooperativeLevel(m_pDevice);
    if (level == S_OK)
        return true;
    if (level == D3DERR_DEVICENOTRESET)
        _ResetDevice();
    else
        s_pSleep(DX_LOST_SLEEP_MS); // lost: wait for the device instead of spinning
    return false;
}

i32 TDxDeviceManager::__Run()
{
    TManagerTiming& timing = g_ManagerManager.GetTiming();
    if (m_nQuit)
        return 0;
    // What the start-up script loaded before is in place: scripted runs wait for this line.
    TLog::Print(g_pSystemLog, LOG_INFO, kRunPrefix, "main loop");
    ApplyHeadlessStep();
    bool presentFailed = false;
    for (;;)
    {
        ++timing.nPass;
        f32 pass[kTimingSlots] = {};

        bool quitMessage = false;
        pass[kTimingPump] = Timed([&quitMessage] {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            {
                quitMessage |= message.message == WM_QUIT;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        });
        timing.aLast[kTimingPump] = pass[kTimingPump];
        timing.aTotal[kTimingPump] += pass[kTimingPump];
        if (quitMessage)
            return 0;

        if (!m_nRunning)
        {
            s_pSleep(DX_NOT_RUNNING_SLEEP_MS);
        }
        else
        {
            if (!m_nActive)
            {
                pass[kTimingUpdate] = Timed([] { g_ManagerManager.Update(0.0f); });
                s_pSleep(DX_INACTIVE_SLEEP_MS);
            }
            else
            {
                if (m_nPendingCount > 0)
                    _ApplyPendingChange();
                if (_CheckDevice())
                {
                    g_pTimer->Update();
                    pass[kTimingUpdate] = Timed([] { g_ManagerManager.Update(g_pTimer->GetGameTimeStep()); });
                    pass[kTimingRender] = Timed([] { g_ManagerManager.Render(); });
                    pass[kTimingPresent] = Timed([this, &presentFailed] {
                        const i32 result = Present();
                        // Frames that are never shown say so, once a run.
                        if (result < 0 && !presentFailed)
                        {
                            presentFailed = true;
                            TLog::Print(g_pSystemLog, LOG_ERROR, "TDxDeviceManager::__Run(): error: ",
                                        "Present failed (%x)", u32(result));
                        }
                    });
                    pass[kTimingFlush] = Timed([this] { PresentFlush(); });
                }
            }
            for (u32 slot = kTimingUpdate; slot < kTimingSlots; ++slot)
            {
                timing.aLast[slot] = pass[slot];
                timing.aTotal[slot] += pass[slot];
            }
        }
        if (m_nQuit)
            return 0;
    }
}
