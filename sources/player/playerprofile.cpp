#include "player/playerprofile.h"

#include "core/stream/memorystream.h"
#include "core/system/datetime.h"
#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/unistring.h"
#include "player/playerfilewriter.h"
#include "player/playerprofilemanager.h"

#include <algorithm>
#include <cstring>

namespace
{
const char* const kRefreshError = "TPlayerProfile::RefreshSavedGames(): error: ";
const char* const kSaveGameError = "TPlayerProfile::SaveGame(): error: ";

// Saved-game ids are local times with millisecond resolution.
constexpr u64 SAVED_GAME_ID_STEP = 10000;
// "<18 digits>.save": the names the scan lists.
constexpr i32 SAVED_GAME_NAME_LENGTH = 23;
constexpr i32 SAVED_GAME_DIGITS = 18;

struct TSavedGameFile
{
    char16_t aName[SAVED_GAME_NAME_LENGTH + 1];
};

// The decimal number the name starts with.
i64 LeadingNumber(const char16_t* name)
{
    u64 number = 0;
    for (; *name >= u'0' && *name <= u'9'; ++name)
        number = number * 10 + static_cast<u64>(*name - u'0');
    return static_cast<i64>(number);
}

// An older name is a local time in digits: year (4), month, day (2 each), one digit not used,
// hour, minute, second (2 each) and milliseconds (3). Its id; 0 when the digits hold no time.
i64 OlderNameId(const char16_t* name)
{
    u32 digits[SAVED_GAME_DIGITS];
    for (i32 i = 0; i < SAVED_GAME_DIGITS; ++i)
    {
        if (name[i] < u'0' || name[i] > u'9')
            return 0;
        digits[i] = name[i] - u'0';
    }
    auto field = [&digits](i32 from, i32 count) {
        u32 value = 0;
        for (i32 i = from; i < from + count; ++i)
            value = value * 10 + digits[i];
        return value;
    };
    TDateTime time = {};
    time.year = static_cast<u16>(field(0, 4));
    time.month = static_cast<u8>(field(4, 2));
    time.day = static_cast<u8>(field(6, 2));
    time.hour = static_cast<u8>(field(9, 2));
    time.minute = static_cast<u8>(field(11, 2));
    time.second = static_cast<u8>(field(13, 2));
    time.milliseconds = static_cast<u16>(field(15, 3));
    return static_cast<i64>(time.ToFileTime());
}

// "<folder>/<name>", cut to the room (a cut path names no file it could open).
void JoinFilePath(char16_t (&path)[PLAYER_PATH_ROOM], const char16_t* folder, const char16_t* name)
{
    i32 length = 0;
    for (const char16_t* part : {folder, u"/", name})
        for (; *part && length < PLAYER_PATH_ROOM - 1; ++part)
            path[length++] = *part;
    path[length] = 0;
}

bool IsValidTimestamp(const TDateTime& time)
{
    return time.year >= 2000 && time.month >= 1 && time.month <= 12 && time.dayOfWeek <= 6 && time.day >= 1 &&
           time.day <= 31 && time.hour < 24 && time.minute < 60 && time.second < 60 &&
           time.milliseconds <= 999;
}

// The bytes free on the disk that will hold the profile's files; negative when unknown.
i64 FreeBytesFor(const TPlayerProfile& profile)
{
    const TPlayerPath folder = profile.GetFolderPath();
    if (folder.IsFolder())
        return GetDiskFreeBytes(folder.GetText());
    const TPlayerPath root;
    return GetDiskFreeBytes(root.GetText());
}
} // namespace

TPlayerProfile::TPlayerProfile(const char16_t* name) : m_nUid(static_cast<i64>(GetSystemFileTime()))
{
    SetName(name);
}

TPlayerProfile::~TPlayerProfile()
{
    ClearSavedGames();
}

void TPlayerProfile::SetName(const char16_t* name)
{
    char16_t cut[PLAYER_NAME_LENGTH + 1] = {};
    for (u32 i = 0; name && name[i] && i < PLAYER_NAME_LENGTH; ++i)
        cut[i] = name[i];
    // A pair of surrogates is never cut in two.
    if (cut[PLAYER_NAME_LENGTH - 1] >= 0xD800 && cut[PLAYER_NAME_LENGTH - 1] < 0xDC00)
        cut[PLAYER_NAME_LENGTH - 1] = 0;
    m_Name = cut;
}

u32 TPlayerProfile::OnLoadInternal(u32 patchLevel, TStream& stream)
{
    const char* error = "TPlayerProfile::OnLoadInternal(): error: ";
    u8 version = 0;
    i64 uid = 0;
    if (!ReadPlayerBodyVersion(stream, version) || !ReadPlayerField(stream, uid))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s' ends before its uid.", stream.GetName().GetText());
        return PLAYER_REFUSED;
    }
    const TPlayerProfileManager& manager = *g_pPlayerProfileManager;
    const TPlayerProfile* other = manager.GetProfile(manager.FindProfileByUid(uid));
    if (other && other != this)
    {
        // A profile being loaded has no name yet: its file names it.
        char16_t shown[PLAYER_PATH_ROOM];
        if (m_Name.GetLength())
            FormatStringW(shown, u"%s", GetName());
        else
            Utf8ToUtf16(shown, PLAYER_PATH_ROOM, stream.GetName().GetText());
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "Profile '%S' has same uid (%I64d) as profile '%S'.",
                    shown, uid, other->GetName());
        return PLAYER_REFUSED;
    }
    m_nUid = uid;
    switch (ReadPlayerName(stream, version, m_Name))
    {
    case TPlayerNameRead::ShortRead:
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s' ends inside its name.", stream.GetName().GetText());
        return PLAYER_REFUSED;
    case TPlayerNameRead::TooLong:
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "Invalid Name length.");
        return PLAYER_REFUSED;
    case TPlayerNameRead::HoldsNul:
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s' holds a NUL inside its name.", stream.GetName().GetText());
        return PLAYER_REFUSED;
    case TPlayerNameRead::Read:
        break;
    }
    if (OnLoad(patchLevel, stream) == PLAYER_DONE)
        return PLAYER_DONE;
    TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s' ends inside the game's part.", stream.GetName().GetText());
    return PLAYER_REFUSED;
}

u32 TPlayerProfile::OnSaveInternal(TStream& stream)
{
    const u8 marker[2] = {PLAYER_WIDE_MARKER, PLAYER_WIDE_VERSION};
    stream.Write(marker, 2);
    if (!WritePlayerField(stream, m_nUid) || !WritePlayerName(stream, m_Name))
        return PLAYER_REFUSED;
    return OnSave(stream);
}

u32 TPlayerProfile::Save()
{
    return g_pPlayerProfileManager->_SaveProfile(this);
}

TPlayerPath TPlayerProfile::GetFolderPath() const
{
    TPlayerPath path;
    path.Add(GetName());
    return path;
}

TPlayerPath TPlayerProfile::GetProfilePath() const
{
    TPlayerPath path = GetFolderPath();
    char16_t file[PLAYER_PATH_ROOM];
    FormatStringW(file, u"%s.profile", GetName());
    path.Add(file);
    return path;
}

TPlayerPath TPlayerProfile::GetSavedGamePath(i64 id) const
{
    TPlayerPath path = GetFolderPath();
    char16_t file[PLAYER_PATH_ROOM];
    FormatStringW(file, u"%I64d.save", id);
    path.Add(file);
    return path;
}

TPlayerSavedGame* TPlayerProfile::GetSavedGame(i32 index) const
{
    return index >= 0 && index < m_aSavedGame.GetCount() ? m_aSavedGame[index] : nullptr;
}

void TPlayerProfile::ClearSavedGames()
{
    for (i32 i = 0; i < m_aSavedGame.GetCount(); ++i)
        MemoryDelete(m_aSavedGame[i]);
    m_aSavedGame.Free();
}

void TPlayerProfile::DestroySavedGame(i32 index)
{
    MemoryDelete(m_aSavedGame[index]);
    const i32 count = m_aSavedGame.GetCount();
    std::memmove(m_aSavedGame.At(index), m_aSavedGame.At(index + 1),
                 (count - index - 1) * sizeof(TPlayerSavedGame*));
    m_aSavedGame.SetCount(count - 1);
}

u32 TPlayerProfile::RefreshSavedGames()
{
    ClearSavedGames();
    TPlayerPath pattern = GetFolderPath();
    pattern.AddPattern(u"??????????????????.save");
    // Older names are migrated into the folder being listed: the names are taken first.
    DArray<TSavedGameFile> files;
    TFindFile find;
    for (u32 more = pattern.IsValid() ? find.First(pattern.GetText(), true) : 1; more == 0; more = find.Next())
    {
        // The pattern admits no longer names.
        TSavedGameFile file = {};
        for (i32 i = 0; i < SAVED_GAME_NAME_LENGTH && find.GetName()[i]; ++i)
            file.aName[i] = find.GetName()[i];
        files.Add(file);
    }
    const TPlayerPath folder = GetFolderPath();
    for (i32 i = 0; i < files.GetCount(); ++i)
        ListSavedGame(folder, files[i].aName);

    // Newest first; records of equal ids keep the order of the scan.
    std::stable_sort(m_aSavedGame.GetData(), m_aSavedGame.GetData() + m_aSavedGame.GetCount(),
                     [](const TPlayerSavedGame* a, const TPlayerSavedGame* b) { return a->GetId() > b->GetId(); });
    // One id listed twice (an older name migrated onto a listed file's name): the file holds
    // what was read last.
    i32 kept = 0;
    for (i32 i = 0; i < m_aSavedGame.GetCount(); ++i)
    {
        if (i + 1 < m_aSavedGame.GetCount() && m_aSavedGame[i + 1]->GetId() == m_aSavedGame[i]->GetId())
            MemoryDelete(m_aSavedGame[i]);
        else
            m_aSavedGame[kept++] = m_aSavedGame[i];
    }
    m_aSavedGame.SetCount(kept);
    return PLAYER_DONE;
}

void TPlayerProfile::ListSavedGame(const TPlayerPath& folder, const char16_t* name)
{
    i64 id = LeadingNumber(name);
    // The scan gave the name as it is on disk: no look-up of its case.
    char16_t path[PLAYER_PATH_ROOM];
    JoinFilePath(path, folder.GetText(), name);
    if (name[0] == u'2')
    {
        id = OlderNameId(name);
        if (id != 0)
        {
            TPlayerPath file = folder;
            file.Add(name);
            const TPlayerPath renamed = GetSavedGamePath(id);
            if (__FileCopy(file.GetText(), renamed.GetText()) != 0)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kRefreshError, "Unable to copy saved game file '%S'.",
                            file.GetText());
                return;
            }
            if (__FileDelete(file.GetText()) != 0)
                TLog::Print(g_pSystemLog, LOG_ERROR, kRefreshError, "Unable to delete game file '%S'.",
                            file.GetText());
            FormatStringW(path, u"%s", renamed.GetText());
        }
    }
    TDateTime time;
    time.FromFileTime(static_cast<u64>(id));
    if (!IsValidTimestamp(time))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRefreshError,
                    "Can't get a valid timestamp from saved game '%S'.", name);
        return;
    }
    TPlayerSavedGame* record = g_pPlayerProfileManager->CreateSavedGame();
    if (!record)
        return;
    record->SetId(id);
    if (PreloadSavedGame(record, path) != PLAYER_DONE)
    {
        MemoryDelete(record);
        return;
    }
    if (!record->GetOwner())
        record->SetOwner(this);
    if (record->GetOwner() != this)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRefreshError,
                    "Invalid player profile uid (%I64d, expected %I64d) while pre-loading.",
                    record->GetOwner()->GetUid(), m_nUid);
        MemoryDelete(record);
        return;
    }
    m_aSavedGame.Add(record);
}

TPlayerSavedGame* TPlayerProfile::SaveGame(u32 tag, u32 mode, i32 replaceIndex)
{
    TPlayerProfileManager& manager = *g_pPlayerProfileManager;
    const u64 now = manager.GetLocalTime();
    const i64 id = static_cast<i64>(now - now % SAVED_GAME_ID_STEP);
    const TPlayerPath path = GetSavedGamePath(id);
    const i64 free = FreeBytesFor(*this);
    if (free >= 0 && free < SAVED_GAME_FREE_BYTES)
        return nullptr;
    // A save in a folder without its profile file would be found by no start: the profile (and
    // the selection, when it is this one) is written back first.
    if (!GetProfilePath().Exists())
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TPlayerProfile::SaveGame(): warning: ",
                    "Player profile file %S is missing: written again.", GetProfilePath().GetText());
        if (manager._SaveProfile(this) != PLAYER_DONE ||
            (manager.GetSelectedProfile() == this && manager._SaveSettings() != PLAYER_DONE))
            return nullptr;
    }

    TPlayerFileWriter writer;
    if (!writer.Open(path))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kSaveGameError, "Unable to create saved game file '%S'.",
                    path.GetText());
        return nullptr;
    }
    m_CurrentFile = path.GetText();
    TPlayerSavedGame* record = manager.CreateSavedGame();
    u32 result = PLAYER_REFUSED;
    if (record)
    {
        record->SetId(id);
        record->SetTag(tag);
        record->SetOwner(this);
        result = _Save(record, writer.GetStream());
    }
    const bool placed = result == PLAYER_DONE && writer.Commit();
    m_CurrentFile = u"";
    if (!placed)
    {
        writer.Discard();
        TLog::Print(g_pSystemLog, LOG_INFO, "TPlayerProfile::SaveGame(): ", "Failed.");
        MemoryDelete(record);
        return nullptr;
    }
    PlaceSavedGame(record, mode, replaceIndex);
    return record;
}

void TPlayerProfile::PlaceSavedGame(TPlayerSavedGame* record, u32 mode, i32 replaceIndex)
{
    if (replaceIndex >= 0 && replaceIndex < m_aSavedGame.GetCount())
    {
        TPlayerSavedGame* replaced = m_aSavedGame[replaceIndex];
        // Saved within the same millisecond, the replaced record's file is the new one.
        if (replaced->GetId() != record->GetId())
            replaced->Delete();
        MemoryDelete(replaced);
        m_aSavedGame[replaceIndex] = record;
    }
    else if (mode == SAVE_GAME_FIRST && m_aSavedGame.GetCount() > 0)
    {
        MemoryDelete(m_aSavedGame[0]);
        m_aSavedGame[0] = record;
    }
    else
    {
        m_aSavedGame.Add(record);
        std::memmove(m_aSavedGame.At(1), m_aSavedGame.At(0), (m_aSavedGame.GetCount() - 1) * sizeof(record));
        m_aSavedGame[0] = record;
    }
    // A record saved within the same millisecond as a listed one has replaced that one's file.
    for (i32 i = 0; i < m_aSavedGame.GetCount(); ++i)
        if (m_aSavedGame[i] != record && m_aSavedGame[i]->GetId() == record->GetId())
        {
            DestroySavedGame(i);
            break;
        }
}

u32 TPlayerProfile::LoadGame(TPlayerSavedGame* record, u32 tag, u32 fromCurrentFile)
{
    char16_t path[PLAYER_PATH_ROOM];
    if (fromCurrentFile)
        FormatStringW(path, u"%s", GetCurrentFile());
    else
        FormatStringW(path, u"%s", GetSavedGamePath(record->GetId()).GetText());
    // A record being listed has no owner yet, and may be destroyed right after.
    const bool listed = record->GetOwner() != nullptr;
    TFileStream file;
    if (!path[0] || file.OpenWide(path, STREAM_READ) != 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfile::LoadGame(): error: ", "Unable to load saved game file '%S'.", path);
        return PLAYER_REFUSED;
    }
    record->SetTag(tag);
    m_CurrentFile = path;
    const u32 result = _Load(record, file);
    m_CurrentFile = u"";
    TLog::Print(g_pSystemLog, LOG_INFO, "TPlayerProfile::LoadGame(): ", "%s",
                result == PLAYER_DONE ? "done" : "done with errors");
    if (listed)
        g_pPlayerProfileManager->SetPendingSavedGame(record);
    return result;
}

u32 TPlayerProfile::PreloadSavedGame(TPlayerSavedGame* record, const char16_t* path)
{
    // The record has no owner yet: the load stops after the summary, within the head.
    u8 head[SAVED_GAME_PRELOAD_BYTES];
    const i32 size = ReadFileHead(path, head, sizeof head);
    if (size < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfile::LoadGame(): error: ", "Unable to load saved game file '%S'.", path);
        return PLAYER_REFUSED;
    }
    // Named by its file, for the lines of a refusal.
    char name[PLAYER_PATH_ROOM * 3];
    WideToUtf8(name, sizeof name, path, -1);
    TMemoryStream stream;
    stream.Open(TName(name, true), STREAM_READ);
    stream.Attach(head, size);
    return _Load(record, stream);
}

u32 TPlayerProfile::DeleteGame(i32 index)
{
    if (!GetSavedGame(index))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfile::DeleteGame(): error: ", "Saved game index %d out of range.", index);
        return PLAYER_OUT_OF_RANGE;
    }
    if (m_aSavedGame[index]->Delete() != PLAYER_DONE)
        return PLAYER_REFUSED;
    DestroySavedGame(index);
    return PLAYER_DONE;
}
