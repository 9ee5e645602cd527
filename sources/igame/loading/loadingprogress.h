#pragma once
// TLoadingProgress: the loading display. While repositories load the main loop draws nothing,
// so this thread draws the word "LOADING" with GDI straight onto the window, near the bottom of
// the screen, filling with white from left to right as the resource manager's progress
// advances, ten times a second. The loading manager starts it when a load begins and stops it
// after preloading.
#include "core/system/thread.h"
#include "platform/d3dx9/wingdi.h"

#include <atomic>
#include <mutex>

constexpr const char* LOADING_TEXT = "LOADING";
constexpr const char* LOADING_FONT = "Calibri";
// The character height as a share of the screen height, and where the text stands.
constexpr f32 LOADING_FONT_SCALE = 0.03f;
constexpr f32 LOADING_TEXT_TOP = 0.9f;
// The text area is the text's extent plus this in each direction.
constexpr i32 LOADING_MARGIN = 4;
constexpr i32 LOADING_TEXT_OFFSET = 2;
constexpr COLORREF LOADING_OUTLINE_COLOUR = 0x402020;
constexpr COLORREF LOADING_SHADOW_COLOUR = 0x806060;
constexpr COLORREF LOADING_FILL_COLOUR = 0xFFFFFF;
constexpr u32 LOADING_REDRAW_MS = 100;
// The fill's share of the first repository and the span of those between the first and the last.
constexpr f32 LOADING_FIRST_SHARE = 0.3f;
constexpr f32 LOADING_MIDDLE_SPAN = 0.19999999f;
constexpr f32 LOADING_LAST_START = 0.5f;

class TLoadingProgress : public TThread
{
public:
    TLoadingProgress();
    ~TLoadingProgress() override;

    // Captures the window under the text, draws once and starts the thread; while the display
    // is up it does nothing.
    void Start();
    // Ends the thread and frees the GDI objects; nothing while the display is not up.
    void Stop();
    bool IsUp();

    void Run() override;
    // Composes one frame over the captured background and puts it on the window.
    void DrawFrame();

    // The share of the word drawn white while repository `index` of `count` loads, `fraction`
    // of it done: the first 0 .. 0.3, those between 0.3 .. 0.5, the last (and a load of one)
    // 0.5 .. 1. Values out of range never leave their band.
    static f32 FillFraction(i32 index, i32 count, f32 fraction);

    // Where the text area stands on the window and its size (for tests).
    i32 GetX() const { return m_nX; }
    i32 GetY() const { return m_nY; }
    i32 GetWidth() const { return m_nWidth; }
    i32 GetHeight() const { return m_nHeight; }

private:
    void DrawText(HDC dc, RECT rect, COLORREF colour, i32 dx, i32 dy);
    void Release();

    std::mutex m_Lock;
    HWND m_hWindow;
    HDC m_hWindowDC;
    HFONT m_hFont;
    HBITMAP m_hBackground;
    HDC m_hBackgroundDC;
    HBITMAP m_hWork;
    HDC m_hWorkDC;
    // The resource manager's progress of the current repository, its index and the count.
    const std::atomic<f32>* m_pProgress;
    const std::atomic<i32>* m_pIndex;
    const std::atomic<i32>* m_pCount;
    i32 m_nX;
    i32 m_nY;
    i32 m_nWidth;
    i32 m_nHeight;
};

extern TLoadingProgress g_LoadingProgress;
