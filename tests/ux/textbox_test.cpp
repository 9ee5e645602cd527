// The demonstration form's name and password boxes, typed into through the window layer (key
// records, key-down messages and WM_CHAR) and the clipboard: the caret and the selection, the
// events raised once an update in their order, the mouse, the password mask and the hint, and
// stored text boxes checked at load.
#include "uxfixture.h"

#include "core/system/platform.h"
#include "engine/input/inputkey.h"
#include "engine/render/canvasmanager.h"
#include "support/recordingcanvas.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.text.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
// Virtual keys and scan codes of the navigation keys (extended).
constexpr u32 VK_LEFT_KEY = 0x25, VK_RIGHT_KEY = 0x27, VK_HOME_KEY = 0x24, VK_END_KEY = 0x23, VK_DELETE_KEY = 0x2E;
constexpr u32 SCAN_LEFT = 0x4B, SCAN_RIGHT = 0x4D, SCAN_HOME = 0x47, SCAN_END = 0x4F, SCAN_DELETE = 0x53;
// A letter key that no row of the table but the last one takes.
constexpr u32 SCAN_LETTER = 16;

struct TBoxEvents
{
    void Changed(UX::TControl*, void*) { lines.push_back("change"); }
    void Submitted(UX::TControl*, void*) { lines.push_back("submit"); }
    void Cancelled(UX::TControl*, void*) { lines.push_back("cancel"); }
    std::vector<std::string> lines;
};

class TextBoxTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        SetLanguage("english");
        Form()->Show(2);
        Frames(2);
        box = static_cast<UX::TTextBox*>(Find("ux_demo_name"));
        box->OnTextChange.AddHandler(0, &events, &TBoxEvents::Changed);
        box->OnSubmit.AddHandler(0, &events, &TBoxEvents::Submitted);
        box->OnCancel.AddHandler(0, &events, &TBoxEvents::Cancelled);
        box->SetFocus();
        Frame();
    }

    static void TypeText(const char16_t* text)
    {
        for (const char16_t* c = text; *c; ++c)
            Type(SCAN_LETTER, *c);
    }
    std::u16string Text() const { return box->GetText(); }
    void Enter(const char16_t* text)
    {
        TypeText(text);
        Frame();
        events.lines.clear();
    }

    UX::TTextBox* box = nullptr;
    TBoxEvents events;
};
} // namespace

// A typed character goes in before the caret, one change a frame; at MaxLength (31)
// nothing goes in and nothing is raised, but a selection is still deleted first.
TEST_F(TextBoxTest, TypedCharactersGoInBeforeTheCaretUpToTheLimit)
{
    TypeText(u"abc");
    Frame();
    EXPECT_EQ(Text(), u"abc");
    EXPECT_EQ(box->Cursor, 3);
    EXPECT_EQ(events.lines, std::vector<std::string>{"change"});
    KeyDown(VK_LEFT_KEY, SCAN_LEFT, true);
    TypeText(u"x");
    Frame();
    EXPECT_EQ(Text(), u"abxc");
    events.lines.clear();
    box->Text = u"";
    box->ResetCursor();
    Enter(u"0123456789012345678901234567890");
    ASSERT_EQ(box->Length(), 31);
    TypeText(u"z");
    Frame();
    EXPECT_EQ(box->Length(), 31);
    EXPECT_TRUE(events.lines.empty());
    KeyDown(VK_LEFT_KEY, SCAN_LEFT, true, INPUT_KEY_SHIFT);
    TypeText(u"z");
    Frame();
    EXPECT_EQ(Text(), u"012345678901234567890123456789z");
    EXPECT_EQ(events.lines, std::vector<std::string>{"change"});
}

// The arrows, Home and End from a caret at 3 in "abcdef": each moves the caret; with Shift it
// selects from where the caret was (kept at the ends), without it the selection clears.
TEST_F(TextBoxTest, NavigationKeysMoveTheCaretAndSelectWithShift)
{
    Enter(u"abcdef");
    for (int i = 0; i < 3; ++i)
        KeyDown(VK_LEFT_KEY, SCAN_LEFT, true);
    Frame();
    ASSERT_EQ(box->Cursor, 3);
    const struct
    {
        u32 key, scan, modifiers;
        i16 start, end, cursor;
    } steps[] = {
        {VK_LEFT_KEY, SCAN_LEFT, INPUT_KEY_SHIFT, 2, 3, 2},   {VK_LEFT_KEY, SCAN_LEFT, INPUT_KEY_SHIFT, 1, 3, 1},
        {VK_RIGHT_KEY, SCAN_RIGHT, INPUT_KEY_SHIFT, 2, 3, 2}, {VK_RIGHT_KEY, SCAN_RIGHT, 0, 0, 0, 3},
        {VK_HOME_KEY, SCAN_HOME, INPUT_KEY_SHIFT, 0, 3, 0},   {VK_END_KEY, SCAN_END, 0, 0, 0, 6},
        {VK_RIGHT_KEY, SCAN_RIGHT, 0, 0, 0, 6},               {VK_RIGHT_KEY, SCAN_RIGHT, INPUT_KEY_SHIFT, 0, 0, 6},
        {VK_HOME_KEY, SCAN_HOME, 0, 0, 0, 0},                 {VK_RIGHT_KEY, SCAN_RIGHT, 0, 0, 0, 1},
        {VK_END_KEY, SCAN_END, INPUT_KEY_SHIFT, 1, 6, 6},
    };
    for (const auto& s : steps)
    {
        SCOPED_TRACE(testing::Message() << "key " << s.key << " modifiers " << s.modifiers << " to " << s.cursor);
        KeyDown(s.key, s.scan, true, s.modifiers);
        Frame();
        EXPECT_EQ(box->Cursor, s.cursor);
        EXPECT_EQ(box->HasSelection(), s.start != s.end);
        if (s.start != s.end)
        {
            EXPECT_EQ(box->SelectionStart, s.start);
            EXPECT_EQ(box->SelectionEnd, s.end);
        }
    }
    EXPECT_TRUE(events.lines.empty());
}

// Ctrl+A selects all (the caret stays), typing then replaces everything; a
// caret inside a deleted selection goes to its start; Backspace at the start and Delete at the
// end change nothing and raise nothing.
TEST_F(TextBoxTest, SelectAllBackspaceAndDelete)
{
    Enter(u"abcdef");
    for (int i = 0; i < 3; ++i)
        KeyDown(VK_LEFT_KEY, SCAN_LEFT, true);
    Type(30, 0x01, INPUT_KEY_CTRL);
    Frame();
    EXPECT_EQ(box->SelectionStart, 0);
    EXPECT_EQ(box->SelectionEnd, 6);
    EXPECT_EQ(box->Cursor, 3);
    Type(14, 0x08);
    Frame();
    EXPECT_EQ(Text(), u"");
    EXPECT_EQ(box->Cursor, 0) << "inside the selection: to its start";
    Enter(u"abcdef");
    Type(30, 0x01, INPUT_KEY_CTRL);
    TypeText(u"q");
    Frame();
    EXPECT_EQ(Text(), u"q");
    EXPECT_EQ(box->Cursor, 1);
    events.lines.clear();
    KeyDown(VK_DELETE_KEY, SCAN_DELETE, true);
    Frame();
    EXPECT_TRUE(events.lines.empty()) << "Delete at the end";
    Type(14, 0x08);
    Frame();
    EXPECT_EQ(Text(), u"");
    Type(14, 0x08);
    Frame();
    EXPECT_EQ(events.lines, std::vector<std::string>{"change"}) << "Backspace at the start";
    Enter(u"ab");
    KeyDown(VK_HOME_KEY, SCAN_HOME, true);
    KeyDown(VK_DELETE_KEY, SCAN_DELETE, true);
    Frame();
    EXPECT_EQ(Text(), u"b");
    EXPECT_EQ(box->Cursor, 0);
    // Ctrl+A on an empty text selects nothing.
    box->Text = u"";
    box->ResetCursor();
    Type(30, 0x01, INPUT_KEY_CTRL);
    Frame();
    EXPECT_FALSE(box->HasSelection());
}

// The selection copied, pasted at the caret and cut at the limit; a paste counts as
// a change; a password is not copied.
TEST_F(TextBoxTest, CopyAndPasteGoThroughTheClipboard)
{
    Enter(u"abcdef");
    KeyDown(VK_LEFT_KEY, SCAN_LEFT, true);
    for (int i = 0; i < 3; ++i)
        KeyDown(VK_LEFT_KEY, SCAN_LEFT, true, INPUT_KEY_SHIFT);
    Type(46, 0x03, INPUT_KEY_CTRL);
    Frame();
    EXPECT_EQ(std::u16string(ClipboardGetText()), u"cde");
    KeyDown(VK_END_KEY, SCAN_END, true);
    Type(47, 0x16, INPUT_KEY_CTRL);
    Frame();
    EXPECT_EQ(Text(), u"abcdefcde");
    EXPECT_EQ(events.lines, std::vector<std::string>{"change"});
    ClipboardSetText(u"0123456789012345678901234567890123456789");
    Type(47, 0x16, INPUT_KEY_CTRL);
    Frame();
    EXPECT_EQ(box->Length(), 31) << "cut at the limit";
    // A clipboard without text pastes nothing.
    ClipboardSetText(u"");
    events.lines.clear();
    Type(47, 0x16, INPUT_KEY_CTRL);
    Frame();
    EXPECT_TRUE(events.lines.empty());

    ClipboardSetText(u"kept");
    box->Password = 1;
    Type(30, 0x01, INPUT_KEY_CTRL);
    Type(46, 0x03, INPUT_KEY_CTRL);
    Frame();
    EXPECT_EQ(std::u16string(ClipboardGetText()), u"kept");
    box->Password = 0;
}

// Enter and NumEnter raise one submit an update, Esc a cancel, after the change.
TEST_F(TextBoxTest, SubmitAndCancelAreRaisedOnceAnUpdateAfterTheChange)
{
    Type(28, '\r');
    Type(28, '\r', 0, true);
    Frame();
    EXPECT_EQ(events.lines, std::vector<std::string>{"submit"});
    events.lines.clear();
    Type(1, 0x1B);
    Type(28, '\r');
    TypeText(u"a");
    Frame();
    EXPECT_EQ(events.lines, (std::vector<std::string>{"change", "submit", "cancel"}));
}

// Keypad digits type digits whatever the state of Num Lock; "NumDel", keys past
// the main block, keys with Ctrl held and control characters type nothing.
TEST_F(TextBoxTest, KeypadDigitsTypeDigitsAndOtherKeysNothing)
{
    Type(71, '7');
    // Num Lock off: the key is Home's, not extended.
    KeyDown(VK_HOME_KEY, 71, false);
    Type(82, '0');
    Frame();
    EXPECT_EQ(Text(), u"770");
    Type(83, '.');
    KeyDown(0x70, 0x3B, false);
    Type(SCAN_LETTER, 0x11, INPUT_KEY_CTRL);
    Type(SCAN_LETTER, 0x07);
    Frame();
    EXPECT_EQ(Text(), u"770");
}

// A click puts the caret before the character under the mouse, measured from where the text is
// drawn; a drag selects from where it began.
TEST_F(TextBoxTest, TheMousePlacesTheCaretAndDragsASelection)
{
    Enter(u"abcdef");
    const UX::TRect& r = box->ContentRect;
    auto at = [&](i32 index) {
        return r.x + UX::MeasureTextWidth(box->Computed, u"abcdef", index) + 1.0f;
    };
    const f32 y = r.y + r.height * 0.5f;
    Drag(at(2), y, at(5), y);
    Button(false);
    Frame();
    EXPECT_EQ(box->SelectionStart, 2);
    EXPECT_EQ(box->SelectionEnd, 5);
    EXPECT_EQ(box->Cursor, 5);
    EXPECT_EQ(box->Dragging, 0);
}

// In password mode the text is drawn and measured as stars; an empty unfocused box shows its
// hint, a focused one only the caret.
TEST_F(TextBoxTest, PasswordsAreMeasuredAsStarsAndTheHintShowsUnfocused)
{
    auto* password = static_cast<UX::TTextBox*>(Find("ux_demo_password"));
    password->Text = u"iii";
    password->ResetCursor();
    const UX::TRect& r = password->ContentRect;
    EXPECT_EQ(password->HitTest(r.x + UX::MeasureTextWidth(password->Computed, u"**", -1) + 1.0f), 2);

    TRecordingCanvas canvas;
    TCanvasManager* old = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    password->Draw();
    EXPECT_EQ(canvas.Quads(), 3u) << "three stars";
    canvas.Clear();
    password->Text = u"";
    password->Draw();
    EXPECT_EQ(canvas.Quads(), 8u) << "the hint \"Password\"";
    canvas.Clear();
    box->Draw();
    EXPECT_EQ(canvas.Quads(), 2u) << "focused and empty: the caret's two lines";
    g_pCanvasManager = old;
}

TEST_F(TextBoxTest, StoredTextBoxesAreCheckedAtLoad)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* longText = data.AddControl<UX::TTextBox>("long", layer);
        const u32 count = UX::TEXT_BOX_CAPACITY + 1;
        std::memcpy(static_cast<void*>(&longText->Text), &count, sizeof count);
        auto* open = data.AddControl<UX::TTextBox>("unterminated", layer);
        open->Text = u"abc";
        open->Text.GetData()[3] = u'd';
        auto* limits = data.AddControl<UX::TTextBox>("limits", layer);
        limits->Text = u"abc";
        limits->MaxLength = 200;
        limits->SelectionStart = 2;
        limits->SelectionEnd = 9;
        limits->Cursor = 4;
        // A selection to the text's end is kept, one past it is not.
        for (const char* name : {"edge", "past"})
        {
            auto* box = data.AddControl<UX::TTextBox>(name, layer);
            box->Text = u"abc";
            box->SelectionStart = 1;
            box->SelectionEnd = static_cast<i16>(name[0] == 'e' ? 3 : 4);
        }
    });
    auto& boxes = UX::TTextBox::Manager();
    ASSERT_EQ(boxes.GetCount(), 5);
    EXPECT_EQ(boxes.Get(3)->SelectionEnd, 3);
    EXPECT_FALSE(boxes.Get(4)->HasSelection());
    EXPECT_EQ(boxes.Get(0)->Text.GetCount(), 0u);
    EXPECT_TRUE(Logged("'long': text reset"));
    EXPECT_EQ(boxes.Get(1)->Text.GetCount(), 0u);
    EXPECT_TRUE(Logged("'unterminated': text reset"));
    UX::TTextBox* limits = boxes.Get(2);
    EXPECT_EQ(limits->MaxLength, 127);
    EXPECT_TRUE(Logged("'limits': maximum length 200 outside 0 .. 127: 127 kept"));
    EXPECT_FALSE(limits->HasSelection());
    EXPECT_TRUE(Logged("'limits': selection reset"));
    EXPECT_EQ(limits->Cursor, 3);
    EXPECT_TRUE(Logged("'limits': caret reset"));
}
