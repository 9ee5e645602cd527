#include "engine/input/inputcursor.h"

#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"

#include <algorithm>
#include <cmath>

namespace
{
// The move of one axis: raised to the exponent, its sign kept.
f32 Shape(f32 amount, f32 exponent)
{
    const f32 magnitude = std::pow(std::fabs(amount), exponent);
    return amount < 0.0f ? -magnitude : magnitude;
}
} // namespace

i32 TInputCursor::Show(bool visible, bool absolute)
{
    const bool wasHidden = IsHidden();
    if (absolute)
        nVisibility = visible ? 1 : 0;
    else
        nVisibility += visible ? 1 : -1;
    if (nVisibility > 0)
    {
        nFlags &= ~INPUT_CURSOR_HIDDEN;
        if (wasHidden && (nFlags & INPUT_CURSOR_FOLLOWS_POINTER))
            Position = TInputManager::Instance().GetPointerPosition();
    }
    else
        nFlags |= INPUT_CURSOR_HIDDEN;
    return nVisibility;
}

void TInputCursor::Move()
{
    if (!pMoveUp || !pMoveDown || !pMoveLeft || !pMoveRight || IsHidden() ||
        (nFlags & INPUT_CURSOR_FOLLOWS_POINTER))
        return;
    Position.x += Shape(pMoveRight->GetValue() - pMoveLeft->GetValue(), fExponent) * fSpeed;
    Position.y += Shape(pMoveUp->GetValue() - pMoveDown->GetValue(), fExponent) * fSpeed;
    if (g_pDeviceManager)
    {
        Position.x = std::clamp(Position.x, 0.0f, static_cast<f32>(g_pDeviceManager->GetVideoWidth()));
        Position.y = std::clamp(Position.y, 0.0f, static_cast<f32>(g_pDeviceManager->GetVideoHeight()));
    }
}

void TInputCursor::Draw() const
{
    if (IsHidden() || !pTexture || !g_pCanvasManager)
        return;
    TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(6, pTexture);
    if (!v)
        return;
    const f32 x0 = Position.x - fHotSpotX;
    const f32 y0 = Position.y - fHotSpotY;
    const f32 x1 = x0 + fImageWidth;
    const f32 y1 = y0 + fImageHeight;
    const TCanvasVertex p0{x0, y0, 0.5f, 0.0f, 0.0f, 0.0f, 0xFFFFFFFF};
    const TCanvasVertex p1{x1, y0, 0.5f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFF};
    const TCanvasVertex p2{x1, y1, 0.5f, 0.0f, 1.0f, 1.0f, 0xFFFFFFFF};
    const TCanvasVertex p3{x0, y1, 0.5f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF};
    v[0] = p0;
    v[1] = p1;
    v[2] = p2;
    v[3] = p0;
    v[4] = p2;
    v[5] = p3;
}
