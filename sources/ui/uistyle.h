#pragma once
// TUIStyle (stored type 107, 288 bytes): the look items share by name: text settings per visual
// state, the offset and inner margins of the children, a fixed size and the icon.
#include "core/math/color.h"
#include "core/system/name.h"
#include "ui/uiicon.h"

#include <cstddef>

constexpr u16 UI_STYLE_TYPE_ID = 107;

// Which parts of a style are set.
constexpr u32 UI_STYLE_TEXT = 0x1;
constexpr u32 UI_STYLE_CHILD_OFFSET = 0x2;
constexpr u32 UI_STYLE_INNER_MARGINS = 0x4;
constexpr u32 UI_STYLE_FIXED_SIZE = 0x8;

// The text of one visual state: margins (horizontal, vertical, two kept) and colour.
struct TUIStyleState
{
    f32 aMargin[4];
    TColor Color;
};

static_assert(sizeof(TUIStyleState) == 32);

struct TUIStyle
{
    TName Name;
    u32 nFlags;
    TName Font;
    f32 fTextSize;
    i32 nAlignH;
    i32 nAlignV;
    TUIStyleState aState[UI_STATE_COUNT];
    f32 aChildOffset[3];
    // Left, top, right, bottom.
    f32 aInnerMargin[4];
    f32 aFixedSize[4];
    u32 aReserved[6];
    TUIIcon* pIcon;
};

static_assert(sizeof(TUIStyle) == 288);
static_assert(offsetof(TUIStyle, Font) == 8);
static_assert(offsetof(TUIStyle, aState) == 24);
static_assert(offsetof(TUIStyle, aChildOffset) == 216);
static_assert(offsetof(TUIStyle, aInnerMargin) == 228);
static_assert(offsetof(TUIStyle, aFixedSize) == 244);
static_assert(offsetof(TUIStyle, pIcon) == 284);

const TClusterTypeDecl& UIStyleDecl();
