#pragma once
// The toolkit's drawing operations: quads appended to the canvas batch of their texture (six
// vertices, two triangles, a quad), cut against a clip rectangle with their texture
// coordinates in proportion, and the frames and slices of icon strips. Lines are thin quads of
// the white texture so that they keep their place among the quads (the canvas's line batch is
// drawn before its triangles).
#include "core/system/name.h"
#include "core/system/types.h"

class TTexture;

struct TUIRect
{
    f32 fLeft;
    f32 fTop;
    f32 fRight;
    f32 fBottom;

    f32 Width() const { return fRight - fLeft; }
    f32 Height() const { return fBottom - fTop; }
};

// What a slice takes of its texture: the texture's width, the frame's height and rows (v from
// top to bottom), the borders in texture pixels (left, top, right, bottom) and their scale on
// the screen.
struct TUISliceSource
{
    f32 fWidth;
    f32 fHeight;
    f32 fTop;
    f32 fBottom;
    const f32* pBorder;
    f32 fScale;
};

constexpr f32 UI_DEPTH = 0.5f;

void UIDrawQuad(f32 left, f32 top, f32 right, f32 bottom, f32 u0, f32 v0, f32 u1, f32 v1, u32 argb,
                TTexture* texture, f32 depth = UI_DEPTH);
// The whole texture over the rectangle.
void UIDrawRect(const TUIRect& rect, u32 argb, TTexture* texture);
// The texture coordinates uv over the rectangle, cut to the clip rectangle when one is given;
// nothing when the quad lies entirely outside it.
void UIDrawQuadClipped(const TUIRect& rect, const TUIRect& uv, const TUIRect* clip, u32 argb,
                       TTexture* texture);
// Frame i of a vertical strip of count frames.
void UIDrawFrame(const TUIRect& rect, i32 frame, i32 count, u32 argb, TTexture* texture, const TUIRect* clip);
// Plain: one quad widened by the borders; three-slice: the width cut in three; nine-slice: both
// directions cut in three. The rectangle is the item's; the borders widen it.
void UIDrawPlain(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                 const TUIRect* clip);
void UIDrawThreeSlice(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                      const TUIRect* clip);
void UIDrawNineSlice(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                     const TUIRect* clip);
// A line one pixel wide (width in aperture units) and a rectangle outline, with the white
// texture; nothing without it.
void UIDrawLine(f32 x1, f32 y1, f32 x2, f32 y2, u32 argb, TTexture* white, f32 width);
void UIDrawRectFrame(const TUIRect& rect, u32 argb, TTexture* white, f32 width);
// A texture let go at a cluster unload keeps its name in the name; found again after a load
// (null when the new data has none).
void UIReleaseTexture(TTexture*& texture, TName& name);
void UIRestoreTexture(TTexture*& texture, const TName& name);
// The texture of the name; null when there is none, the name logged once.
TTexture* UIFindTexture(const TName& name);
// 0xAARRGGBB of a colour with its alpha multiplied, each component clamped to 0..1.
u32 UIColor(f32 r, f32 g, f32 b, f32 a);
