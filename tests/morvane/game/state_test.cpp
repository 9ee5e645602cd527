// The game's part of state images: its records saved and read back as they were, an image of
// another level refused with everything kept.
#include "core/stream/memorystream.h"
#include "engine/system/statemanager.h"
#include "gamefixture.h"
#include "morvane/game/gameenums.h"

#include <cstring>

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

    // What a state image must bring back, bytes of every record.
    std::vector<u8> Records()
    {
        std::vector<u8> bytes;
        auto append = [&](const void* record, size_t size) {
            const u8* at = static_cast<const u8*>(record);
            bytes.insert(bytes.end(), at, at + size);
        };
        append(&m_Parameters, sizeof m_Parameters);
        for (TGate& gate : m_aGate)
            append(&gate, sizeof gate);
        for (TTask& task : m_aTask)
            append(&task, sizeof task);
        for (TAICommonUnit& unit : m_aUnit)
            append(reinterpret_cast<const u8*>(&unit) + 4, sizeof unit - 4);
        return bytes;
    }

    TTask* m_pTask = nullptr;
};
} // namespace

TEST_F(GameState, TheGamesRecordsComeBackAsTheyWereSaved)
{
    const std::vector<u8> before = Records();
    const std::vector<u8> image = Save();
    m_Parameters.nMoney = 0;
    m_Parameters.fGameClock = 5.0f;
    m_aGate.front().m_nState = gsIdle;
    m_aGate.front().pPlane = nullptr;
    m_pTask->m_fCountdown = -3.0f;
    m_pTask->m_nDone = 1;
    m_aUnit.front().m_nAILevel = 3;
    m_Parameters.aPlane.SetCount(0);
    ASSERT_EQ(Load(image), STATE_DONE);
    EXPECT_EQ(Money(), 4321);
    EXPECT_EQ(m_aGate.front().pPlane, &m_aUnit.front());
    EXPECT_EQ(m_Parameters.aPlane[0], &m_aUnit.front());
    EXPECT_TRUE(Records() == before);
    // Every manager with state blocks has them saved under its id.
    EXPECT_EQ(Log().find("without an id"), std::string::npos);
}

TEST_F(GameState, AnImageOfAnotherLevelIsRefusedAndTheGameGoesOnUntouched)
{
    const std::vector<u8> image = Save();
    AddGate(5);
    m_Parameters.nMoney = 77;
    const std::vector<u8> before = Records();
    EXPECT_NE(Load(image), STATE_DONE);
    EXPECT_NE(Log().find("the image is of another level (1 gates, 1 tasks, 1 units; this level: 2 gates"),
              std::string::npos);
    EXPECT_EQ(Money(), 77);
    EXPECT_TRUE(Records() == before);
    // An image cut inside the game's records is refused too.
    std::vector<u8> cut = Save();
    cut.resize(48);
    EXPECT_NE(Load(cut), STATE_DONE);
    EXPECT_EQ(Money(), 77);
}
