// The game's manager system as its start-up script sets it up (every manager of its "manager."
// lines, the game's screens registered, a small headless window), shared by the targets that load
// what the game loads: repositories, saved states, settings scripts. The start-up script's
// repository associations are made over a data folder of the target's choice (the game's,
// VESTAMOR_FUZZ_DATA, which tools/fuzz.sh sets, or a copy). Also the two loads that end the
// program by design, which the targets leave out.
#pragma once

#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/render/texture.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "ux/ux.instance.h"
#include "ux/ux.manager.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

inline void RunLine(const char* line)
{
    if (TCommandManager::Instance().ExecuteText(line) != 0)
    {
        std::fprintf(stderr, "fuzz: set-up line refused: %s\n", line);
        std::abort(); // the set-up itself is wrong
    }
}

inline void StartGameSystem()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    setenv("VESTAMOR_HEADLESS", "1", 1);
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    g_pFileStreamManager->SetDirectory(TName(".", true));
    g_pCluster->LinkTypes();
    RegisterGameScreens();
    // A small window keeps each frame cheap; presents never wait.
    RunLine("device.size 64 48");
    RunLine("device.verticalsyn 0");
    // Threads made here leave libFuzzer's time-out signal to this thread, which alone acts on it.
    sigset_t alarm, held;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, &held);
    std::ifstream script(VESTAMOR_STARTUP_SCRIPT);
    if (!script)
        std::abort();
    // Up to the begin: the end and the finalize come after the main loop.
    for (std::string line; std::getline(script, line);)
        if (line.rfind("manager.", 0) == 0)
        {
            RunLine(line.c_str());
            if (line == "manager.begin")
                break;
        }
    pthread_sigmask(SIG_SETMASK, &held, nullptr);
    // Blocks are read at once: the frame after the load has them.
    g_pResourceManager->GetLoader().SetEnabled(false);
}

// The game's data folder (VESTAMOR_FUZZ_DATA); a target that needs it ends without it.
inline std::string GameDataFolder()
{
    const char* folder = std::getenv("VESTAMOR_FUZZ_DATA");
    if (!folder || !*folder)
    {
        std::fprintf(stderr, "fuzz: VESTAMOR_FUZZ_DATA must name the game's data folder (build/asan/data)\n");
        std::abort();
    }
    return folder;
}

// The start-up script's repository associations, its "data/" folder being the one given.
inline void AssociateRepositories(const std::string& folder)
{
    std::ifstream script(VESTAMOR_STARTUP_SCRIPT);
    for (std::string line; std::getline(script, line);)
        if (line.rfind("resource.associate ", 0) == 0)
        {
            const size_t at = line.find("\"data/");
            if (at == std::string::npos)
                std::abort();
            RunLine(line.replace(at + 1, 4, folder).c_str());
        }
}

// Whether the cluster image holds more UX instance objects than there are registered screens (the
// load ends the program then; fewer leave the last screens unbound).
inline bool InstanceCountMismatch(const u8* image, u32 size)
{
    constexpr u32 kHeaderWords = 5;
    u32 header[kHeaderWords];
    if (!image || size < sizeof header)
        return false;
    std::memcpy(header, image, sizeof header);
    const u32 arrays = header[3];
    for (u32 j = 0; j < arrays && sizeof header + 8 * (j + 1) <= size; ++j)
    {
        u32 entry[2];
        std::memcpy(entry, image + sizeof header + 8 * j, sizeof entry);
        if (entry[1] == UX::INSTANCE_OBJECT_TYPE_ID && entry[0] > UX::TUXManager::Instance().GetInstanceCount())
            return true;
    }
    return false;
}

// Whether a loaded texture's creation ends the program: a type other than 2D, cube or volume, or
// a dynamic one that is neither 2D nor a cube.
inline bool TextureCreationAborts()
{
    const TClusterSlot& slot = g_pCluster->GetSlot(TEXTURE_TYPE_ID);
    const i32 count = slot.pData ? slot.nSize / static_cast<i32>(sizeof(TTexture)) : 0;
    for (i32 i = 0; i < count; ++i)
    {
        const auto* texture = static_cast<const TTexture*>(reinterpret_cast<void**>(slot.pData)[i]);
        const i32 type = texture->m_nType;
        if (!(texture->m_nFlags & TEXTURE_NO_OBJECT) &&
            (texture->m_nFlags & TEXTURE_DYNAMIC ? type != TEXTURE_2D && type != TEXTURE_CUBE
                                                 : type != TEXTURE_2D && type != TEXTURE_CUBE && type != TEXTURE_VOLUME))
            return true;
    }
    return false;
}
