#pragma once
// TUIEdit: a one-line text entry built on the button. A select press on it begins editing
// (unless an OnEditRequest listener refuses); typed characters pass the character rules and
// stop at the maximum length; Escape clears and cancels, Enter accepts; Tab moves along the
// ring of edits. At most one edit is editing: the manager's edit item.
#include "ui/uibutton.h"

#include <string>

constexpr u32 UI_EDIT_CAPACITY = 64;
constexpr i32 UI_EDIT_MAXIMUM = 32;

// Key codes of the engine's key table the edit reacts to.
constexpr u32 UI_KEY_ESCAPE = 0x01;
constexpr u32 UI_KEY_BACKSPACE = 0x0E;
constexpr u32 UI_KEY_TAB = 0x0F;
constexpr u32 UI_KEY_ENTER = 0x1C;
constexpr u32 UI_KEY_CONSOLE = 0x29;
constexpr u32 UI_KEY_C = 0x2E;
constexpr u32 UI_KEY_V = 0x2F;
constexpr u32 UI_KEY_ENTER2 = 0x62;

class TUIEdit : public TUIButton
{
public:
    TUIEdit();
    ~TUIEdit() override;

    i32 Draw() override;
    void HandleInput(f32 step, bool inside, u32& select) override;

    void BeginEdit();
    void EndEdit(bool cancel, bool release);
    // Begin editing the first other edit of the ring that is visible and open; null when none.
    TUIEdit* FocusNext();
    TUIEdit* FocusPrevious();
    // Links a ring of edits in that order.
    static void LinkRing(TUIEdit* const* edits, u32 count);

    // Cut at 63 characters.
    void SetText(const char16_t* text);
    const char16_t* GetText() const { return m_aText; }
    // Characters, the terminator not counted.
    i32 GetLength() const { return m_nCount - 1; }
    // One typed character under the rules; false when it is refused.
    bool Type(char16_t character, u32 modifiers);
    // Each character of the text as typed, up to the maximum length.
    void Paste(const char16_t* text);
    bool IsEditing() const { return m_nEditing != 0; }

    u32 m_nEditing;
    char16_t m_aText[UI_EDIT_CAPACITY];
    // The terminator included.
    i32 m_nCount;
    i32 m_nMaxLength;
    u32 m_nPassword;
    std::string m_Excluded;
    TColor m_FrameColor;
    TColor m_CaretColor;
    TUIEdit* m_pNext;
    TUIEdit* m_pPrevious;
    TUIListenerList OnEditRequest;
    TUIListenerList OnCancel;

private:
    // Handles one key event; false once the edit no longer edits.
    bool HandleKey(u32 modifiers, u32 code, u32 character);
    TUIEdit* Walk(bool forward);
};
