// The game's stored records: what a load does with records that break the tables' limits, and
// the block of name texts a level carries (so that the names the game forms from its units'
// prop-data names have their texts), refused whole when damaged.
#include "core/system/namemanager.h"
#include "gamefixture.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamenametexts.h"

#include <cstring>
#include <tuple>

namespace
{
// A stored count beyond the table, as a damaged record carries it.
template <class TArray> void StoreCount(TArray& array, u32 count)
{
    std::memcpy(static_cast<void*>(&array), &count, 4);
}

void Word(std::vector<u8>& block, u32 word)
{
    const u8* bytes = reinterpret_cast<const u8*>(&word);
    block.insert(block.end(), bytes, bytes + 4);
}

// A block of the texts, each with the id given (its own when 0).
std::vector<u8> Block(const std::vector<std::string>& texts, const std::vector<u32>& ids = {})
{
    std::vector<u8> block;
    Word(block, static_cast<u32>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i)
    {
        Word(block, i < ids.size() && ids[i] ? ids[i] : TName(texts[i].c_str()).GetId());
        Word(block, static_cast<u32>(texts[i].size()));
        block.insert(block.end(), texts[i].begin(), texts[i].end());
        block.push_back(0);
    }
    return block;
}

bool Known(const char* text)
{
    return std::strcmp(g_pNameManager->FindText(TName(text).GetId()), text) == 0;
}
} // namespace

using GameRecords = GameTest;

TEST_F(GameRecords, AServiceKindFindsItsDeployTaskAndNothingOutsideTheTable)
{
    TGate& gate = AddGate(1);
    TTask& taxi = AddTask(&gate, gtDeployTaxi);
    TTask& repairs = AddTask(&gate, gtDeployRepairs);
    AddTask(&gate, gtTaxi);
    // A damaged task type that no kind stands for.
    AddTask(&gate, -1);
    EXPECT_EQ((std::vector<TTask*>{gate.GetServiceTask(skTaxi), gate.GetServiceTask(skRepairs),
                                   gate.GetServiceTask(skMaintenance), gate.GetServiceTask(11), gate.GetServiceTask(-1)}),
              (std::vector<TTask*>{&taxi, &repairs, nullptr, nullptr, nullptr}));
    EXPECT_EQ(Game().FindGate(2), nullptr);
}

// One load of damaged records: a queue of fewer than five zones completed and one of more cut,
// counts beyond their tables cut (the last that fits kept), gate ids outside 1 to 8 or
// repeated and units without a prop reported.
TEST_F(GameRecords, DamagedRecordsAreCompletedCutOrReportedAtLoad)
{
    TGameParameters& parameters = m_Parameters;
    parameters.aLandingZone.SetCount(2);
    parameters.aLandingZone[1].fX = 7.0f;
    // Whatever the damaged record held beyond its count.
    std::memset(static_cast<void*>(&parameters.aLandingZone[2]), 0xAB, 3 * sizeof(TLandingWaitZone));
    StoreCount(parameters.aTakeOffZone, 6);
    StoreCount(parameters.aPlane, 17);
    StoreCount(parameters.aCarMesh, 12);
    TGate& full = AddGate(1);
    StoreCount(full.aGateTask, 36);
    TGate& over = AddGate(2);
    StoreCount(over.aGateTask, 37);
    for (const i32 id : {8, 0, 9, 8})
        AddGate(id);
    TCrossroadArea crossroads[2] = {};
    StoreCount(crossroads[0].aAIUnit, 32);
    StoreCount(crossroads[1].aAIUnit, 33);
    Game().Crossroads().Add(&crossroads[0]);
    Game().Crossroads().Add(&crossroads[1]);
    AddUnit();
    Game().OnClusterLoad();
    ASSERT_EQ(parameters.aLandingZone.GetCount(), 5u);
    EXPECT_EQ(parameters.aLandingZone[1].fX, 7.0f);
    for (u32 i = 2; i < 5; ++i)
        EXPECT_EQ(std::tuple(parameters.aLandingZone[i].fRadius, parameters.aLandingZone[i].pWaitZonePlane,
                             parameters.aLandingZone[i].nEntered),
                  std::tuple(8.0f, nullptr, 0));
    EXPECT_EQ((std::vector<u32>{parameters.aTakeOffZone.GetCount(), parameters.aPlane.GetCount(),
                                parameters.aCarMesh.GetCount(), full.aGateTask.GetCount(), over.aGateTask.GetCount(),
                                crossroads[0].aAIUnit.GetCount(), crossroads[1].aAIUnit.GetCount()}),
              (std::vector<u32>{5, 16, 12, 36, 36, 32, 32}));
    for (const auto& [line, count] :
         {std::pair{"2 landing zones completed to 5", 1u}, {"6 take-off zones cut to 5", 1u},
          {"17 aircraft cut to 16", 1u}, {"car meshes cut", 0u}, {"gate 2: 37 entries cut to 36", 1u},
          {"gate 1: 36", 0u}, {"crossroad 1: 33 entries cut to 32", 1u}, {"crossroad 0:", 0u},
          {"gate 0: the id lies outside 1 to 8", 1u}, {"gate 9: the id lies outside 1 to 8", 1u},
          {"gate 1: the id", 0u}, {"gate 8: the id lies", 0u}, {"gate 8: the id is repeated", 1u},
          {"unit 0 has no prop: skipped", 1u}})
        EXPECT_EQ(LogCount(line), count) << line;
}

// A whole block registers its texts, the longest too; one cut short anywhere, with bytes after
// its last text, a text one longer than the limit, a text whose id is another's or a zero inside
// a text's length registers nothing of it.
TEST(GameNameTexts, AWholeBlockRegistersItsTextsAndADamagedOneNothing)
{
    const std::vector<u8> cut = Block({"Texts_Cut_pData", "Texts_CutToo_pData"});
    for (size_t size = 0; size < cut.size(); ++size)
        EXPECT_EQ(TGameNameTexts::Register(cut.data(), static_cast<i32>(size)), 1) << size;
    EXPECT_FALSE(Known("Texts_Cut_pData"));
    std::vector<u8> longer = Block({"Texts_Longer_pData"});
    longer.push_back(0);
    std::vector<u8> inner = Block({"Texts_Inner_pData"});
    inner[8 + 5] = 0;
    // (the block, what Register gives, a text of it)
    const std::tuple<std::vector<u8>, i32, const char*> cases[] = {
        {Block({"Texts_Whole_pData", std::string(GAME_NAME_TEXT_MAX, 'w')}), 0, "Texts_Whole_pData"},
        {longer, 1, "Texts_Longer_pData"},
        {Block({"Texts_Before_pData", std::string(GAME_NAME_TEXT_MAX + 1, 'x')}), 1, "Texts_Before_pData"},
        {Block({"Texts_Ok_pData", "Texts_Wrong_pData"}, {0, 12345}), 1, "Texts_Ok_pData"},
        {inner, 1, "Texts_Inner_pData"}};
    for (const auto& [block, result, text] : cases)
    {
        EXPECT_EQ(TGameNameTexts::Register(block.data(), static_cast<i32>(block.size())), result) << text;
        EXPECT_EQ(Known(text), result == 0) << text;
    }
    EXPECT_TRUE(Known(std::string(GAME_NAME_TEXT_MAX, 'w').c_str()));
}
