// Feeds saved states to the game's own state objects as "state.load" and the menu's Continue
// load them: the file read (inflated), the passes over every manager that registers with the state
// manager (game logic, effects, damage, ballistics, particles, physics, nodes, triggers,
// sounds), the game's level loaded first through the game's managers, and a frame run on what was
// loaded (not drawn: the first drawing of the level takes minutes emulated). A refused state must leave the game as it was; the level's own state loads
// back after an accepted one. Seeds are states the game and the level tools save (compressed; the
// tools' have no ballistics record and are refused in pass 3, after the scene is loaded): a
// mutation inflates the image, mutates it and deflates it again, so that the fuzzer works on
// the state rather than on the deflate stream. VESTAMOR_FUZZ_SEED=<folder> writes the level's
// state as the game saves it, fresh and played (game/ holds them).
#include "core/compression/compressedfile.h"
#include "core/stream/memorystream.h"
#include "engine/render/rendermanager.h"
#include "engine/system/statemanager.h"
#include "support/gamesystem.h"

#include <filesystem>
#include <vector>
#include <zlib.h>

extern "C" size_t LLVMFuzzerMutate(u8* data, size_t size, size_t maxSize);

namespace
{
// The largest inflated image a mutation works on: the level's states are about 2.2 MB.
constexpr u32 IMAGE_LIMIT = 1 << 23;

std::filesystem::path s_Root;
std::string s_File;
// The state of the level as loaded, which each input's run ends by loading back.
std::vector<u8> s_LevelState;

std::vector<u8> SaveGame()
{
    TMemoryStream stream;
    if (g_pStateManager->_Save(stream) != STATE_DONE)
        __builtin_trap();
    return std::vector<u8>(stream.GetData(), stream.GetData() + stream.GetSize());
}

void LoadGame(std::vector<u8>& image)
{
    TMemoryStream stream;
    stream.Open(TName("level state", true), STREAM_READ);
    stream.Attach(image.data(), static_cast<i32>(image.size()));
    if (g_pStateManager->_Load(stream) != STATE_DONE)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGameSystem();
    const std::string data = GameDataFolder();
    AssociateRepositories(data);
    g_pResourceManager->LoadRepository((data + "/morvane.data").c_str(), 0);
    char root[] = "/tmp/vestamor_game_state_fuzz_XXXXXX";
    if (!mkdtemp(root))
        std::abort();
    s_Root = root;
    std::atexit([] { std::filesystem::remove_all(s_Root); });
    s_File = (s_Root / "fuzz.save").string();
    // A load rebuilds run-time words (pooled sounds, their voices) that a save writes too: the
    // game starts each input as a load of the level's state leaves it, which saves to that state.
    s_LevelState = SaveGame();
    LoadGame(s_LevelState);
    s_LevelState = SaveGame();
    LoadGame(s_LevelState);
    if (SaveGame() != s_LevelState)
        std::abort(); // the set-up itself is wrong
    // The level's state as the game saves it, and again after a few seconds of play.
    if (const char* seeds = std::getenv("VESTAMOR_FUZZ_SEED"))
    {
        g_pStateManager->SetSaveDirectory(seeds);
        g_pStateManager->SaveToFile("level");
        for (i32 frame = 0; frame < 90; ++frame)
            g_ManagerManager.Update(1.0f / 30.0f);
        g_pStateManager->SaveToFile("level-played");
        LoadGame(s_LevelState);
    }
    return 0;
}

// A compressed input is mutated as its image and deflated again; a plain one as it is.
extern "C" size_t LLVMFuzzerCustomMutator(u8* data, size_t size, size_t maxSize, unsigned int)
{
    TCompressedHeader header;
    if (size > sizeof header)
        std::memcpy(&header, data, sizeof header);
    if (size <= sizeof header || header.magic != COMPRESSED_MAGIC || header.size > IMAGE_LIMIT)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<u8> image(IMAGE_LIMIT);
    u32 produced = header.size;
    if (InflateBuffer(data + sizeof header, static_cast<u32>(size - sizeof header), image.data(), &produced) != 1)
        return LLVMFuzzerMutate(data, size, maxSize);
    header.size = static_cast<u32>(LLVMFuzzerMutate(image.data(), produced, image.size()));
    std::vector<u8> packed(compressBound(header.size));
    uLongf packedSize = packed.size();
    if (compress2(packed.data(), &packedSize, image.data(), header.size, 9) != Z_OK ||
        sizeof header + packedSize > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, &header, sizeof header);
    std::memcpy(data + sizeof header, packed.data(), packedSize);
    return sizeof header + packedSize;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    std::ofstream(s_File, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<long>(size));
    const i32 result = g_pStateManager->LoadFromFile(s_File.c_str());
    // A state naming another level waits for it; that load is the repository targets' road.
    g_pResourceManager->m_PendingRepository = "";
    if (result != STATE_DONE)
    {
        // A refused state leaves the game as a load of the level's state does. (Not the same
        // bytes as before it: sounds the refused scene started keep their pool records.)
        const std::vector<u8> refused = SaveGame();
        LoadGame(s_LevelState);
        if (SaveGame() != refused)
            __builtin_trap();
        return 0;
    }
    g_ManagerManager.Update(1.0f / 30.0f);
    LoadGame(s_LevelState);
    return 0;
}
