#include "engine/system/statemanager.h"

#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestream.h"
#include "core/stream/memorystream.h"
#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <cstdio>
#include <cstring>

TStateManager* g_pStateManager = nullptr;

namespace
{
TStateManager s_StateManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("State", "State", &g_pStateManager, &s_StateManager);

// The name field of an image for a repository: its text cut to 31 characters, NUL-padded. The
// comparison on load uses the same cut, so long names match themselves.
void RepositoryField(char (&field)[STATE_NAME_SIZE], const TName& repository)
{
    std::memset(field, 0, sizeof field);
    std::strncpy(field, repository.GetText(), STATE_NAME_SIZE - 1);
}

const char* const kLoadError = "TStateManager::_Load(): error: ";

u32 TrackStep(u32 pass, u32 object)
{
    return 1000 * (pass + 1) + object;
}
} // namespace

TStateManager::TStateManager()
{
    m_SaveDirectory = "save";
    m_PendingState = "";
}

void TStateManager::RegisterStateObject(TStateMethods* object)
{
    m_aObject.Add(object);
}

void TStateManager::FinalizeManager()
{
    m_aObject.SetCount(0);
}

i32 TStateManager::_Save(TStream& stream)
{
    TStateHeader header;
    header.nMagic = STATE_MAGIC;
    header.nVersion = STATE_VERSION;
    RepositoryField(header.aName, g_pResourceManager->m_CurrentRepository);
    if (stream.Write(&header, sizeof header) != static_cast<i32>(sizeof header))
        return STATE_WRITE_FAILED;

    // No cached object pointer may survive into the saved objects.
    g_pCluster->ResetPointers();
    return SavePasses(stream);
}

i32 TStateManager::_Load(TStream& stream, TStateLoadCheck* check)
{
    TStateHeader header;
    if (stream.Read(&header, sizeof header) != static_cast<i32>(sizeof header) ||
        header.nMagic != STATE_MAGIC)
        return STATE_BAD_MAGIC;
    if (header.nVersion != STATE_VERSION)
        return STATE_BAD_VERSION;
    header.aName[STATE_NAME_SIZE - 1] = 0;

    char current[STATE_NAME_SIZE];
    RepositoryField(current, g_pResourceManager->m_CurrentRepository);
    const bool switches = std::strcmp(current, header.aName) != 0;
    // Switching to a repository that cannot be read would end the program: a damaged save,
    // or one of a level that is gone, is refused instead.
    if (switches && header.aName[0] && !IsRegularFile(header.aName))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "'%s' names the repository '%s', which is no file", stream.GetName().GetText(),
                    header.aName);
        return STATE_NO_REPOSITORY;
    }
    // A load waits for the repository the image names, or for one asked for already, and runs
    // again once it has loaded. An image that is not whole changes nothing, not even the level.
    const bool waits =
        switches ? header.aName[0] != 0 : g_pResourceManager->m_PendingRepository.GetLength() != 0;
    if (waits && check && !check->IsWhole(stream, false))
        return STATE_NOT_WHOLE;
    if (switches)
        g_pResourceManager->m_PendingRepository = header.aName;
    if (waits)
    {
        m_PendingState = stream.GetName().GetText();
        return STATE_DONE;
    }
    m_PendingState = "";

    // An image found bad part-way has already been loaded into the objects before the fault:
    // the running state is kept in memory first and loaded back then, so a refused image
    // changes nothing. The cluster's cached pointers stay valid and are not reset for it.
    TMemoryStream snapshot;
    const i32 keeping = SavePasses(snapshot);
    const bool kept = keeping == STATE_DONE;
    if (!kept && check)
    {
        // An image known whole only at its end could not be undone when found damaged there.
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "unable to keep the running state; '%s' is not loaded", stream.GetName().GetText());
        return keeping;
    }
    if (!kept)
        TLog::Print(g_pSystemLog, LOG_WARNING, "TStateManager::_Load(): warning: ",
                    "unable to keep the running state; a failed load of '%s' cannot be undone",
                    stream.GetName().GetText());
    i32 result = LoadPasses(stream);
    if (result == STATE_DONE && check && !check->IsWhole(stream, true))
        result = STATE_NOT_WHOLE;
    if (result == STATE_DONE || !kept)
        return result;
    snapshot.Seek(0, STREAM_SEEK_SET);
    if (LoadPasses(snapshot) != STATE_DONE)
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "unable to restore the running state after the failed load of '%s'",
                    stream.GetName().GetText());
    return result;
}

i32 TStateManager::SavePasses(TStream& stream)
{
    for (u32 pass = 0; pass < STATE_PASS_COUNT; ++pass)
    {
        i32 position = stream.GetPosition();
        for (u32 i = 0; i < m_aObject.GetCount(); ++i)
        {
            g_ManagerManager.SetTrack(STATE_TRACK_SAVE, TrackStep(pass, i));
            if (m_aObject[i]->SaveState(pass, stream) != 0)
                return STATE_OBJECT_FAILED;
            const i32 marker = stream.GetPosition();
            if (marker == position)
                continue;
            if (stream.Write(&marker, sizeof marker) != static_cast<i32>(sizeof marker))
                return STATE_WRITE_FAILED;
            position = stream.GetPosition();
        }
    }
    return STATE_DONE;
}

i32 TStateManager::LoadPasses(TStream& stream)
{
    for (u32 pass = 0; pass < STATE_PASS_COUNT; ++pass)
    {
        i32 position = stream.GetPosition();
        for (u32 i = 0; i < m_aObject.GetCount(); ++i)
        {
            g_ManagerManager.SetTrack(STATE_TRACK_LOAD, TrackStep(pass, i));
            if (m_aObject[i]->LoadState(pass, stream) != 0)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': object %u refused pass %u",
                            stream.GetName().GetText(), i, pass);
                return STATE_OBJECT_FAILED;
            }
            const i32 end = stream.GetPosition();
            if (end == position)
                continue;
            i32 marker = -1;
            if (stream.Read(&marker, sizeof marker) != static_cast<i32>(sizeof marker) || marker != end)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                            "'%s': the marker after object %u of pass %u is missing or wrong (%d, expected %d)",
                            stream.GetName().GetText(), i, pass, marker, end);
                return STATE_BAD_MARKER;
            }
            position = stream.GetPosition();
        }
    }
    return STATE_DONE;
}

i32 TStateManager::SaveToFile(const char* name)
{
    g_ManagerManager.SetTrack(STATE_TRACK_SAVE, 0);
    char path[512];
    char temporary[520];
    FormatStringN(path, sizeof path, "%s/%s.save", m_SaveDirectory.GetText(), name);
    FormatStringN(temporary, sizeof temporary, "%s.comp", path);

    TFileStream file;
    if (file.Open(TName(temporary, true), STREAM_WRITE | STREAM_CREATE_PATH) != 1)
        return STATE_CANNOT_OPEN;
    i32 result = _Save(file);
    file.Close();
    // A failed image is never compressed: the previous save of that name stays as it was.
    if (result == STATE_DONE && CompressFile(temporary, path) != COMPRESS_DONE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TStateManager::SaveToFile(): error: ", "unable to compress '%s'", path);
        result = STATE_COMPRESS_FAILED;
    }
    std::remove(temporary);
    return result;
}

i32 TStateManager::LoadFromFile(const char* path)
{
    g_ManagerManager.SetTrack(STATE_TRACK_LOAD, 0);
    DArray<u8> image;
    if (ReadCompressedFile(path, image, nullptr) != COMPRESS_DONE)
        return STATE_CANNOT_OPEN;
    TMemoryStream stream;
    stream.Open(TName(path, true), STREAM_READ);
    stream.Attach(image.GetData(), image.GetCount());
    return _Load(stream);
}

i32 TStateManager::LoadLatest()
{
    char pattern[512];
    FormatStringN(pattern, sizeof pattern, "%s/*.save", m_SaveDirectory.GetText());
    char16_t widePattern[512];
    MultiByteToWide(widePattern, 512, pattern, -1);

    char newest[FIND_NAME_SIZE * 3] = "";
    u64 newestTime = 0;
    TFindFile find;
    for (u32 more = find.First(widePattern); more == 0; more = find.Next())
    {
        char name[FIND_NAME_SIZE * 3];
        char path[1024];
        WideToUtf8(name, sizeof name, find.GetName(), -1);
        FormatStringN(path, sizeof path, "%s/%s", m_SaveDirectory.GetText(), name);
        const u64 time = GetFileWriteTime(0, path);
        // The first found wins a tie.
        if (!newest[0] || time > newestTime)
        {
            FormatStringN(newest, sizeof newest, "%s", name);
            newestTime = time;
        }
    }
    if (!newest[0])
        return STATE_CANNOT_OPEN;
    char path[1024];
    FormatStringN(path, sizeof path, "%s/%s", m_SaveDirectory.GetText(), newest);
    return LoadFromFile(path);
}
