#include "ux/controls/ux.control.textbox.h"

#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/timer.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/localization/localization.h"
#include "engine/render/canvasmanager.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"
#include "ux/ux.text.h"

#include <algorithm>
#include <cmath>

namespace UX
{
namespace
{
TControlManagerTemplate<TTextBox> s_Manager("TTextBox");

// Key codes of the keyboard table.
enum EKeyCode : u32
{
    KEY_ESC = 1,
    KEY_BACKSPACE = 14,
    KEY_ENTER = 28,
    KEY_A = 30,
    KEY_C = 46,
    KEY_V = 47,
    // The last code of the main block: only it types.
    KEY_LAST_TYPING = 57,
    KEY_NUM_ENTER = 98,
    KEY_HOME = 141,
    KEY_LEFT = 145,
    KEY_RIGHT = 147,
    KEY_END = 149,
    KEY_DELETE = 153,
};

// The keypad's digit keys ("Num7" 71 .. "Num0" 82) and what they type.
struct TKeypadDigit
{
    u32 nCode;
    char16_t cDigit;
};
constexpr TKeypadDigit kKeypad[] = {{71, u'7'}, {72, u'8'}, {73, u'9'}, {75, u'4'}, {76, u'5'},
                                    {77, u'6'}, {79, u'1'}, {80, u'2'}, {81, u'3'}, {82, u'0'}};

// Selection update flags.
constexpr u32 KEEP_START = 0x1;
constexpr u32 KEEP_END = 0x2;
constexpr u32 MOVING_LEFT = 0x4;
constexpr u32 MOVING_RIGHT = 0x8;

// The visible text's room: the content width less this.
constexpr f32 kTextRoom = 10.0f;
constexpr TColor kSelectionFill = {1.0f, 1.0f, 1.0f, 0.5019608f};
constexpr TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr f32 kCaretBlink = 8.0f;
constexpr u32 kFirstTyped = 0x20;

void FlushCanvas()
{
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
}

void Outline(f32 x0, f32 y0, f32 x1, f32 y1, const TColor& colour)
{
    g_pUXManager->FillRect(x0, y0, x1, y0 + 1.0f, colour);
    g_pUXManager->FillRect(x0, y1 - 1.0f, x1, y1, colour);
    g_pUXManager->FillRect(x0, y0, x0 + 1.0f, y1, colour);
    g_pUXManager->FillRect(x1 - 1.0f, y0, x1, y1, colour);
}
} // namespace

const TClusterTypeDecl& TTextBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTextBox", TEXT_BOX_TYPE_ID, sizeof(TTextBox),
                                   &UxPrototype<TTextBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TTextBox>& TTextBox::Manager()
{
    return s_Manager;
}

const TName& TTextBox::Class()
{
    static const TName s_Name("TTextBox", true);
    return s_Name;
}

TTextBox::TTextBox()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE | CONTROL_CAPTURES | CONTROL_CLIPS;
    nClipStage = CLIP_BEFORE_DRAW;
    MaxLength = 31;
    SelectionStart = SelectionEnd = -1;
    Inset = 2.0f;
}

void TTextBox::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnTextChange.Forget();
    OnSubmit.Forget();
    OnCancel.Forget();
    Dragging = 0;
}

void TTextBox::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    auto reset = [this](const char* what) {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ", "'%s': %s reset",
                    GetNameText(), what);
    };
    const u32 count = Text.GetCount();
    if (count > TEXT_BOX_CAPACITY || (count && Text.GetData()[count - 1] != 0))
    {
        reset("text");
        Text.SetCount(0);
    }
    MaxLength = static_cast<i16>(LoadedInRange(MaxLength, 0, TEXT_BOX_MAX_LENGTH, "maximum length"));
    const i32 length = Length();
    if (!(SelectionStart == -1 && SelectionEnd == -1) &&
        !(SelectionStart >= 0 && SelectionStart < SelectionEnd && SelectionEnd <= length))
    {
        reset("selection");
        ClearSelection();
    }
    if (Cursor < 0 || Cursor > length)
    {
        reset("caret");
        Cursor = static_cast<i16>(length);
    }
    for (f32* value : {&DragAnchor, &ScrollStart, &ScrollOffset, &LastTextWidth, &Inset})
        if (!std::isfinite(*value))
        {
            reset("scroll");
            *value = 0.0f;
        }
}

void TTextBox::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnTextChange.Clear();
    OnSubmit.Clear();
    OnCancel.Clear();
    // Its activation turned buffered input on: the pair is closed with it.
    if (nFlags & CONTROL_ACTIVE)
        TInputManager::Instance().BufferedInputDisable();
    nFlags &= ~CONTROL_ACTIVE;
}

void TTextBox::OnActivate()
{
    TInputManager::Instance().BufferedInputEnable();
    ResetCursor();
}

void TTextBox::OnDeactivate()
{
    TInputManager::Instance().BufferedInputDisable();
    ClearSelection();
}

void TTextBox::ResetCursor()
{
    ClearSelection();
    Cursor = static_cast<i16>(Length());
}

// Editing.

void TTextBox::NormaliseSelection()
{
    if (SelectionStart < 0 || SelectionEnd < 0 || SelectionStart == SelectionEnd)
        ClearSelection();
    else if (SelectionEnd < SelectionStart)
        std::swap(SelectionStart, SelectionEnd);
}

void TTextBox::UpdateSelection(i32 a, i32 b, u32 flags)
{
    if (!HasSelection())
    {
        SelectionStart = static_cast<i16>(a >= 0 ? a : b - 1);
        SelectionEnd = static_cast<i16>(b >= 0 ? b : a + 1);
    }
    else if (flags & MOVING_LEFT)
    {
        if (SelectionStart == b)
            SelectionStart = static_cast<i16>(a);
        if (SelectionEnd == b)
            SelectionEnd = static_cast<i16>(a);
    }
    else if (flags & MOVING_RIGHT)
    {
        if (SelectionStart == a)
            SelectionStart = static_cast<i16>(b);
        if (SelectionEnd == a)
            SelectionEnd = static_cast<i16>(b);
    }
    else
    {
        if (!(flags & KEEP_START) && a >= 0)
            SelectionStart = static_cast<i16>((flags & KEEP_END) ? std::min<i32>(a, SelectionStart) : a);
        if (!(flags & KEEP_END) && b >= 0)
            SelectionEnd = static_cast<i16>((flags & KEEP_START) ? std::max<i32>(b, SelectionEnd) : b);
    }
    NormaliseSelection();
}

void TTextBox::RemoveAt(i32 index)
{
    char16_t* text = Text.GetData();
    const i32 length = Length();
    // The terminator moves down with the rest.
    std::copy(text + index + 1, text + length + 1, text + index);
    Text.SetCount(static_cast<u32>(length));
}

void TTextBox::DeleteSelection()
{
    if (!HasSelection())
        return;
    const i32 start = std::max<i32>(SelectionStart, 0);
    const i32 end = std::min<i32>(SelectionEnd, Length());
    ClearSelection();
    if (start >= end)
        return;
    for (i32 i = start; i < end; ++i)
        RemoveAt(start);
    // A caret after the selection moves by its length, one inside it to its start.
    if (Cursor >= end)
        Cursor = static_cast<i16>(Cursor - (end - start));
    else if (Cursor > start)
        Cursor = static_cast<i16>(start);
}

bool TTextBox::InsertCharacter(char16_t character)
{
    DeleteSelection();
    const i32 length = Length();
    if (length >= std::clamp<i32>(MaxLength, 0, TEXT_BOX_MAX_LENGTH))
        return false;
    Cursor = static_cast<i16>(std::clamp<i32>(Cursor, 0, length));
    Text.SetCount(static_cast<u32>(length + 2));
    char16_t* text = Text.GetData();
    std::copy_backward(text + Cursor, text + length, text + length + 1);
    text[Cursor] = character;
    text[length + 1] = 0;
    ++Cursor;
    return true;
}

bool TTextBox::Backspace()
{
    if (HasSelection())
    {
        DeleteSelection();
        return true;
    }
    if (Cursor <= 0 || Cursor > Length())
        return false;
    --Cursor;
    RemoveAt(Cursor);
    return true;
}

bool TTextBox::Delete()
{
    if (HasSelection())
    {
        DeleteSelection();
        return true;
    }
    if (Cursor < 0 || Cursor >= Length())
        return false;
    RemoveAt(Cursor);
    return true;
}

void TTextBox::Copy() const
{
    // A password is not copied in clear.
    if (!HasSelection() || Password)
        return;
    const i32 start = std::max<i32>(SelectionStart, 0);
    const i32 end = std::min<i32>({SelectionEnd, Length(), start + TEXT_BOX_MAX_LENGTH});
    if (start >= end)
        return;
    char16_t copied[TEXT_BOX_CAPACITY];
    std::copy(Text.GetData() + start, Text.GetData() + end, copied);
    copied[end - start] = 0;
    ClipboardSetText(copied);
}

bool TTextBox::Paste()
{
    const char16_t* pasted = ClipboardGetText();
    bool inserted = false;
    for (const char16_t* c = pasted; c && *c; ++c)
        if (*c >= kFirstTyped)
            inserted = InsertCharacter(*c) || inserted;
    return inserted;
}

void TTextBox::HandleKey(TInputEvent event, TKeyMarks& marks)
{
    for (const TKeypadDigit& key : kKeypad)
        if (event.nCode == key.nCode)
        {
            event = {0, 0, key.cDigit};
            break;
        }
    const TInputKey pressed = {event.nModifiers, event.nCode, 0};
    auto is = [&](u32 code, u32 modifiers) { return TInputKey::Equals(pressed, TInputKey{modifiers, code, 0}); };
    const i32 length = Length();
    if (is(KEY_LEFT, 0))
    {
        if (Cursor > 0)
            --Cursor;
        ClearSelection();
    }
    else if (is(KEY_RIGHT, 0))
    {
        if (Cursor < length)
            ++Cursor;
        ClearSelection();
    }
    else if (is(KEY_LEFT, INPUT_KEY_SHIFT))
    {
        // Only a caret that moved changes the selection.
        if (Cursor > 0)
        {
            --Cursor;
            UpdateSelection(Cursor, Cursor + 1, MOVING_LEFT | KEEP_END);
        }
    }
    else if (is(KEY_RIGHT, INPUT_KEY_SHIFT))
    {
        if (Cursor < length)
        {
            ++Cursor;
            UpdateSelection(Cursor - 1, Cursor, MOVING_RIGHT | KEEP_START);
        }
    }
    else if (is(KEY_A, INPUT_KEY_CTRL))
    {
        SelectionStart = 0;
        SelectionEnd = static_cast<i16>(length);
        NormaliseSelection();
    }
    else if (is(KEY_C, INPUT_KEY_CTRL))
        Copy();
    else if (is(KEY_V, INPUT_KEY_CTRL))
        marks.bChanged = Paste() || marks.bChanged;
    else if (is(KEY_BACKSPACE, 0))
        marks.bChanged = Backspace() || marks.bChanged;
    else if (is(KEY_DELETE, 0))
        marks.bChanged = Delete() || marks.bChanged;
    else if (is(KEY_HOME, 0))
    {
        Cursor = 0;
        ClearSelection();
    }
    else if (is(KEY_HOME, INPUT_KEY_SHIFT))
    {
        if (Cursor > 0)
            UpdateSelection(0, Cursor, KEEP_END);
        Cursor = 0;
    }
    else if (is(KEY_END, 0))
    {
        Cursor = static_cast<i16>(length);
        ClearSelection();
    }
    else if (is(KEY_END, INPUT_KEY_SHIFT))
    {
        if (Cursor < length)
            UpdateSelection(Cursor, length, KEEP_START);
        Cursor = static_cast<i16>(length);
    }
    else if (is(KEY_ENTER, 0) || is(KEY_NUM_ENTER, 0))
        marks.bSubmit = true;
    else if (is(KEY_ESC, 0))
        marks.bCancel = true;
    else if (event.nCode > KEY_LAST_TYPING || (event.nModifiers & (INPUT_KEY_CTRL | INPUT_KEY_ALT)))
        return;
    // Control characters (and the empty character) type nothing.
    else if (event.nValue >= kFirstTyped && event.nValue <= 0xFFFF)
        marks.bChanged = InsertCharacter(static_cast<char16_t>(event.nValue)) || marks.bChanged;
}

void TTextBox::Update(TMouse* mouse, f32, u32)
{
    if (Dragging && mouse)
    {
        const i32 index = HitTest(mouse->x);
        const i32 anchor = static_cast<i32>(DragAnchor);
        Cursor = static_cast<i16>(index);
        if (index == anchor)
            ClearSelection();
        else
        {
            if (!HasSelection())
            {
                SelectionStart = static_cast<i16>(index >= 0 ? index : anchor - 1);
                SelectionEnd = static_cast<i16>(anchor >= 0 ? anchor : index + 1);
            }
            else
            {
                if (index >= 0)
                    SelectionStart = static_cast<i16>(index);
                if (anchor >= 0)
                    SelectionEnd = static_cast<i16>(anchor);
            }
            NormaliseSelection();
        }
    }
    if (!(nFlags & CONTROL_FOCUSED))
        return;
    TInputManager& input = TInputManager::Instance();
    // The UX's controls update before the focus holders: keys typed while one in front of the UX
    // takes the input (the open console) are left to it.
    if (g_pUXManager && input.IsFocusTakenBefore(g_pUXManager))
        return;
    TKeyMarks marks = {};
    while (input.HasBufferedInput())
        HandleKey(input.GetBufferedInput(), marks);
    if (marks.bChanged)
        OnTextChange.Invoke(this, nullptr);
    if (marks.bSubmit)
        OnSubmit.Invoke(this, nullptr);
    if (marks.bCancel)
        OnCancel.Invoke(this, nullptr);
}

// The mouse.

void TTextBox::OnClick(TMouse* mouse)
{
    if (mouse && Computed.Font.IsValid())
        Cursor = static_cast<i16>(HitTest(mouse->x));
}

void TTextBox::OnMouseUp(TMouse*)
{
    Dragging = 0;
    OnRefresh();
}

void TTextBox::OnMouseDown(TMouse* mouse)
{
    Dragging = mouse && Length() > 0 ? 1 : 0;
    if (Dragging)
        DragAnchor = static_cast<f32>(HitTest(mouse->x));
}

// Measures and drawing.

void TTextBox::ShownText(char16_t* shown) const
{
    const i32 length = Length();
    for (i32 i = 0; i < length; ++i)
        shown[i] = Password ? u'*' : Text.GetData()[i];
    shown[length] = 0;
}

f32 TTextBox::ShownWidth(i32 count) const
{
    char16_t shown[TEXT_BOX_CAPACITY];
    ShownText(shown);
    return MeasureTextWidth(Computed, shown, count);
}

f32 TTextBox::TextOrigin() const
{
    const f32 overflow = std::max(0.0f, ShownWidth(-1) - (ContentRect.width - kTextRoom));
    return std::trunc(ContentRect.x - overflow + ScrollOffset);
}

i32 TTextBox::HitTest(f32 x) const
{
    const f32 left = TextOrigin();
    if (x <= left)
        return 0;
    const i32 length = Length();
    for (i32 i = 1; i <= length; ++i)
        if (x <= left + ShownWidth(i))
            return i - 1;
    return length;
}

void TTextBox::Draw()
{
    if (!Computed.Font.IsValid())
        return;
    const TRect& r = ContentRect;
    char16_t shown[TEXT_BOX_CAPACITY];
    ShownText(shown);
    const bool focused = (nFlags & CONTROL_FOCUSED) != 0;
    f32 textX = r.x;
    f32 caret = 0.0f;
    bool drawCaret = focused;
    if (!shown[0])
    {
        const TStateBlock* hintBlock = StyleBlock(STATE_DISABLED);
        if (Hint.IsValid() && !focused && hintBlock)
        {
            TStateBlock block = *hintBlock;
            block.ScaleX = Computed.ScaleX;
            block.ScaleY = Computed.ScaleY;
            DrawText(r.x, r.y, r.width, r.height, block, TLocalizationManager::Instance().GetTextTemp(Hint, true));
        }
    }
    else
    {
        const f32 width = MeasureTextWidth(Computed, shown);
        const f32 room = r.width - kTextRoom;
        const f32 overflow = std::max(0.0f, width - room);
        caret = Cursor > 0 ? MeasureTextWidth(Computed, shown, Cursor) : 0.0f;
        const f32 textWidth = r.width + overflow;
        if (caret == width)
        {
            ScrollStart = std::max(0.0f, caret - room);
            ScrollOffset = 0.0f;
        }
        else
        {
            if (caret > ScrollStart + room)
            {
                ScrollOffset += ScrollStart + room - caret;
                ScrollStart = caret - room;
            }
            if (caret < ScrollStart)
            {
                ScrollOffset += ScrollStart - caret;
                ScrollStart = caret;
            }
            ScrollOffset += textWidth - LastTextWidth;
        }
        textX = std::trunc(r.x - overflow + ScrollOffset);
        LastTextWidth = textWidth;
        if (HasSelection())
        {
            const f32 x0 = textX + MeasureTextWidth(Computed, shown, SelectionStart);
            const f32 x1 = textX + MeasureTextWidth(Computed, shown, SelectionEnd);
            FlushCanvas();
            g_pUXManager->FillRect(x0, r.y + Inset, x1, r.y + r.height - Inset, kSelectionFill);
            Outline(x0, r.y + Inset, x1, r.y + r.height - Inset, kWhite);
            FlushCanvas();
            drawCaret = false;
        }
        DrawText(textX, r.y, textWidth, r.height, Computed, shown);
    }
    if (drawCaret && g_pTimer)
    {
        const f32 t = static_cast<f32>(g_pTimer->GetTime());
        const TColor blink = {1.0f, 1.0f, 1.0f, (std::sin(kCaretBlink * t) + 1.0f) * 0.5f};
        const f32 x = textX + caret;
        g_pUXManager->FillRect(x, r.y + Inset, x + 1.0f, r.y + r.height - Inset, blink);
        g_pUXManager->FillRect(x - 1.0f, r.y + Inset, x, r.y + r.height - Inset, blink);
    }
    FlushCanvas();
}
} // namespace UX
