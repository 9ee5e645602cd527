#pragma once
// TUIButton: the clickable, fading, highlightable base of every interactive item. Opening and
// closing fade (reversed mid-fade), the pointer's hover and the highlight fade in and out, a
// click flashes, a toggle button flips its checked state; the icon shows the state that wins
// (focus, disabled, mouse over, pressed, checked, normal).
#include "ui/uiitem.h"

class TTexture;
struct TUIIcon;

enum EUIFade : u32
{
    UI_FADE_CLOSED,
    UI_FADE_IN,
    UI_FADE_OPEN,
    UI_FADE_OUT
};

constexpr f32 UI_BUTTON_CAPTION_SIZE = 14.0f;
constexpr f32 UI_BUTTON_MARGIN_H = 12.0f;
constexpr f32 UI_BUTTON_MARGIN_V = 5.0f;

class TUIButton : public TUIItem
{
public:
    TUIButton();

    void OnClick(u32& select) override;
    f32 GetHighlight() override { return m_fHover; }
    i32 RequestShow(bool show, bool immediate) override;
    i32 Draw() override;
    void HandleInput(f32 step, bool inside, u32& select) override;
    virtual f32 GetHighlightAmount() { return m_fHighlight; }
    // The click flash: 0.5 - 0.5 cos(pi x flash phase).
    virtual f32 GetPulse();

    void SetIcon(const TUIIcon* icon) { m_pIcon = icon; }
    void SetIconByName(const char* name);
    // One frame of the icon: the texture's width, its height over the strip's frame count.
    void _FitToIcon(const TUIIcon* icon);
    // Sizes the image (else the icon's texture) to the parent keeping its aspect: inside it (0)
    // or covering it (1), the other direction centred.
    void FitToParent(bool cover);
    u32 GetIconState();
    void ReleaseClusterData() override;
    void RestoreClusterData() override;
    // The style's icon, else the button's own.
    const TUIIcon* GetDrawnIcon() const;
    void SetImage(TTexture* image) { m_pImage = image; }
    // Marks the button as a menu's focused entry with that icon state (1 or 4); 0 clears it.
    void SetFocusMark(u32 state)
    {
        m_nFocusMark = state ? 1 : 0;
        m_nFocusState = state;
    }
    bool HasFocusMark() const { return m_nFocusMark != 0; }
    // Relative to the button; null draws the icon whole.
    void SetClip(const TUIRect* clip);
    void SetFadeTimes(f32 in, f32 out)
    {
        m_fFadeInTime = in;
        m_fFadeOutTime = out;
    }

    f32 m_fHighlightTime;
    f32 m_fHighlight;
    f32 m_fHoverTime;
    f32 m_fHover;
    f32 m_fFadeInTime;
    f32 m_fFadeOutTime;
    u32 m_nFadeState;
    f32 m_fFadePhase;
    f32 m_fFlashTime;
    f32 m_fFlashPhase;
    f32 m_fCheck;
    f32 m_fCheckTime;
    TTexture* m_pImage;
    u32 m_nFocusMark;
    u32 m_nFocusState;
    u32 m_nToggle;
    TColor m_GlowColor;
    const TUIIcon* m_pIcon;
    u32 m_nClip;
    TUIRect m_Clip;
    TName m_IconName;
    TName m_ImageName;

protected:
    // The opacity drawn: the effective opacity, times the fade phase while fading.
    f32 DrawnOpacity() const;
    // Icon, image and caption.
    void DrawButton(f32 opacity);
};
