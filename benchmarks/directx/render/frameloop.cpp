#include "frameloop.h"

#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const int s_nHeadless = setenv("VESTAMOR_HEADLESS", "1", 1);

// The repositories the game loads, by the ids the start-up script associates.
constexpr u32 kRepositoryIds[] = {2, 3, 4, 100001};
constexpr const char* kRepositoryFiles[] = {"common.data", "mapped.data", "streamed.data", "shaders.data"};

// The "Normal" system's list lines of the start-up script; the device is made already. Then,
// as the script goes on after the managers begin, its language and its settings of the look.
bool BuildGameSystem()
{
    std::ifstream file(VESTAMOR_SOURCE_DATA_DIR "/system/system.icom");
    std::stringstream text;
    text << file.rdbuf();
    std::string line;
    bool normal = false, begun = false;
    std::vector<std::string> settings;
    g_ManagerManager.CreateSystem(TName("level", true));
    while (std::getline(text, line))
    {
        if (line.rfind("manager.system.create", 0) == 0)
            normal = line.find("\"Normal\"") != std::string::npos;
        const bool list = line.rfind("manager.initialize.add", 0) == 0 || line.rfind("manager.update.add", 0) == 0 ||
                          line.rfind("manager.render.add", 0) == 0;
        if (normal && list && line != "manager.initialize.add Device")
            TCommandManager::Instance().ExecuteText(line.c_str());
        if (begun && (line.rfind("language ", 0) == 0 || line.rfind("set ", 0) == 0))
            settings.push_back(line);
        begun = begun || line == "manager.begin";
    }
    g_ManagerManager.AddUpdateManager(&g_FrameDriver, 0);
    g_ManagerManager.Initialize();
    g_ManagerManager.Begin();
    // No user folder: the files read are the build's own, from its folder as the game's are
    // from the game's.
    g_pFileStreamManager->SetLocked(0);
    if (chdir(VESTAMOR_DATA_DIR "/..") != 0)
        return false;
    for (const std::string& setting : settings)
        TCommandManager::Instance().ExecuteText(setting.c_str());
    // As the game does before its first load.
    RegisterGameScreens();
    const std::string data = VESTAMOR_DATA_DIR;
    for (u32 i = 0; i < std::size(kRepositoryIds); ++i)
        g_pResourceManager->Associate(kRepositoryIds[i], (data + "/" + kRepositoryFiles[i]).c_str());
    return g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0) == 0;
}
} // namespace

TFrameDriver g_FrameDriver;

f64 MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::milli>(TClock::now() - start).count();
}

f64 Median(std::vector<f64> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

f64 ClearAndCopyMilliseconds()
{
    static std::vector<__m128i> colour(kFrameWidth * kFrameHeight / 4), copy(kFrameWidth * kFrameHeight / 4);
    static u32 s_nColour = 0;
    const TClock::time_point start = TClock::now();
    const __m128i fill = _mm_set1_epi32(static_cast<int>(0xFF102030u + ++s_nColour));
    for (__m128i& quad : colour)
        _mm_store_si128(&quad, fill);
    benchmark::ClobberMemory();
    std::memcpy(copy.data(), colour.data(), colour.size() * sizeof(__m128i));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    return MillisecondsSince(start);
}

f64 CopyMilliseconds()
{
    static std::vector<u32> source(kFrameWidth * kFrameHeight, 0xFF102030u), target(kFrameWidth * kFrameHeight);
    const TClock::time_point start = TClock::now();
    std::memcpy(target.data(), source.data(), source.size() * sizeof(u32));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    return MillisecondsSince(start);
}

f64 ColdCopyMilliseconds(size_t bytes)
{
    static std::vector<char> s_aTouched(64u << 20, 1);
    std::vector<char> source(bytes, 1), target(bytes, 0);
    for (size_t i = 0; i < s_aTouched.size(); i += 64)
        s_aTouched[i] = static_cast<char>(s_aTouched[i] + 1);
    benchmark::ClobberMemory();
    const TClock::time_point start = TClock::now();
    std::memcpy(target.data(), source.data(), bytes);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    return MillisecondsSince(start);
}

TFrameDriver::TFrameDriver()
{
    m_nChannel = 0;
    m_nUpdateFlags = 0;
}

void TFrameDriver::UpdateManager(f32)
{
    if (m_pYardstick)
    {
        if (m_bFrameStarted)
            m_aFrame.push_back(MillisecondsSince(m_FrameStart));
        m_aReference.push_back(m_pYardstick());
        m_bFrameStarted = true;
        m_FrameStart = TClock::now();
    }
    // The loop is left through the quit message, which leaves nothing behind, so the benchmark
    // can run again.
    const bool more = m_pState ? m_pState->KeepRunning() : m_nFramesLeft-- > 0;
    if (!more)
        PostQuitMessage(0);
}

void TFrameDriver::Begin(benchmark::State& state, f64 (*yardstick)())
{
    Begin(0, yardstick);
    m_pState = &state;
}

void TFrameDriver::Begin(u32 frames, f64 (*yardstick)())
{
    m_pState = nullptr;
    m_nFramesLeft = frames;
    m_pYardstick = yardstick;
    m_bFrameStarted = false;
    m_aFrame.clear();
    m_aReference.clear();
}

bool StartFrameDevice()
{
    static const bool s_bStarted = [] {
        g_ManagerManager.CreateSystem(TName("benchmark", true));
        g_ManagerManager.AddUpdateManager(&g_FrameDriver, 0);
        // The render manager's opening word begins the scene, its closing word ends it: a frame in
        // a scene left open could not be presented.
        g_ManagerManager.AddRenderManager(g_pRenderManager, 0);
        g_ManagerManager.AddRenderManager(g_pRenderManager, 1);
        g_ManagerManager.Initialize();
        g_device_size.Store(static_cast<f32>(kFrameWidth), static_cast<f32>(kFrameHeight), 0.0f, 1.0f);
        // One frame may be in flight, as the game runs by default.
        g_device_present_flush.Store(1);
        return g_pDxDeviceManager->InitializeManager() == 0;
    }();
    return s_bStarted;
}

bool StartLevel()
{
    static const bool s_bStarted = StartFrameDevice() && (g_pCluster->LinkTypes(), BuildGameSystem());
    return s_bStarted;
}

// Runs the system's loop (vertical sync off) as the driver counts: the median frame.
f64 RunFrames(const char* system)
{
    g_ManagerManager.__ActivateSystem(TName(system));
    g_pDxDeviceManager->SetVerticalSync(0);
    g_pDxDeviceManager->__Run();
    return Median(g_FrameDriver.m_aFrame);
}

bool UseRenderer(bool deferred)
{
    TCommandManager::Instance().ExecuteText(deferred ? "set deferredrendering.disable 0"
                                                     : "set deferredrendering.disable 1");
    if (!deferred)
        return true;
    g_FrameDriver.Begin(1, nullptr);
    RunFrames("level");
    TCommandManager::Instance().ExecuteText("set shadow.enable 1");
    return g_pShadowManager->IsEnabled() != 0;
}
