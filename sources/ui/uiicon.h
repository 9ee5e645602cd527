#pragma once
// TUIIcon (stored type 106, 88 bytes): the image of an item: one texture per visual state, or
// a vertical strip of frames in pNormal with a frame index per state; drawn plain, three-sliced
// or nine-sliced around the item's rectangle widened by the four borders.
#include "core/system/name.h"
#include "ui/uidraw.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

constexpr u16 UI_ICON_TYPE_ID = 106;
constexpr u32 UI_STATE_COUNT = 6;

// Visual states: 1 is checked (toggle buttons) or focused in the active menu, 4 focused in an
// inactive menu.
enum EUIState : u32
{
    UI_STATE_NORMAL,
    UI_STATE_CHECKED,
    UI_STATE_OVER,
    UI_STATE_DOWN,
    UI_STATE_INACTIVE_FOCUS,
    UI_STATE_DISABLED
};

enum EUISlicing : i32
{
    UI_SLICE_PLAIN,
    UI_SLICE_THREE,
    UI_SLICE_NINE
};

struct TUIIcon
{
    // The frame of a state (a negative index takes the normal state's); -1 when there is none.
    i32 GetFrame(u32 state) const;
    // The height of one frame for sizing entries: the texture's height over one more than the
    // highest frame index of the states.
    f32 GetEntryFrameHeight() const;
    // The texture drawn for the state and the texture rows of its frame; null when the state
    // draws nothing (bad frames and textures are logged once).
    TTexture* Resolve(u32 state, f32& top, f32& bottom) const;
    // Draws the state's image around the rectangle (scale s multiplies the borders), cut to
    // the clip rectangle when one is given.
    void Draw(const TUIRect& rect, u32 state, u32 argb, const TUIRect* clip, f32 scale = 1.0f) const;

    TName Name;
    // Left, top, right, bottom, in texture pixels.
    f32 aBorder[4];
    i32 aFrame[UI_STATE_COUNT];
    // Below 1: one texture per state.
    i32 nFrameCount;
    i32 nSlicing;
    u32 aReserved[4];
    TTexture* pNormal;
    TTexture* pDown;
    TTexture* pMouseOver;
    TTexture* pDisabled;
    TTexture* pGlow;
};

static_assert(sizeof(TUIIcon) == 88);
static_assert(offsetof(TUIIcon, aBorder) == 4);
static_assert(offsetof(TUIIcon, aFrame) == 20);
static_assert(offsetof(TUIIcon, nFrameCount) == 44);
static_assert(offsetof(TUIIcon, nSlicing) == 48);
static_assert(offsetof(TUIIcon, pNormal) == 68);
static_assert(offsetof(TUIIcon, pGlow) == 84);

const TClusterTypeDecl& UIIconDecl();
