#include "engine/localization/localization.h"

#include "core/cluster/cluster.h"
#include "core/stream/filestream.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "engine/input/inputmanager.h"
#include "engine/localization/localizationmethods.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <cstring>

TLocalizationManager* g_pLocalizationManager = nullptr;

namespace
{
const char* const kLoadPrefix = "TLocalizationManager::LoadLanguageFile(): error: ";
const char* const kDataPrefix = "TLocalizationManager::SetData(): error: ";

const i32 s_nRegistered = TManagerManager::RegisterManager(
    "Localization", "Localization", &g_pLocalizationManager, &TLocalizationManager::Instance());

template <class T> void CopyArray(DArray<T>& target, const DArray<T>& source)
{
    target.Free();
    target.SetCount(source.GetCount());
    if (source.GetCount() > 0)
        std::memcpy(target.GetData(), source.GetData(), sizeof(T) * static_cast<u32>(source.GetCount()));
}

// Up to the language count of ids from a data block; more are cut with a log line.
void TakeIds(SArray<TName, LOCALIZATION_LANGUAGE_COUNT, 1>& ids, const void* data, i32 size, const char* what)
{
    u32 count = static_cast<u32>(size) / 4;
    if (count > LOCALIZATION_LANGUAGE_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kDataPrefix, "%u language %s, only the first %u kept", count,
                    what, LOCALIZATION_LANGUAGE_COUNT);
        count = LOCALIZATION_LANGUAGE_COUNT;
    }
    ids.SetCount(count);
    for (u32 i = 0; i < count; ++i)
    {
        u32 id;
        std::memcpy(&id, static_cast<const u8*>(data) + 4 * i, 4);
        ids[i].SetId(id);
    }
}
} // namespace

TLocalizationManager& TLocalizationManager::Instance()
{
    static TLocalizationManager s_Instance;
    return s_Instance;
}

TLocalizationManager::TLocalizationManager()
    : m_nCurrentLanguage(-1), m_nLoading(0), m_nLocked(0), m_nShowId(0)
{
    RegisterId(LOCALIZATION_MANAGER_ID);
}

TName TLocalizationManager::GetLanguageCode(i32 index) const
{
    return static_cast<u32>(index) < m_aLanguageCode.GetCount() ? m_aLanguageCode[static_cast<u32>(index)]
                                                                : TName();
}

TName TLocalizationManager::GetCurrentLanguageName() const
{
    return m_nCurrentLanguage >= 0 ? m_aLanguageName[static_cast<u32>(m_nCurrentLanguage)] : TName();
}

u32 TLocalizationManager::SetLanguage(const TName& language)
{
    m_RequestedLanguage = language;
    const char* text = language.GetText();
    if (!*text)
        return 1;
    for (u32 i = 0; i < m_aLanguageName.GetCount(); ++i)
        if (EqualsIgnoringCase(text, m_aLanguageName[i].GetText()))
        {
            Activate(static_cast<i32>(i));
            return 0;
        }
    // A code names the language of the same index.
    for (u32 i = 0; i < m_aLanguageCode.GetCount() && i < m_aLanguageName.GetCount(); ++i)
        if (EqualsIgnoringCase(text, m_aLanguageCode[i].GetText()))
        {
            Activate(static_cast<i32>(i));
            return 0;
        }

    if (m_nLoading)
        return 1;
    m_nLoading = 1;
    u32 result = 1;
    if (LoadLanguageFile(text) == LANGUAGE_LOADED)
        result = SetLanguage(language);
    m_nLoading = 0;
    return result;
}

void TLocalizationManager::Activate(i32 slot)
{
    const i32 previous = m_nCurrentLanguage;
    m_nCurrentLanguage = slot;
    // Key names shown for actions depend on the language.
    TInputManager::Instance().UpdateActionEnvironment();
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        m_aListener[i]->OnLanguageChange(previous);
}

u32 TLocalizationManager::LoadLanguageFile(const char* language)
{
    if (m_aLanguageName.GetCount() >= LOCALIZATION_LANGUAGE_COUNT)
        return LANGUAGE_BAD_MAGIC;

    // File names are lower case; a name in other letters finds its file as it would on Windows.
    SString<256> path;
    path.Format("data/%s.language", language);
    TFileStream stream;
    if (stream.Open(TName(path.GetText(), true), STREAM_READ) != 1)
    {
        for (u32 i = 5; i < path.GetLength(); ++i)
            if (path[i] >= 'A' && path[i] <= 'Z')
                path[i] = static_cast<char>(path[i] + 32);
        if (stream.Open(TName(path.GetText(), true), STREAM_READ) != 1)
            return LANGUAGE_BAD_MAGIC;
    }

    const i32 size = stream.GetSize();
    if (size < 0 || static_cast<u32>(size) > LANGUAGE_FILE_MAX_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "'%s': unreadable or too large", path.GetText());
        return LANGUAGE_DAMAGED;
    }
    DArray<u8> image;
    image.SetCount(size);
    if (stream.Read(image.GetData(), size) != size)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "'%s': read failed", path.GetText());
        return LANGUAGE_DAMAGED;
    }
    stream.Close();

    TLanguageFile file;
    const u32 result = file.Parse(image.GetData(), static_cast<u32>(size), path.GetText());
    if (result != LANGUAGE_LOADED)
        return result;

    const u32 slot = m_aLanguageName.GetCount();
    m_aLanguageName.Add(TName(file.GetName(), true));
    // Codes stay at the index of their language, even after cluster data with fewer codes.
    while (m_aLanguageCode.GetCount() < slot)
        m_aLanguageCode.Add(TName());
    m_aLanguageCode.SetCount(slot);
    m_aLanguageCode.Add(TName(file.GetCode(), true));

    TLanguageSlot& target = m_aSlot[slot];
    CopyArray(target.aEntry, file.GetEntries());
    CopyArray(target.aText, file.GetText());
    TLog::Print(g_pSystemLog, LOG_INFO, "TLocalizationManager::LoadLanguageFile(): ", "'%s' (%s): %d texts",
                file.GetName(), file.GetCode(), target.aEntry.GetCount());
    return LANGUAGE_LOADED;
}

const char16_t* TLocalizationManager::FindText(const TName& name, u32& room) const
{
    if (m_nCurrentLanguage < 0)
        return nullptr;
    const TLanguageSlot& slot = m_aSlot[m_nCurrentLanguage];
    const i32 key = static_cast<i32>(name.GetId());
    i32 lo = 0;
    i32 hi = slot.aEntry.GetCount() - 1;
    while (lo <= hi)
    {
        const i32 mid = lo + (hi - lo) / 2;
        const i32 id = static_cast<i32>(slot.aEntry[mid].nName);
        if (id < key)
            lo = mid + 1;
        else if (id > key)
            hi = mid - 1;
        else
        {
            const DArray<char16_t>& block = slot.aText.GetCount() ? slot.aText : m_aSharedText;
            const u32 offset = slot.aEntry[mid].nText;
            if (offset >= static_cast<u32>(block.GetCount()))
                return nullptr;
            room = static_cast<u32>(block.GetCount()) - offset;
            return block.GetData() + offset;
        }
    }
    return nullptr;
}

char16_t* TLocalizationManager::GetText(char16_t* buffer, u32 capacity, const TName& name, bool expand)
{
    if (capacity == 0)
        return buffer;
    u32 room = 0;
    const char16_t* text = m_nShowId ? nullptr : FindText(name, room);
    if (!text)
    {
        // Names are the engine's 8-bit (Windows-1252) texts.
        const char* own = name.GetText();
        const u32 length = static_cast<u32>(std::strlen(own));
        MultiByteToWide(buffer, static_cast<i32>(capacity), own,
                        static_cast<i32>(length < capacity ? length : capacity - 1));
        return buffer;
    }
    // Cut at the capacity, and at the end of the block for a text without its NUL.
    u32 length = 0;
    while (length + 1 < capacity && length < room && text[length])
        ++length;
    std::memcpy(buffer, text, length * sizeof(char16_t));
    buffer[length] = 0;
    if (expand)
        TCommandManager::Instance().ExpandVariables(buffer, capacity);
    return buffer;
}

const char16_t* TLocalizationManager::GetTextTemp(const TName& name, bool expand)
{
    static char16_t s_aBuffer[LOCALIZATION_TEMP_SIZE];
    return GetText(s_aBuffer, LOCALIZATION_TEMP_SIZE, name, expand);
}

void TLocalizationManager::AddMethod(TLocalizationMethods* listener)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TLocalizationManager::AddMethod", "sources/engine/localization/localization", __LINE__,
                "manager system 'initialize' is locked");
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        if (m_aListener[i] == listener)
            return;
    if (m_aListener.GetCount() >= LOCALIZATION_LISTENER_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TLocalizationManager::AddMethod(): error: ", "too many listeners (max %u)",
                    LOCALIZATION_LISTENER_COUNT);
        return;
    }
    m_aListener.Add(listener);
}

void TLocalizationManager::RemoveMethod(TLocalizationMethods* listener)
{
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        if (m_aListener[i] == listener)
        {
            m_aListener[i] = m_aListener[m_aListener.GetCount() - 1];
            m_aListener.SetCount(m_aListener.GetCount() - 1);
            return;
        }
}

void TLocalizationManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
}

void TLocalizationManager::OnClusterLoad()
{
    if (m_RequestedLanguage.IsValid())
        SetLanguage(m_RequestedLanguage);
}

void TLocalizationManager::OnClusterUnload()
{
    m_aSharedText.Free();
}

i32 TLocalizationManager::GetDataCount()
{
    return LOCALIZATION_BLOCK_COUNT;
}

i32 TLocalizationManager::GetDataSize()
{
    i32 size = 4 * static_cast<i32>(m_aLanguageName.GetCount() + m_aLanguageCode.GetCount()) +
               2 * m_aSharedText.GetCount();
    for (u32 i = 0; i < m_aLanguageName.GetCount(); ++i)
        size += 8 * m_aSlot[i].aEntry.GetCount();
    return size;
}

i32 TLocalizationManager::GetData(i32 index, void*& data, i32& size)
{
    data = nullptr;
    size = 0;
    if (index == LOCALIZATION_BLOCK_NAMES)
    {
        data = m_aLanguageName.GetData();
        size = 4 * static_cast<i32>(m_aLanguageName.GetCount());
    }
    else if (index == LOCALIZATION_BLOCK_CODES)
    {
        data = m_aLanguageCode.GetData();
        size = 4 * static_cast<i32>(m_aLanguageCode.GetCount());
    }
    else if (index == LOCALIZATION_BLOCK_TEXT)
    {
        data = m_aSharedText.GetData();
        size = 2 * m_aSharedText.GetCount();
    }
    else if (index >= LOCALIZATION_BLOCK_ENTRIES && index < LOCALIZATION_BLOCK_COUNT &&
             static_cast<u32>(index - LOCALIZATION_BLOCK_ENTRIES) < m_aLanguageName.GetCount())
    {
        DArray<TLanguageEntry>& entries = m_aSlot[index - LOCALIZATION_BLOCK_ENTRIES].aEntry;
        data = entries.GetData();
        size = 8 * entries.GetCount();
    }
    return 0;
}

i32 TLocalizationManager::SetData(i32 index, const void* data, i32 size)
{
    if (size < 0 || (size > 0 && !data))
        return 1;
    if (index == LOCALIZATION_BLOCK_NAMES)
    {
        if (size == 0)
        {
            m_aLanguageName.SetCount(0);
            m_nCurrentLanguage = -1;
            return 0;
        }
        TakeIds(m_aLanguageName, data, size, "names");
        if (m_nCurrentLanguage < 0 || static_cast<u32>(m_nCurrentLanguage) >= m_aLanguageName.GetCount())
            m_nCurrentLanguage = 0;
    }
    else if (index == LOCALIZATION_BLOCK_CODES)
    {
        if (size > 0)
            TakeIds(m_aLanguageCode, data, size, "codes");
    }
    else if (index == LOCALIZATION_BLOCK_TEXT)
    {
        // Foreign: the text stays in the loaded image.
        m_aSharedText.Attach(static_cast<char16_t*>(const_cast<void*>(data)), size / 2);
    }
    else if (index >= LOCALIZATION_BLOCK_ENTRIES && index < LOCALIZATION_BLOCK_COUNT)
    {
        if (size == 0)
            return 0;
        TLanguageSlot& slot = m_aSlot[index - LOCALIZATION_BLOCK_ENTRIES];
        const i32 count = size / 8;
        slot.aText.Free();
        slot.aEntry.Free();
        slot.aEntry.SetCount(count);
        std::memcpy(slot.aEntry.GetData(), data, 8 * static_cast<u32>(count));
        SortLanguageEntries(slot.aEntry.GetData(), count);
    }
    return 0;
}
