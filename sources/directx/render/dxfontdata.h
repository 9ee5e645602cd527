#pragma once
// TDxFontData: a D3DX font drawn with its sprite, and a GDI font of the same face and height
// that measures. A resource: made on first use, dropped and restored with the device.
#include "core/system/name.h"
#include "engine/render/font.h"
#include "engine/system/resource.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/d3dx9/wingdi.h"

// Text colour as the fonts draw it: clamped, rounded, alpha from component 3, red from 2,
// green from 1, blue from 0.
u32 FontTextColor(const TColor& color);
// The built-in colour of a lower-case code (index from 'a'), alpha 1.
TColor FontBuiltInColor(u32 index);

class TDxFontData : public TFontData, public TResource
{
public:
    i32 GetTextWidthW(const char16_t* text, i32 length) override;
    i32 GetTextWidth(const char* text, i32 length) override;
    void WriteRectW(const f32 rect[4], const TColor& color, const char16_t* text, i32 mode) override;
    void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode) override;
    void WriteW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode) override;
    i32 Write(f32 x, f32 y, const TColor& color, const char* text, i32 mode) override;

    // TResource.
    i32 Load() override;
    i32 Release() override;
    i32 OnDeviceLost() override;
    i32 OnDeviceReset() override;

    TName m_Face;
    i32 m_nSize = -1;
    ID3DXFont* m_pFont = nullptr;
    ID3DXSprite* m_pSprite = nullptr;
    HFONT m_hGdiFont = nullptr;

protected:
    // One DrawText call through the sprite.
    virtual void _Draw(const char* text, i32 count, RECT& rect, DWORD format, u32 color);

private:
    // The pen advance of a segment in a mode: 0 right-aligned, half centred, all left.
    i32 _MeasureSegment(const char* text, i32 count, i32 mode);
    i32 _WriteSegment(const char* text, i32 count, const f32 rect[4], i32 mode, u32 color);
};
