// The GDI calls of wingdi.h. Handles are checked against the objects and contexts alive, so a
// stale or foreign handle fails the call instead of being followed. One lock guards them all, so
// the calls may come from any thread; a call draws completely before it returns.
#include "platform/d3dx9/fontfacecache.h"
#include "platform/d3dx9/gdibitmap.h"
#include "platform/d3dx9/gdibrush.h"
#include "platform/d3dx9/gdicontext.h"
#include "platform/d3dx9/gdifont.h"
#include "platform/d3dx9/textdecode.h"
#include "platform/d3dx9/wingdi.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <set>
#include <utility>

namespace
{
constexpr COLORREF kInvalidColour = 0xFFFFFFFF;
// The background of opaque text: GDI's default background colour, white.
constexpr std::uint32_t kOpaqueBackground = 0x00FFFFFF;

std::mutex g_gdiMutex;
std::set<TGdiObject*> g_objects;
std::set<TGdiContext*> g_contexts;

TGdiContext* FindContext(HDC dc)
{
    auto* context = reinterpret_cast<TGdiContext*>(dc);
    return g_contexts.count(context) ? context : nullptr;
}

TGdiObject* FindObject(HGDIOBJ object)
{
    auto* found = static_cast<TGdiObject*>(object);
    return g_objects.count(found) ? found : nullptr;
}

template <class T> T* FindObjectOf(HGDIOBJ object, EGdiKind kind)
{
    TGdiObject* found = FindObject(object);
    return found && found->Kind() == kind ? static_cast<T*>(found) : nullptr;
}

template <class T> HGDIOBJ Adopt(std::unique_ptr<T> object)
{
    if (!object)
        return nullptr;
    T* kept = object.release();
    g_objects.insert(kept);
    return kept;
}

void ForgetContext(TGdiContext* context)
{
    if (context->bitmap)
        context->bitmap->SetOwner(nullptr);
    g_contexts.erase(context);
    delete context;
}

BOOL Extent(HDC dc, const std::u32string& text, SIZE* size)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || !size || !context->font)
        return FALSE;
    TFontFace& face = context->font->Face();
    size->cx = face.Width(text.data(), text.size());
    size->cy = face.LineHeight();
    return TRUE;
}

bool IsPositive(int width, int height)
{
    return width > 0 && height > 0;
}
} // namespace

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName)
{
    std::shared_ptr<TFontFace> face = TFontFaceCache::Find(faceName, height, weight);
    if (!face)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    return static_cast<HFONT>(Adopt(std::make_unique<TGdiFont>(std::move(face))));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (!FindContext(dc))
        return nullptr;
    return static_cast<HBITMAP>(Adopt(TGdiBitmap::Create(width, height, false)));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || info->bmiHeader.biBitCount != 32 ||
        info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biPlanes != 1 ||
        info->bmiHeader.biHeight == INT32_MIN)
        return nullptr;
    const LONG height = info->bmiHeader.biHeight;
    std::unique_ptr<TGdiBitmap> bitmap =
        TGdiBitmap::Create(info->bmiHeader.biWidth, height < 0 ? -height : height, height > 0);
    if (!bitmap)
        return nullptr;
    void* pixels = bitmap->Bits();
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (dc && !FindContext(dc))
        return nullptr;
    if (bits)
        *bits = pixels;
    return static_cast<HBITMAP>(Adopt(std::move(bitmap)));
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    return static_cast<HBRUSH>(Adopt(std::make_unique<TGdiBrush>(colour & 0x00FFFFFF)));
}

BOOL DeleteObject(HGDIOBJ object)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiObject* found = FindObject(object);
    if (!found)
        return FALSE;
    for (TGdiContext* context : g_contexts)
    {
        if (context->font == found)
            context->font = nullptr;
        if (context->bitmap == found)
            context->bitmap = nullptr;
        if (context->brush == found)
            context->brush = nullptr;
    }
    g_objects.erase(found);
    delete found;
    return TRUE;
}

HDC GetDC(HWND window)
{
    RECT client;
    if (window && !GetClientRect(window, &client))
        return nullptr;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = TGdiContext::CreateWindow(window);
    g_contexts.insert(context);
    return reinterpret_cast<HDC>(context);
}

int ReleaseDC(HWND window, HDC dc)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || context->IsMemory() || context->Window() != window)
        return 0;
    ForgetContext(context);
    return 1;
}

HDC CreateCompatibleDC(HDC dc)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (dc && !FindContext(dc))
        return nullptr;
    TGdiContext* context = TGdiContext::CreateMemory();
    g_contexts.insert(context);
    return reinterpret_cast<HDC>(context);
}

BOOL DeleteDC(HDC dc)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || !context->IsMemory())
        return FALSE;
    ForgetContext(context);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    TGdiObject* found = FindObject(object);
    if (!context || !found)
        return nullptr;
    switch (found->Kind())
    {
    case EGdiKind::Font:
        return std::exchange(context->font, static_cast<TGdiFont*>(found));
    case EGdiKind::Brush:
        return std::exchange(context->brush, static_cast<TGdiBrush*>(found));
    case EGdiKind::Bitmap:
    {
        auto* bitmap = static_cast<TGdiBitmap*>(found);
        // Bitmaps go into memory contexts only, one context at a time.
        if (!context->IsMemory() || (bitmap->Owner() && bitmap->Owner() != context))
            return nullptr;
        if (context->bitmap)
            context->bitmap->SetOwner(nullptr);
        bitmap->SetOwner(context);
        return std::exchange(context->bitmap, bitmap);
    }
    }
    return nullptr;
}

int SetBkMode(HDC dc, int mode)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    return std::exchange(context->backgroundMode, mode);
}

UINT SetTextAlign(HDC dc, UINT align)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    return context ? std::exchange(context->textAlign, align) : GDI_ERROR;
}

COLORREF SetTextColor(HDC dc, COLORREF colour)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    return context ? std::exchange(context->textColour, colour & 0x00FFFFFF) : kInvalidColour;
}

int SetStretchBltMode(HDC dc, int mode)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    return std::exchange(context->stretchMode, mode);
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size)
{
    if (count < 0 || (!text && count > 0))
        return FALSE;
    return Extent(dc, DecodeAnsiText(text, count), size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size)
{
    if (count < 0 || (!text && count > 0))
        return FALSE;
    return Extent(dc, DecodeWideText(text, count), size);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const int* dx)
{
    if ((!text && count > 0) || count > 0x7FFFFFFF || ((options & (ETO_CLIPPED | ETO_OPAQUE)) && !rect))
        return FALSE;
    const std::u32string characters = DecodeAnsiText(text, int(count));
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || !context->font)
        return FALSE;
    TGdiContext::TTarget target(*context);
    if (!target.IsValid())
        return FALSE;
    const TGdiPixels& pixels = target.Pixels();
    TFontFace& face = context->font->Face();

    // The alignment says which point of the text (x, y) is.
    const int width = face.Width(characters.data(), characters.size());
    const UINT across = context->textAlign & TA_CENTER;
    if (across == TA_CENTER)
        x -= width / 2;
    else if (across == TA_RIGHT)
        x -= width;
    const UINT down = context->textAlign & TA_BASELINE;
    const int baseline = down == TA_BASELINE ? y : down == TA_BOTTOM ? y - face.Descent() : y + face.Ascent();
    const int top = baseline - face.Ascent();

    RECT clip = {INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2};
    if (options & ETO_CLIPPED)
        clip = *rect;
    if (options & ETO_OPAQUE)
        GdiFill(pixels, *rect, kOpaqueBackground);
    if (context->backgroundMode == OPAQUE)
    {
        const RECT cell = {std::max(x, clip.left), std::max(top, clip.top), std::min(x + width, clip.right),
                           std::min(top + face.LineHeight(), clip.bottom)};
        GdiFill(pixels, cell, kOpaqueBackground);
    }
    const std::uint32_t colour = GdiPixelOf(context->textColour);
    TGlyphBitmap glyph;
    for (std::size_t i = 0; i < characters.size(); ++i)
    {
        if (face.Render(characters[i], glyph))
            GdiDrawGlyph(pixels, clip, x, baseline, glyph, colour);
        x += dx ? dx[i] : glyph.advance;
    }
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (!rect)
        return 0;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    auto* found = FindObjectOf<TGdiBrush>(brush, EGdiKind::Brush);
    if (!context || !found)
        return 0;
    TGdiContext::TTarget target(*context);
    if (!target.IsValid())
        return 0;
    GdiFill(target.Pixels(), *rect, GdiPixelOf(found->Colour()));
    return 1;
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop)
{
    if (rop != SRCCOPY)
        return FALSE;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* to = FindContext(destination);
    TGdiContext* from = FindContext(source);
    std::vector<std::uint32_t> storage;
    TGdiPixels read;
    if (!to || !from || !from->Read(storage, read))
        return FALSE;
    TGdiContext::TTarget target(*to);
    if (!target.IsValid())
        return FALSE;
    GdiCopy(target.Pixels(), x, y, read, sourceX, sourceY, width, height);
    return TRUE;
}

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop)
{
    if (rop != SRCCOPY || !IsPositive(width, height) || !IsPositive(sourceWidth, sourceHeight))
        return FALSE;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* to = FindContext(destination);
    TGdiContext* from = FindContext(source);
    std::vector<std::uint32_t> storage;
    TGdiPixels read;
    if (!to || !from || !from->Read(storage, read))
        return FALSE;
    // The source rectangle must lie inside the source.
    if (sourceX < 0 || sourceY < 0 || sourceWidth > read.width - sourceX || sourceHeight > read.height - sourceY)
        return FALSE;
    TGdiContext::TTarget target(*to);
    if (!target.IsValid())
        return FALSE;
    GdiStretch(target.Pixels(), {x, y, x + width, y + height}, read,
               {sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight}, to->stretchMode == HALFTONE);
    return TRUE;
}

BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, BLENDFUNCTION blend)
{
    if (blend.BlendOp != AC_SRC_OVER || blend.AlphaFormat != 0 || !IsPositive(width, height) ||
        width != sourceWidth || height != sourceHeight)
        return FALSE;
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* to = FindContext(destination);
    TGdiContext* from = FindContext(source);
    std::vector<std::uint32_t> storage;
    TGdiPixels read;
    if (!to || !from || !from->Read(storage, read))
        return FALSE;
    TGdiContext::TTarget target(*to);
    if (!target.IsValid())
        return FALSE;
    GdiBlend(target.Pixels(), x, y, read, sourceX, sourceY, width, height, blend.SourceConstantAlpha);
    return TRUE;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context)
        return REGION_ERROR;
    RECT clip = {left, top, right, bottom};
    if (context->clipped)
        clip = {std::max(clip.left, context->clip.left), std::max(clip.top, context->clip.top),
                std::min(clip.right, context->clip.right), std::min(clip.bottom, context->clip.bottom)};
    context->clip = clip;
    context->clipped = true;
    return clip.right <= clip.left || clip.bottom <= clip.top ? NULLREGION : SIMPLEREGION;
}

int SelectClipRgn(HDC dc, HRGN region)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    TGdiContext* context = FindContext(dc);
    if (!context || region)
        return REGION_ERROR;
    context->clipped = false;
    return SIMPLEREGION;
}

BOOL GdiFlush()
{
    return TRUE;
}
