#include "igame/loading/intro.h"

#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "igame/loading/loadtga.h"
#include "igame/loading/uiintro.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
const char* const kInitializePrefix = "TIntro::Initialize(): ";
const char* const kInitializeError = "TIntro::Initialize(): error: ";
const char* const kFileError = "TIntro::AddImageFile(): error: ";

// Times from data: not a number and negative times are 0 (no fade, an image not shown).
f32 Seconds(f32 value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

void FillColour(HDC dc, COLORREF colour, const RECT& area)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

const char* TgaFailure(u32 result)
{
    switch (result)
    {
    case TGA_NOT_READ:
        return "cannot be read";
    case TGA_SHORT:
        return "is short of its pixels";
    default:
        return "is not a 24- or 32-bit image";
    }
}
} // namespace

TIntro::TIntro()
    : m_nActive(0), m_nCrossfade(0), m_nDesignWidth(INTRO_DEFAULT_DESIGN_WIDTH), m_nIndex(0), m_fTime(-1.0f),
      m_fFadeIn(INTRO_DEFAULT_FADE), m_fFadeOut(INTRO_DEFAULT_FADE), m_fOpacity(0.0f)
{
}

bool TIntro::MakeImage(HDC imageDC, const u8* pixels, i32 width, i32 height, i32 bytesPerPixel, TIntroImage& image)
{
    image.nWidth = width;
    image.nHeight = height;
    // The background is the first pixel's colour (its bytes are B, G, R).
    image.hBrush = CreateSolidBrush(pixels ? RGB(pixels[2], pixels[1], pixels[0]) : 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    image.hBitmap = pixels ? CreateDIBSection(imageDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!image.hBitmap)
        return false;
    // Bottom-up: the top row is the last in memory.
    for (i32 y = 0; y < height; ++y)
    {
        const u8* from = pixels + static_cast<size_t>(y) * width * bytesPerPixel;
        u8* to = static_cast<u8*>(bits) + static_cast<size_t>(height - 1 - y) * width * 4;
        if (bytesPerPixel == 4)
        {
            std::memcpy(to, from, static_cast<size_t>(width) * 4);
            continue;
        }
        for (i32 x = 0; x < width; ++x, from += 3, to += 4)
            to[0] = from[0], to[1] = from[1], to[2] = from[2], to[3] = 0;
    }
    return true;
}

u32 TIntro::Initialize(HDC imageDC, const TUIIntro& record)
{
    if (record.nImageCount == 0)
        return 1;
    m_nActive = 1;
    m_fTime = -1.0f;
    m_nIndex = 0;
    m_fFadeIn = Seconds(record.fFadeIn);
    m_fFadeOut = Seconds(record.fFadeOut);
    m_nCrossfade = record.nCrossfade;
    m_nDesignWidth = record.nDesignWidth;
    u32 count = record.nImageCount;
    if (count > UI_INTRO_IMAGE_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kInitializeError, "%u images: the first %u are shown", count,
                    UI_INTRO_IMAGE_CAPACITY);
        count = UI_INTRO_IMAGE_CAPACITY;
    }
    m_aImage.SetCount(count);
    for (u32 i = 0; i < count; ++i)
    {
        TIntroImage& image = m_aImage[i];
        image.fDisplayTime = Seconds(record.aDisplayTime[i]);
        TTexture* texture = record.aTexture[i];
        const u32* pixels = texture ? texture->GetPixels() : nullptr;
        if (!MakeImage(imageDC, reinterpret_cast<const u8*>(pixels), texture && pixels ? texture->m_nWidth : 0,
                       texture && pixels ? texture->m_nHeight : 0, 4, image))
            TLog::Print(g_pSystemLog, LOG_INFO, kInitializePrefix, "'%s': unable to create GDI texture",
                        texture ? texture->GetNameText() : "");
    }
    return 0;
}

u32 TIntro::AddImageFile(HDC imageDC, const char* path)
{
    i32 width, height, bytesPerPixel;
    u8* pixels = nullptr;
    const u32 result = _LoadTGA(path, width, height, bytesPerPixel, pixels);
    if (result != TGA_LOADED)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kFileError, "'%s' %s: skipped", path, TgaFailure(result));
        return 1;
    }
    m_Lock.Enter();
    if (m_aImage.GetCount() == INTRO_IMAGE_CAPACITY || m_aImage.GetCount() == 0)
    {
        // Without the record's images there is no intro to add to and no display time.
        TLog::Print(g_pSystemLog, LOG_ERROR, kFileError, "'%s': %s: skipped", path,
                    m_aImage.GetCount() ? "the intro holds 16 images already" : "no intro");
        m_Lock.Leave();
        MemoryFree(pixels);
        return 1;
    }
    TIntroImage image = {m_aImage[0].fDisplayTime, 0, 0, nullptr, nullptr};
    if (!MakeImage(imageDC, pixels, width, height, bytesPerPixel, image))
        TLog::Print(g_pSystemLog, LOG_INFO, kInitializePrefix, "'%s': unable to create GDI texture", path);
    m_aImage.Add(image);
    m_Lock.Leave();
    MemoryFree(pixels);
    return 0;
}

RECT TIntro::GetImageRect(i32 width, i32 height, i32 designWidth, i32 screenWidth, i32 screenHeight)
{
    const f32 design = static_cast<f32>(designWidth > 0 ? designWidth : screenWidth);
    const f32 scale = screenWidth > 0 ? screenWidth / design : 0.0f;
    const f32 designHeight = screenWidth > 0 ? design * screenHeight / screenWidth : 0.0f;
    const i32 x = static_cast<i32>((design - width) * scale / 2.0f);
    const i32 y = static_cast<i32>((designHeight - height) * scale / 2.0f);
    return {x, y, x + static_cast<i32>(width * scale), y + static_cast<i32>(height * scale)};
}

void TIntro::Compose(HDC frameDC, HDC scratchDC, HDC imageDC, const TIntroImage& image, f32 alpha, i32 screenWidth,
                     i32 screenHeight, i32 top, i32 rows)
{
    // The scratch frame holds the band's rows at its top: screen row y is its row y - top.
    if (!image.hBitmap)
    {
        const RECT all = {0, 0, screenWidth, rows};
        FillRect(scratchDC, &all, image.hBrush);
    }
    else
    {
        RECT rect =
            GetImageRect(image.nWidth, image.nHeight, static_cast<i32>(m_nDesignWidth), screenWidth, screenHeight);
        rect.top -= top;
        rect.bottom -= top;
        // The background around the image: the image covers the rest.
        const RECT around[4] = {{0, 0, screenWidth, rect.top},
                                {0, rect.bottom, screenWidth, rows},
                                {0, rect.top, rect.left, rect.bottom},
                                {rect.right, rect.top, screenWidth, rect.bottom}};
        for (const RECT& part : around)
            if (part.right > part.left && part.bottom > part.top)
                FillRect(scratchDC, &part, image.hBrush);
        SelectObject(imageDC, image.hBitmap);
        SetStretchBltMode(scratchDC, HALFTONE);
        StretchBlt(scratchDC, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, imageDC, 0, 0,
                   image.nWidth, image.nHeight, SRCCOPY);
        SetStretchBltMode(scratchDC, COLORONCOLOR);
    }
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha * 255.0f), 0};
    AlphaBlend(frameDC, 0, top, screenWidth, rows, scratchDC, 0, 0, screenWidth, rows, blend);
}

void TIntro::Finish(HDC frameDC, HDC scratchDC, i32 screenWidth, i32 screenHeight)
{
    const RECT all = {0, 0, screenWidth, screenHeight};
    FillColour(frameDC, 0, all);
    FillColour(scratchDC, 0, all);
    if (!g_pDeviceManager || !g_pDeviceManager->GetDevice())
        return;
    const u32 black = 0;
    g_pDeviceManager->SetBackBufferTarget(0);
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, black, 1.0f, 0);
    g_pDeviceManager->Present();
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, black, 1.0f, 0);
}

u32 TIntro::DrawFrame(HDC frameDC, HDC scratchDC, HDC imageDC, f32 dt, i32 screenWidth, i32 screenHeight)
{
    if (!m_nActive)
        return 0;
    m_Lock.Enter();
    m_fTime = m_fTime == -1.0f ? 0.0f : m_fTime + dt;
    f32 shown = m_aImage[m_nIndex].fDisplayTime;
    if (m_fTime >= shown)
    {
        m_fTime -= shown;
        if (m_nCrossfade)
            m_fTime += m_fFadeIn;
        if (++m_nIndex >= m_aImage.GetCount())
        {
            Finish(frameDC, scratchDC, screenWidth, screenHeight);
            m_fTime = shown;
            m_nActive = 0;
            m_Lock.Leave();
            return 0;
        }
        shown = m_aImage[m_nIndex].fDisplayTime;
    }

    f32 alpha = 1.0f;
    if (m_fFadeIn > 0.0f && m_fTime < m_fFadeIn)
        alpha = m_fTime / m_fFadeIn;
    bool fadingOut = false;
    if (m_fFadeOut > 0.0f && m_fTime > shown - m_fFadeOut)
    {
        alpha = 1.0f - (m_fTime - (shown - m_fFadeOut)) / m_fFadeOut;
        fadingOut = true;
    }
    alpha = alpha < 0.0f ? 0.0f : alpha > 1.0f ? 1.0f : alpha;
    m_fOpacity = alpha;

    // Band by band, each composed in the scratch frame's first rows: the band's rows of the frame
    // and the scratch stay in the processor's cache through the fills, the stretches and the
    // blends, and only the frame and the image pass through memory.
    const bool crossfading = m_nCrossfade && fadingOut && m_nIndex + 1 < m_aImage.GetCount();
    for (i32 top = 0; top < screenHeight; top += INTRO_BAND_ROWS)
    {
        const i32 rows = std::min(INTRO_BAND_ROWS, screenHeight - top);
        const RECT band = {0, top, screenWidth, top + rows};
        FillColour(frameDC, 0, band);
        IntersectClipRect(scratchDC, 0, 0, screenWidth, rows);
        Compose(frameDC, scratchDC, imageDC, m_aImage[m_nIndex], alpha, screenWidth, screenHeight, top, rows);
        if (crossfading)
            Compose(frameDC, scratchDC, imageDC, m_aImage[m_nIndex + 1], 1.0f - alpha, screenWidth, screenHeight,
                    top, rows);
        SelectClipRgn(scratchDC, nullptr);
    }
    m_Lock.Leave();
    return 1;
}

void TIntro::Release()
{
    m_Lock.Enter();
    for (u32 i = 0; i < m_aImage.GetCount(); ++i)
    {
        DeleteObject(m_aImage[i].hBitmap);
        DeleteObject(m_aImage[i].hBrush);
    }
    m_aImage.SetCount(0);
    m_nActive = 0;
    m_Lock.Leave();
}
