#pragma once
// The GDI calls the engine makes: fonts and text extents for measuring, and the drawing the
// loading display and the intro do outside the main loop: device contexts over memory bitmaps
// and over a window, 32-bit DIB sections, solid brushes, copies, stretches, constant-alpha
// blends and clipped text. Fonts are the FreeType faces D3DX fonts draw with, so a measured
// width is the drawn advance. Pixels are 32-bit B, G, R, X bytes, as Windows' 32-bit DIBs.
//
// A window's device context is the window's last presented frame: reading it gives what the
// screen shows, and drawing onto it changes that frame and shows it in the window at once, from
// any thread, while the main loop is not drawing.
#include "platform/windef/windef.h"

typedef void* HGDIOBJ;
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HRGN__;
typedef HRGN__* HRGN;
// 0x00BBGGRR.
typedef DWORD COLORREF;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD CLEARTYPE_QUALITY = 5;

// Raster operation of BitBlt and StretchBlt: the only one supported.
constexpr DWORD SRCCOPY = 0x00CC0020;
// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Text alignment: horizontal and vertical reference of the text position.
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;
// Clip region results.
constexpr int REGION_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x2;
constexpr UINT ETO_CLIPPED = 0x4;
// DIB colour use and compression.
constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD BI_RGB = 0;
// AlphaBlend.
constexpr BYTE AC_SRC_OVER = 0;
constexpr BYTE AC_SRC_ALPHA = 1;

struct BITMAPINFOHEADER
{
    DWORD biSize;
    LONG biWidth;
    // Positive: rows bottom-up; negative: top-down.
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD
{
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BLENDFUNCTION
{
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(BITMAPINFO) == 44 && sizeof(BLENDFUNCTION) == 4);

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
// A 32-bit bitmap of that size, black, for any context.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A 32-bit BI_RGB bitmap whose pixels the caller reaches through *bits (bottom-up rows for a
// positive height). Other formats are refused (null). The section and offset are not used.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
HBRUSH CreateSolidBrush(COLORREF colour);
// Fonts, bitmaps and brushes. An object still selected into a context leaves that context.
BOOL DeleteObject(HGDIOBJ object);

// The window's context (see above); a null window's is the screen, which can be read and
// measured with but not drawn on.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// A memory context without a bitmap: it draws once one is selected.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Selects a font, bitmap or brush and answers the one of that kind it held (null when none or
// on failure). A bitmap goes into one memory context at a time.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

int SetBkMode(HDC dc, int mode);
// Answers the previous alignment, GDI_ERROR on failure.
UINT SetTextAlign(HDC dc, UINT align);
// Answers the previous colour, 0xFFFFFFFF (CLR_INVALID) on failure.
COLORREF SetTextColor(HDC dc, COLORREF colour);
// Answers the previous mode, 0 on failure.
int SetStretchBltMode(HDC dc, int mode);

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
// The text at (x, y) as the alignment says, cut to the rectangle with ETO_CLIPPED.
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const int* dx);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

// SRCCOPY only. Areas outside either context are left alone.
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop);
// SRCCOPY only; HALFTONE averages the source pixels each destination pixel covers (a box
// filter), the other modes take the nearest one.
BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);
// Constant alpha over equal sizes: destination = source x a + destination x (1 - a), a =
// SourceConstantAlpha / 255. Per-pixel alpha (AC_SRC_ALPHA) is refused.
BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, BLENDFUNCTION blend);
// Later drawing on the context is cut to the rectangle as well (the clip is a rectangle).
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// Only a null region: drawing is no longer clipped.
int SelectClipRgn(HDC dc, HRGN region);
// Drawing is done when a call returns.
BOOL GdiFlush();
