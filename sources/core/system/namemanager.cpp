#include "core/system/namemanager.h"

#include "core/system/log.h"

#include <cstddef>
#include <cstring>

TNameManager* g_pNameManager = nullptr;

// Block 0 is the header word followed by the main table's count and entries: the two must
// stay adjacent.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct TNameManagerLayout
{
    static_assert(offsetof(TNameManager, m_nHeader) == 4);
    static_assert(offsetof(TNameManager, m_MainTable) == 8);
    static_assert(sizeof(SSet<TNameEntry, NAME_TABLE_SIZE, u32, 0>) == 4 + 8 * NAME_TABLE_SIZE);
    static_assert(offsetof(TNameManager, m_KeywordTable) == 16 + 8 * NAME_TABLE_SIZE);
};
#pragma GCC diagnostic pop

namespace
{
const TName s_NameManagerName("NameManager", true);

const char* const kAddPrefix = "TNameManager::Add(): error: ";
const char* const kLoadPrefix = "TNameManager::SetData(): error: ";
} // namespace

TNameManager::TNameManager() : m_nHeader(0), m_nSpare(0)
{
    m_MainPool = "";
    m_KeywordPool = "";
    RegisterId(NAME_MANAGER_ID);
}

TNameManager::~TNameManager() = default;

const char* TNameManager::AppendText(const char* text, u32 length)
{
    const u32 count = m_MainPool.GetCount();
    if (count + length + 1 > NAME_POOL_SIZE)
        return nullptr;
    m_MainPool.SetCount(count + length + 1);
    char* copy = &m_MainPool[count - 1];
    std::memmove(copy, text, length);
    copy[length] = 0;
    m_MainPool[count + length] = 0; // the spare byte past the last text
    return copy;
}

i32 TNameManager::Add(u32 id, const char* text)
{
    const i32 index = m_MainTable.FindKey(id);
    if (index >= 0)
        return index;
    if (m_MainTable.IsFull())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kAddPrefix, "name table full, '%s' not stored", text);
        return -1;
    }
    const char* copy = AppendText(text, static_cast<u32>(std::strlen(text)));
    if (!copy)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kAddPrefix, "name pool full, '%s' not stored", text);
        return -1;
    }
    m_MainTable.Insert({id, copy});
    return 0;
}

TName TNameManager::AddKeyword(const TName& name)
{
    if (m_KeywordTable.FindKey(name.GetId()) >= 0)
        return name;
    const char* text = FindText(name.GetId());
    const u32 length = static_cast<u32>(std::strlen(text));
    const u32 count = m_KeywordPool.GetCount();
    if (m_KeywordTable.IsFull() || count + length + 1 > NAME_KEYWORD_POOL_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TNameManager::AddKeyword(): error: ", "keyword table full, '%s' not stored", text);
        return name;
    }
    m_KeywordPool.SetCount(count + length + 1);
    char* copy = &m_KeywordPool[count - 1];
    std::memcpy(copy, text, length + 1);
    m_KeywordPool[count + length] = 0;
    m_KeywordTable.Insert({name.GetId(), copy});
    return name;
}

const char* TNameManager::FindText(u32 id) const
{
    const i32 index = m_MainTable.FindKey(id);
    return index >= 0 ? m_MainTable[index].value : "";
}

i32 TNameManager::GetDataCount()
{
    return 3;
}

i32 TNameManager::GetDataSize()
{
    return static_cast<i32>(m_MainPool.GetCount() + 8 * m_MainTable.GetCount() + 16);
}

i32 TNameManager::GetData(i32 index, void*& data, i32& size)
{
    static u32 s_poolAddress;
    switch (index)
    {
    case 0:
        data = &m_nHeader;
        size = static_cast<i32>(8 * m_MainTable.GetCount() + 8);
        return 0;
    case 1:
        data = &m_MainPool;
        size = static_cast<i32>(m_MainPool.GetCount() + 4);
        return 0;
    case 2:
        s_poolAddress = static_cast<u32>(reinterpret_cast<uintptr_t>(m_MainPool.GetData()));
        data = &s_poolAddress;
        size = 4;
        return 0;
    default:
        return 1;
    }
}

i32 TNameManager::SetData(i32 index, const void* data, i32 size)
{
    // Blocks follow the pool, whose length is any: their words may lie at any address.
    const auto word = [data](u32 i) {
        u32 value;
        std::memcpy(&value, static_cast<const u8*>(data) + 4 * i, 4);
        return value;
    };
    switch (index)
    {
    case 0:
        if (size < 8 || word(1) > NAME_TABLE_SIZE || static_cast<u32>(size) != 8 + 8 * word(1))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "name table block of %d bytes refused", size);
            ForgetLoadedImage();
            return 2;
        }
        m_aLoadTable.SetCount(size);
        std::memcpy(m_aLoadTable.GetData(), data, size);
        return 0;
    case 1:
        if (size < 5 || word(0) > NAME_POOL_SIZE || static_cast<u32>(size) != 4 + word(0))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "name pool block of %d bytes refused", size);
            ForgetLoadedImage();
            return 2;
        }
        m_aLoadPool.SetCount(size);
        std::memcpy(m_aLoadPool.GetData(), data, size);
        return 0;
    case 2:
        if (size != 4 || !CheckLoadedImage(word(0)))
        {
            ForgetLoadedImage();
            return 2;
        }
        MergeLoadedImage(word(0));
        ForgetLoadedImage();
        return 0;
    default:
        return 1;
    }
}

// Every loaded entry must be in order and point at a text that lies in the loaded pool with
// its terminator inside it.
bool TNameManager::CheckLoadedImage(u32 savedPoolAddress)
{
    if (m_aLoadTable.GetCount() < 8 || m_aLoadPool.GetCount() < 5)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "name table image incomplete");
        return false;
    }
    const u32* table = reinterpret_cast<const u32*>(m_aLoadTable.GetData());
    const u32 count = table[1];
    const TNameEntry* entries = reinterpret_cast<const TNameEntry*>(table + 2);
    const u32 poolCount = m_aLoadPool.GetCount() - 4;
    const char* pool = reinterpret_cast<const char*>(m_aLoadPool.GetData() + 4);
    for (u32 i = 0; i < count; ++i)
    {
        if (i > 0 && static_cast<i32>(entries[i - 1].key) >= static_cast<i32>(entries[i].key))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix,
                        "name table image refused: entry %d out of order", i);
            return false;
        }
        const u32 offset = static_cast<u32>(reinterpret_cast<uintptr_t>(entries[i].value)) - savedPoolAddress;
        if (offset >= poolCount || !std::memchr(pool + offset, 0, poolCount - offset))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix,
                        "name table image refused: text of entry %d outside its pool", i);
            return false;
        }
    }
    return true;
}

// Names the table already holds keep their entries; the loaded ones it lacks are appended to
// the pool and merged in id order. Then the keywords are put back into the main table.
void TNameManager::MergeLoadedImage(u32 savedPoolAddress)
{
    const u32* table = reinterpret_cast<const u32*>(m_aLoadTable.GetData());
    const u32 loadedCount = table[1];
    const TNameEntry* loaded = reinterpret_cast<const TNameEntry*>(table + 2);
    const char* pool = reinterpret_cast<const char*>(m_aLoadPool.GetData() + 4);

    m_nHeader = table[0];
    DArray<TNameEntry> merged;
    merged.SetCapacity(static_cast<i32>(m_MainTable.GetCount() + loadedCount));
    u32 own = 0;
    u32 refused = 0;
    for (u32 i = 0; i < loadedCount; ++i)
    {
        const i32 id = static_cast<i32>(loaded[i].key);
        while (own < m_MainTable.GetCount() && static_cast<i32>(m_MainTable[own].key) < id)
            merged.Add(m_MainTable[own++]);
        if (own < m_MainTable.GetCount() && static_cast<i32>(m_MainTable[own].key) == id)
            continue;
        const char* text =
            pool + (static_cast<u32>(reinterpret_cast<uintptr_t>(loaded[i].value)) - savedPoolAddress);
        const char* copy = nullptr;
        if (static_cast<u32>(merged.GetCount()) + (m_MainTable.GetCount() - own) < NAME_TABLE_SIZE)
            copy = AppendText(text, static_cast<u32>(std::strlen(text)));
        if (copy)
            merged.Add({loaded[i].key, copy});
        else
            ++refused;
    }
    while (own < m_MainTable.GetCount())
        merged.Add(m_MainTable[own++]);

    m_MainTable._SetCount(static_cast<u32>(merged.GetCount()));
    std::memcpy(m_MainTable.GetData(), merged.GetData(), merged.GetCount() * sizeof(TNameEntry));
    if (refused)
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "name table full, %d loaded names not stored",
                    refused);

    for (u32 i = 0; i < m_KeywordTable.GetCount(); ++i)
        Add(m_KeywordTable[i].key, m_KeywordTable[i].value);
}

void TNameManager::ForgetLoadedImage()
{
    m_aLoadTable.Free();
    m_aLoadPool.Free();
}
