// TDxDeviceManager: the window and mode operations, the pending device change they queue
// (applied by the main loop at the start of its next active pass), monitor tracking and the
// display-mode list.
#include "directx/render/dxdevice.h"

#include "core/system/log.h"
#include "directx/render/dxdeviceint.h"
#include "directx/render/dxdevicevariables.h"

#include <algorithm>
#include <cstdlib>

TDxDeviceSettings& TDxDeviceManager::_QueueChange(u32 recreate)
{
    if (m_nPendingCount == 0)
        m_PendingSettings = m_Settings;
    ++m_nPendingCount;
    if (recreate)
        m_nRecreate = 1;
    return m_PendingSettings;
}

const TDxDeviceSettings& TDxDeviceManager::_EffectiveSettings() const
{
    return m_nPendingCount > 0 ? m_PendingSettings : m_Settings;
}

void TDxDeviceManager::SetWindowed()
{
    if (_EffectiveSettings().IsWindowed())
        return;
    g_device_windowed.StoreChanged(1);
    TDxDeviceSettings& pending = _QueueChange(1);
    pending.Present.Windowed = TRUE;
    pending.Present.BackBufferWidth = 0;
    pending.Present.BackBufferHeight = 0;
    pending.Present.BackBufferFormat = D3DFMT_UNKNOWN;
    pending.Present.FullScreen_RefreshRateInHz = 0;
}

void TDxDeviceManager::SetFullScreen()
{
    if (!_EffectiveSettings().IsWindowed())
        return;
    g_device_windowed.StoreChanged(0);
    const TVector size = g_device_size.GetVector();
    TDxDeviceSettings& pending = _QueueChange(1);
    pending.Present.Windowed = FALSE;
    pending.Present.BackBufferWidth = static_cast<UINT>(size.x);
    pending.Present.BackBufferHeight = static_cast<UINT>(size.y);
    pending.Present.BackBufferFormat = D3DFMT_X8R8G8B8;
    pending.Present.FullScreen_RefreshRateInHz = static_cast<UINT>(
        g_device_refreshrate.GetValue().nType == VALUE_INT ? g_device_refreshrate.GetInt() : -1);
}

void TDxDeviceManager::SetVerticalSync(i32 enable)
{
    const UINT interval = enable ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    if (_EffectiveSettings().Present.PresentationInterval == interval)
        return;
    g_device_verticalsyn.StoreChanged(enable);
    _QueueChange(1).Present.PresentationInterval = interval;
}

void TDxDeviceManager::SetRefreshRate(i32 rate)
{
    if (_EffectiveSettings().Present.FullScreen_RefreshRateInHz == static_cast<UINT>(rate))
        return;
    g_device_refreshrate.StoreChanged(rate);
    TDxDeviceSettings& pending = _QueueChange(1);
    if (!pending.IsWindowed())
    {
        pending.Present.FullScreen_RefreshRateInHz = rate;
        pending.DisplayMode.RefreshRate = rate;
    }
}

void TDxDeviceManager::SetAdapter(i32 adapter)
{
    // A windowed device always lives on the default adapter.
    if (g_device_windowed.GetInt() != 0)
        return;
    g_device_adapter.StoreChanged(adapter);
    TDxDeviceSettings& pending = _QueueChange(1);
    pending.nAdapter = adapter;
    _MatchDisplayMode(pending);
}

void TDxDeviceManager::SetWindowSize(i32 width, i32 height)
{
    if (!m_nReady)
        return;
    _SetVideoSize(width, height);
    if (_EffectiveSettings().IsWindowed())
    {
        // The window's size change resets the device (WM_SIZE).
        RECT rect = {0, 0, width, height};
        AdjustWindowRect(&rect, static_cast<DWORD>(GetWindowLongW(m_hWindow, GWL_STYLE)), FALSE);
        g_pDxDeviceInt->SetWindowPos(m_hWindow, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                                     SWP_NOMOVE | SWP_NOZORDER);
        return;
    }
    TDxDeviceSettings& pending = _QueueChange(0);
    pending.Present.BackBufferWidth = width;
    pending.Present.BackBufferHeight = height;
    if (g_DxGlobals.nVista)
        _MatchDisplayMode(pending);
}

void TDxDeviceManager::SetWindowPosition(i32 x, i32 y)
{
    if (_ClampWindowToMonitor(x, y, static_cast<i32>(m_Settings.nAdapter)))
        g_device_pos.Store(static_cast<f32>(x), static_cast<f32>(y), 0.0f, 1.0f);
    if (m_nReady)
        g_pDxDeviceInt->SetWindowPos(m_hWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void TDxDeviceManager::SetVideoMode(i32 width, i32 height, i32 fullScreen)
{
    if (_EffectiveSettings().IsWindowed())
    {
        if (fullScreen == 0)
            SetWindowSize(width, height);
        else
        {
            _SetVideoSize(width, height);
            SetFullScreen();
        }
        return;
    }
    if (fullScreen == 1)
    {
        SetWindowSize(width, height);
        return;
    }
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, static_cast<DWORD>(GetWindowLongW(m_hWindow, GWL_STYLE)), FALSE);
    _SetVideoSize(rect.right - rect.left, rect.bottom - rect.top);
    SetWindowed();
}

void TDxDeviceManager::GetWindowPosition(i32& x, i32& y)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    g_pDxDeviceInt->GetWindowPlacement(m_hWindow, &placement);
    x = placement.rcNormalPosition.left;
    y = placement.rcNormalPosition.top;
}

i32 TDxDeviceManager::GetVideoWidth()
{
    if (m_nFullScreen && m_nBackBufferWidth > 0)
        return m_nBackBufferWidth;
    return static_cast<i32>(g_device_size.GetVector().x);
}

i32 TDxDeviceManager::GetVideoHeight()
{
    if (m_nFullScreen && m_nBackBufferHeight > 0)
        return m_nBackBufferHeight;
    return static_cast<i32>(g_device_size.GetVector().y);
}

void TDxDeviceManager::_CheckWindowChangingMonitors()
{
    const HMONITOR monitor = MonitorFromWindow(m_hWindow, MONITOR_DEFAULTTOPRIMARY);
    if (monitor == m_Settings.hMonitor)
        return;
    const i32 adapter = _FindAdapterForMonitor(monitor);
    if (adapter < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxDeviceManager::_CheckWindowChangingMonitors(): error: ",
                    "unable to find adapter monitor");
        return;
    }
    _QueueChange(0).nAdapter = adapter;
}

void TDxDeviceManager::_CheckWindowSize()
{
    if (!m_Settings.IsWindowed())
        return;
    RECT window;
    g_pDxDeviceInt->GetWindowRect(m_hWindow, &window);
    const TVector pos = g_device_pos.GetVector();
    if (window.left != static_cast<LONG>(pos.x) || window.top != static_cast<LONG>(pos.y))
        g_device_pos.StoreChanged(static_cast<f32>(window.left), static_cast<f32>(window.top), 0.0f, 1.0f);
    RECT client;
    g_pDxDeviceInt->GetClientRect(m_hWindow, &client);
    // The device's own size: SetWindowSize has already written the new one into device_size.
    if (client.right == static_cast<LONG>(m_Settings.Present.BackBufferWidth) &&
        client.bottom == static_cast<LONG>(m_Settings.Present.BackBufferHeight))
        return;
    // Size 0 x 0: the reset device takes the client size.
    m_Settings.Present.BackBufferWidth = 0;
    m_Settings.Present.BackBufferHeight = 0;
    m_nBackBufferWidth = 0;
    m_nBackBufferHeight = 0;
    _ResetDevice();
}

i32 TDxDeviceManager::_FindAdapterForMonitor(HMONITOR monitor)
{
    const UINT count = m_pDirect3D ? m_pDirect3D->GetAdapterCount() : 0;
    for (UINT adapter = 0; adapter < count; ++adapter)
        if (m_pDirect3D->GetAdapterMonitor(adapter) == monitor)
            return static_cast<i32>(adapter);
    return -1;
}

RECT TDxDeviceManager::_GetAdapterMonitorRect(i32 adapter)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(m_pDirect3D->GetAdapterMonitor(adapter), &info);
    const RECT& monitor = info.rcMonitor;
    return {monitor.left, monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top};
}

i32 TDxDeviceManager::_ClampWindowToMonitor(i32& x, i32& y, i32 adapter)
{
    const RECT monitor = _GetAdapterMonitorRect(adapter);
    // The whole window: the client size and the frame around it.
    const TVector client = g_device_size.GetVector();
    const f32 width = client.x + static_cast<f32>(m_nFrameWidth);
    const f32 height = client.y + static_cast<f32>(m_nFrameHeight);
    // Far edges first: a window larger than the monitor keeps its title bar on it.
    i32 moved = 0;
    if (static_cast<f32>(x) + width > static_cast<f32>(monitor.left + monitor.right))
        x = static_cast<i32>(static_cast<f32>(monitor.left + monitor.right) - width), moved = 1;
    if (x < monitor.left)
        x = monitor.left, moved = 1;
    if (static_cast<f32>(y) + height > static_cast<f32>(monitor.top + monitor.bottom))
        y = static_cast<i32>(static_cast<f32>(monitor.top + monitor.bottom) - height), moved = 1;
    if (y < monitor.top)
        y = monitor.top, moved = 1;
    return moved;
}

template <class Visit> void TDxDeviceManager::_ForEachMode(UINT adapter, Visit visit)
{
    if (g_DxGlobals.nVista)
    {
        auto* direct3d = static_cast<IDirect3D9Ex*>(m_pDirect3D);
        const D3DDISPLAYMODEFILTER filter = {sizeof filter, D3DFMT_X8R8G8B8, D3DSCANLINEORDERING_PROGRESSIVE};
        const UINT count = direct3d->GetAdapterModeCountEx(adapter, &filter);
        for (UINT i = 0; i < count; ++i)
        {
            D3DDISPLAYMODEEX mode = {};
            mode.Size = sizeof mode;
            if (SUCCEEDED(direct3d->EnumAdapterModesEx(adapter, &filter, i, &mode)))
                visit(mode);
        }
        return;
    }
    const UINT count = m_pDirect3D->GetAdapterModeCount(adapter, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < count; ++i)
    {
        D3DDISPLAYMODE plain;
        if (SUCCEEDED(m_pDirect3D->EnumAdapterModes(adapter, D3DFMT_X8R8G8B8, i, &plain)))
            visit(D3DDISPLAYMODEEX{sizeof(D3DDISPLAYMODEEX), plain.Width, plain.Height, plain.RefreshRate,
                                   plain.Format, D3DSCANLINEORDERING_PROGRESSIVE});
    }
}

void TDxDeviceManager::_EnumerateDisplayModes(i32 adapter)
{
    m_nDisplayModeCount = 0;
    _ForEachMode(adapter, [this](const D3DDISPLAYMODEEX& mode) {
        if (mode.Width < DX_MIN_MODE_WIDTH || m_nDisplayModeCount == DX_DISPLAY_MODE_CAPACITY)
            return;
        const TVector entry(static_cast<f32>(mode.Width), static_cast<f32>(mode.Height), 0.0f, 1.0f);
        for (u32 i = 0; i < m_nDisplayModeCount; ++i)
            if (m_aDisplayMode[i].x == entry.x && m_aDisplayMode[i].y == entry.y)
                return;
        m_aDisplayMode[m_nDisplayModeCount++] = entry;
    });
    std::sort(m_aDisplayMode, m_aDisplayMode + m_nDisplayModeCount,
              [](const TVector& a, const TVector& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
}

void TDxDeviceManager::_MatchDisplayMode(TDxDeviceSettings& settings)
{
    bool found = false;
    u32 best = 0;
    D3DDISPLAYMODEEX match = {};
    const D3DPRESENT_PARAMETERS& present = settings.Present;
    _ForEachMode(settings.nAdapter, [&](const D3DDISPLAYMODEEX& mode) {
        const u32 distance =
            (static_cast<u32>(std::abs(static_cast<i32>(mode.Width - present.BackBufferWidth))) +
             static_cast<u32>(std::abs(static_cast<i32>(mode.Height - present.BackBufferHeight)))) *
                1000 +
            static_cast<u32>(
                std::abs(static_cast<i32>(mode.RefreshRate - present.FullScreen_RefreshRateInHz)));
        if (!found || distance < best)
        {
            found = true;
            best = distance;
            match = mode;
        }
    });
    if (!found)
        return;
    if (g_DxGlobals.nVista)
        settings.DisplayMode = match;
    if (!settings.IsWindowed())
    {
        settings.Present.BackBufferWidth = match.Width;
        settings.Present.BackBufferHeight = match.Height;
        settings.Present.FullScreen_RefreshRateInHz = match.RefreshRate;
    }
}
