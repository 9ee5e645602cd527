#include "igame/loading/loadingprogress.h"

#include "engine/render/device.h"
#include "engine/system/resourcemanager.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <thread>

TLoadingProgress g_LoadingProgress;

namespace
{
static_assert(std::bit_cast<u32>(LOADING_MIDDLE_SPAN) == 0x3E4CCCCC, "the single-precision value, not 0.2");

// Clamped into [low, high]; not-a-number is low.
f32 Clamp(f32 value, f32 low, f32 high)
{
    if (!(value >= low))
        return low;
    return value > high ? high : value;
}

// The eight one-pixel shifts of the outline.
constexpr i32 kOutline[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
} // namespace

TLoadingProgress::TLoadingProgress()
    : m_hWindow(nullptr), m_hWindowDC(nullptr), m_hFont(nullptr), m_hBackground(nullptr), m_hBackgroundDC(nullptr), m_hWork(nullptr),
      m_hWorkDC(nullptr), m_pProgress(nullptr), m_pIndex(nullptr), m_pCount(nullptr), m_nX(0), m_nY(0), m_nWidth(0),
      m_nHeight(0)
{
    SetName("LoadingProgress");
}

TLoadingProgress::~TLoadingProgress()
{
    if (HasThread())
        TThread::Stop();
}

f32 TLoadingProgress::FillFraction(i32 index, i32 count, f32 fraction)
{
    if (index >= count - 1)
        return Clamp(LOADING_LAST_START * (fraction + 1.0f), LOADING_LAST_START, 1.0f);
    if (index <= 0)
        return Clamp(LOADING_FIRST_SHARE * fraction, 0.0f, LOADING_FIRST_SHARE);
    const f32 share = Clamp((index + Clamp(fraction, 0.0f, 1.0f)) / count, 0.0f, 1.0f);
    return Clamp(LOADING_FIRST_SHARE + LOADING_MIDDLE_SPAN * share, LOADING_FIRST_SHARE, LOADING_LAST_START);
}

bool TLoadingProgress::IsUp()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_hWindowDC != nullptr;
}

void TLoadingProgress::Start()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_hWindowDC || !g_pDeviceManager || !g_pResourceManager)
        return;
    m_hWindow = g_pDeviceManager->GetWindowHandle();
    m_hWindowDC = GetDC(m_hWindow);
    if (!m_hWindowDC)
        return;
    const i32 screenWidth = g_pDeviceManager->GetVideoWidth();
    const i32 screenHeight = g_pDeviceManager->GetVideoHeight();

    m_hFont = CreateFontA(-static_cast<i32>(screenHeight * LOADING_FONT_SCALE), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                          DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, LOADING_FONT);
    SelectObject(m_hWindowDC, m_hFont);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(m_hWindowDC, LOADING_TEXT, static_cast<i32>(std::strlen(LOADING_TEXT)), &extent);
    m_nWidth = extent.cx + LOADING_MARGIN;
    m_nHeight = extent.cy + LOADING_MARGIN;
    m_nX = screenWidth / 2 - m_nWidth / 2;
    m_nY = static_cast<i32>(screenHeight * LOADING_TEXT_TOP);

    m_hBackgroundDC = CreateCompatibleDC(m_hWindowDC);
    m_hBackground = CreateCompatibleBitmap(m_hWindowDC, m_nWidth, m_nHeight);
    SelectObject(m_hBackgroundDC, m_hBackground);
    m_hWorkDC = CreateCompatibleDC(m_hWindowDC);
    m_hWork = CreateCompatibleBitmap(m_hWindowDC, m_nWidth, m_nHeight);
    SelectObject(m_hWorkDC, m_hWork);
    BitBlt(m_hBackgroundDC, 0, 0, m_nWidth, m_nHeight, m_hWindowDC, m_nX, m_nY, SRCCOPY);

    m_pProgress = &g_pResourceManager->m_fProgress;
    m_pIndex = &g_pResourceManager->m_nFilesDone;
    m_pCount = &g_pResourceManager->m_nFilesExpected;
    DrawFrame();
    SetName("LoadingProgress");
    TThread::Start();
}

void TLoadingProgress::Stop()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!m_hWindowDC)
        return;
    TThread::Stop();
    Release();
}

void TLoadingProgress::Release()
{
    // Contexts go before the objects selected into them.
    ReleaseDC(m_hWindow, m_hWindowDC);
    DeleteDC(m_hBackgroundDC);
    DeleteDC(m_hWorkDC);
    DeleteObject(m_hFont);
    DeleteObject(m_hBackground);
    DeleteObject(m_hWork);
    m_hWindowDC = m_hBackgroundDC = m_hWorkDC = nullptr;
    m_hFont = nullptr;
    m_hBackground = m_hWork = nullptr;
}

void TLoadingProgress::Run()
{
    while (!IsStopRequested())
    {
        DrawFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(LOADING_REDRAW_MS));
    }
}

void TLoadingProgress::DrawText(HDC dc, RECT rect, COLORREF colour, i32 dx, i32 dy)
{
    SetTextColor(dc, colour);
    rect.left += dx, rect.right += dx, rect.top += dy, rect.bottom += dy;
    ExtTextOutA(dc, rect.left, rect.top, ETO_CLIPPED, &rect, LOADING_TEXT, static_cast<UINT>(std::strlen(LOADING_TEXT)),
                nullptr);
}

void TLoadingProgress::DrawFrame()
{
    BitBlt(m_hWorkDC, 0, 0, m_nWidth, m_nHeight, m_hBackgroundDC, 0, 0, SRCCOPY);
    SelectObject(m_hWorkDC, m_hFont);
    SetBkMode(m_hWorkDC, TRANSPARENT);
    SetTextAlign(m_hWorkDC, TA_LEFT | TA_TOP);

    RECT rect = {LOADING_TEXT_OFFSET, LOADING_TEXT_OFFSET, m_nWidth, m_nHeight};
    for (const auto& shift : kOutline)
        DrawText(m_hWorkDC, rect, LOADING_OUTLINE_COLOUR, shift[0], shift[1]);
    DrawText(m_hWorkDC, rect, LOADING_SHADOW_COLOUR, 0, 0);
    DrawText(m_hWorkDC, rect, LOADING_SHADOW_COLOUR, 0, 0);

    const f32 fill = FillFraction(m_pIndex->load(), m_pCount->load(), m_pProgress->load());
    rect.right = static_cast<i32>(m_nWidth * fill);
    DrawText(m_hWorkDC, rect, LOADING_FILL_COLOUR, 0, 0);

    BitBlt(m_hWindowDC, m_nX, m_nY, m_nWidth, m_nHeight, m_hWorkDC, 0, 0, SRCCOPY);
}
