#include "ui/uiedit.h"

#include "core/system/platform.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "ui/uimanager.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

VESTAMOR_UI_ITEM(TUIEdit);

namespace
{
constexpr u32 MODIFIER_BIT25 = 0x10;
constexpr char16_t PASSWORD_CHARACTER = u'*';
constexpr f32 CARET_GAP = 2.0f;
constexpr f32 UNEDITED_FRAME_ALPHA = 0.2f;

bool IsKey(u32 modifiers, u32 code, u32 keyCode, u32 keyModifiers)
{
    return TInputKey::Equals({modifiers & INPUT_KEY_MODIFIERS, code, 0}, {keyModifiers, keyCode, 0});
}
} // namespace

TUIEdit::TUIEdit()
    : m_nEditing(0), m_aText{}, m_nCount(1), m_nMaxLength(UI_EDIT_MAXIMUM),
      m_nPassword(0), m_FrameColor{1.0f, 1.0f, 1.0f, 1.0f}, m_CaretColor{1.0f, 1.0f, 1.0f, 1.0f},
      m_pNext(nullptr), m_pPrevious(nullptr)
{
}

TUIEdit::~TUIEdit()
{
    // The keyboard is not left captured by an edit that is gone.
    if (g_pUIManager && g_pUIManager->m_pEditItem == this)
    {
        g_pUIManager->m_pEditItem = nullptr;
        TInputManager::Instance().BufferedInputDisable();
    }
    // Out of its ring.
    TUIEdit* next = m_pNext != this ? m_pNext : nullptr;
    TUIEdit* previous = m_pPrevious != this ? m_pPrevious : nullptr;
    if (previous && previous->m_pNext == this)
        previous->m_pNext = next;
    if (next && next->m_pPrevious == this)
        next->m_pPrevious = previous;
}

void TUIEdit::LinkRing(TUIEdit* const* edits, u32 count)
{
    for (u32 i = 0; i < count; ++i)
    {
        edits[i]->m_pNext = edits[(i + 1) % count];
        edits[i]->m_pPrevious = edits[(i + count - 1) % count];
    }
}

void TUIEdit::SetText(const char16_t* text)
{
    i32 length = 0;
    while (text && text[length] && length < static_cast<i32>(UI_EDIT_CAPACITY) - 1)
    {
        m_aText[length] = text[length];
        ++length;
    }
    m_aText[length] = 0;
    m_nCount = length + 1;
}

bool TUIEdit::Type(char16_t character, u32 modifiers)
{
    const i32 length = GetLength();
    if (character == 0 || character == u'%' || length >= static_cast<i32>(UI_EDIT_CAPACITY) - 1)
        return false;
    if (character < 0x100 && m_Excluded.find(static_cast<char>(character)) != std::string::npos)
        return false;
    if ((modifiers & (INPUT_KEY_ALT | INPUT_KEY_CTRL | MODIFIER_BIT25)) && character != u'@')
        return false;
    const bool punctuation = length > 0 && (character == u'-' || character == u' ' || character == u'@' ||
                                            character == u'.' || character == u'_');
    if (!std::iswalnum(static_cast<wint_t>(character)) && !punctuation)
        return false;
    if (length >= m_nMaxLength)
        return false;
    m_aText[length] = character;
    m_aText[length + 1] = 0;
    ++m_nCount;
    return true;
}

void TUIEdit::Paste(const char16_t* text)
{
    // A paste the text could not hold whole is dropped whole.
    u32 count = 0;
    while (text && text[count])
        ++count;
    if (static_cast<u32>(GetLength()) + count > UI_EDIT_CAPACITY - 1)
        return;
    // Pasted text passes the typed rules: a refused character is dropped, the maximum ends it.
    for (u32 i = 0; text && text[i] && GetLength() < m_nMaxLength; ++i)
        Type(text[i], 0);
}

void TUIEdit::BeginEdit()
{
    TUIEdit* current = g_pUIManager ? g_pUIManager->m_pEditItem : nullptr;
    if (current == this && m_nEditing)
        return;
    if (current && current != this)
    {
        // Moving on accepts the previous edit; the keyboard stays captured.
        current->m_nEditing = 0;
        current->OnAccept.Fire(current);
    }
    else if (!current)
        TInputManager::Instance().BufferedInputEnable();
    if (g_pUIManager)
        g_pUIManager->m_pEditItem = this;
    m_nEditing = 1;
}

void TUIEdit::EndEdit(bool cancel, bool release)
{
    if (g_pUIManager && g_pUIManager->m_pEditItem == this)
    {
        g_pUIManager->m_pEditItem = nullptr;
        if (release)
            TInputManager::Instance().BufferedInputDisable();
    }
    if (!m_nEditing)
        return;
    m_nEditing = 0;
    (cancel ? OnCancel : OnAccept).Fire(this);
}

TUIEdit* TUIEdit::Walk(bool forward)
{
    for (TUIEdit* edit = forward ? m_pNext : m_pPrevious; edit && edit != this;
         edit = forward ? edit->m_pNext : edit->m_pPrevious)
        if (edit->IsVisible() && !edit->IsInactive())
        {
            edit->BeginEdit();
            return edit;
        }
    return nullptr;
}

TUIEdit* TUIEdit::FocusNext()
{
    return Walk(true);
}

TUIEdit* TUIEdit::FocusPrevious()
{
    return Walk(false);
}

bool TUIEdit::HandleKey(u32 modifiers, u32 code, u32 character)
{
    if (code == UI_KEY_CONSOLE)
        return true;
    if (IsKey(modifiers, code, UI_KEY_ESCAPE, 0))
    {
        SetText(u"");
        g_pUIManager->m_nSelectLatch = 1;
        EndEdit(true, true);
        return false;
    }
    if (IsKey(modifiers, code, UI_KEY_ENTER, 0) || IsKey(modifiers, code, UI_KEY_ENTER2, 0))
    {
        g_pUIManager->m_nSelectLatch = 1;
        EndEdit(false, true);
        return false;
    }
    if (IsKey(modifiers, code, UI_KEY_BACKSPACE, 0))
    {
        if (GetLength() > 0)
        {
            m_aText[GetLength() - 1] = 0;
            --m_nCount;
        }
        return true;
    }
    if (IsKey(modifiers, code, UI_KEY_TAB, INPUT_KEY_SHIFT))
        return !FocusPrevious();
    if (IsKey(modifiers, code, UI_KEY_TAB, 0))
        return !FocusNext();
    if (IsKey(modifiers, code, UI_KEY_V, INPUT_KEY_CTRL))
    {
        Paste(ClipboardGetText());
        return true;
    }
    if (IsKey(modifiers, code, UI_KEY_C, INPUT_KEY_CTRL))
    {
        ClipboardSetText(m_aText);
        return true;
    }
    Type(static_cast<char16_t>(character), modifiers);
    return true;
}

void TUIEdit::HandleInput(f32 step, bool inside, u32& select)
{
    if (select && g_pUIManager)
    {
        if (inside && !m_nEditing)
        {
            if (!OnEditRequest.Fire(this))
                BeginEdit();
            select = 0;
        }
        else if (!inside && m_nEditing)
            EndEdit(true, true);
    }
    TUIButton::HandleInput(step, inside, select);
    if (!m_nEditing || !g_pUIManager)
        return;
    TInputManager& input = TInputManager::Instance();
    for (TInputEvent event = input.GetBufferedInput(); event.nCode || event.nValue;
         event = input.GetBufferedInput())
        if (!HandleKey(event.nModifiers, event.nCode, event.nValue))
            return;
}

i32 TUIEdit::Draw()
{
    const f32 opacity = DrawnOpacity();
    DrawButton(opacity);
    m_Caption.ApplyStyle(m_pStyle, UI_STATE_NORMAL);
    const TUIRect rect = GetAbsoluteRect();
    const f32 room = rect.Width() - 2.0f * m_Caption.HorizontalMargin();
    char16_t shown[UI_EDIT_CAPACITY];
    const i32 length = GetLength();
    for (i32 i = 0; i < length; ++i)
        shown[i] = m_nPassword ? PASSWORD_CHARACTER : m_aText[i];
    shown[length] = 0;
    // Editing keeps the end in sight; otherwise the start.
    i32 first = 0;
    i32 count = length;
    while (count > 0 && m_Caption.MeasureWidth(shown + first) > room)
    {
        if (m_nEditing)
            ++first;
        else
            shown[first + count - 1] = 0;
        --count;
    }
    const char16_t* text = shown + first;
    f32 x, y;
    TTextBox size;
    m_Caption.ArrangeText(rect, text, x, y, size);
    m_Caption.DrawText(rect, text, 1.0f);
    TTexture* white = g_pUIManager ? g_pUIManager->GetWhiteTexture() : nullptr;
    const f32 pixel = g_pUIManager ? g_pUIManager->GetPixelSize() : 1.0f;
    if (m_nEditing)
    {
        const f32 time = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
        const f32 alpha = (std::sin(10.0f * time) + 1.0f) * 0.5f;
        const f32 caret = rect.fLeft + x + (count ? size.fWidth : 0.0f) + CARET_GAP;
        const f32 height = g_pTextureFontManager && g_pTextureFontManager->GetFont()
                               ? g_pTextureFontManager->GetLineHeight()
                               : rect.Height() * 0.5f;
        const f32 top = rect.fTop + (rect.Height() - height) * 0.5f;
        UIDrawLine(caret, top, caret, top + height,
                   UIColor(m_CaretColor.r, m_CaretColor.g, m_CaretColor.b, m_CaretColor.a * alpha), white,
                   pixel);
    }
    UIDrawRectFrame(rect,
                    UIColor(m_FrameColor.r, m_FrameColor.g, m_FrameColor.b,
                            m_FrameColor.a * (m_nEditing ? 1.0f : UNEDITED_FRAME_ALPHA)),
                    white, pixel);
    return 0;
}
