#pragma once
// TInputCursor: a pointer image moved by the mouse or by four actions, with action slots that
// run scripts when pressed and released. Stored type 25.
#include "core/math/vector.h"
#include "core/system/name.h"

#include <cstddef>

class TInputAction;
class TScript;
class TTexture;

constexpr u16 INPUT_CURSOR_TYPE_ID = 25;
constexpr u32 INPUT_CURSOR_HIDDEN = 0x1;
constexpr u32 INPUT_CURSOR_FOLLOWS_POINTER = 0x4;
constexpr u32 INPUT_CURSOR_ACTION_COUNT = 5;

class TInputCursor
{
public:
    // absolute: the counter becomes 1 (visible) or 0; otherwise it counts up or down. The
    // cursor is visible while the counter is above 0. Returns the counter.
    i32 Show(bool visible, bool absolute);
    // Moves by the four movement actions (unless it follows the pointer).
    void Move();
    // The image at the position less the hot spot, through the canvas; nothing while hidden or
    // without a texture.
    void Draw() const;
    bool IsHidden() const { return (nFlags & INPUT_CURSOR_HIDDEN) != 0; }

    TName Name;
    u32 nFlags;
    TVector Position;
    i32 nVisibility;
    TInputAction* pMoveUp;
    TInputAction* pMoveDown;
    TInputAction* pMoveLeft;
    TInputAction* pMoveRight;
    f32 fSpeed;
    f32 fExponent;
    TInputAction* pAction[INPUT_CURSOR_ACTION_COUNT];
    TScript* pScriptActionDown[INPUT_CURSOR_ACTION_COUNT];
    TScript* pScriptActionUp[INPUT_CURSOR_ACTION_COUNT];
    f32 fImageWidth;
    f32 fImageHeight;
    f32 fHotSpotX;
    f32 fHotSpotY;
    TTexture* pTexture;
};

static_assert(sizeof(TInputCursor) == 132);
static_assert(offsetof(TInputCursor, Position) == 8);
static_assert(offsetof(TInputCursor, nVisibility) == 24);
static_assert(offsetof(TInputCursor, pMoveUp) == 28);
static_assert(offsetof(TInputCursor, fSpeed) == 44);
static_assert(offsetof(TInputCursor, pAction) == 52);
static_assert(offsetof(TInputCursor, pScriptActionDown) == 72);
static_assert(offsetof(TInputCursor, pScriptActionUp) == 92);
static_assert(offsetof(TInputCursor, fImageWidth) == 112);
static_assert(offsetof(TInputCursor, fHotSpotX) == 120);
static_assert(offsetof(TInputCursor, pTexture) == 128);
