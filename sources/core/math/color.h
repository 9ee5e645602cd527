#pragma once

#include "core/system/types.h"

// A colour of four float components: red, green, blue, alpha.
struct TColor
{
    float r;
    float g;
    float b;
    float a;

    // 0xAARRGGBB: each component times 255, truncated toward zero, not clamped.
    u32 ToARGB() const;
};
static_assert(sizeof(TColor) == 16);
