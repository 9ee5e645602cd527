#include "directx/render/dxdevicevariables.h"

#include "directx/render/dxdevice.h"
#include "engine/system/command/commandmanager.h"

TVector TDxDeviceVariable::GetVector() const
{
    if (m_Value.nType != VALUE_VECTOR)
        return TVector(0.0f, 0.0f, 0.0f, 1.0f);
    return TVector(m_Value.aVector[0], m_Value.aVector[1], m_Value.aVector[2], m_Value.aVector[3]);
}

namespace
{
// The device manager while it has a window and a device: before manager.initialize and after
// manager.finalize a change only stores the value, which the next device creation reads.
TDxDeviceManager* ManagerWithDevice()
{
    return g_pDxDeviceManager && g_pDxDeviceManager->GetWindowHandle() && g_pDxDeviceManager->GetDevice()
               ? g_pDxDeviceManager
               : nullptr;
}
} // namespace

Tscreenshot_nameVariable g_screenshot_name;
Tscreenshot_nameVariable::Tscreenshot_nameVariable()
    : TDxDeviceVariable("screenshot_name", "screen shot name", 0)
{
    m_Value.SetName(TName("vestamor", true));
}
void Tscreenshot_nameVariable::OnChange() {}

Tdevice_video_aspectratioVariable g_device_video_aspectratio;
Tdevice_video_aspectratioVariable::Tdevice_video_aspectratioVariable()
    : TDxDeviceVariable("device_video_aspectratio", "", VARIABLE_STARTUP)
{
    m_Value.SetInt(1);
}
void Tdevice_video_aspectratioVariable::OnChange() {}

Tgame_gammaVariable g_game_gamma;
Tgame_gammaVariable::Tgame_gammaVariable() : TDxDeviceVariable("game_gamma", "Game gamma setting.", 0)
{
    m_Value.SetInt(5);
}
void Tgame_gammaVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetGamma(1.5f - 0.1f * static_cast<f32>(GetInt()));
}

Tdevice_adapterVariable g_device_adapter;
Tdevice_adapterVariable::Tdevice_adapterVariable()
    : TDxDeviceVariable("device_adapter", "Device adapter.", VARIABLE_STARTUP)
{
    m_Value.SetInt(0);
}
void Tdevice_adapterVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetAdapter(GetInt());
}

Tdevice_posVariable g_device_pos;
Tdevice_posVariable::Tdevice_posVariable()
    : TDxDeviceVariable("device_pos", "Window position.", VARIABLE_STARTUP)
{
    m_Value.SetVector(50.0f, 50.0f, 0.0f, 1.0f);
}
void Tdevice_posVariable::OnChange()
{
    const TVector pos = GetVector();
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetWindowPosition(static_cast<i32>(pos.x), static_cast<i32>(pos.y));
}

Tdevice_sizeVariable g_device_size;
Tdevice_sizeVariable::Tdevice_sizeVariable()
    : TDxDeviceVariable("device_size", "Window size.", VARIABLE_STARTUP)
{
    m_Value.SetVector(1280.0f, 800.0f, 0.0f, 1.0f);
}
void Tdevice_sizeVariable::OnChange()
{
    const TVector size = GetVector();
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetWindowSize(static_cast<i32>(size.x), static_cast<i32>(size.y));
}

Tdevice_windowedVariable g_device_windowed;
Tdevice_windowedVariable::Tdevice_windowedVariable()
    : TDxDeviceVariable("device_windowed", "Is application windowed or fullscreen.", VARIABLE_STARTUP)
{
    m_Value.SetInt(1);
}
void Tdevice_windowedVariable::OnChange()
{
    TDxDeviceManager* manager = ManagerWithDevice();
    if (!manager)
        return;
    if (GetInt() == 0)
        manager->SetFullScreen();
    else
        manager->SetWindowed();
}

Tdevice_verticalsynVariable g_device_verticalsyn;
Tdevice_verticalsynVariable::Tdevice_verticalsynVariable()
    : TDxDeviceVariable("device_verticalsyn", "Device vertical sync.", VARIABLE_STARTUP)
{
    m_Value.SetInt(0);
}
void Tdevice_verticalsynVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetVerticalSync(GetInt());
}

Tdevice_refreshrateVariable g_device_refreshrate;
Tdevice_refreshrateVariable::Tdevice_refreshrateVariable()
    : TDxDeviceVariable("device_refreshrate", "Device refresh rate.", VARIABLE_STARTUP)
{
    m_Value.SetInt(60);
}
void Tdevice_refreshrateVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetRefreshRate(GetInt());
}

Tdevice_ctorVariable g_device_ctor;
Tdevice_ctorVariable::Tdevice_ctorVariable()
    : TDxDeviceVariable("device_ctor", "Device constructor mode (internal).", VARIABLE_STARTUP)
{
    m_Value.SetInt(0);
}
void Tdevice_ctorVariable::OnChange() {}

Tdisable_deactivateVariable g_disable_deactivate;
Tdisable_deactivateVariable::Tdisable_deactivateVariable()
    : TDxDeviceVariable("disable_deactivate", "Disable window deactivation.", 0)
{
    m_Value.SetInt(0);
}
void Tdisable_deactivateVariable::OnChange() {}

Twindow_titleVariable g_window_title;
Twindow_titleVariable::Twindow_titleVariable() : TDxDeviceVariable("window_title", "Window title.", 0)
{
    m_Value.SetName(TName("vestamor", true));
}
void Twindow_titleVariable::OnChange()
{
    TName title;
    title.SetId(m_Value.nType == VALUE_NAME ? m_Value.nName : 0);
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetWindowTitle(title);
}

Tdevice_cursor_showVariable g_device_cursor_show;
Tdevice_cursor_showVariable::Tdevice_cursor_showVariable()
    : TDxDeviceVariable("device_cursor_show", "Cursor visibility.", VARIABLE_STARTUP)
{
    m_Value.SetInt(0);
}
void Tdevice_cursor_showVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetCursorShow(GetInt());
}

Tdevice_cursor_clipVariable g_device_cursor_clip;
Tdevice_cursor_clipVariable::Tdevice_cursor_clipVariable()
    : TDxDeviceVariable("device_cursor_clip", "Cursor clipping.", VARIABLE_STARTUP)
{
    m_Value.SetInt(1);
}
void Tdevice_cursor_clipVariable::OnChange()
{
    if (TDxDeviceManager* manager = ManagerWithDevice())
        manager->SetCursorClip(GetInt());
}

Tdevice_gammaVariable g_device_gamma;
Tdevice_gammaVariable::Tdevice_gammaVariable()
    : TDxDeviceVariable("device_gamma", "Device gamma correction.", VARIABLE_STARTUP)
{
    m_Value.SetFloat(1.0f);
}
void Tdevice_gammaVariable::OnChange()
{
    TDxDeviceManager* manager = ManagerWithDevice();
    if (manager && manager->SetGamma(m_Value.ToFloat()) != 0)
        TCommandManager::Instance().PrintError("Gamma correction not supported.");
}

Tdevice_present_flushVariable g_device_present_flush;
Tdevice_present_flushVariable::Tdevice_present_flushVariable()
    : TDxDeviceVariable("device_present_flush", "Enable flushing of the GPU command buffer on each frame.",
                        VARIABLE_STARTUP)
{
    m_Value.SetInt(1);
}
void Tdevice_present_flushVariable::OnChange()
{
    TDxDeviceManager* manager = ManagerWithDevice();
    if (manager && GetInt() != 0)
        manager->__CreateFlushQueries();
}

Tdevice_present_interleave_flushVariable g_device_present_interleave_flush;
Tdevice_present_interleave_flushVariable::Tdevice_present_interleave_flushVariable()
    : TDxDeviceVariable("device_present_interleave_flush",
                        "Flush previous frame's command buffer instead of current frame's.", VARIABLE_STARTUP)
{
    m_Value.SetInt(0);
}
void Tdevice_present_interleave_flushVariable::OnChange() {}

Tdevice_frame_latencyVariable g_device_frame_latency;
Tdevice_frame_latencyVariable::Tdevice_frame_latencyVariable()
    : TDxDeviceVariable("device_frame_latency", "Maximum frame latency (Vista+ only).", VARIABLE_STARTUP)
{
    m_Value.SetInt(1);
}
void Tdevice_frame_latencyVariable::OnChange() {}
