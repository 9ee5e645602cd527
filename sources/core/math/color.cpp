#include "core/math/color.h"

u32 TColor::ToARGB() const
{
    // Stored colours may hold anything: a value no int holds (or no number) packs as 0 rather
    // than converting without a defined result.
    const auto byte = [](float component) {
        const float v = component * 255.0f;
        const i32 whole = v > -2147483648.0f && v < 2147483648.0f ? static_cast<i32>(v) : 0;
        return static_cast<u32>(whole) & 0xFFu;
    };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}
