#pragma once
// UX::TPanel (stored type 246, 1,344 bytes): a scrollable viewport: a content control moved
// vertically by a scroll bar whose range is the content's height and whose page the panel's.
#include "ux/ux.controlmanager.h"

namespace UX
{
class TVScroller;

constexpr u16 PANEL_TYPE_ID = 246;

class TPanel : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TPanel>& Manager();
    static const TName& Class();

    TPanel();

    // Once: the bar's scrolls move the content; the bar follows the content.
    void OnLoad() override;
    // Back at the top when asked; the bar shown and hidden at once in this show.
    void OnShow() override;
    void Update(TMouse* mouse, f32 step, u32 changed) override { ShowMode = 0; }
    // "ScrollUp" and "ScrollDown" while the panel has the mouse or the focus; 1 for them.
    i32 OnAction(TControl* sender, const TName& action) override;

    // The content's height (layout units), the bar following it.
    void SetContentHeight(f32 height);
    // The bar shown when it is needed (or always), its range the content's height and its
    // page the panel's.
    void UpdateScrollBar();
    TVScroller* GetScrollBar() const;

    void ForgetLoadedWords();
    // The content and the bar checked (each with an error line).
    void CheckLoadedValues();

    u32 Initialized;
    TControl* pContainer;
    TControl* pVScroller;
    u8 AutoHideScrollBar;
    u8 ScrollBarParts;
    f32 ContentHeight;
    u8 ShowMode;
    u8 ResetScrollOnShow;

private:
    void OnScroll(TControl* bar, void*);
    // The bar (and with ScrollBarParts its arrows and thumb) shown or hidden by ShowMode.
    void ShowBar(bool show);
};

static_assert(sizeof(TPanel) == 1344);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TPanel, pContainer) == 1324);
static_assert(offsetof(TPanel, pVScroller) == 1328);
static_assert(offsetof(TPanel, ContentHeight) == 1336);
static_assert(offsetof(TPanel, ShowMode) == 1340);
#pragma GCC diagnostic pop
} // namespace UX
