#pragma once
// TFontData: one screen font (a face at a pixel height) that measures and draws text, the 8-bit
// operations understanding the inline markup ("^" codes for colours and alignment, "|" and
// three digits for a pen position). TFont is a handle to one; a null handle draws nothing.
#include "core/math/color.h"
#include "core/system/types.h"

class TFontData
{
public:
    virtual ~TFontData() = default;
    // Pixels; length -1 runs to the terminator.
    virtual i32 GetTextWidthW(const char16_t* text, i32 length) = 0;
    virtual i32 GetTextWidth(const char* text, i32 length) = 0;
    // Rectangle: left, top, right, bottom. Mode: 0 left, 1 centred, 2 right.
    virtual void WriteRectW(const f32 rect[4], const TColor& color, const char16_t* text, i32 mode) = 0;
    virtual void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode) = 0;
    virtual void WriteW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode) = 0;
    // Answers the pen advance.
    virtual i32 Write(f32 x, f32 y, const TColor& color, const char* text, i32 mode) = 0;
};

struct TFont
{
    TFontData* pData = nullptr;

    i32 Write(f32 x, f32 y, const TColor& color, const char* text, i32 mode) const;
    void WriteW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode) const;
};
