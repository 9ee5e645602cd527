#include "player/playerprofilemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/datetime.h"
#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/unistring.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/statemanager.h"
#include "player/leaderboard.h"
#include "player/playerfilewriter.h"
#include "player/playername.h"

#include <cstring>

TPlayerProfileManager* g_pPlayerProfileManager = nullptr;

namespace
{
TPlayerProfileManager s_PlayerProfileManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("PlayerProfile", "PlayerProfile",
                                                           &g_pPlayerProfileManager, &s_PlayerProfileManager);

// Startup variables the settings script keeps for the menus and input; nothing here reacts to
// a change.
class TStartupIntegerVariable : public TVariable
{
public:
    TStartupIntegerVariable(const char* name, const char* description, i32 value)
        : TVariable(name, description, VARIABLE_STARTUP)
    {
        m_Value.SetInt(value);
    }
    void OnChange() override {}
};

TStartupIntegerVariable s_sound_menufadetime("sound_menufadetime",
                                             "Time required to crossfade between game and menu audio.", 4);
TStartupIntegerVariable s_device_mouse_sensitivity("device_mouse_sensitivity", "", 5);
TStartupIntegerVariable s_device_invert_axis("device_invert_axis", "", 0);

const char* const kRenameError = "TPlayerProfileManager::RenameProfile(): error: ";
const char* const kRenameInfo = "TPlayerProfileManager::RenameProfile(): ";

// Moves the profile file to its new name inside the old folder, then the folder to its new
// name; the file is moved back when the folder cannot be. 0, or 2 (logged).
u32 MoveProfileFiles(const TPlayerProfile& profile, const char16_t* name, const TPlayerPath& oldFolder,
                     const TPlayerPath& newFolder, const TPlayerPath& oldFile, const TPlayerPath& newFile)
{
    const bool fileMoved = oldFile.Exists();
    if (fileMoved && (!newFile.IsValid() || __FileMove(oldFile.GetText(), newFile.GetText()) != 0))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                    "Can't rename player profile '%S' to '%S'. Can't rename to target profile file '%S'.",
                    profile.GetName(), name, newFile.GetText());
        return PLAYER_FILE_FAILED;
    }
    if (__DirectoryMove(oldFolder.GetText(), newFolder.GetText()) == 0)
        return PLAYER_DONE;
    TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                "Can't rename player profile '%S' to '%S'. Can't move profile folder from '%S' to '%S'.",
                profile.GetName(), name, oldFolder.GetText(), newFolder.GetText());
    TLog::Print(g_pSystemLog, LOG_INFO, kRenameInfo, "Restoring old profile.");
    if (fileMoved && __FileMove(newFile.GetText(), oldFile.GetText()) != 0)
        TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                    "Couldn't restore original filename from '%S' to '%S'. Profile will be unavailable.",
                    newFile.GetText(), oldFile.GetText());
    return PLAYER_FILE_FAILED;
}
} // namespace

TPlayerProfileManager::TPlayerProfileManager()
    : m_nPatchLevel(0), m_pSettings(nullptr), m_pCreateProfile(nullptr), m_pCreateSavedGame(nullptr),
      m_pPendingSavedGame(nullptr), m_pClock(GetLocalFileTime)
{
}

void TPlayerProfileManager::FinalizeManager()
{
    g_Leaderboard.Clear();
    _ClearProfiles();
    MemoryDelete(m_pSettings);
    m_pSettings = nullptr;
    m_pCreateProfile = nullptr;
    m_pCreateSavedGame = nullptr;
}

void TPlayerProfileManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TPlayerProfileManager::SetClock(TPlayerClock clock)
{
    m_pClock = clock ? clock : GetLocalFileTime;
}

u32 TPlayerProfileManager::Initialize(u32 patchLevel, TCreateProfileFunc createProfile,
                                      TCreateSavedGameFunc createSavedGame)
{
    const char* info = "TPlayerProfileManager::Initialize(): ";
    TLog::Print(g_pSystemLog, LOG_INFO, info, "start");
    u32 result = PLAYER_REFUSED;
    if (m_pSettings)
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfileManager::Initialize(): error: ", "Already initialized.");
    else if ((m_pSettings = MemoryNew<TPlayerSettings>()) != nullptr)
    {
        m_pCreateProfile = createProfile;
        m_pCreateSavedGame = createSavedGame;
        result = Load(patchLevel);
    }
    TLog::Print(g_pSystemLog, LOG_INFO, info, "end");
    return result;
}

u32 TPlayerProfileManager::Load(u32 patchLevel)
{
    if (!m_pSettings || !m_pCreateProfile)
        return PLAYER_REFUSED;
    m_nPatchLevel = patchLevel;
    _ClearProfiles();
    if (_LoadProfiles() != PLAYER_DONE || _LoadSettings() != PLAYER_DONE)
        return PLAYER_REFUSED;
    return PLAYER_DONE;
}

void TPlayerProfileManager::_ClearProfiles()
{
    for (i32 i = 0; i < m_aProfile.GetCount(); ++i)
        MemoryDelete(m_aProfile[i]);
    m_aProfile.Free();
}

u32 TPlayerProfileManager::_LoadProfiles()
{
    const char* error = "TPlayerProfileManager::_LoadProfiles(): error: ";
    TPlayerPath pattern;
    pattern.AddPattern(u"*");
    TFindFile find;
    if (!pattern.IsValid() || find.First(pattern.GetText()) != 0)
        return PLAYER_DONE;
    _ClearProfiles();
    do
    {
        if (!find.IsDirectory())
            continue;
        // A profile's files carry the folder's name.
        TPlayerPath file;
        file.Add(find.GetName());
        char16_t name[PLAYER_PATH_ROOM];
        FormatStringW(name, u"%s.profile", find.GetName());
        file.Add(name);
        TFileStream stream;
        if (!file.IsValid() || stream.OpenWide(file.GetText(), STREAM_READ) != 1)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, error, "Couldn't read player profile file %S.",
                        file.GetText());
            continue;
        }
        TPlayerProfile* profile = m_pCreateProfile();
        if (!profile)
            continue;
        TLog::Print(g_pSystemLog, LOG_INFO,
                    "TPlayerProfileManager::_LoadProfiles(): ", "Found player profile %S", file.GetText());
        if (TPlayerContainer::_Load(profile, stream) != PLAYER_DONE)
        {
            MemoryDelete(profile);
            continue;
        }
        // The name makes the paths of the profile's files: one that could reach outside its
        // folder is never used.
        if (!IsValidProfileName(profile->GetName()))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, error,
                        "Player profile file %S holds the name '%S', which no profile may have.",
                        file.GetText(), profile->GetName());
            MemoryDelete(profile);
            continue;
        }
        // The saved games live under the folder's name, whatever name the file stored.
        if (!EqualsIgnoringAsciiCase(profile->GetName(), find.GetName()))
        {
            TLog::Print(g_pSystemLog, LOG_WARNING, "TPlayerProfileManager::_LoadProfiles(): warning: ",
                        "Player profile file %S holds the name '%S': the profile takes its folder's name.",
                        file.GetText(), profile->GetName());
            profile->SetName(find.GetName());
        }
        // Uid 0 stands for no profile in "game.settings": such a profile takes a uid of its own.
        if (profile->GetUid() == 0)
        {
            i64 uid = static_cast<i64>(GetSystemFileTime());
            while (FindProfileByUid(uid) >= 0)
                ++uid;
            profile->SetUid(uid);
            TLog::Print(g_pSystemLog, LOG_WARNING, "TPlayerProfileManager::_LoadProfiles(): warning: ",
                        "Player profile file %S holds uid 0, which stands for no profile: given uid %I64d.",
                        file.GetText(), uid);
            _SaveProfile(profile);
        }
        m_aProfile.Add(profile);
        profile->RefreshSavedGames();
    } while (find.Next() == 0);
    return PLAYER_DONE;
}

u32 TPlayerProfileManager::_LoadSettings()
{
    if (m_aProfile.GetCount() == 0)
        return PLAYER_DONE;
    TPlayerPath path;
    path.Add(u"game.settings");
    TFileStream stream;
    i32 chosen = -1;
    if (path.IsValid() && stream.OpenWide(path.GetText(), STREAM_READ) == 1 &&
        TPlayerContainer::_Load(m_pSettings, stream) == PLAYER_DONE)
        chosen = FindProfileByUid(m_pSettings->GetSelectedUid());
    stream.Close();
    if (chosen < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerProfileManager::_LoadSettings(): error: ",
                    "Invalid selected profile uid %I64d in settings.", m_pSettings->GetSelectedUid());
        chosen = 0;
    }
    // Selected anew, so that the choice is written back.
    m_pSettings->SetSelectedUid(0);
    return SelectProfile(chosen);
}

u32 TPlayerProfileManager::_SaveSettings()
{
    TPlayerPath path;
    path.Add(u"game.settings");
    TPlayerFileWriter writer;
    if (!writer.Open(path))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfileManager::_SaveSettings(): error: ", "Can't save settings to %S.",
                    path.GetText());
        return PLAYER_FILE_FAILED;
    }
    const u32 result = TPlayerContainer::_Save(m_pSettings, writer.GetStream());
    if (result != PLAYER_DONE)
        return result;
    if (!writer.Commit())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfileManager::_SaveSettings(): error: ", "Can't save settings to %S.",
                    path.GetText());
        return PLAYER_FILE_FAILED;
    }
    return PLAYER_DONE;
}

u32 TPlayerProfileManager::_SaveProfile(TPlayerProfile* profile)
{
    const char* error = "TPlayerProfileManager::_SaveProfile(): error: ";
    const TPlayerPath path = profile->GetProfilePath();
    TPlayerFileWriter writer;
    if (!writer.Open(path))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error,
                    "Couldn't save player profile %S. Can't open profile file %S", profile->GetName(),
                    path.GetText());
        return PLAYER_REFUSED;
    }
    const u32 result = TPlayerContainer::_Save(profile, writer.GetStream());
    if (result != PLAYER_DONE)
        return result;
    if (!writer.Commit())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error,
                    "Couldn't save player profile %S. Can't write profile file %S", profile->GetName(),
                    path.GetText());
        return PLAYER_REFUSED;
    }
    return PLAYER_DONE;
}

i32 TPlayerProfileManager::FindProfileByUid(i64 uid) const
{
    for (i32 i = 0; i < m_aProfile.GetCount(); ++i)
        if (m_aProfile[i]->GetUid() == uid)
            return i;
    return -1;
}

i32 TPlayerProfileManager::FindProfileByName(const char16_t* name) const
{
    for (i32 i = 0; i < m_aProfile.GetCount(); ++i)
        if (EqualsIgnoringAsciiCase(m_aProfile[i]->GetName(), name))
            return i;
    return -1;
}

i32 TPlayerProfileManager::GetSelectedIndex() const
{
    // Uid 0 stands for no selection, whatever a stored profile may claim.
    if (!m_pSettings || m_pSettings->GetSelectedUid() == 0)
        return -1;
    return FindProfileByUid(m_pSettings->GetSelectedUid());
}

TPlayerProfile* TPlayerProfileManager::GetProfile(i32 index) const
{
    return index >= 0 && index < m_aProfile.GetCount() ? m_aProfile[index] : nullptr;
}

u32 TPlayerProfileManager::_CheckIndex(i32 index) const
{
    if (GetProfile(index))
        return PLAYER_DONE;
    TLog::Print(g_pSystemLog, LOG_ERROR,
                "TPlayerProfileManager::_CheckIndex(): error: ", "Player profile index %d out of range.",
                index);
    return PLAYER_OUT_OF_RANGE;
}

void TPlayerProfileManager::RemoveProfile(i32 index)
{
    const i32 count = m_aProfile.GetCount();
    std::memmove(m_aProfile.At(index), m_aProfile.At(index + 1),
                 (count - index - 1) * sizeof(TPlayerProfile*));
    m_aProfile.SetCount(count - 1);
}

u32 TPlayerProfileManager::SelectProfile(i32 index)
{
    const char* info = "TPlayerProfileManager::SelectProfile(): ";
    if (index > m_aProfile.GetCount() - 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfileManager::SelectProfile(): error: ", "Index %d out of range [-1, 0-%d].",
                    index, m_aProfile.GetCount());
        return PLAYER_REFUSED;
    }
    if (index < 0)
        index = -1;
    const i32 previous = GetSelectedIndex();
    if (index == previous)
        return PLAYER_DONE;
    const i64 previousUid = m_pSettings->GetSelectedUid();
    m_pSettings->SetSelectedUid(index >= 0 ? m_aProfile[index]->GetUid() : 0);
    if (_SaveSettings() != PLAYER_DONE)
    {
        m_pSettings->SetSelectedUid(previousUid);
        return PLAYER_REFUSED;
    }
    if (previous >= 0)
    {
        m_aProfile[previous]->OnDeselect();
        TLog::Print(g_pSystemLog, LOG_INFO, info, "Deselected player profile '%S'",
                    m_aProfile[previous]->GetName());
    }
    if (index >= 0)
    {
        m_aProfile[index]->RefreshSavedGames();
        m_aProfile[index]->OnSelect();
        TLog::Print(g_pSystemLog, LOG_INFO, info, "Selected player profile '%S'",
                    m_aProfile[index]->GetName());
    }
    else
        TLog::Print(g_pSystemLog, LOG_INFO, info, "Selected player profile '%s'", "<none>");
    return PLAYER_DONE;
}

u32 TPlayerProfileManager::AddProfile(TPlayerProfile* profile)
{
    const char* error = "TPlayerProfileManager::AddProfile(): error: ";
    TLog::Print(g_pSystemLog, LOG_INFO, "TPlayerProfileManager::AddProfile(): ", "Adding player profile %S",
                profile->GetName());
    if (!IsValidProfileName(profile->GetName()))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "The name '%S' can't name a player profile.",
                    profile->GetName());
        return PLAYER_REFUSED;
    }
    // Two profiles of one name would share one folder and one profile file.
    if (FindProfileByName(profile->GetName()) >= 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "A player profile exists with same name '%S'.",
                    profile->GetName());
        return PLAYER_REFUSED;
    }
    // A profile file no loaded profile holds is one that failed to load: never write over it.
    if (profile->GetProfilePath().Exists())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error,
                    "The unreadable player profile file %S is kept: no profile named '%S' is added.",
                    profile->GetProfilePath().GetText(), profile->GetName());
        return PLAYER_REFUSED;
    }
    if (_SaveProfile(profile) != PLAYER_DONE)
        return PLAYER_REFUSED;
    const i32 previous = GetSelectedIndex();
    m_aProfile.Add(profile);
    if (SelectProfile(m_aProfile.GetCount() - 1) != PLAYER_DONE)
    {
        SelectProfile(previous);
        RemoveProfile(m_aProfile.GetCount() - 1);
        return PLAYER_REFUSED;
    }
    return PLAYER_DONE;
}

u32 TPlayerProfileManager::DeleteProfile(i32 index)
{
    if (_CheckIndex(index) != PLAYER_DONE)
        return PLAYER_OUT_OF_RANGE;
    TPlayerProfile* profile = m_aProfile[index];
    TLog::Print(g_pSystemLog, LOG_INFO,
                "TPlayerProfileManager::DeleteProfile(): ", "Deleting player profile %S.",
                profile->GetName());
    const bool selected = index == GetSelectedIndex();
    if (selected)
        SelectProfile(-1);
    // A folder that is gone already counts as deleted; an invalid path (no folder of its own
    // below the root) never does.
    const TPlayerPath folder = profile->GetFolderPath();
    if (!folder.IsValid() || (folder.Exists() && __DirectoryDelete(folder.GetText()) != 0) || folder.Exists())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerProfileManager::DeleteProfile(): error: ", "Can't delete player profile file %S.",
                    folder.GetText());
        return PLAYER_FILE_FAILED;
    }
    RemoveProfile(index);
    if (selected)
        SelectProfile(m_aProfile.GetCount() > 0 ? 0 : -1);
    MemoryDelete(profile);
    return PLAYER_DONE;
}

u32 TPlayerProfileManager::RenameProfile(i32 index, const char16_t* name)
{
    if (_CheckIndex(index) != PLAYER_DONE)
        return PLAYER_OUT_OF_RANGE;
    TPlayerProfile* profile = m_aProfile[index];
    if (!name)
        name = u"";
    if (EqualsIgnoringAsciiCase(name, profile->GetName()))
        return PLAYER_DONE;
    if (!IsValidProfileName(name))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                    "Can't rename player profile '%S' to '%S'. No player profile may have that name.",
                    profile->GetName(), name);
        return PLAYER_REFUSED;
    }
    if (FindProfileByName(name) >= 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                    "Can't rename player profile '%S' to '%S'. A player profile exists with same name.",
                    profile->GetName(), name);
        return PLAYER_REFUSED;
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kRenameInfo, "Renaming player profile '%S' to '%S'",
                profile->GetName(), name);
    const TPlayerPath oldFolder = profile->GetFolderPath();
    TPlayerPath newFolder;
    newFolder.Add(name);
    const TPlayerPath oldFile = profile->GetProfilePath();
    TPlayerPath newFile = oldFolder;
    char16_t fileName[PLAYER_PATH_ROOM];
    FormatStringW(fileName, u"%s.profile", name);
    newFile.Add(fileName);

    if (!EqualsIgnoringAsciiCase(oldFolder.GetText(), newFolder.GetText()))
    {
        if (!newFolder.IsValid() || newFolder.Exists())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kRenameError,
                        "Can't rename player profile '%S' to '%S'. Destination folder '%S' exists.",
                        profile->GetName(), name, newFolder.GetText());
            return PLAYER_FILE_FAILED;
        }
        // A profile whose folder is gone is only saved under its new name.
        if (oldFolder.Exists() &&
            MoveProfileFiles(*profile, name, oldFolder, newFolder, oldFile, newFile) != 0)
            return PLAYER_FILE_FAILED;
    }
    profile->SetName(name);
    if (_SaveProfile(profile) != PLAYER_DONE)
        return PLAYER_FILE_FAILED;
    if (index == GetSelectedIndex() && _SaveSettings() != PLAYER_DONE)
        return PLAYER_FILE_FAILED;
    return PLAYER_DONE;
}

void TPlayerProfileManager::ForgetSavedGame(TPlayerSavedGame* record)
{
    if (m_pPendingSavedGame == record)
        m_pPendingSavedGame = nullptr;
}

void TPlayerProfileManager::OnClusterLoad()
{
    TPlayerSavedGame* pending = m_pPendingSavedGame;
    const TPlayerProfile* selected = GetSelectedProfile();
    if (pending && selected)
    {
        // The state manager keeps the name of an image that waits for its level to load.
        char16_t state[PLAYER_PATH_ROOM];
        Utf8ToUtf16(state, PLAYER_PATH_ROOM, g_pStateManager->GetPendingState());
        const TPlayerPath path = selected->GetSavedGamePath(pending->GetId());
        if (path.IsValid() && EqualsIgnoringAsciiCase(path.GetText(), state))
            pending->GetOwner()->LoadGame(pending, 0, 0);
    }
    m_pPendingSavedGame = nullptr;
}
