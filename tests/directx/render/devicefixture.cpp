#include "devicefixture.h"

#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "platform/d3d9/settings.h"

#include <filesystem>

namespace
{
void CountSleep(u32 milliseconds)
{
    DeviceTest::s_aSleeps.push_back(milliseconds);
}

// One manager system for the whole run, initialised so that listeners may register.
void OpenManagerSystem()
{
    static const bool opened = [] {
        // Activation and deactivation ask for these two.
        g_ManagerManager.CreateSystem(TName("Inactive", true));
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        return true;
    }();
    (void)opened;
}
} // namespace

std::vector<u32> DeviceTest::s_aSleeps;

void RestoreDeviceVariables()
{
    g_device_adapter.Store(0);
    g_device_pos.Store(50.0f, 50.0f, 0.0f, 1.0f);
    g_device_size.Store(1280.0f, 800.0f, 0.0f, 1.0f);
    g_device_windowed.Store(1);
    g_device_verticalsyn.Store(0);
    g_device_refreshrate.Store(60);
    g_device_ctor.Store(0);
    g_disable_deactivate.Store(0);
    g_device_cursor_show.Store(0);
    g_device_cursor_clip.Store(1);
    g_device_present_flush.Store(1);
    g_device_present_interleave_flush.Store(0);
    g_device_frame_latency.Store(1);
    // Tests that assign through the console mark them changed; the next test starts unchanged.
    for (TVariable* variable : std::initializer_list<TVariable*>{
             &g_device_adapter, &g_device_pos, &g_device_size, &g_device_windowed, &g_device_verticalsyn,
             &g_device_refreshrate, &g_device_ctor, &g_disable_deactivate, &g_device_cursor_show,
             &g_device_cursor_clip, &g_device_present_flush, &g_device_present_interleave_flush,
             &g_device_frame_latency})
        variable->SetFlags(variable->GetFlags() & ~VARIABLE_CHANGED);
}

void DeviceTest::SetUp()
{
    OpenManagerSystem();
    m_OldWorking = std::filesystem::current_path();
    std::filesystem::current_path(m_Path);
    g_pFileStreamManager->SetDirectory(TName(".", true));
    TCommandManager::Instance().SetListener(&m_Console);

    RestoreDeviceVariables();
    D3D9Settings() = TD3D9Settings();
    s_aSleeps.clear();
    TDxDeviceManager::s_pSleep = CountSleep;
    m_pManager = new TDxDeviceManager;
    m_pOldDxManager = g_pDxDeviceManager;
    m_pOldManager = g_pDeviceManager;
    g_pDxDeviceManager = m_pManager;
    g_pDeviceManager = m_pManager;
}

void DeviceTest::TearDown()
{
    if (m_pManager->GetDevice())
    {
        m_pManager->m_nStepWord = 1;
        m_pManager->FinalizeManager();
    }
    if (m_pManager->GetWindowHandle())
        DestroyWindow(m_pManager->GetWindowHandle());
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
    }
    delete m_pManager;
    // The program's own manager again, as a later fixture of the program finds it.
    g_pDxDeviceManager = m_pOldDxManager;
    g_pDeviceManager = m_pOldManager;
    RestoreDeviceVariables();
    D3D9Settings() = TD3D9Settings();
    TCommandManager::Instance().SetListener(nullptr);
    g_pFileStreamManager->SetDirectory(TName());
    std::filesystem::current_path(m_OldWorking);
}

void DeviceTest::Create()
{
    ASSERT_EQ(m_pManager->InitializeManager(), 0);
    ASSERT_NE(m_pManager->GetDevice(), nullptr);
}

void DeviceTest::Run(const char* command, std::initializer_list<const char*> arguments)
{
    // Commands are registered under their dotted names.
    std::string dotted = command;
    std::replace(dotted.begin(), dotted.end(), '_', '.');
    TCommandInstruction instruction = {};
    instruction.nCommand = TName(dotted.c_str()).GetId();
    for (const char* argument : arguments)
        instruction.aArgument[instruction.nArgumentCount++] = TName(argument, true).GetId();
    TCommand* found = TCommandManager::Instance().FindCommand(TName(dotted.c_str()));
    ASSERT_NE(found, nullptr) << command;
    found->Execute(instruction, COMMAND_RUN);
}

void DeviceTest::Send(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageW(m_pManager->GetWindowHandle(), message, wParam, lParam);
    MSG taken;
    while (PeekMessageA(&taken, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&taken);
}

std::vector<u32> DeviceTest::ReadBackBuffer(i32 width, i32 height)
{
    IDirect3DDevice9* device = m_pManager->GetDevice();
    IDirect3DSurface9* back = static_cast<TDxRenderTarget*>(m_pManager->GetBackBufferTarget())->GetSurface();
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr);
    device->GetRenderTargetData(back, copy);
    D3DLOCKED_RECT locked;
    copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    std::vector<u32> pixels(static_cast<size_t>(width * height));
    for (i32 y = 0; y < height && y < static_cast<i32>(desc.Height); ++y)
        for (i32 x = 0; x < width && x < static_cast<i32>(desc.Width); ++x)
            pixels[static_cast<size_t>(y * width + x)] =
                static_cast<const u32*>(locked.pBits)[y * locked.Pitch / 4 + x] | 0xFF000000u;
    copy->UnlockRect();
    copy->Release();
    return pixels;
}
