#pragma once
// TUIText: a text block of an item (every caption, further blocks in labels and edits): font,
// size, pitch, spacing, margins, alignments, colour, and the text: a language key or plain
// multibyte text of at most 127 characters, or a wide text drawn instead when it is set.
#include "core/math/color.h"
#include "core/system/name.h"
#include "engine/render/texturefontmanager.h"
#include "ui/uidraw.h"

#include <string>

struct TUIStyle;

constexpr u32 UI_TEXT_CAPACITY = 128;
// The shared buffer every drawn text is converted into, in bytes.
constexpr u32 UI_TEXT_BUFFER_BYTES = 2048;
constexpr f32 UI_DEFAULT_TEXT_SIZE = 20.0f;

// Text flags.
constexpr u32 UI_TEXT_LOCALISED = 0x1;
constexpr u32 UI_TEXT_WRAP = 0x2;

enum EUIAlign : i32
{
    UI_ALIGN_NEAR,
    UI_ALIGN_CENTRE,
    UI_ALIGN_FAR
};

class TUIText
{
public:
    TUIText();

    // The multibyte text (a language key while localised); longer texts are cut at 127.
    void SetText(const char* text);
    const char* GetText() const { return m_aText; }
    void SetWideText(const char16_t* text);
    const std::u16string& GetWideText() const { return m_Wide; }
    bool IsEmpty() const { return m_Wide.empty() && m_aText[0] == 0; }

    // A negative alignment, localised flag or spacing, or a pitch below -1, keeps the value.
    void SetFont(const TName& font, f32 size, const TColor& colour, i32 alignH, i32 alignV, i32 localised,
                 f32 pitch, f32 spacing);
    // The text settings of the style's state (nothing when the style has none).
    void ApplyStyle(const TUIStyle* style, u32 state);
    void SetStyle(const TName& name);

    // The text to draw: the wide text, the language's text of the key, or the multibyte text
    // widened; in one shared buffer, valid until the next call.
    const char16_t* Resolve() const;
    // Selects the block's font; false without fonts.
    bool SelectFont() const;
    // Width and height of the text (wrapped to the width when the block wraps).
    TTextBox Measure(f32 width) const;
    // The text's size plus twice the margins.
    TTextBox GetExtent() const;
    // Where the text starts in the box (relative to it) and its size.
    void Arrange(const TUIRect& box, f32& x, f32& y, TTextBox& size) const;
    // The same for a given text.
    void ArrangeText(const TUIRect& box, const char16_t* text, f32& x, f32& y, TTextBox& size) const;
    // The one-line width of a given text in the block's font; 0 without fonts.
    f32 MeasureWidth(const char16_t* text) const;
    // Draws the text in the box at the opacity.
    void Draw(const TUIRect& box, f32 opacity) const;
    // Draws a given text with this block's settings.
    void DrawText(const TUIRect& box, const char16_t* text, f32 opacity) const;

    f32 HorizontalMargin() const { return m_aValue[0]; }
    f32 VerticalMargin() const { return m_aValue[1]; }
    void SetMargins(f32 horizontal, f32 vertical)
    {
        m_aValue[0] = horizontal;
        m_aValue[1] = vertical;
    }

    TName m_Font;
    f32 m_fSize;
    // Negative: proportional; else every character is centred in a cell of this width.
    f32 m_fPitch;
    f32 m_fSpacing;
    // The per-state values: horizontal margin, vertical margin, two kept.
    f32 m_aValue[4];
    i32 m_nAlignH;
    i32 m_nAlignV;
    u32 m_nFlags;
    TColor m_Color;

private:
    TTextBox MeasureText(const char16_t* text, f32 width) const;
    void Place(const TUIRect& box, const TTextBox& size, f32& x, f32& y) const;

    char m_aText[UI_TEXT_CAPACITY];
    std::u16string m_Wide;
};
