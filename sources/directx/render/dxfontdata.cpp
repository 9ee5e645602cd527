#include "directx/render/dxfontdata.h"

#include "core/system/log.h"
#include "directx/render/dxfontmanager.h"
#include "engine/render/device.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr DWORD kSpriteFlags = D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE | D3DXSPRITE_DO_NOT_ADDREF_TEXTURE;
// Lines of a laid-out text are a fixed 15 pixels apart.
constexpr f32 kLineHeight = 15.0f;

constexpr f32 k64 = 64.0f / 255.0f, k128 = 128.0f / 255.0f, k160 = 160.0f / 255.0f, k192 = 192.0f / 255.0f;
// Components 0, 1, 2 of the codes "^a" to "^r".
constexpr f32 kBuiltIn[18][3] = {{0, 0, 1},       {1, 1, 0},        {1, 0, 0},     {k160, 0, 0},     {k128, 0, 1},
                                 {k128, 0, k128}, {0, 1, 1},        {0, 1, 0},     {1, 0, 1},        {1, 1, 1},
                                 {k192, k192, k192}, {k128, k128, k128}, {0, 0, 0}, {k64, k128, 1}, {0, k64, k128},
                                 {0, 0, k128},    {0, k128, k128},  {k128, k128, k64}};

DWORD Alignment(i32 mode)
{
    return mode == 1 ? DT_CENTER : mode == 2 ? DT_RIGHT : DT_LEFT;
}

i32 ThreeDigits(const char* digits)
{
    return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

i32 Length(const char* text, i32 length)
{
    return length < 0 ? static_cast<i32>(std::strlen(text)) : length;
}

i32 Length(const char16_t* text, i32 length)
{
    if (length >= 0)
        return length;
    i32 count = 0;
    while (text[count])
        ++count;
    return count;
}
} // namespace

u32 FontTextColor(const TColor& color)
{
    const auto byte = [](f32 c) { return static_cast<u32>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(color.a) << 24 | byte(color.b) << 16 | byte(color.g) << 8 | byte(color.r);
}

TColor FontBuiltInColor(u32 index)
{
    // Codes past the table take its last colour.
    const f32* entry = kBuiltIn[std::min(index, 17u)];
    return {entry[0], entry[1], entry[2], 1.0f};
}

i32 TDxFontData::Load()
{
    m_hGdiFont = CreateFontA(-m_nSize, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, m_Face.GetText());
    const HRESULT result = D3DXCreateFontA(g_pDeviceManager->GetDevice(), -m_nSize, 0, FW_NORMAL, 0, FALSE,
                                           DEFAULT_CHARSET, 7, 5, 0, m_Face.GetText(), &m_pFont);
    if (FAILED(result))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxFontData::OnResourceLoad(): error: ", "error creating DirectX font %d",
                    static_cast<i32>(result));
        m_pFont = nullptr;
    }
    D3DXCreateSprite(g_pDeviceManager->GetDevice(), &m_pSprite);
    if (m_pFont)
        m_pFont->PreloadGlyphs(0, 127);
    SetLoaded(1);
    return 0;
}

i32 TDxFontData::Release()
{
    if (m_pSprite)
        m_pSprite->Release();
    if (m_pFont)
        m_pFont->Release();
    if (m_hGdiFont)
        DeleteObject(m_hGdiFont);
    m_pSprite = nullptr;
    m_pFont = nullptr;
    m_hGdiFont = nullptr;
    return 0;
}

i32 TDxFontData::OnDeviceLost()
{
    if (m_pSprite)
        m_pSprite->OnLostDevice();
    if (m_pFont)
        m_pFont->OnLostDevice();
    return 0;
}

i32 TDxFontData::OnDeviceReset()
{
    if (m_pSprite)
        m_pSprite->OnResetDevice();
    if (m_pFont)
        m_pFont->OnResetDevice();
    return 0;
}

i32 TDxFontData::GetTextWidthW(const char16_t* text, i32 length)
{
    if (Require() || !m_hGdiFont)
        return -1;
    if (!text)
        return 0;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_hGdiFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(text), Length(text, length), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

i32 TDxFontData::_MeasureSegment(const char* text, i32 count, i32 mode)
{
    if (mode == 2)
        return 0;
    if (Require() || !m_hGdiFont)
        return -1;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_hGdiFont);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, count, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return mode == 1 ? size.cx / 2 : size.cx;
}

i32 TDxFontData::GetTextWidth(const char* text, i32 length)
{
    if (Require() || !m_hGdiFont)
        return -1;
    length = Length(text, length);
    i32 start = 0, x = 0, mode = 0;
    for (i32 i = 0; i < length; ++i)
    {
        if (text[i] == '|' && i + 3 < length)
        {
            x = ThreeDigits(text + i + 1);
            start = i + 4;
            i += 3;
        }
        else if (text[i] == '^' && i + 1 < length)
        {
            const char code = text[i + 1];
            x += _MeasureSegment(text + start, i - start + (code == '^' ? 1 : 0), mode);
            mode = code == '<' ? 0 : code == '|' ? 1 : code == '>' ? 2 : mode;
            start = i + 2;
            ++i;
        }
    }
    if (start < length)
        x += _MeasureSegment(text + start, length - start, mode);
    return x;
}

void TDxFontData::_Draw(const char* text, i32 count, RECT& rect, DWORD format, u32 color)
{
    if (!m_pFont || !m_pSprite)
        return;
    m_pSprite->Begin(kSpriteFlags);
    m_pFont->DrawTextA(m_pSprite, text, count, &rect, format, color);
    m_pSprite->End();
}

i32 TDxFontData::_WriteSegment(const char* text, i32 count, const f32 rect[4], i32 mode, u32 color)
{
    if (count > 0)
    {
        RECT area = {static_cast<LONG>(rect[0]), static_cast<LONG>(rect[1]), static_cast<LONG>(rect[2]),
                     static_cast<LONG>(rect[3])};
        _Draw(text, count, area, Alignment(mode), color);
    }
    return count > 0 ? _MeasureSegment(text, count, mode) : 0;
}

void TDxFontData::WriteRect(const f32 rect[4], const TColor& base, const char* text, i32 mode)
{
    if (Require())
        return;
    f32 area[4] = {rect[0], rect[1], rect[2], rect[3]};
    TColor current = base, previous = base;
    const i32 left = static_cast<i32>(rect[0]);
    const i32 length = Length(text, -1);
    i32 start = 0;
    for (i32 i = 0; i < length; ++i)
    {
        if (text[i] == '\n')
        {
            _WriteSegment(text + start, i - start, area, mode, FontTextColor(current));
            area[0] = static_cast<f32>(left);
            area[1] += kLineHeight;
            current = previous = base;
            mode = 0;
            start = i + 1;
        }
        else if (text[i] == '|' && i + 3 < length)
        {
            _WriteSegment(text + start, i - start, area, mode, FontTextColor(current));
            area[0] = static_cast<f32>(left + ThreeDigits(text + i + 1));
            start = i + 4;
            i += 3;
        }
        else if (text[i] == '^' && i + 1 < length)
        {
            const char code = text[i + 1];
            const i32 advance =
                _WriteSegment(text + start, i - start + (code == '^' ? 1 : 0), area, mode, FontTextColor(current));
            // The pen moves before the code acts, so that "^>" aligns against where it stands.
            area[0] += static_cast<f32>(advance);
            if (code == '.')
            {
                previous = current;
                current = base;
            }
            else if (code == ':')
                std::swap(current, previous);
            else if (code == '<')
                mode = 0;
            else if (code == '|')
                mode = 1;
            else if (code == '>')
            {
                area[2] = area[0];
                area[0] = static_cast<f32>(left);
                mode = 2;
            }
            else if (code != '^')
            {
                previous = current;
                current = code < 'a' ? g_pDxFontManager->GetUserColor(code - 'A')
                                     : FontBuiltInColor(static_cast<u32>(code - 'a'));
                current.a = base.a;
            }
            start = i + 2;
            ++i;
        }
    }
    if (start < length)
        _WriteSegment(text + start, length - start, area, mode, FontTextColor(current));
}

void TDxFontData::WriteRectW(const f32 rect[4], const TColor& color, const char16_t* text, i32 mode)
{
    if (Require() || !m_pFont || !m_pSprite)
        return;
    RECT area = {static_cast<LONG>(rect[0]), static_cast<LONG>(rect[1]), static_cast<LONG>(rect[2]),
                 static_cast<LONG>(rect[3])};
    m_pSprite->Begin(kSpriteFlags);
    m_pFont->DrawTextW(m_pSprite, reinterpret_cast<LPCWSTR>(text), -1, &area, Alignment(mode) | DT_WORDBREAK,
                       FontTextColor(color));
    m_pSprite->End();
}

i32 TDxFontData::Write(f32 x, f32 y, const TColor& color, const char* text, i32 mode)
{
    if (Require())
        return 0;
    i32 offset = 0;
    if (mode != 0)
    {
        offset = -GetTextWidth(text, -1);
        if (mode == 1)
            offset /= 2;
    }
    RECT area = {static_cast<LONG>(x + static_cast<f32>(offset)), static_cast<LONG>(y), 0, 0};
    area.right = area.left;
    area.bottom = area.top;
    _Draw(text, -1, area, DT_NOCLIP, FontTextColor(color));
    return _MeasureSegment(text, Length(text, -1), mode);
}

void TDxFontData::WriteW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode)
{
    if (Require() || !m_pFont || !m_pSprite)
        return;
    i32 offset = 0;
    if (mode != 0)
    {
        offset = -GetTextWidthW(text, -1);
        if (mode == 1)
            offset /= 2;
    }
    const LONG left = static_cast<LONG>(x + static_cast<f32>(offset));
    const LONG top = static_cast<LONG>(y);
    RECT area = {left, top, left + 1000, top + 1000};
    m_pSprite->Begin(kSpriteFlags);
    m_pFont->DrawTextW(m_pSprite, reinterpret_cast<LPCWSTR>(text), -1, &area, DT_LEFT, FontTextColor(color));
    m_pSprite->End();
}
