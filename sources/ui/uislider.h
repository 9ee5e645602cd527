#pragma once
// TUISlider: a value bar with a step-down and a step-up button, a track and a thumb (also the
// grid's scroll bar). Every change goes through the buttons' steps, so that their events and
// sounds follow; a press on the track pages by half the visible range, the thumb drags, a
// horizontal slider takes the value under the pointer. Ticks mark the steps; a list of labels
// names the values (the caption shows the label of the current value). The minimum is 0, or 1
// with the minimum-one option.
#include "ui/uiitem.h"

class TTexture;
class TUIButton;

constexpr u32 UI_SLIDER_LABEL_CAPACITY = 64;
// Above this many steps only every second step has a tick.
constexpr u32 UI_SLIDER_DENSE_TICKS = 5;

enum EUIThumb : u32
{
    UI_THUMB_NONE,
    UI_THUMB_CLIP,
    UI_THUMB_KNOB
};

class TUISlider : public TUIItem
{
public:
    TUISlider();

    // A slider under the parent (a root without one), laid out, its buttons given their icons
    // by name (each sized to a frame of its icon when it has no size yet).
    static TUISlider* Create(TUIItem* parent, const char* name, f32 width, f32 height, const char* trackIcon,
                             const char* upIcon, const char* downIcon, const char* thumbIcon, f32 step,
                             f32 maximum, f32 value, bool horizontal, u32 thumbMode, TTexture* tick);

    void OnLayout() override;
    void DrawOver() override;
    void HandleInput(f32 step, bool inside, u32& select) override;
    void ReleaseClusterData() override
    {
        UIReleaseTexture(m_pTick, m_TickName);
        TUIItem::ReleaseClusterData();
    }
    void RestoreClusterData() override
    {
        UIRestoreTexture(m_pTick, m_TickName);
        TUIItem::RestoreClusterData();
    }

    void StepDown();
    void StepUp();
    // The value clamped into the range, laid out; the second fires OnChange too.
    void SetValue(f32 value);
    void SetValueAndNotify(f32 value);
    f32 GetValue() const { return m_fValue; }
    // The maximum, never below the minimum; the value is clamped into the new range.
    void SetMaxValue(f32 maximum);
    f32 GetMaxValue() const { return m_fMaximum; }
    void SetMinimumOne(bool on);
    // The minimum, the maximum kept at or above it; the value is clamped into the new range.
    void SetMinimum(f32 minimum);
    f32 GetMinimum() const { return m_fMinimum; }
    void SetVisibleRange(f32 range);
    // The highest value the thumb reaches: the maximum less the visible range in thumb mode.
    f32 GetLimit() const;
    // Label i names value i; a 65th label is refused with a log line.
    bool AddLabel(const char* text);
    void ClearLabels() { m_nLabelCount = 0; }
    u32 GetLabelCount() const { return m_nLabelCount; }
    const char* GetLabel(u32 index) const { return index < m_nLabelCount ? m_aLabel[index].GetText() : ""; }

    TUIButton* GetUpButton() const { return m_pUp; }
    TUIButton* GetDownButton() const { return m_pDown; }
    TUIButton* GetThumb() const { return m_pThumb; }
    TUIButton* GetTrack() const { return m_pTrack; }

    // 0: the buttons keep their own size.
    f32 m_fButtonSize = 0.0f;
    f32 m_fButtonOffset = 0.0f;
    f32 m_fTrackInset = 0.0f;
    f32 m_fThumbInset = 0.0f;
    f32 m_fValue = 0.0f;
    f32 m_fMaximum = 0.0f;
    f32 m_fStep = 1.0f;
    f32 m_fVisibleRange = 0.0f;
    f32 m_fDragValue = 0.0f;
    f32 m_fDragPointer = 0.0f;
    TTexture* m_pTick = nullptr;
    TName m_TickName;
    u32 m_nHorizontal = 0;
    u32 m_nThumbMode = UI_THUMB_CLIP;
    TUIListenerList OnChange;
    f32 m_fMinimum = 0.0f;

private:
    // Position along the track of a value (the thumb inset taken off both ends).
    f32 Along(f32 value, f32 start, f32 length) const;
    // Clicks the step button towards the target until the value stops moving towards it.
    void MoveTowards(f32 target);
    void UpdateCaption();

    TUIButton* m_pUp;
    TUIButton* m_pDown;
    TUIButton* m_pThumb;
    TUIButton* m_pTrack;
    u32 m_nDragging = 0;
    u32 m_nLabelCount = 0;
    TName m_aLabel[UI_SLIDER_LABEL_CAPACITY];
};
