// The game's part of state images: its records saved and read back as they were; an image of
// another level, and damaged saved games through Continue, refused with the game going on.
#include "core/compression/compressedfile.h"
#include "core/compression/compressedpipe.h"
#include "core/stream/memorystream.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/statemanager.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "gamefixture.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "xaudio2/xaudio2soundgroup.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace
{
class GameState : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        TGate& gate = AddGate(2);
        gate.m_nState = gsUnloading;
        gate.m_fUnloadingTimer = 321.5f;
        gate.m_nBusFlag = 1;
        m_pTask = &AddTask(&gate, gtDeployFuel);
        m_pTask->pTaskArea = &AddArea(3.0f, 4.0f, 2.5f);
        m_pTask->m_nStarted = m_pTask->m_nCountdownStarted = 1;
        m_pTask->m_fCountdown = 17.25f;
        TAICommonUnit& unit = AddUnit(2);
        unit.m_nPlaneState = PLANE_PARKED;
        m_pTask->pAIUnit = &unit;
        gate.pPlane = &unit;
        m_Parameters.nMoney = 4321;
        m_Parameters.fGameClock = 99.0f;
        m_Parameters.nStarted = 1;
        m_Parameters.aPlane.Add(&unit);
        Game().TaskAreas().Add(m_pTask->pTaskArea);
    }

    std::vector<u8> Save()
    {
        TMemoryStream stream;
        EXPECT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
        return std::vector<u8>(stream.GetData(), stream.GetData() + stream.GetSize());
    }

    i32 Load(std::vector<u8> image)
    {
        TMemoryStream stream;
        stream.Open(TName("game_state", true), STREAM_READ);
        stream.Attach(image.data(), static_cast<i32>(image.size()));
        return g_pStateManager->_Load(stream);
    }

    // What a state image must bring back, bytes of every record (of the parameters, or their money).
    std::vector<u8> Records(bool parameters = true)
    {
        std::vector<u8> bytes;
        auto append = [&](const void* record, size_t size) {
            const u8* at = static_cast<const u8*>(record);
            bytes.insert(bytes.end(), at, at + size);
        };
        if (parameters)
            append(&m_Parameters, sizeof m_Parameters);
        else
            append(&m_Parameters.nMoney, sizeof m_Parameters.nMoney);
        for (TGate& gate : m_aGate)
            append(&gate, sizeof gate);
        for (TTask& task : m_aTask)
            append(&task, sizeof task);
        for (TAICommonUnit& unit : m_aUnit)
            append(reinterpret_cast<const u8*>(&unit) + 4, sizeof unit - 4);
        for (i32 i = 0; i < Game().Crossroads().GetCount(); ++i)
            append(Game().Crossroads()[i], sizeof(TCrossroadArea));
        return bytes;
    }

    TTask* m_pTask = nullptr;
    TCrossroadArea m_Crossroad{1.0f, 0.0f, 2.0f, 1.0f, 6.0f, {}};
};

u32 Word(const std::string& bytes, size_t at)
{
    u32 word;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

void SetWord(std::string& bytes, size_t at, u32 word)
{
    std::memcpy(bytes.data() + at, &word, 4);
}

// The markers of a state image: words after the header that hold their own offset.
std::vector<u32> Markers(const std::string& image)
{
    std::vector<u32> markers;
    for (u32 at = sizeof(TStateHeader); at + 4 <= image.size(); ++at)
        if (Word(image, at) == at)
            markers.push_back(at);
    return markers;
}

// Damaged forms of a whole state image: every marker zeroed and one off, the image cut before
// and after each marker (the ends of the objects' chunks and of the passes), a byte short.
std::vector<std::pair<std::string, std::string>> HostileImages(const std::string& image)
{
    std::vector<std::pair<std::string, std::string>> hostile;
    for (const u32 at : Markers(image))
    {
        const std::string where = std::to_string(at);
        std::string zeroed = image;
        SetWord(zeroed, at, 0);
        hostile.emplace_back("marker " + where + " zeroed", zeroed);
        std::string off = image;
        SetWord(off, at, at + 1);
        hostile.emplace_back("marker " + where + " one off", off);
        hostile.emplace_back("cut before marker " + where, image.substr(0, at));
        if (at + 4 < image.size())
            hostile.emplace_back("cut after marker " + where, image.substr(0, at + 4));
    }
    hostile.emplace_back("a byte short", image.substr(0, image.size() - 1));
    return hostile;
}

// The running game of a player: its profile holds saved games, the rain plays.
class HostileSaves : public GameState
{
protected:
    void SetUp() override
    {
        GameState::SetUp();
        Profiles().FinalizeManager();
        ASSERT_EQ(Profiles().Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame), 0u);
        ASSERT_EQ(Profiles().AddProfile(MemoryNew<TMorvanePlayerProfile>(u"Hostile")), 0u);
        ASSERT_EQ(Profiles().SelectProfile(0), 0u);
        // A voice starts once its clip's group gives it a level.
        Clip("Rain", SOUND_DATA_ENDLESS).pGroup = &m_Bus;
        g_pXAudio2SoundManager->Groups().Add(&m_Bus);
        StartSounds();
        g_pSoundPlayerManager->SetRainSound(1);
        ASSERT_TRUE(RainPlays());
    }
    void TearDown() override
    {
        Profiles().FinalizeManager();
        GameState::TearDown();
    }
    static TPlayerProfileManager& Profiles() { return *g_pPlayerProfileManager; }
    TXAudio2SoundGroup m_Bus;

    // A frame of the sound service: the rain's voice made again after a restore.
    static bool RainPlays()
    {
        g_pXAudio2SoundManager->UpdateNow();
        auto* rain = static_cast<TXAudio2Sound*>(g_pSoundPlayerManager->GetSlot(TSoundPlayerManager::SLOT_RAIN).pSound);
        return rain && rain->IsPlaying() && rain->pVoice;
    }
};
} // namespace

TEST_F(GameState, TheGamesRecordsComeBackAsTheyWereSaved)
{
    // Every kind of stored link filled: an aircraft holding in the last zone of each queue and on
    // the runway, a crossroad's queue of two, the task the player drives.
    TAICommonUnit& landing = AddUnit(1);
    TAICommonUnit& leaving = AddUnit(3);
    m_Parameters.aPlane.Add(&landing);
    m_Parameters.aPlane.Add(&leaving);
    TLandingWaitZone& lastLanding = m_Parameters.aLandingZone[GAME_WAIT_ZONE_COUNT - 1];
    lastLanding.pWaitZonePlane = &landing;
    lastLanding.nEntered = 1;
    TTakeOffWaitZone& lastTakeOff = m_Parameters.aTakeOffZone[GAME_WAIT_ZONE_COUNT - 1];
    lastTakeOff.pWaitZonePlane = &leaving;
    lastTakeOff.nEntered = 1;
    m_Parameters.pLandingPlane = &landing;
    m_Parameters.pTakeOffPlane = &leaving;
    m_pTask->MarkTakenOver();
    m_Parameters.pActiveTask = m_pTask;
    m_Crossroad.aAIUnit.Add(&leaving);
    m_Crossroad.aAIUnit.Add(&m_aUnit.front());
    Game().Crossroads().Add(&m_Crossroad);
    const std::vector<u8> before = Records();
    const std::vector<u8> image = Save();
    // Links are stored as the records' indices, never as the addresses they had.
    for (const void* record : {static_cast<const void*>(&m_aUnit[0]), static_cast<const void*>(&landing),
                               static_cast<const void*>(&leaving), static_cast<const void*>(m_pTask)})
    {
        const auto* address = reinterpret_cast<const u8*>(&record);
        EXPECT_EQ(std::search(image.begin(), image.end(), address, address + sizeof record), image.end()) << record;
    }
    m_Parameters.nMoney = 0;
    m_Parameters.fGameClock = 5.0f;
    m_aGate.front().m_nState = gsIdle;
    m_aGate.front().pPlane = nullptr;
    m_pTask->m_fCountdown = -3.0f;
    m_pTask->m_nDone = 1;
    m_aUnit.front().m_nAILevel = 3;
    m_Parameters.aPlane.SetCount(0);
    lastLanding = TLandingWaitZone();
    lastTakeOff = TTakeOffWaitZone();
    m_Parameters.pLandingPlane = m_Parameters.pTakeOffPlane = nullptr;
    m_Parameters.pActiveTask = nullptr;
    m_Crossroad.aAIUnit.SetCount(0);
    ASSERT_EQ(Load(image), STATE_DONE);
    // The bytes hold every link too: the same records, the same addresses.
    EXPECT_TRUE(Records() == before);
    // Every manager with state blocks has them saved under its id.
    EXPECT_EQ(Log().find("without an id"), std::string::npos);
}

TEST_F(GameState, AnImageOfAnotherLevelIsRefusedAndTheGameGoesOnUntouched)
{
    const std::vector<u8> image = Save();
    // Another count of gates, or as many gates under other ids.
    const std::pair<bool, const char*> cases[] = {
        {false, "(1 gates, 1 tasks, 1 units; this level: 1 gates"},
        {true, "(1 gates, 1 tasks, 1 units; this level: 2 gates"}};
    for (const auto& [added, line] : cases)
    {
        if (added)
            AddGate(5);
        else
            m_aGate.front().m_nId = 3;
        m_Parameters.nMoney = 77;
        const std::vector<u8> before = Records();
        EXPECT_NE(Load(image), STATE_DONE) << line;
        EXPECT_NE(Log().find(std::string("the image is of another level ") + line), std::string::npos) << line;
        EXPECT_TRUE(Records() == before);
    }
}

TEST_F(HostileSaves, DamagedSavedGamesAreRefusedAndTheGameGoesOnWithItsSound)
{
    // Through Continue, as the player's latest saved game: its two sizes after owner and
    // summary, then the image deflated (the file's own damage is the player data's test).
    ASSERT_NE(Profiles().GetSelectedProfile()->SaveGame(0, SAVE_GAME_INSERT, -1), nullptr);
    std::string path;
    // The profile's own file shares the folder, in no set order.
    for (const auto& entry : std::filesystem::directory_iterator("save/hostile"))
        if (entry.path().extension() == ".save")
            path = entry.path().string();
    const std::string file = m_Folder.ReadFile(path);
    size_t sizes = 0;
    for (size_t at = 4; at + 4 <= file.size() && !sizes; ++at)
        sizes = Word(file, at) == file.size() - at - 4 ? at - 4 : 0;
    ASSERT_GT(sizes, 0u);
    std::string saved(Word(file, sizes), '\0');
    u32 inflated = static_cast<u32>(saved.size());
    ASSERT_EQ(InflateBuffer(file.data() + sizes + 8, Word(file, sizes + 4), saved.data(), &inflated), 1);
    ASSERT_EQ(inflated, saved.size());
    ASSERT_GE(Markers(saved).size(), 2u);
    for (const auto& [what, bytes] : HostileImages(saved))
    {
        TMemoryStream deflated;
        TCompressedPipe pipe;
        EXPECT_EQ(pipe.Open(&deflated, COMPRESSED_PIPE_WRITE), 1u);
        pipe.Write(bytes.data(), static_cast<i32>(bytes.size()));
        pipe.Close();
        const std::string packed(reinterpret_cast<const char*>(deflated.GetData()), deflated.GetSize());
        std::string save = file.substr(0, sizes + 8);
        SetWord(save, sizes, static_cast<u32>(bytes.size()));
        SetWord(save, sizes + 4, static_cast<u32>(packed.size()));
        m_Folder.WriteFile(path, save + packed);
        // Continue marks the game started before it loads.
        m_Parameters.nStarted = 0;
        const std::vector<u8> before = Records(false);
        const size_t refused = LogCount("TPlayerProfile::LoadGame(): done with errors");
        g_pGameMenuManager->_LoadLatestGame(0);
        EXPECT_EQ(m_Parameters.nStarted, 1) << what;
        EXPECT_EQ(LogCount("TPlayerProfile::LoadGame(): done with errors"), refused + 1) << what;
        // Its records as they were (the parameters' money), the rain playing, a frame played.
        EXPECT_TRUE(Records(false) == before) << what;
        EXPECT_TRUE(RainPlays()) << what;
        Game().UpdateManager(0.02f);
    }
}

// The vegetation's proxies are not in the image but share its queues: an aircraft queued after
// them when saved is drawn after Continue, also in a run where it was never queued before.
TEST_F(HostileSaves, ContinueDrawsWhatWasQueuedAfterTheVegetation)
{
    TRenderQueue queue{};
    g_pRenderSceneManager->Queues().Add(&queue);
    TVegetationClusterProxy proxy;
    g_pVegetationManager->Proxies().Add(&proxy);
    TNode* node = g_pNodeManager->CreateNode("aircraft");
    node->m_nFlags |= 3;
    TMesh* mesh = g_pDxMeshManager->CreateMesh(node);
    proxy.JoinQueue(&queue);
    mesh->JoinQueue(&queue);
    ASSERT_NE(Profiles().GetSelectedProfile()->SaveGame(0, SAVE_GAME_INSERT, -1), nullptr);

    const struct
    {
        const char* what;
        bool restarted;
    } cases[] = {{"the same run", false}, {"a restart", true}};
    for (const auto& c : cases)
    {
        // A fresh start has queued the vegetation alone.
        if (c.restarted)
            mesh->RemoveFromQueue();
        m_Parameters.nStarted = 0;
        g_pGameMenuManager->_LoadLatestGame(0);
        ASSERT_EQ(m_Parameters.nStarted, 1) << c.what;
        std::vector<TRenderObject*> drawn;
        for (TRenderObject* object = queue.lObject.pFirst; object && drawn.size() < 4; object = object->pNext)
            drawn.push_back(object);
        std::sort(drawn.begin(), drawn.end());
        std::vector<TRenderObject*> queued = {mesh, &proxy};
        std::sort(queued.begin(), queued.end());
        EXPECT_EQ(drawn, queued) << c.what;
        EXPECT_EQ(queue.lObject.pLast->pNext, nullptr) << c.what;
    }
    proxy.RemoveFromQueue();
    mesh->RemoveFromQueue();
    g_pVegetationManager->Proxies().SetCount(0);
    g_pRenderSceneManager->Queues().SetCount(0);
}
