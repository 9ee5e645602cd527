#pragma once
// The appearance records of the UX library: the 172-byte state block (a control's own values,
// its computed values, and each of the six states of a style) and UX::TTransitionStyle (stored
// type 228), the six state blocks a control blends between, with its click sound.
#include "core/math/color.h"
#include "core/system/name.h"
#include "ux/ux.texture.h"

class TClusterTypeDecl;
class TGameSound;

namespace UX
{
constexpr u16 TRANSITION_STYLE_TYPE_ID = 228;
// TGameSound, declared by the sound system.
constexpr u16 GAME_SOUND_TYPE_ID = 111;

// The control states, indices of the state blocks and the transition images.
enum EControlState : u32
{
    STATE_HIDDEN,
    STATE_FOCUSED,
    STATE_NORMAL,
    STATE_PRESSED,
    STATE_DISABLED,
    STATE_HOVER,
    STATE_COUNT,
    // The target of a control without a running transition.
    STATE_NONE = STATE_COUNT
};

// Block flags.
constexpr u32 BLOCK_ANIMATES_SCALE = 0x20;
constexpr u32 BLOCK_UNUSED = 0x1000;

// Sides of an inset (margin, padding, hit inset, scissor inset) and of a control's edges.
constexpr u32 SIDE_LEFT = 0x1;
constexpr u32 SIDE_RIGHT = 0x2;
constexpr u32 SIDE_TOP = 0x4;
constexpr u32 SIDE_BOTTOM = 0x8;

struct TRect
{
    f32 x;
    f32 y;
    f32 width;
    f32 height;

    bool operator==(const TRect& other) const = default;
};

// Flags (SIDE_*) and the distances of the sides they name.
struct TInset
{
    u32 nFlags;
    f32 left;
    f32 top;
    f32 right;
    f32 bottom;

    // The rectangle less the flagged sides, each distance times the scale of its axis.
    TRect Apply(const TRect& rect, f32 scaleX, f32 scaleY) const;
};

struct TStateBlock
{
    // A block of defaults: white, scale 1, transition time 0.1 s.
    static TStateBlock Default();

    u32 nFlags;
    TRect Rect;
    TColor Color;
    f32 ScaleX;
    f32 ScaleY;
    TImage Image;
    TInset Margin;
    TInset Padding;
    TInset HitInset;
    // The font's name id.
    TName Font;
    TColor TextColor;
    f32 TextScale;
    // The alignment of the text drawing.
    u32 TextSetting;
    f32 TransitionTime;
};

static_assert(sizeof(TInset) == 20);
static_assert(sizeof(TStateBlock) == 172);
static_assert(offsetof(TStateBlock, Rect) == 4);
static_assert(offsetof(TStateBlock, Color) == 20);
static_assert(offsetof(TStateBlock, ScaleX) == 36);
static_assert(offsetof(TStateBlock, Image) == 44);
static_assert(offsetof(TStateBlock, Margin) == 80);
static_assert(offsetof(TStateBlock, Padding) == 100);
static_assert(offsetof(TStateBlock, HitInset) == 120);
static_assert(offsetof(TStateBlock, Font) == 140);
static_assert(offsetof(TStateBlock, TextColor) == 144);
static_assert(offsetof(TStateBlock, TextScale) == 160);
static_assert(offsetof(TStateBlock, TextSetting) == 164);
static_assert(offsetof(TStateBlock, TransitionTime) == 168);

struct TTransitionStyle
{
    // Named, with six default blocks and no scissor inset.
    static TTransitionStyle Make(const TName& name);

    // The key of the UX manager's style lookup.
    TName Name;
    // Applied to a clipping control's box.
    TInset ScissorInset;
    TStateBlock aTransition[STATE_COUNT];
    TGameSound* pSoundOnClick;
};

// The descriptor of the style records (type 228).
const TClusterTypeDecl& TTransitionStyleDecl();

static_assert(sizeof(TTransitionStyle) == 1060);
static_assert(offsetof(TTransitionStyle, ScissorInset) == 4);
static_assert(offsetof(TTransitionStyle, aTransition) == 24);
static_assert(offsetof(TTransitionStyle, aTransition[0].Image.pTexture) == 72);
static_assert(offsetof(TTransitionStyle, aTransition[5].Image.pTexture) == 932);
static_assert(offsetof(TTransitionStyle, pSoundOnClick) == 1056);
} // namespace UX
