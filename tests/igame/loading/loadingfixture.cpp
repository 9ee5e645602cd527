#include "loadingfixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/loadingprogress.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <chrono>
#include <thread>

TLoadWatch g_LoadWatch;

namespace
{
const std::thread::id s_MainThread = std::this_thread::get_id();

TLoadWatch::TSeen Seen()
{
    return {g_pLoadingManager->GetState(), g_pDeviceManager->IsRunning(), std::this_thread::get_id() == s_MainThread};
}
} // namespace

void TLoadWatch::OnRepositoryLoad(const char* name)
{
    if (!armed)
        return;
    loads.push_back(Seen());
    if (!slowName.empty() && std::string(name).find(slowName) != std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

void TLoadWatch::OnClusterLoad()
{
    if (armed)
        notices.push_back(Seen());
}

u32 TLogRecorder::Count(const std::string& text) const
{
    return static_cast<u32>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

i32 TLogRecorder::Find(const std::string& text) const
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos)
            return static_cast<i32>(i);
    return -1;
}

// What the run made once goes at its end, as the game's finalize list takes it down.
class TLoadingEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        g_LoadingProgress.Stop();
        g_pCluster->Clear();
        g_pResourceManager->FinalizeManager();
        g_pDeviceManager->m_nStepWord = 1;
        g_pDeviceManager->FinalizeManager();
    }
};

void LoadingTest::SetUp()
{
    static const bool s_bOpened = [] {
        g_device_size.Store(640.0f, 400.0f, 0.0f, 1.0f);
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        if (g_pDeviceManager->InitializeManager() != 0)
            return false;
        g_pDxDeviceManager->SetRunning(1);
        g_pCluster->LinkTypes();
        // The managers the start-up script begins, in its order.
        g_pResourceManager->BeginManager();
        g_pDxShaderManager->BeginManager();
        g_pResourceManager->AddMethod(&g_LoadWatch);
        g_pCluster->AddListener(&g_LoadWatch);
        g_pLoadingManager->BeginManager();
        ::testing::AddGlobalTestEnvironment(new TLoadingEnvironment);
        return true;
    }();
    ASSERT_TRUE(s_bOpened);
    g_pSystemLog->SetListener(&m_Log);
    Resize(640, 400);
    g_pDxDeviceManager->SetRunning(1);
}

void LoadingTest::TearDown()
{
    g_LoadWatch = TLoadWatch();
    g_LoadingProgress.Stop();
    g_pSystemLog->SetListener(nullptr);
}

void LoadingTest::Resize(i32 width, i32 height)
{
    if (g_pDxDeviceManager->GetBackBufferWidth() == width && g_pDxDeviceManager->GetBackBufferHeight() == height)
        return;
    g_pDxDeviceManager->SetVideoMode(width, height, 0);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

std::vector<std::uint32_t> LoadingTest::ReadWindow(i32 x, i32 y, i32 width, i32 height)
{
    HWND window = g_pDeviceManager->GetWindowHandle();
    HDC screen = GetDC(window);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, x, y, SRCCOPY);
    std::vector<std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits),
                                      static_cast<const std::uint32_t*>(bits) + static_cast<size_t>(width) * height);
    for (std::uint32_t& pixel : pixels)
        pixel |= 0xFF000000;
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(window, screen);
    return pixels;
}

void LoadingTest::PaintWindow(COLORREF colour)
{
    HWND window = g_pDeviceManager->GetWindowHandle();
    HDC screen = GetDC(window);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT all = {0, 0, 4096, 4096};
    FillRect(screen, &all, brush);
    DeleteObject(brush);
    ReleaseDC(window, screen);
}

std::string LoadingTest::DataFile(const char* name)
{
    return std::string(VESTAMOR_DATA_DIR) + "/" + name;
}
