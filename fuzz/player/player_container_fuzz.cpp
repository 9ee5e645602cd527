// Feeds arbitrary player files to the three container loads over memory streams: the first
// byte picks a profile (0), the settings (1), a saved game being listed (2: owner and summary)
// or a saved game loaded into the running game (3: the summary, the sizes, the bounded inflate
// and the state image), or (4) a file named by the first 18 bytes ("<18>.save", the rest its
// content) found when the profile lists its saved games, older names migrated. Each must end in
// a result code, never a crash, a read outside the file or an allocation the file cannot
// justify; a saved game refused leaves the game as it was, and a listed one has a time as id.
//
// VESTAMOR_FUZZ_SEED=<folder> writes a seed of each kind into the folder (corpus/ holds them).
#include "core/stream/filestreammanager.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "support/countedblockstate.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
// A game state whose blocks hold something, so that the seeds' state images are not empty.
TCountedBlockState MakeGameState()
{
    TCountedBlockState state;
    state.m_aLength[0] = 5;
    state.m_aLength[1] = 3;
    const u8 first[] = {1, 2, 3, 4, 5}, second[] = {9, 8, 7};
    std::memcpy(state.m_aData[0], first, sizeof first);
    std::memcpy(state.m_aData[1], second, sizeof second);
    return state;
}

TCountedBlockState s_State = MakeGameState();
TPlayerProfile* s_pOwner = nullptr;
// The scratch player root, removed at exit.
std::string s_Root;

void WriteSeed(const std::string& folder, u8 kind, TPlayerContainer& container)
{
    TMemoryStream stream;
    if (TPlayerContainer::_Save(&container, stream) != 0)
        std::abort();
    std::FILE* file = std::fopen((folder + "/seed" + std::to_string(kind)).c_str(), "wb");
    if (!file)
        std::abort();
    std::fputc(kind, file);
    std::fwrite(stream.GetData(), 1, static_cast<size_t>(stream.GetSize()), file);
    std::fclose(file);
}

void WriteSeeds(const char* folder)
{
    TPlayerSettings settings;
    settings.SetSelectedUid(s_pOwner->GetUid());
    WriteSeed(folder, 0, *s_pOwner);
    WriteSeed(folder, 1, settings);
    TGameSavedGame record;
    record.SetOwner(s_pOwner);
    WriteSeed(folder, 2, record);
    WriteSeed(folder, 3, record);
}

// The saved-game scan over one file named by the input; the folder is left with the profile alone.
void ListNamedFile(const u8* data, size_t size)
{
    constexpr size_t DIGITS = 18;
    if (size < DIGITS)
        return;
    std::string name;
    for (size_t i = 0; i < DIGITS; ++i)
        name += data[i] > 0x20 && data[i] < 0x7F && data[i] != '/' ? static_cast<char>(data[i])
                                                                    : static_cast<char>('0' + data[i] % 10);
    const std::filesystem::path folder = std::filesystem::path(s_Root) / "fuzz";
    if (!std::filesystem::is_directory(folder))
        std::abort(); // the set-up itself is wrong
    std::ofstream(folder / (name + ".save"), std::ios::binary)
        .write(reinterpret_cast<const char*>(data + DIGITS), static_cast<long>(size - DIGITS));
    s_pOwner->RefreshSavedGames();
    for (i32 i = 0; i < s_pOwner->GetSavedGameCount(); ++i)
        if (s_pOwner->GetSavedGame(i)->GetId() <= 0)
            __builtin_trap();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".save")
            std::filesystem::remove(entry.path());
    s_pOwner->RefreshSavedGames();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_pResourceManager->m_CurrentRepository = TName("level", true);
    g_pStateManager->RegisterStateObject(&s_State);
    // One profile on disk for saved games to belong to; every load itself runs in memory.
    char root[] = "/tmp/vestamor_player_fuzz_XXXXXX";
    if (!mkdtemp(root))
        std::abort();
    s_Root = root;
    std::atexit([] { std::filesystem::remove_all(s_Root); });
    g_pFileStreamManager->SetDirectory(TName(".", true));
    const TName directory(root, true);
    TCommandManager::Instance().FindVariable(MakeCommandName("save_directory", false))->Assign(&directory, 1);
    TPlayerProfileManager& manager = *g_pPlayerProfileManager;
    if (manager.Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame) != 0)
        std::abort();
    s_pOwner = MemoryNew<TMorvanePlayerProfile>(u"fuzz");
    if (manager.AddProfile(s_pOwner) != 0)
        std::abort();
    if (const char* seeds = std::getenv("VESTAMOR_FUZZ_SEED"))
        WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    g_pResourceManager->m_PendingRepository = "";
    // A copy of the exact size, so that any read past the file is caught.
    const size_t fileSize = size - 1;
    u8* file = static_cast<u8*>(MemoryAllocate(static_cast<u32>(fileSize) + 1));
    std::memcpy(file, data + 1, fileSize);
    TMemoryStream stream;
    stream.Open(TName("fuzz", true), STREAM_READ);
    stream.Attach(file, static_cast<i32>(fileSize));
    switch (data[0] % 5)
    {
    case 4:
        ListNamedFile(file, fileSize);
        break;
    case 0: {
        TMorvanePlayerProfile profile;
        if (TPlayerContainer::_Load(&profile, stream) == 0 && profile.GetUid() == s_pOwner->GetUid() &&
            &profile != s_pOwner)
            __builtin_trap();
        break;
    }
    case 1: {
        TPlayerSettings settings;
        TPlayerContainer::_Load(&settings, stream);
        break;
    }
    case 2: {
        TGameSavedGame record;
        // Stored without an owner (uid 0), it is left to the profile listing it.
        if (TPlayerContainer::_Load(&record, stream) == 0 && record.GetOwner() != s_pOwner && record.GetOwner())
            __builtin_trap();
        break;
    }
    default: {
        TGameSavedGame record;
        record.SetOwner(s_pOwner);
        const TCountedBlockState before = s_State;
        if (TPlayerContainer::_Load(&record, stream) != 0 && !s_State.Holds(before))
            __builtin_trap();
        break;
    }
    }
    MemoryFree(file);
    return 0;
}
