// The GDI text calls of wingdi.h. Handles are checked against the fonts alive, so a stale or
// foreign handle fails the call instead of being followed.
#include "platform/d3dx9/fontfacecache.h"
#include "platform/d3dx9/gdifont.h"
#include "platform/d3dx9/textdecode.h"
#include "platform/d3dx9/wingdi.h"

#include <mutex>
#include <set>

namespace
{
struct TScreenContext
{
    TGdiFont* font = nullptr;
};

std::mutex g_gdiMutex;
std::set<TGdiFont*> g_fonts;
TScreenContext g_screen;

HDC ScreenHandle()
{
    return reinterpret_cast<HDC>(&g_screen);
}

BOOL Extent(HDC dc, const std::u32string& text, SIZE* size)
{
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (dc != ScreenHandle() || !size || !g_screen.font)
        return FALSE;
    TFontFace& face = g_screen.font->Face();
    size->cx = face.Width(text.data(), text.size());
    size->cy = face.LineHeight();
    return TRUE;
}
} // namespace

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName)
{
    std::shared_ptr<TFontFace> face = TFontFaceCache::Find(faceName, height, weight);
    if (!face)
        return nullptr;
    auto* font = new TGdiFont(std::move(face));
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    g_fonts.insert(font);
    return reinterpret_cast<HFONT>(font);
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto* font = static_cast<TGdiFont*>(object);
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (g_fonts.erase(font) == 0)
        return FALSE;
    if (g_screen.font == font)
        g_screen.font = nullptr;
    delete font;
    return TRUE;
}

HDC GetDC(HWND window)
{
    return ScreenHandle();
}

int ReleaseDC(HWND window, HDC dc)
{
    return dc == ScreenHandle() ? 1 : 0;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    auto* font = static_cast<TGdiFont*>(object);
    std::lock_guard<std::mutex> lock(g_gdiMutex);
    if (dc != ScreenHandle() || g_fonts.count(font) == 0)
        return nullptr;
    TGdiFont* previous = g_screen.font;
    g_screen.font = font;
    return previous;
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
