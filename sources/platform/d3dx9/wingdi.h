#pragma once
// The GDI calls the engine measures text with: one screen device context, fonts made by
// CreateFontA and text extents. Fonts are the FreeType faces D3DX fonts draw with, so a
// measured width is the drawn advance.
#include "platform/windef/windef.h"

typedef void* HGDIOBJ;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
BOOL DeleteObject(HGDIOBJ object);
// The screen's device context for a null window; other windows have none here.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// Selects a font into the context and answers the one it held.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
