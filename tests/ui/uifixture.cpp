#include "uifixture.h"

#include "core/cluster/cluster.h"
#include "core/system/plugin.h"
#include "directx/input/wininputdriver.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxrendertargetmanager.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertarget.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "platform/window/windowsystem.h"
#include "platform/window/winuser.h"
#include "scenerepositories.h"
#include "targetgolden.h"
#include "ux/ux.manager.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
TWinInputDriver& Driver()
{
    TPlugin* plugin = nullptr;
    g_pPluginManager->FindPlugin(plugin, TName("TWinInputDriver"), TName("TInputDriver"));
    return *static_cast<TWinInputDriver*>(plugin);
}

// The default action binds, as the start-up script runs them.
void RunDefaultBinds()
{
    std::ifstream script(VESTAMOR_SCRIPT_DIR "/actions.icom");
    for (std::string line; std::getline(script, line);)
        if (line.rfind("//", 0) != 0 && !line.empty())
            TCommandManager::Instance().ExecuteText(line.c_str());
}
} // namespace

u32 TLogRecorder::Count(const std::string& text) const
{
    u32 count = 0;
    for (const std::string& line : lines)
        count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

// What the run made once goes at its end, as the game's finalize list takes it down.
class TUIEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        g_pUIManager->FinalizeManager();
        TInputManager::Instance().SetActiveCursor(nullptr);
        g_pRenderManager->m_nInRender = 0;
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        g_pDxFontManager->FinalizeManager();
        g_pDxMeshManager->EndManager();
        g_pDeviceManager->m_nStepWord = 1;
        g_pDeviceManager->FinalizeManager();
    }
};

void UITest::SetUp()
{
    static const bool s_bOpened = [] {
        g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
        g_ManagerManager.CreateSystem(TName("Inactive", true));
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        if (g_pDeviceManager->InitializeManager() != 0)
            return false;
        g_pDxDeviceManager->SetRunning(1);
        g_pCluster->LinkTypes();
        // The level carries the UX screens' records: the screens are registered first.
        RegisterGameScreens();
        // The managers the start-up script begins, in its order.
        g_pResourceManager->BeginManager();
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        g_pDxMeshManager->BeginManager();
        g_pDxCameraManager->BeginManager();
        g_pDxViewportManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pDxCanvasManager->BeginManager();
        g_pUIManager->BeginManager();
        // The UX screens bind their forms at the load.
        UX::TUXManager::Instance().BeginManager();
        if (Driver().InitializeDriver() != 0)
            return false;
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        if (g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0) != 0)
            return false;
        RunDefaultBinds();
        ::testing::AddGlobalTestEnvironment(new TUIEnvironment);
        return true;
    }();
    ASSERT_TRUE(s_bOpened);
    g_pSystemLog->SetListener(&m_Log);
    Resize(1280, 720);
    TInputManager::Instance().ResetDrivers();
    g_pUIManager->m_nSelectLatch = 0;
    // A first frame takes whatever the window had queued.
    Frame(0.0f);
    MoveTo(0, 0);
    Frame(0.0f);
}

void UITest::TearDown()
{
    g_pUIManager->FinalizeManager();
    g_pRenderManager->m_nInRender = 0;
    g_pSystemLog->SetListener(nullptr);
}

void UITest::Resize(i32 width, i32 height)
{
    m_nWidth = width;
    m_nHeight = height;
    if (g_pDxDeviceManager->GetBackBufferWidth() != width ||
        g_pDxDeviceManager->GetBackBufferHeight() != height)
    {
        g_pDxDeviceManager->SetVideoMode(width, height, 0);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    g_pUIManager->OnDeviceChange();
}

void UITest::Frame(f32 step)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    TInputManager::Instance().UpdateManager(step);
    g_pUIManager->UpdateFrame(step);
}

void UITest::Frames(u32 count, f32 step)
{
    for (u32 i = 0; i < count; ++i)
        Frame(step);
}

void UITest::MoveTo(i32 x, i32 y)
{
    PostMessageW(g_pDxDeviceManager->GetWindowHandle(), WM_MOUSEMOVE, 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void UITest::Button(bool down)
{
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEMOUSE;
    record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
    record.data.mouse.usButtonFlags = down ? RI_MOUSE_LEFT_BUTTON_DOWN : RI_MOUSE_LEFT_BUTTON_UP;
    TWindowSystem::Get().PostRawInput(record);
}

void UITest::ClickAt(i32 x, i32 y)
{
    MoveTo(x, y);
    Button(true);
    Frame();
    Button(false);
    Frame();
}

void UITest::Key(u16 makeCode, bool down, bool e0)
{
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEKEYBOARD;
    record.data.keyboard.MakeCode = makeCode;
    record.data.keyboard.Flags =
        static_cast<USHORT>((down ? RI_KEY_MAKE : RI_KEY_BREAK) | (e0 ? RI_KEY_E0 : 0));
    TWindowSystem::Get().PostRawInput(record);
}

void UITest::Tap(u16 makeCode, bool e0)
{
    Key(makeCode, true, e0);
    Frame();
    Key(makeCode, false, e0);
    Frame();
}

void UITest::Char(char16_t character, u32 scanCode)
{
    PostMessageW(g_pDxDeviceManager->GetWindowHandle(), WM_CHAR, character,
                 static_cast<LPARAM>(1u | (scanCode << 16)));
}

void UITest::Control(bool down)
{
    PostMessageW(g_pDxDeviceManager->GetWindowHandle(), down ? WM_KEYDOWN : WM_KEYUP, VK_CONTROL,
                 static_cast<LPARAM>(1u | (0x1Du << 16)));
}

void UITest::Shift(bool down)
{
    PostMessageW(g_pDxDeviceManager->GetWindowHandle(), down ? WM_KEYDOWN : WM_KEYUP, VK_SHIFT,
                 static_cast<LPARAM>(1u | (0x2Au << 16)));
}

std::string UITest::RenderGolden(const char* name, i32 width, i32 height, bool withUx)
{
    // The screen the UI fits itself to is the video size; the frame goes to a target of it.
    g_device_size.Store(static_cast<f32>(width), static_cast<f32>(height), 0.0f, 1.0f);
    g_pUIManager->OnDeviceChange();
    TRenderTarget* target = g_pDxRenderTargetManager->CreateRenderTarget(
        TName(name, true), static_cast<u32>(width), static_cast<u32>(height), 0x102, 0, 0, 0);
    target->SetRenderTarget(nullptr);
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    device->BeginScene();
    g_pRenderManager->m_nInRender = 1;
    // The game's frame draws the tone mapping before the UI: the UI finds its sampler filtered.
    TShader* toneMapping = g_pDxShaderManager->FindShader(TName("ShaderToneMappingDownscaleLuminance", true));
    toneMapping->SetTexture(0, target->GetTexture());
    g_pDxCanvasManager->DrawFullScreen(toneMapping, TColor(1.0f, 1.0f, 1.0f, 1.0f));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF283038, 1.0f, 0);
    g_pUIManager->RenderManager();
    g_pDxCanvasManager->Flush();
    // The UX's forms over the UI, as the game's render list has them.
    if (withUx)
        UX::TUXManager::Instance().RenderManager();
    g_pRenderManager->m_nInRender = 0;
    device->EndScene();
    std::string result = CompareTargetWithGolden(target, name, width, height);
    g_pDxDeviceManager->SetBackBufferTarget(0);
    g_device_size.Store(static_cast<f32>(m_nWidth), static_cast<f32>(m_nHeight), 0.0f, 1.0f);
    g_pUIManager->OnDeviceChange();
    return result;
}
