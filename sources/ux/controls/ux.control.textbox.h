#pragma once
// UX::TTextBox (stored type 239, 1,688 bytes): the one-line text entry of the UX library: a
// caret and a selection over a short text, keys from the input manager's buffered input while
// focused, a mouse drag selection, the clipboard, a password mask, a hint while empty, and the
// text scrolled to keep the caret in view.
#include "engine/input/inputevent.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 TEXT_BOX_TYPE_ID = 239;
constexpr u32 TEXT_BOX_CAPACITY = 128;
// The longest text typing and pasting may reach.
constexpr i16 TEXT_BOX_MAX_LENGTH = TEXT_BOX_CAPACITY - 1;

class TTextBox : public TControl
{
public:
    // What the keys of one update did, raised once each after the last key.
    struct TKeyMarks
    {
        bool bChanged;
        bool bSubmit;
        bool bCancel;
    };

    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TTextBox>& Manager();
    static const TName& Class();

    TTextBox();

    // Buffered input on (and the caret after the text), off again; the selection cleared.
    void OnActivate() override;
    void OnDeactivate() override;
    // The drag selection, then, while focused, the buffered keys; the marks raised after them.
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    // The text (or its mask, or the hint), the selection and the blinking caret.
    void Draw() override;
    void OnClick(TMouse* mouse) override;
    void OnMouseUp(TMouse* mouse) override;
    void OnMouseDown(TMouse* mouse) override;

    // No selection, the caret after the text (screens call it after assigning Text).
    void ResetCursor();
    // One key by the key table.
    void HandleKey(TInputEvent event, TKeyMarks& marks);
    i32 Length() const { return Text.GetCount() ? static_cast<i32>(Text.GetCount()) - 1 : 0; }
    // The text, "" when never assigned.
    const char16_t* GetText() const { return Text.GetCount() ? Text.GetData() : u""; }
    // The character index under the x coordinate (pixels), measured from where the text is drawn.
    i32 HitTest(f32 x) const;
    bool HasSelection() const { return SelectionStart >= 0 && SelectionEnd >= 0; }

    void ForgetLoadedWords();
    // The text, its length limit, the selection, the caret and the scroll checked (each reset
    // with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    // The count includes the terminator.
    SArray<char16_t, TEXT_BOX_CAPACITY, 0> Text;
    i16 MaxLength;
    i16 SelectionStart;
    i16 SelectionEnd;
    i16 Cursor;
    f32 DragAnchor;
    u8 Dragging;
    u8 Password;
    TName Hint;
    TEvent OnTextChange;
    TEvent OnSubmit;
    TEvent OnCancel;
    f32 ScrollStart;
    f32 ScrollOffset;
    f32 LastTextWidth;
    f32 Inset;

private:
    void ClearSelection() { SelectionStart = SelectionEnd = -1; }
    // The selection's ends by the Shift moves' rules, normalised.
    void UpdateSelection(i32 a, i32 b, u32 flags);
    void NormaliseSelection();
    void DeleteSelection();
    bool InsertCharacter(char16_t character);
    void RemoveAt(i32 index);
    bool Backspace();
    bool Delete();
    void Copy() const;
    bool Paste();
    // The text as drawn: itself or its mask.
    void ShownText(char16_t* shown) const;
    // The width of the shown text's first count characters (-1: all).
    f32 ShownWidth(i32 count) const;
    // The left end of the drawn text (pixels).
    f32 TextOrigin() const;
};

static_assert(sizeof(TTextBox) == 1688);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTextBox, Text) == 1320);
static_assert(offsetof(TTextBox, MaxLength) == 1580);
static_assert(offsetof(TTextBox, DragAnchor) == 1588);
static_assert(offsetof(TTextBox, Hint) == 1596);
static_assert(offsetof(TTextBox, OnTextChange) == 1600);
static_assert(offsetof(TTextBox, OnCancel) == 1648);
static_assert(offsetof(TTextBox, ScrollStart) == 1672);
static_assert(offsetof(TTextBox, Inset) == 1684);
#pragma GCC diagnostic pop
} // namespace UX
