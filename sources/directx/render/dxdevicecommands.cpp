// The device's console commands: device_info, screenshot and the device-call profiling table.
#include "core/stream/filestream.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdeviceint.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/commandarguments.h"
#include "platform/d3dx9/d3dx9.h"

#include <cstring>

class TCommanddevice_info : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 0))
            return;
        TCommandManager& console = TCommandManager::Instance();
        if (!g_pDxDeviceManager->GetDevice())
        {
            console.Print("device is not ready");
            return;
        }
        const TDxDeviceSettings& settings = g_pDxDeviceManager->GetSettings();
        console.Print("Device settings");
        console.Print("   adapter|200%d", settings.nAdapter);
        console.Print("   device type|200%d", settings.DeviceType);
        console.Print("   format|200%d", settings.nFormat);
        console.Print("   behaviout|200%x", settings.nBehaviour);
        console.Print("   monitor|200%x", static_cast<u32>(reinterpret_cast<UINT_PTR>(settings.hMonitor)));

        D3DADAPTER_IDENTIFIER9 id = {};
        g_pDxDeviceManager->GetDirect3D()->GetAdapterIdentifier(settings.nAdapter, 0, &id);
        const LARGE_INTEGER& version = id.DriverVersion;
        const GUID& guid = id.DeviceIdentifier;
        console.Print("Adapter Identifier");
        console.Print("   driver|200%s", id.Driver);
        console.Print("   description|200%s", id.Description);
        console.Print("   device name|200%s", id.DeviceName);
        console.Print("   driver version|200%d.%d.%d.%d", HIWORD(version.HighPart), LOWORD(version.HighPart),
                      HIWORD(version.LowPart), LOWORD(version.LowPart));
        console.Print("   vendor id|200%d", id.VendorId);
        console.Print("   device id|200%d", id.DeviceId);
        console.Print("   subsys id|200%d", id.SubSysId);
        console.Print("   revision|200%d", id.Revision);
        console.Print("   device identifier|200%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", guid.Data1,
                      guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                      guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    }
};

// Numbered screenshot files: the first free number, or the last one overwritten.
constexpr i32 SCREENSHOT_LAST_NUMBER = 999;
// Characters of a screenshot file name.
constexpr u32 SCREENSHOT_NAME_LENGTH = 127;

class TCommandscreenshot : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        char name[SCREENSHOT_NAME_LENGTH + 1];
        if (instruction.nArgumentCount == 1)
        {
            TName argument;
            argument.SetId(instruction.aArgument[0]);
            // A longer name is refused rather than cut into another file's name.
            if (std::strlen(argument.GetText()) > SCREENSHOT_NAME_LENGTH)
            {
                TCommandManager::Instance().PrintError("screen shot name too long");
                return;
            }
            FormatStringN(name, sizeof name, "%s", argument.GetText());
        }
        else
        {
            TName base;
            base.SetId(g_screenshot_name.GetValue().nType == VALUE_NAME ? g_screenshot_name.GetValue().nName
                                                                        : 0);
            for (i32 number = 0; number <= SCREENSHOT_LAST_NUMBER; ++number)
            {
                FormatStringN(name, sizeof name, "%s%04d.jpg", base.GetText(), number);
                if (!FileExists(name))
                    break;
            }
        }
        auto* target = static_cast<TDxRenderTarget*>(g_pDxDeviceManager->GetBackBufferTarget());
        if (!target->GetSurface())
        {
            TCommandManager::Instance().Print("device is not ready");
            return;
        }
        if (FAILED(D3DXSaveSurfaceToFileA(name, D3DXIFF_JPG, target->GetSurface(), nullptr, nullptr)))
            TCommandManager::Instance().PrintError("unable to save screen shot '%s'", name);
    }
};

class TCommanddxbufferprofile_reset : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            g_DxBufferProfile.Reset();
    }
};

class TCommanddxbufferprofile_export : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        TFileStream file;
        if (file.Open(TName(DX_PROFILE_FILE, true), STREAM_WRITE) != 1)
            return;
        g_DxBufferProfile.Export(file);
        file.Close();
    }
};

namespace
{
TCommanddevice_info s_Commanddevice_info;
TCommandscreenshot s_Commandscreenshot;
TCommanddxbufferprofile_reset s_Commanddxbufferprofile_reset;
TCommanddxbufferprofile_export s_Commanddxbufferprofile_export;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("device_info", "device information", "Displays DirectX device information.",
                            &s_Commanddevice_info, 0);
    manager.RegisterCommand("screenshot", "screen shot", "Save a screen shot.", &s_Commandscreenshot, 0);
    manager.RegisterCommand("dxbufferprofile_reset", "", "", &s_Commanddxbufferprofile_reset, 0);
    manager.RegisterCommand("dxbufferprofile_export", "", "", &s_Commanddxbufferprofile_export, 0);
    return 0u;
}();
} // namespace
