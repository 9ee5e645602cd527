#include "ui/uidraw.h"

#include "core/system/log.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace
{
constexpr i32 QUAD_VERTICES = 6;
} // namespace

void UIDrawQuad(f32 left, f32 top, f32 right, f32 bottom, f32 u0, f32 v0, f32 u1, f32 v1, u32 argb,
                TTexture* texture, f32 depth)
{
    if (!g_pCanvasManager || !texture)
        return;
    TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(QUAD_VERTICES, texture);
    if (!v)
        return;
    v[0] = {left, top, depth, 0.0f, u0, v0, argb};
    v[1] = {right, top, depth, 0.0f, u1, v0, argb};
    v[2] = {right, bottom, depth, 0.0f, u1, v1, argb};
    v[3] = v[0];
    v[4] = v[2];
    v[5] = {left, bottom, depth, 0.0f, u0, v1, argb};
}

void UIDrawRect(const TUIRect& rect, u32 argb, TTexture* texture)
{
    UIDrawQuad(rect.fLeft, rect.fTop, rect.fRight, rect.fBottom, 0.0f, 0.0f, 1.0f, 1.0f, argb, texture);
}

void UIDrawQuadClipped(const TUIRect& rect, const TUIRect& uv, const TUIRect* clip, u32 argb,
                       TTexture* texture)
{
    TUIRect r = rect;
    TUIRect t = uv;
    if (clip)
    {
        if (r.fRight <= clip->fLeft || r.fLeft >= clip->fRight || r.fBottom <= clip->fTop ||
            r.fTop >= clip->fBottom)
            return;
        const f32 w = r.Width();
        const f32 h = r.Height();
        const f32 du = w != 0.0f ? (uv.fRight - uv.fLeft) / w : 0.0f;
        const f32 dv = h != 0.0f ? (uv.fBottom - uv.fTop) / h : 0.0f;
        if (r.fLeft < clip->fLeft)
        {
            t.fLeft += (clip->fLeft - r.fLeft) * du;
            r.fLeft = clip->fLeft;
        }
        if (r.fRight > clip->fRight)
        {
            t.fRight -= (r.fRight - clip->fRight) * du;
            r.fRight = clip->fRight;
        }
        if (r.fTop < clip->fTop)
        {
            t.fTop += (clip->fTop - r.fTop) * dv;
            r.fTop = clip->fTop;
        }
        if (r.fBottom > clip->fBottom)
        {
            t.fBottom -= (r.fBottom - clip->fBottom) * dv;
            r.fBottom = clip->fBottom;
        }
    }
    UIDrawQuad(r.fLeft, r.fTop, r.fRight, r.fBottom, t.fLeft, t.fTop, t.fRight, t.fBottom, argb, texture);
}

void UIDrawFrame(const TUIRect& rect, i32 frame, i32 count, u32 argb, TTexture* texture, const TUIRect* clip)
{
    if (count < 1 || frame < 0 || frame >= count)
        return;
    const f32 n = static_cast<f32>(count);
    UIDrawQuadClipped(rect, {0.0f, static_cast<f32>(frame) / n, 1.0f, static_cast<f32>(frame + 1) / n}, clip,
                      argb, texture);
}

void UIDrawPlain(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                 const TUIRect* clip)
{
    const f32* b = source.pBorder;
    const f32 s = source.fScale;
    UIDrawQuadClipped(
        {rect.fLeft - b[0] * s, rect.fTop - b[1] * s, rect.fRight + b[2] * s, rect.fBottom + b[3] * s},
        {0.0f, source.fTop, 1.0f, source.fBottom}, clip, argb, texture);
}

namespace
{
// The three pieces of one direction: screen edges e[0..3] and texture edges t[0..3] (in 0..1)
// for a texture extent of size pixels, borders near and far, the item's edges a and b.
void Cut(f32 a, f32 b, f32 size, f32 near, f32 far, f32 scale, f32 e[4], f32 t[4])
{
    const f32 third = (size - near - far) / 3.0f;
    e[0] = a - near * scale;
    e[1] = a + third;
    e[2] = b - third;
    e[3] = b + far * scale;
    t[0] = 0.0f;
    t[1] = (near + third) / size;
    t[2] = (size - far - third) / size;
    t[3] = 1.0f;
}
} // namespace

void UIDrawThreeSlice(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                      const TUIRect* clip)
{
    const f32* b = source.pBorder;
    f32 x[4], u[4];
    Cut(rect.fLeft, rect.fRight, source.fWidth, b[0], b[2], source.fScale, x, u);
    const f32 top = rect.fTop - b[1] * source.fScale;
    const f32 bottom = rect.fBottom + b[3] * source.fScale;
    for (i32 i = 0; i < 3; ++i)
        UIDrawQuadClipped({x[i], top, x[i + 1], bottom}, {u[i], source.fTop, u[i + 1], source.fBottom}, clip,
                          argb, texture);
}

void UIDrawNineSlice(const TUIRect& rect, const TUISliceSource& source, u32 argb, TTexture* texture,
                     const TUIRect* clip)
{
    const f32* b = source.pBorder;
    f32 x[4], u[4], y[4], v[4];
    Cut(rect.fLeft, rect.fRight, source.fWidth, b[0], b[2], source.fScale, x, u);
    Cut(rect.fTop, rect.fBottom, source.fHeight, b[1], b[3], source.fScale, y, v);
    // The rows of the frame within its strip.
    for (f32& row : v)
        row = source.fTop + row * (source.fBottom - source.fTop);
    for (i32 j = 0; j < 3; ++j)
        for (i32 i = 0; i < 3; ++i)
            UIDrawQuadClipped({x[i], y[j], x[i + 1], y[j + 1]}, {u[i], v[j], u[i + 1], v[j + 1]}, clip, argb,
                              texture);
}

void UIDrawLine(f32 x1, f32 y1, f32 x2, f32 y2, u32 argb, TTexture* white, f32 width)
{
    if (!white)
        return;
    const f32 dx = x2 - x1;
    const f32 dy = y2 - y1;
    const f32 length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f)
        return;
    // Half the width to each side of the line.
    const f32 nx = -dy / length * width * 0.5f;
    const f32 ny = dx / length * width * 0.5f;
    if (!g_pCanvasManager)
        return;
    TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(QUAD_VERTICES, white);
    if (!v)
        return;
    v[0] = {x1 + nx, y1 + ny, UI_DEPTH, 0.0f, 0.5f, 0.5f, argb};
    v[1] = {x2 + nx, y2 + ny, UI_DEPTH, 0.0f, 0.5f, 0.5f, argb};
    v[2] = {x2 - nx, y2 - ny, UI_DEPTH, 0.0f, 0.5f, 0.5f, argb};
    v[3] = v[0];
    v[4] = v[2];
    v[5] = {x1 - nx, y1 - ny, UI_DEPTH, 0.0f, 0.5f, 0.5f, argb};
}

void UIDrawRectFrame(const TUIRect& rect, u32 argb, TTexture* white, f32 width)
{
    // Four bars inside the rectangle's edges, the corners drawn once.
    const f32 l = rect.fLeft, t = rect.fTop, r = rect.fRight, b = rect.fBottom;
    UIDrawQuad(l, t, r, t + width, 0.5f, 0.5f, 0.5f, 0.5f, argb, white);
    UIDrawQuad(l, b - width, r, b, 0.5f, 0.5f, 0.5f, 0.5f, argb, white);
    UIDrawQuad(l, t + width, l + width, b - width, 0.5f, 0.5f, 0.5f, 0.5f, argb, white);
    UIDrawQuad(r - width, t + width, r, b - width, 0.5f, 0.5f, 0.5f, 0.5f, argb, white);
}

void UIReleaseTexture(TTexture*& texture, TName& name)
{
    if (texture)
        name = texture->m_Name;
    texture = nullptr;
}

void UIRestoreTexture(TTexture*& texture, const TName& name)
{
    if (name.GetId() && g_pTextureManager)
        texture = g_pTextureManager->FindTexture(name);
}

TTexture* UIFindTexture(const TName& name)
{
    TTexture* texture = g_pTextureManager ? g_pTextureManager->FindTexture(name) : nullptr;
    static std::set<u32> s_Told;
    if (!texture && s_Told.insert(name.GetId()).second)
        TLog::Print(g_pSystemLog, LOG_ERROR, "UIFindTexture(): error: ", "'%s': undefined texture", name.GetText());
    return texture;
}

u32 UIColor(f32 r, f32 g, f32 b, f32 a)
{
    auto byte = [](f32 c) { return static_cast<u32>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}
