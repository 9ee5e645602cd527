#include "igame/loading/introloading.h"

#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/device.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/uiintro.h"
#include "platform/desktop/display.h"

#include <chrono>
#include <thread>

TIntroLoading g_IntroLoading;

namespace
{
HBITMAP MakeFrame(HDC dc, i32 width, i32 height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    SelectObject(dc, bitmap);
    return bitmap;
}
} // namespace

TIntroLoading::TIntroLoading()
    : m_nState(0), m_nStop(0), m_bBuilt(false), m_bShown(false), m_nWidth(0), m_nHeight(0), m_fPreviousTime(0.0), m_hWindow(nullptr),
      m_hWindowDC(nullptr), m_hFrameDC(nullptr), m_hFrame(nullptr), m_pFramePixels(nullptr), m_hScratchDC(nullptr),
      m_hScratch(nullptr), m_hImageDC(nullptr)
{
    m_Repository = "";
    SetName("LoadingProgress");
}

TIntroLoading::~TIntroLoading()
{
    if (HasThread())
        TThread::Stop();
}

void TIntroLoading::Initialize()
{
    TLog::Print(g_pSystemLog, LOG_INFO, "TIntroLoading::Initialize(): ", "initialize");
    m_nWidth = m_nHeight = 0;
    m_bBuilt = false;
    m_bShown = PlatformHasDisplay();
    _Setup();
}

void TIntroLoading::FreeFrames()
{
    // Contexts go before the bitmaps selected into them.
    DeleteDC(m_hFrameDC);
    DeleteDC(m_hScratchDC);
    DeleteDC(m_hImageDC);
    DeleteObject(m_hFrame);
    DeleteObject(m_hScratch);
    if (m_hWindowDC)
        ReleaseDC(m_hWindow, m_hWindowDC);
    m_hFrameDC = m_hScratchDC = m_hImageDC = m_hWindowDC = nullptr;
    m_hFrame = m_hScratch = nullptr;
    m_pFramePixels = nullptr;
}

void TIntroLoading::_Setup()
{
    FreeFrames();
    if (!g_pDeviceManager)
        return;
    m_hWindow = g_pDeviceManager->GetWindowHandle();
    m_hWindowDC = GetDC(m_hWindow);
    m_hImageDC = CreateCompatibleDC(nullptr);
    if (!m_bBuilt && g_pLoadingManager && g_pLoadingManager->GetIntroCount() > 0)
    {
        m_bBuilt = true;
        m_Intro.Initialize(m_hImageDC, *g_pLoadingManager->GetIntro(0));
    }
    m_nWidth = g_pDeviceManager->GetVideoWidth();
    m_nHeight = g_pDeviceManager->GetVideoHeight();
    m_hFrameDC = CreateCompatibleDC(m_hWindowDC);
    m_hScratchDC = CreateCompatibleDC(m_hWindowDC);
    m_hFrame = MakeFrame(m_hFrameDC, m_nWidth, m_nHeight, &m_pFramePixels);
    void* scratch = nullptr;
    m_hScratch = MakeFrame(m_hScratchDC, m_nWidth, m_nHeight, &scratch);
}

void TIntroLoading::_Release()
{
    // A frame in progress on the other thread finishes first.
    m_Intro.Lock();
    if (m_hWindowDC)
        FreeFrames();
    if (g_pDeviceManager)
        g_pDeviceManager->DrawPixelsToBackBuffer(0, 0, 0, 0, nullptr);
    m_Intro.Release();
    m_Intro.Unlock();
}

u32 TIntroLoading::AddImageFile(const char* path)
{
    return m_Intro.AddImageFile(m_hImageDC, path);
}

u32 TIntroLoading::RenderFrame()
{
    m_Intro.Lock();
    if (m_nStop || !m_Intro.IsActive() || !g_pDeviceManager)
    {
        m_Intro.Unlock();
        return 0;
    }
    if (g_pTimer)
        g_pTimer->Update();
    if (g_pDeviceManager->GetVideoWidth() != m_nWidth || g_pDeviceManager->GetVideoHeight() != m_nHeight)
        _Setup();
    const f64 now = g_pTimer ? g_pTimer->GetTime() : 0.0;
    f32 dt = static_cast<f32>(now - m_fPreviousTime);
    m_fPreviousTime = now;
    if (!(dt <= INTRO_MAX_FRAME_TIME))
        dt = INTRO_MAX_FRAME_TIME;

    g_pDeviceManager->Lock();
    // Without a display the intro only keeps its time: nothing is composed.
    const u32 result = m_Intro.DrawFrame(m_hFrameDC, m_hScratchDC, m_hImageDC, dt, m_bShown ? m_nWidth : 0,
                                         m_bShown ? m_nHeight : 0);
    if (m_bShown && g_pDeviceManager->GetDevice() && m_pFramePixels)
    {
        const u32 black = 0;
        g_pDeviceManager->SetBackBufferTarget(0);
        g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, black, 1.0f, 0);
        GdiFlush();
        // The frame is a bottom-up DIB.
        g_pDeviceManager->DrawPixelsToBackBuffer(0, 0, m_nWidth, -m_nHeight, m_pFramePixels);
        g_pDeviceManager->Present();
    }
    g_pDeviceManager->Unlock();
    m_Intro.Unlock();
    return result;
}

void TIntroLoading::Run()
{
    g_pResourceManager->LoadRepository(m_Repository.GetText(), REPOSITORY_LOAD_QUIET);
    m_nState = INTRO_THREAD_LOADED;
    while (m_nState == INTRO_THREAD_LOADED && !m_nStop)
    {
        if (!RenderFrame())
            break;
        const u32 pause = m_Intro.GetOpacity() == 1.0f ? INTRO_THREAD_STILL_MS : INTRO_THREAD_FADE_MS;
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
    // The sequence ended during the first update: the loading display takes over until the
    // preloading stops it.
    if (g_pLoadingManager)
        g_pLoadingManager->StartDisplayIn(LOADING_STATE_FIRST_UPDATE);
}
