#include "morvane/game/gamenametexts.h"

#include "core/system/log.h"
#include "core/system/name.h"
#include "core/system/namemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "morvane/game/aicommonunit.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
const char* const kError = "TGameNameTexts::Register(): error: ";

void Append(DArray<u8>& block, const void* bytes, u32 size)
{
    const i32 at = block.GetCount();
    block.SetCount(at + static_cast<i32>(size));
    std::memcpy(block.GetData() + at, bytes, size);
}

u32 Word(const u8* bytes)
{
    u32 word;
    std::memcpy(&word, bytes, 4);
    return word;
}
} // namespace

DArray<u8>& TGameNameTexts::Build(const DArray<TAICommonUnit*>& units)
{
    // The prop data a unit may hold: its pool's free forms and those its props hold.
    std::vector<const TPropData*> forms;
    for (i32 i = 0; i < units.GetCount(); ++i)
    {
        const TProp* prop = units[i]->pProp;
        const TPropDataPool* pool = prop ? prop->pPropDataPool : nullptr;
        if (!pool)
            continue;
        for (i32 f = 0; f < pool->m_nFreeCount && f < PROP_POOL_CAPACITY; ++f)
            forms.push_back(pool->aFree[f]);
        for (const TProp* holder = pool->lProp.pFirst; holder; holder = holder->pNext)
            forms.push_back(holder->pPropData);
    }
    std::vector<u32> written;
    m_aBlock.SetCount(4);
    for (const TPropData* form : forms)
    {
        const u32 id = form ? form->m_Name.GetId() : 0;
        const char* text = form ? form->m_Name.GetText() : "";
        const u32 length = static_cast<u32>(std::strlen(text));
        if (!length || length > GAME_NAME_TEXT_MAX || std::find(written.begin(), written.end(), id) != written.end())
            continue;
        written.push_back(id);
        Append(m_aBlock, &id, 4);
        Append(m_aBlock, &length, 4);
        Append(m_aBlock, text, length + 1);
    }
    const u32 count = static_cast<u32>(written.size());
    std::memcpy(m_aBlock.GetData(), &count, 4);
    return m_aBlock;
}

i32 TGameNameTexts::Register(const void* data, i32 size)
{
    const u8* bytes = static_cast<const u8*>(data);
    const u32 total = size > 0 ? static_cast<u32>(size) : 0;
    if (total < 4)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kError, "block of %d bytes refused", size);
        return 1;
    }
    // Checked whole first, so that a damaged block registers nothing.
    const u32 count = Word(bytes);
    u32 at = 4;
    for (u32 i = 0; i < count; ++i)
    {
        if (total - at < 8 || Word(bytes + at + 4) > GAME_NAME_TEXT_MAX || total - at - 8 < Word(bytes + at + 4) + 1)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kError, "text %u of %u cut short or too long: block refused", i,
                        count);
            return 1;
        }
        const u32 length = Word(bytes + at + 4);
        const char* text = reinterpret_cast<const char*>(bytes + at + 8);
        if (text[length] != 0 || std::memchr(text, 0, length) || TName(text).GetId() != Word(bytes + at))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kError, "text %u of %u does not match its id: block refused", i,
                        count);
            return 1;
        }
        at += 8 + length + 1;
    }
    if (at != total)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kError, "%u bytes after the last text: block refused", total - at);
        return 1;
    }
    for (at = 4; at < total;)
    {
        const u32 length = Word(bytes + at + 4);
        g_pNameManager->Add(Word(bytes + at), reinterpret_cast<const char*>(bytes + at + 8));
        at += 8 + length + 1;
    }
    return 0;
}
