#include "ui/uiwindow.h"

#include "engine/render/texture.h"

#include <algorithm>

VESTAMOR_UI_ITEM(TUIWindow);

namespace
{
void DrawPanel(TTexture* frame, const TUIRect& rect, f32 border, u32 argb)
{
    if (!frame || frame->m_nWidth <= 0 || frame->m_nHeight <= 0)
        return;
    // The borders inside the rectangle, never more than half the texture.
    const f32 b = std::min({border, frame->m_nWidth * 0.5f, frame->m_nHeight * 0.5f});
    const f32 borders[4] = {b, b, b, b};
    const TUISliceSource source{
        static_cast<f32>(frame->m_nWidth), static_cast<f32>(frame->m_nHeight), 0.0f, 1.0f, borders, 1.0f};
    UIDrawNineSlice({rect.fLeft + b, rect.fTop + b, rect.fRight - b, rect.fBottom - b}, source, argb, frame,
                    nullptr);
}
} // namespace

i32 TUIWindow::Draw()
{
    const f32 opacity = std::clamp(m_fEffectiveOpacity * m_fFadePhase, 0.0f, 1.0f);
    const TUIRect rect = GetAbsoluteRect();
    if (m_fTitleHeight <= 0.0f)
        DrawPanel(m_pFrame, rect, m_fFrameBorder, UIColor(1.0f, 1.0f, 1.0f, opacity));
    else
    {
        const f32 split = rect.fTop + m_fTitleHeight;
        DrawPanel(m_pFrame, {rect.fLeft, rect.fTop, rect.fRight, split}, m_fFrameBorder,
                  UIColor(m_TitleColor.r, m_TitleColor.g, m_TitleColor.b, m_TitleColor.a * opacity));
        DrawPanel(m_pFrame, {rect.fLeft, split, rect.fRight, rect.fBottom}, m_fFrameBorder,
                  UIColor(1.0f, 1.0f, 1.0f, opacity));
    }
    DrawButton(opacity);
    return 0;
}
