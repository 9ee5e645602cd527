#pragma once
// The UX text routines: measuring and drawing a text with the font of a state block, at the
// size of the block's text scale times the vertical component of its scale pair, through the
// texture-font manager (whose quads go to the canvas's batches).
#include "ux/ux.localization.h"
#include "ux/ux.style.h"

namespace UX
{
// The width of the text's first count characters (-1: the whole text); 0 without a font or with
// an empty text.
f32 MeasureTextWidth(const TStateBlock& block, const char16_t* text, i32 count = -1);
// The text laid out in the rectangle with the block's text colour and its text setting as the
// alignment; nothing without a font or with an empty text.
void DrawText(f32 x, f32 y, f32 width, f32 height, const TStateBlock& block, const char16_t* text);
// Only when the localization has text.
void DrawLocalization(f32 x, f32 y, f32 width, f32 height, const TStateBlock& block,
                      const TLocalization& text);
} // namespace UX
