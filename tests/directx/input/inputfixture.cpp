#include "inputfixture.h"

#include "core/system/plugin.h"
#include "engine/input/inputdriver.h"
#include "engine/render/device.h"
#include "engine/system/managermanager.h"
#include "platform/window/winuser.h"

#include <algorithm>

namespace
{
// The manager system open for listeners, and the device manager's window and device.
void OpenDevice()
{
    static const bool s_bOpened = [] {
        g_ManagerManager.CreateSystem(TName("Inactive", true));
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        return g_pDeviceManager->InitializeManager() == 0;
    }();
    ASSERT_TRUE(s_bOpened);
}
} // namespace

TInputDriver* InputTest::FindDriver(const char* name)
{
    TPlugin* plugin = nullptr;
    g_pPluginManager->FindPlugin(plugin, TName(name), TName("TInputDriver"));
    auto* driver = static_cast<TInputDriver*>(plugin);
    static std::vector<TInputDriver*> s_aInitialized;
    if (std::find(s_aInitialized.begin(), s_aInitialized.end(), driver) == s_aInitialized.end())
    {
        EXPECT_EQ(driver->InitializeDriver(), 0);
        s_aInitialized.push_back(driver);
    }
    return driver;
}

void InputTest::SetUp()
{
    OpenDevice();
    Pump();
    TInputManager::Instance().ResetDrivers();
    TInputManager::Instance().AddMethod(&m_Recorder);
}

void InputTest::TearDown()
{
    TInputManager::Instance().SetCapture(nullptr);
    TInputManager::Instance().RemoveMethod(&m_Recorder);
    Pump();
}

TInput& InputTest::Input(const char* name)
{
    TInput* input = TInputManager::Instance().FindInput(TName(name));
    EXPECT_NE(input, nullptr) << name;
    return *input;
}

void InputTest::Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

void InputTest::Capture()
{
    TInputManager::Instance().SetCapture(&m_Recorder);
}
