#include "core/math/color.h"

u32 TColor::ToARGB() const
{
    const auto byte = [](float component) { return static_cast<u32>(static_cast<i32>(component * 255.0f)) & 0xFFu; };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}
