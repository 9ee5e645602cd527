#include "ui/uislider.h"

#include "core/system/log.h"
#include "engine/render/texture.h"
#include "ui/uibutton.h"
#include "ui/uimanager.h"

#include <algorithm>
#include <cmath>

VESTAMOR_UI_ITEM(TUISlider);

namespace
{
// A change never needs more clicks than this; a step of 0 would otherwise loop for ever.
constexpr u32 MAX_STEP_CLICKS = 4096;
} // namespace

TUISlider::TUISlider()
{
    // In drawing order: the track under the thumb, the step buttons over both.
    m_pTrack = static_cast<TUIButton*>(CreateChild("TUIButton", "Buttons"));
    m_pThumb = static_cast<TUIButton*>(CreateChild("TUIButton", "ButtonMiddle"));
    m_pUp = static_cast<TUIButton*>(CreateChild("TUIButton", "ButtonUp"));
    m_pDown = static_cast<TUIButton*>(CreateChild("TUIButton", "ButtonDown"));
    m_pUp->OnClickList.Add([this](TUIItem*, const void*) {
        StepDown();
        return 0;
    });
    m_pDown->OnClickList.Add([this](TUIItem*, const void*) {
        StepUp();
        return 0;
    });
}

TUISlider* TUISlider::Create(TUIItem* parent, const char* name, f32 width, f32 height, const char* trackIcon,
                             const char* upIcon, const char* downIcon, const char* thumbIcon, f32 step,
                             f32 maximum, f32 value, bool horizontal, u32 thumbMode, TTexture* tick)
{
    TUIItem* item = parent
                        ? parent->CreateChild("TUISlider", name)
                        : (g_pUIManager ? g_pUIManager->CreateItem("TUISlider", name, 0.0f, 0.0f) : nullptr);
    auto* slider = static_cast<TUISlider*>(item);
    if (!slider)
        return nullptr;
    slider->m_nHorizontal = horizontal ? 1 : 0;
    slider->m_nThumbMode = thumbMode;
    slider->m_fStep = step;
    slider->m_fMaximum = std::max(maximum, thumbMode != UI_THUMB_NONE ? 1.0f : 0.0f);
    slider->m_fValue = std::clamp(value, 0.0f, slider->m_fMaximum);
    slider->m_pTick = tick;
    const char* icons[4] = {trackIcon, upIcon, downIcon, thumbIcon};
    TUIButton* buttons[4] = {slider->m_pTrack, slider->m_pUp, slider->m_pDown, slider->m_pThumb};
    for (u32 i = 0; i < 4; ++i)
    {
        if (!icons[i] || !icons[i][0])
            continue;
        buttons[i]->SetIconByName(icons[i]);
        if (buttons[i]->m_Size.x == 0.0f || buttons[i]->m_Size.y == 0.0f)
            buttons[i]->_FitToIcon(buttons[i]->m_pIcon);
    }
    slider->SetSize(width, height);
    slider->UpdateLayout();
    return slider;
}

f32 TUISlider::GetLimit() const
{
    return m_nThumbMode != UI_THUMB_NONE ? std::max(m_fMinimum, m_fMaximum - m_fVisibleRange) : m_fMaximum;
}

void TUISlider::SetValue(f32 value)
{
    m_fValue = std::clamp(value, m_fMinimum, std::max(m_fMinimum, m_fMaximum));
    UpdateLayout();
}

void TUISlider::SetValueAndNotify(f32 value)
{
    SetValue(value);
    OnChange.Fire(this);
}

void TUISlider::SetMaxValue(f32 maximum)
{
    m_fMaximum = std::max(maximum, m_fMinimum);
    SetValue(m_fValue);
}

void TUISlider::SetMinimumOne(bool on)
{
    SetMinimum(on ? 1.0f : 0.0f);
}

void TUISlider::SetMinimum(f32 minimum)
{
    m_fMinimum = minimum;
    SetMaxValue(m_fMaximum);
}

void TUISlider::SetVisibleRange(f32 range)
{
    m_fVisibleRange = std::max(range, 0.0f);
}

bool TUISlider::AddLabel(const char* text)
{
    if (m_nLabelCount >= UI_SLIDER_LABEL_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TUISlider::AddLabel(): error: ", "'%s': more than %u labels on '%s'", text,
                    UI_SLIDER_LABEL_CAPACITY, m_Name.GetText());
        return false;
    }
    m_aLabel[m_nLabelCount++] = TName(text, true);
    UpdateCaption();
    return true;
}

void TUISlider::UpdateCaption()
{
    const f32 index = std::floor(m_fValue);
    if (index >= 0.0f && index < static_cast<f32>(m_nLabelCount))
        m_Caption.SetText(m_aLabel[static_cast<u32>(index)].GetText());
}

void TUISlider::StepDown()
{
    if (m_fValue <= m_fMinimum)
        return;
    m_fValue = std::max(m_fValue - m_fStep, m_fMinimum);
    OnChange.Fire(this);
    UpdateLayout();
}

void TUISlider::StepUp()
{
    if (m_fValue >= GetLimit())
        return;
    m_fValue = std::min(m_fValue + m_fStep, GetLimit());
    OnChange.Fire(this);
    UpdateLayout();
}

f32 TUISlider::Along(f32 value, f32 start, f32 length) const
{
    const f32 span = GetLimit() - m_fMinimum;
    const f32 t = span > 0.0f ? std::clamp((value - m_fMinimum) / span, 0.0f, 1.0f) : 0.0f;
    return start + m_fThumbInset + t * (length - 2.0f * m_fThumbInset);
}

void TUISlider::OnLayout()
{
    m_fValue = std::clamp(m_fValue, m_fMinimum, GetLimit());
    UpdateCaption();
    // Along the axis (a) and across it (c): vertical sliders run along y.
    const bool h = m_nHorizontal != 0;
    const f32 length = h ? m_Size.x : m_Size.y;
    const f32 breadth = h ? m_Size.y : m_Size.x;
    auto place = [h](TUIButton* button, f32 a, f32 c, f32 sizeA, f32 sizeC) {
        if (h)
        {
            button->SetPosition(a, c);
            button->SetSize(sizeA, sizeC);
        }
        else
        {
            button->SetPosition(c, a);
            button->SetSize(sizeC, sizeA);
        }
    };
    for (TUIButton* button : {m_pUp, m_pDown})
    {
        const f32 own = m_fButtonSize > 0.0f ? m_fButtonSize : (h ? button->m_Size.x : button->m_Size.y);
        const f32 across = m_fButtonSize > 0.0f ? m_fButtonSize : (h ? button->m_Size.y : button->m_Size.x);
        const f32 a = button == m_pUp ? m_fButtonOffset : length - m_fButtonOffset - own;
        place(button, a, (breadth - across) * 0.5f, own, across);
    }
    m_pUp->SetVisible(m_fValue > m_fMinimum);
    m_pDown->SetVisible(m_fValue < GetLimit());
    const f32 trackStart = m_fTrackInset;
    const f32 trackLength = std::max(0.0f, length - 2.0f * m_fTrackInset);
    place(m_pTrack, trackStart, 0.0f, trackLength, breadth);
    if (m_nThumbMode == UI_THUMB_NONE)
    {
        m_pThumb->Show(false, true);
        return;
    }
    m_pThumb->Show(true, true);
    if (m_nThumbMode == UI_THUMB_KNOB)
    {
        const f32 own = h ? m_pThumb->m_Size.x : m_pThumb->m_Size.y;
        const f32 across = h ? m_pThumb->m_Size.y : m_pThumb->m_Size.x;
        place(m_pThumb, Along(m_fValue, trackStart, trackLength) - own * 0.5f, (breadth - across) * 0.5f, own,
              across);
        m_pThumb->SetClip(nullptr);
        return;
    }
    // The thumb covers the track and reveals the visible range (or the filled part of a bar).
    place(m_pThumb, trackStart, 0.0f, trackLength, breadth);
    f32 from, to;
    if (m_fVisibleRange > 0.0f && m_fMaximum > 0.0f)
    {
        from = m_fValue / m_fMaximum;
        to = std::min(1.0f, (m_fValue + m_fVisibleRange) / m_fMaximum);
    }
    else
    {
        from = 0.0f;
        const f32 span = m_fMaximum - m_fMinimum;
        to = span > 0.0f ? (m_fValue - m_fMinimum) / span : 0.0f;
    }
    const TUIRect clip = h ? TUIRect{from * trackLength, 0.0f, to * trackLength, breadth}
                           : TUIRect{0.0f, from * trackLength, breadth, to * trackLength};
    m_pThumb->SetClip(&clip);
}

void TUISlider::DrawOver()
{
    const TUIRect rect = GetAbsoluteRect();
    if (m_pTick && m_fStep > 0.0f && m_pTick->m_nWidth > 0)
    {
        const f32 span = GetLimit() - m_fMinimum;
        const u32 steps = static_cast<u32>(std::floor(span / m_fStep + 0.5f));
        const u32 every = steps > UI_SLIDER_DENSE_TICKS ? 2 : 1;
        const f32 w = static_cast<f32>(m_pTick->m_nWidth);
        const f32 hh = static_cast<f32>(m_pTick->m_nHeight);
        const f32 length = (m_nHorizontal ? m_Size.x : m_Size.y) - 2.0f * m_fTrackInset;
        const f32 start = (m_nHorizontal ? rect.fLeft : rect.fTop) + m_fTrackInset;
        const u32 argb = UIColor(1.0f, 1.0f, 1.0f, m_fEffectiveOpacity);
        for (u32 k = 0; k <= steps; k += every)
        {
            const f32 at = Along(m_fMinimum + static_cast<f32>(k) * m_fStep, start, length);
            if (m_nHorizontal)
            {
                const f32 y = rect.fTop + (m_Size.y - hh) * 0.5f;
                UIDrawRect({at - w * 0.5f, y, at + w * 0.5f, y + hh}, argb, m_pTick);
            }
            else
            {
                const f32 x = rect.fLeft + (m_Size.x - w) * 0.5f;
                UIDrawRect({x, at - hh * 0.5f, x + w, at + hh * 0.5f}, argb, m_pTick);
            }
        }
    }
    m_Caption.Draw(rect, m_fEffectiveOpacity);
}

void TUISlider::MoveTowards(f32 target)
{
    const bool down = target < m_fValue;
    TUIButton* button = down ? m_pUp : m_pDown;
    for (u32 i = 0; i < MAX_STEP_CLICKS; ++i)
    {
        if (!button->IsVisible() || button->OnClickList.IsEmpty())
            return;
        const f32 before = m_fValue;
        if (down ? before <= target : before >= target)
            return;
        u32 select = 1;
        button->Click(select);
        // Stop when it no longer moves, or would pass the target on the next step.
        if (m_fValue == before || (down ? m_fValue - m_fStep < target : m_fValue + m_fStep > target))
            return;
    }
}

void TUISlider::HandleInput(f32, bool inside, u32& select)
{
    if ((m_nFlags & UI_IGNORES_SELECT) || !g_pUIManager)
        return;
    const bool dragging = m_nDragging && (m_nFlags & UI_SWALLOWS_SELECT);
    if (!dragging)
        m_nDragging = 0;
    if (!dragging && !(select && inside))
        return;
    const TVector& pointer = g_pUIManager->m_Input.Pointer;
    const bool h = m_nHorizontal != 0;
    const f32 length = (h ? m_Size.x : m_Size.y) - 2.0f * m_fThumbInset;
    const f32 at = (h ? pointer.x - m_Absolute.x : pointer.y - m_Absolute.y) - m_fThumbInset;
    f32 target = m_fValue;
    if (h)
    {
        const f32 span = GetLimit() - m_fMinimum;
        target = length > 0.0f ? m_fMinimum + std::clamp(at / length, 0.0f, 1.0f) * span : m_fValue;
        if (m_fStep > 0.0f)
            target = m_fMinimum + std::round((target - m_fMinimum) / m_fStep) * m_fStep;
    }
    else if (dragging)
    {
        if (length > 0.0f)
            target = m_fDragValue + (at - m_fDragPointer) * (m_fMaximum - m_fVisibleRange) / length;
    }
    else
    {
        // The thumb's span on the slider: the knob, or the part its clip rectangle reveals.
        const f32 page = std::max(m_fVisibleRange * 0.5f, 1.0f);
        const f32 rel = at + m_fThumbInset;
        f32 before = m_pThumb->m_Position.y;
        f32 after = before + m_pThumb->m_Size.y;
        if (m_nThumbMode == UI_THUMB_CLIP && m_pThumb->m_nClip)
        {
            after = before + m_pThumb->m_Clip.fBottom;
            before += m_pThumb->m_Clip.fTop;
        }
        if (rel < before)
            target = m_fValue - page;
        else if (rel > after)
            target = m_fValue + page;
        else
        {
            m_nDragging = 1;
            m_nFlags |= UI_SWALLOWS_SELECT;
            m_fDragValue = m_fValue;
            m_fDragPointer = at;
        }
    }
    select = 0;
    target = std::clamp(target, m_fMinimum, std::max(m_fMinimum, m_fMaximum));
    if (target != m_fValue)
        MoveTowards(target);
}
