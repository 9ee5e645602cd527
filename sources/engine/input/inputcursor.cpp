#include "engine/input/inputcursor.h"

#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"

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
    // The canvas's alpha-blended shader kind.
    constexpr i32 kAlphaShader = 1;
    const TVector& pointer = TInputManager::Instance().GetPointerPosition();
    const f32 width = fImageWidth > 0.0f ? fImageWidth : static_cast<f32>(pTexture->m_nWidth);
    const f32 height = fImageHeight > 0.0f ? fImageHeight : static_cast<f32>(pTexture->m_nHeight);
    const f32 x = pointer.x - fHotSpotX;
    const f32 y = pointer.y - fHotSpotY;
    g_pCanvasManager->DrawTexture(x, y, x + width, y + height, g_pCanvasManager->SetShader(pTexture, kAlphaShader),
                                  TColor{1.0f, 1.0f, 1.0f, 1.0f});
}
