#pragma once
// TUIMenu: button entries in columns (filled top to bottom) or in one row (gapped or spread over
// a width), with a focus moved by the menu actions: wrapping over the visible entries, marking
// the focused entry and making it the manager's default item, so that "menuselect" clicks it.
// Menus may form a ring that "nextcontrol" walks through; one menu is the manager's active one.
#include "ui/uiitem.h"

class TUIButton;

class TUIMenu : public TUIItem
{
public:
    void OnLayout() override;
    void HandleInput(f32 step, bool inside, u32& select) override;

    // The item becomes the next entry (its tag its index), without fade into the menu's state.
    void AddItem(TUIItem* item);
    // A button with the caption and style (logged and left without one when undefined) and
    // the flags ORed in, added as an entry.
    TUIButton* AddButton(const char* caption, const char* styleName, u32 flags);
    void Activate();
    void FocusItem(TUIItem* item);
    void SetFocus(i32 index);
    void FocusNext();
    void FocusPrevious();
    TUIItem* GetFocusedItem() const;
    i32 GetFocusIndex() const { return m_nFocus; }
    i32 _OnItemClick(TUIItem* item);
    // An entry's size: its style's icon frame, else the style's fixed size, else its caption.
    static void MeasureEntry(TUIItem* entry, f32& width, f32& height);

    u32 m_nHorizontal = 0;
    u32 m_nColumns = 1;
    u32 m_nActive = 1;
    f32 m_fColumnGap = 0.0f;
    f32 m_fRowGap = 0.0f;
    // Negative: none.
    f32 m_fSpreadWidth = -1.0f;
    i32 m_nAlign = 1;
    TUIMenu* m_pNextMenu = nullptr;
    TUIListenerList OnFocusChange;
    TUIListenerList OnBack;

private:
    void Step(i32 direction);
    // Marks the focused entry with the state (0 clears it).
    void MarkFocus(u32 state);
    bool IsSelectable(i32 index) const;
    // The right end's distance from the screen's left edge, by the last layout.
    f32 ScreenRightEnd() const;

    i32 m_nFocus = -1;
};
