// Drives a text box's key table with random events and clipboard texts: each record of the
// input is one byte of kind (even: a key event of 12 bytes {modifiers, code, character}; odd: a
// clipboard text, one byte of length then that many 16-bit characters), with the box's
// password mode, length limit (any 16-bit value) and starting text from the first bytes. No
// sequence may write past the text: the text stays terminated and within 127 characters and
// its limit, the caret within the text, and a selection ordered inside it.
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "ux/controls/ux.control.textbox.h"

#include <cstdlib>
#include <cstring>

namespace
{
void Check(const UX::TTextBox& box)
{
    const u32 count = box.Text.GetCount();
    const i32 length = box.Length();
    const bool fine = count <= UX::TEXT_BOX_CAPACITY && (count == 0 || box.Text.GetData()[count - 1] == 0) &&
                      length <= UX::TEXT_BOX_MAX_LENGTH && box.Cursor >= 0 && box.Cursor <= length &&
                      ((box.SelectionStart == -1 && box.SelectionEnd == -1) ||
                       (box.SelectionStart >= 0 && box.SelectionStart < box.SelectionEnd && box.SelectionEnd <= length));
    for (i32 i = 0; fine && i < length; ++i)
        if (box.Text.GetData()[i] == 0)
            std::abort();
    if (!fine)
        std::abort();
}

template <class T> bool Take(const uint8_t*& data, size_t& size, T& value)
{
    if (size < sizeof value)
        return false;
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    size -= sizeof value;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UX::TTextBox box;
    u8 password = 0;
    i16 maxLength = 0;
    u8 start = 0;
    if (!Take(data, size, password) || !Take(data, size, maxLength) || !Take(data, size, start))
        return 0;
    box.Password = password & 1;
    // Limits from data are clamped at load; a screen may set any.
    box.MaxLength = maxLength;
    char16_t text[UX::TEXT_BOX_CAPACITY] = {};
    for (u32 i = 0; i < start % UX::TEXT_BOX_CAPACITY; ++i)
        text[i] = static_cast<char16_t>(u'a' + i % 26);
    box.Text = text;
    box.ResetCursor();
    Check(box);
    UX::TTextBox::TKeyMarks marks = {};
    u8 kind = 0;
    while (Take(data, size, kind))
    {
        if (kind % 2 == 0)
        {
            TInputEvent event = {};
            if (!Take(data, size, event))
                break;
            box.HandleKey(event, marks);
        }
        else
        {
            u8 length = 0;
            if (!Take(data, size, length))
                break;
            char16_t pasted[256] = {};
            for (u32 i = 0; i < length; ++i)
                if (!Take(data, size, pasted[i]))
                    break;
            ClipboardSetText(pasted);
        }
        Check(box);
    }
    return 0;
}
