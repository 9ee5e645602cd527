#pragma once
// The player data under a scratch folder: save_directory names "<scratch>/My Games/Save" (a
// root with capitals), the profile manager starts empty with the game's factories, a state
// object stands for the running game, and the byte builder writes player files by hand.
#include "core/stream/memorystream.h"
#include "core/system/datetime.h"
#include "core/system/platform.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "engine/system/statemethods.h"
#include "player/gamesavedgame.h"
#include "player/gamesummarysource.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// Little-endian bytes of a file built by hand.
class TBytes
{
public:
    TBytes& Text(const std::string& text) { return Raw(text.data(), text.size()); }
    TBytes& U8(u8 value) { return Raw(&value, 1); }
    TBytes& U32(u32 value) { return Raw(&value, 4); }
    TBytes& I64(i64 value) { return Raw(&value, 8); }
    // u32 n and n UTF-16 units.
    TBytes& Wide(const std::u16string& text)
    {
        U32(static_cast<u32>(text.size()));
        return Raw(text.data(), text.size() * 2);
    }
    // The container header: "0001" and the patch level.
    TBytes& Header(u32 patchLevel = 3) { return Text("0001").U32(patchLevel); }
    TBytes& Raw(const void* data, size_t size)
    {
        m_Bytes.append(static_cast<const char*>(data), size);
        return *this;
    }
    const std::string& Get() const { return m_Bytes; }

private:
    std::string m_Bytes;
};

// One record per pass, saved as it is and read straight into place: the running game.
class TTestGameState : public TStateMethods
{
public:
    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (pass != 1 || m_aRecord.empty())
            return 0;
        if (m_bFailSave)
            return 7;
        return Whole(stream.Write(m_aRecord.data(), static_cast<i32>(m_aRecord.size())));
    }
    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (pass != 1 || m_aRecord.empty())
            return 0;
        ++m_nLoads;
        return Whole(stream.Read(m_aRecord.data(), static_cast<i32>(m_aRecord.size())));
    }
    i32 Whole(i32 moved) const { return moved == static_cast<i32>(m_aRecord.size()) ? 0 : 1; }
    std::vector<u8> m_aRecord;
    bool m_bFailSave = false;
    i32 m_nLoads = 0;
};

// Money and AI levels as a test sets them.
class TTestSummarySource : public TGameSummarySource
{
public:
    i32 GetMoney() override { return m_nMoney; }
    u32 GetAILevel(u32 gateId, u32 serviceKind) override { return m_aLevel[gateId - 1][serviceKind]; }
    i32 m_nMoney = 0;
    u32 m_aLevel[GAME_GATE_COUNT][GAME_SERVICE_KIND_COUNT] = {};
};

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Root = m_Folder.Path() + "/My Games/Save";
        SetSaveDirectory(m_Root);
        Reset();
        g_pResourceManager->m_CurrentRepository = TName("data/airport.data", true);
        g_pStateManager->RegisterStateObject(&m_State);
        SetGameSummarySource(&m_Summary);
    }
    void TearDown() override
    {
        Reset();
        SetSaveDirectory("save");
    }
    // Nothing of another test stays: no profiles, clock, disk query, summary, state object or level.
    static void Reset()
    {
        Manager().FinalizeManager();
        Manager().SetClock(nullptr);
        SetDiskFreeQuery(nullptr);
        SetGameSummarySource(nullptr);
        g_pStateManager->FinalizeManager();
        g_pResourceManager->m_CurrentRepository.Clear();
        g_pResourceManager->m_PendingRepository = "";
    }

    static TPlayerProfileManager& Manager() { return *g_pPlayerProfileManager; }

    static void SetSaveDirectory(const std::string& text)
    {
        const TName value(text.c_str(), true);
        TCommandManager::Instance().FindVariable(MakeCommandName("save_directory", false))->Assign(&value, 1);
    }

    // The game's start of the player data.
    u32 Start()
    {
        return Manager().Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame);
    }

    u32 AddProfile(const char16_t* name)
    {
        TMorvanePlayerProfile* profile = MemoryNew<TMorvanePlayerProfile>(name);
        const u32 result = Manager().AddProfile(profile);
        if (result != 0)
            MemoryDelete(profile);
        return result;
    }

    // Files below the root.
    void Write(const std::string& name, const std::string& bytes) const
    {
        m_Folder.WriteFile("My Games/Save/" + name, bytes);
    }
    std::string Read(const std::string& name) const { return m_Folder.ReadFile("My Games/Save/" + name); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(m_Root + "/" + name); }
    std::vector<std::string> Entries(const std::string& folder) const
    {
        std::vector<std::string> names;
        if (std::filesystem::is_directory(m_Root + "/" + folder))
            for (const auto& entry : std::filesystem::directory_iterator(m_Root + "/" + folder))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Log() const { return m_Folder.SystemLog(); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
    size_t Count(const std::string& text) const
    {
        const std::string log = Log();
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    // A profile file of the wide form with the game's counter.
    static std::string ProfileFile(i64 uid, const std::u16string& name, u32 gamesPlayed = 0)
    {
        return TBytes().Header().U8(0xFF).U8(1).I64(uid).Wide(name).U32(gamesPlayed).Get();
    }
    static std::string SettingsFile(i64 uid) { return TBytes().Header().I64(uid).Get(); }

    TScratchWorkingFolder m_Folder{"player"};
    std::string m_Root;
    TTestGameState m_State;
    TTestSummarySource m_Summary;
};
