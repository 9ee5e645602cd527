#include "ui/uibutton.h"

#include "engine/render/texture.h"
#include "ui/uiicon.h"
#include "ui/uimanager.h"
#include "ui/uistyle.h"

#include <algorithm>
#include <cmath>

VESTAMOR_UI_ITEM(TUIButton);

namespace
{
constexpr f32 PI = 3.14159265f;

// Moves the amount towards the target by the step, within 0..1; a time of 0 jumps.
f32 Approach(f32 amount, f32 target, f32 step, f32 time)
{
    if (time == 0.0f)
        return target;
    const f32 delta = step / time * 2.0f;
    return std::clamp(amount < target ? amount + delta : amount - delta, std::min(amount, target),
                      std::max(amount, target));
}
} // namespace

TUIButton::TUIButton()
    : m_fHighlightTime(0.25f), m_fHighlight(0.0f), m_fHoverTime(0.5f), m_fHover(0.0f), m_fFadeInTime(0.2f),
      m_fFadeOutTime(0.2f), m_nFadeState(UI_FADE_OPEN), m_fFadePhase(1.0f), m_fFlashTime(1.0f),
      m_fFlashPhase(0.0f), m_fCheck(0.0f), m_fCheckTime(0.5f), m_pImage(nullptr), m_nFocusMark(0),
      m_nFocusState(0), m_nToggle(0), m_GlowColor{1.0f, 1.0f, 1.0f, 1.0f}, m_pIcon(nullptr),
      m_nClip(0), m_Clip{}
{
    m_nFlags |= UI_INPUT_WHILE_CLOSED;
    m_Caption.m_fSize = UI_BUTTON_CAPTION_SIZE;
    m_Caption.SetMargins(UI_BUTTON_MARGIN_H, UI_BUTTON_MARGIN_V);
}

f32 TUIButton::GetPulse()
{
    return 0.5f - 0.5f * std::cos(PI * m_fFlashPhase);
}

void TUIButton::OnClick(u32& select)
{
    const f32 step = g_pUIManager ? g_pUIManager->m_Input.fStep : 0.0f;
    if (m_fFlashPhase == 0.0f)
        m_fFlashPhase = 1e-5f;
    else if (m_fFlashPhase > 0.5f)
        m_fFlashPhase = 1.0f - m_fFlashPhase;
    if (m_fFlashPhase < 0.5f && m_fFlashTime > 0.0f)
        m_fFlashPhase = std::min(m_fFlashPhase + step / m_fFlashTime * 2.0f, 0.5f);
    if (m_nToggle)
    {
        SetChecked(!(m_nFlags & UI_CHECKED));
        select = 0;
    }
}

i32 TUIButton::RequestShow(bool show, bool immediate)
{
    i32 waits = 0;
    if (show && !immediate && m_fFadeInTime != 0.0f)
    {
        if (m_nFadeState == UI_FADE_CLOSED || m_nFadeState == UI_FADE_OUT)
        {
            if (m_nFadeState == UI_FADE_CLOSED)
                m_fFadePhase = 0.0f;
            m_nFadeState = UI_FADE_IN;
            waits = 1;
        }
        else if (m_nFadeState == UI_FADE_IN)
            waits = 1;
    }
    else if (!show && !immediate && m_fFadeOutTime != 0.0f)
    {
        if (m_nFadeState == UI_FADE_IN || m_nFadeState == UI_FADE_OPEN)
        {
            if (m_nFadeState == UI_FADE_OPEN)
                m_fFadePhase = 1.0f;
            m_nFadeState = UI_FADE_OUT;
            waits = 1;
        }
        else if (m_nFadeState == UI_FADE_OUT)
            waits = 1;
    }
    else
    {
        m_nFadeState = show ? UI_FADE_OPEN : UI_FADE_CLOSED;
        m_fFadePhase = show ? 1.0f : 0.0f;
    }
    m_nFlags = (m_nFadeState == UI_FADE_IN || m_nFadeState == UI_FADE_OUT) ? (m_nFlags | UI_FADING)
                                                                           : (m_nFlags & ~UI_FADING);
    return waits;
}

void TUIButton::HandleInput(f32 step, bool inside, u32& select)
{
    // Flash.
    if (m_fFlashTime == 0.0f)
        m_fFlashPhase = select ? 0.5f : 0.0f;
    else if (!select && m_fFlashPhase != 0.0f)
    {
        m_fFlashPhase += step / m_fFlashTime * 2.0f;
        if (m_fFlashPhase >= 1.0f)
            m_fFlashPhase = 0.0f;
    }
    // Check fade of toggle buttons.
    if (m_nToggle)
    {
        const f32 target = (m_nFlags & UI_CHECKED) ? 1.0f : 0.0f;
        m_fCheck = m_fCheckTime == 0.0f ? target : Approach(m_fCheck, target, step * 0.5f, m_fCheckTime);
    }
    // Open fade.
    if (m_nFadeState == UI_FADE_IN)
    {
        m_fFadePhase += step / m_fFadeInTime * 2.0f;
        if (m_fFadePhase > 1.0f)
        {
            m_fFadePhase = 1.0f;
            m_nFadeState = UI_FADE_OPEN;
            m_nFlags &= ~UI_FADING;
            Show(true, true);
        }
    }
    else if (m_nFadeState == UI_FADE_OUT)
    {
        m_fFadePhase -= step / m_fFadeOutTime * 2.0f;
        if (m_fFadePhase < 0.0f)
        {
            m_fFadePhase = 0.0f;
            m_nFadeState = UI_FADE_CLOSED;
            m_nFlags &= ~UI_FADING;
            Show(false, true);
        }
    }
    // Hover and highlight.
    if (IsInactive())
    {
        m_fFlashPhase = m_fHover = m_fHighlight = 0.0f;
        return;
    }
    m_fHover = Approach(m_fHover, inside ? 1.0f : 0.0f, step, m_fHoverTime);
    m_fHighlight = Approach(m_fHighlight, (m_nFlags & UI_HIGHLIGHTED) ? 1.0f : 0.0f, step, m_fHighlightTime);
}

void TUIButton::SetIconByName(const char* name)
{
    m_pIcon = g_pUIManager ? g_pUIManager->__FindIcon(TName(name, true)) : nullptr;
}

void TUIButton::_FitToIcon(const TUIIcon* icon)
{
    if (!icon || !icon->pNormal)
        return;
    const i32 frames = icon->nFrameCount < 1 ? 1 : icon->nFrameCount;
    SetSize(static_cast<f32>(icon->pNormal->m_nWidth),
            static_cast<f32>(icon->pNormal->m_nHeight) / static_cast<f32>(frames));
}

void TUIButton::FitToParent(bool cover)
{
    const TUIIcon* icon = GetDrawnIcon();
    const TTexture* image = m_pImage ? m_pImage : icon ? icon->pNormal : nullptr;
    if (!image || !m_pParent || image->m_nHeight <= 0)
        return;
    f32 parentWidth, parentHeight;
    m_pParent->GetInnerSize(parentWidth, parentHeight);
    const f32 aspect = static_cast<f32>(image->m_nWidth) / static_cast<f32>(image->m_nHeight);
    f32 width = parentWidth;
    f32 height = width / aspect;
    if (cover ? height < parentHeight : height > parentHeight)
    {
        height = parentHeight;
        width = height * aspect;
    }
    SetSize(width, height);
    SetPosition((parentWidth - width) * 0.5f, (parentHeight - height) * 0.5f);
}

void TUIButton::SetClip(const TUIRect* clip)
{
    m_nClip = clip ? 1 : 0;
    if (clip)
        m_Clip = *clip;
}

void TUIButton::ReleaseClusterData()
{
    if (m_pIcon)
        m_IconName = m_pIcon->Name;
    m_pIcon = nullptr;
    UIReleaseTexture(m_pImage, m_ImageName);
    TUIItem::ReleaseClusterData();
}

void TUIButton::RestoreClusterData()
{
    if (m_IconName.GetId() && g_pUIManager)
        m_pIcon = g_pUIManager->__FindIcon(m_IconName);
    UIRestoreTexture(m_pImage, m_ImageName);
    TUIItem::RestoreClusterData();
}

const TUIIcon* TUIButton::GetDrawnIcon() const
{
    return m_pStyle && m_pStyle->pIcon ? m_pStyle->pIcon : m_pIcon;
}

u32 TUIButton::GetIconState()
{
    if (m_nFocusMark)
        return m_nFocusState;
    if (!IsVisible())
        return UI_STATE_DISABLED;
    if (m_fHover != 0.0f)
        return UI_STATE_OVER;
    if (GetPulse() != 0.0f)
        return UI_STATE_DOWN;
    if (m_nToggle && m_fCheck == 1.0f)
        return UI_STATE_CHECKED;
    return UI_STATE_NORMAL;
}

f32 TUIButton::DrawnOpacity() const
{
    const f32 opacity = m_fEffectiveOpacity * ((m_nFlags & UI_FADING) ? m_fFadePhase : 1.0f);
    return std::clamp(opacity, 0.0f, 1.0f);
}

i32 TUIButton::Draw()
{
    DrawButton(DrawnOpacity());
    return 0;
}

void TUIButton::DrawButton(f32 opacity)
{
    const TUIIcon* icon = GetDrawnIcon();
    if (m_Caption.IsEmpty() && !icon && !m_pImage)
        return;
    const TUIRect rect = GetAbsoluteRect();
    const TUIRect clip = {rect.fLeft + m_Clip.fLeft, rect.fTop + m_Clip.fTop, rect.fLeft + m_Clip.fRight,
                          rect.fTop + m_Clip.fBottom};
    const TUIRect* clipping = m_nClip ? &clip : nullptr;
    auto white = [](f32 alpha) { return UIColor(1.0f, 1.0f, 1.0f, alpha); };
    const f32 pulse = GetPulse();
    u32 drawn = UI_STATE_NORMAL;
    if (icon)
    {
        if (m_nFocusMark)
            icon->Draw(rect, drawn = m_nFocusState, white(opacity), clipping);
        else if (!IsVisible())
            icon->Draw(rect, drawn = UI_STATE_DISABLED, white(opacity), clipping);
        else
        {
            icon->Draw(rect, UI_STATE_NORMAL, white((1.0f - m_fCheck) * opacity), clipping);
            if (m_nToggle && m_fCheck > 0.0f)
                icon->Draw(rect, UI_STATE_CHECKED, white(m_fCheck * opacity), clipping);
            TTexture* whiteTexture = g_pUIManager ? g_pUIManager->GetWhiteTexture() : nullptr;
            const f32 pixel = g_pUIManager ? g_pUIManager->GetPixelSize() : 1.0f;
            const TUIRect outline = {rect.fLeft - icon->aBorder[0], rect.fTop - icon->aBorder[1],
                                     rect.fRight + icon->aBorder[2], rect.fBottom + icon->aBorder[3]};
            auto glow = [&](f32 alpha) {
                if (m_nFlags & UI_GLOW)
                    UIDrawRectFrame(
                        outline, UIColor(m_GlowColor.r, m_GlowColor.g, m_GlowColor.b, m_GlowColor.a * alpha),
                        whiteTexture, pixel);
            };
            if (pulse != 0.0f)
            {
                icon->Draw(rect, UI_STATE_DOWN, white(pulse * opacity), clipping);
                glow(pulse * opacity);
            }
            if (m_fHover != 0.0f)
            {
                icon->Draw(rect, UI_STATE_OVER, white(m_fHover * (1.0f - pulse) * opacity), clipping);
                glow(m_fHover * (1.0f - pulse) * opacity);
            }
            drawn = GetIconState();
        }
    }
    else
        drawn = GetIconState();
    if (m_pImage)
        UIDrawRect(rect, white(opacity), m_pImage);
    if (!m_Caption.IsEmpty())
    {
        m_Caption.ApplyStyle(m_pStyle, drawn);
        m_Caption.Draw(rect, opacity);
    }
}
