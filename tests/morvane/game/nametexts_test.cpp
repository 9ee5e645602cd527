// The game logic's block of name texts: what a level carries so that the names the game forms
// from its units' prop-data names have their texts, and the refusal of a damaged block.
#include "core/system/name.h"
#include "core/system/namemanager.h"
#include "morvane/game/gamenametexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
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

TEST(GameNameTexts, ABlockRegistersItsTexts)
{
    const std::vector<u8> block = Block({"Texts_Whole_pData", std::string(GAME_NAME_TEXT_MAX, 'w')});
    ASSERT_EQ(TGameNameTexts::Register(block.data(), static_cast<i32>(block.size())), 0);
    EXPECT_TRUE(Known("Texts_Whole_pData"));
    EXPECT_TRUE(Known(std::string(GAME_NAME_TEXT_MAX, 'w').c_str()));
}

TEST(GameNameTexts, ADamagedBlockRegistersNothing)
{
    // Cut short anywhere: nothing of it is registered.
    const std::vector<u8> whole = Block({"Texts_Cut_pData", "Texts_CutToo_pData"});
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(TGameNameTexts::Register(whole.data(), static_cast<i32>(size)), 1) << size;
    EXPECT_FALSE(Known("Texts_Cut_pData"));
    // Bytes after the last text.
    std::vector<u8> longer = Block({"Texts_Longer_pData"});
    longer.push_back(0);
    EXPECT_EQ(TGameNameTexts::Register(longer.data(), static_cast<i32>(longer.size())), 1);
    EXPECT_FALSE(Known("Texts_Longer_pData"));
    // A text one longer than the limit; a text whose id is another's.
    const std::vector<u8> tooLong = Block({"Texts_Before_pData", std::string(GAME_NAME_TEXT_MAX + 1, 'x')});
    EXPECT_EQ(TGameNameTexts::Register(tooLong.data(), static_cast<i32>(tooLong.size())), 1);
    EXPECT_FALSE(Known("Texts_Before_pData"));
    const std::vector<u8> wrongId = Block({"Texts_Ok_pData", "Texts_Wrong_pData"}, {0, 12345});
    EXPECT_EQ(TGameNameTexts::Register(wrongId.data(), static_cast<i32>(wrongId.size())), 1);
    EXPECT_FALSE(Known("Texts_Ok_pData"));
    // A text with a zero inside its length.
    std::vector<u8> inner = Block({"Texts_Inner_pData"});
    inner[8 + 5] = 0;
    EXPECT_EQ(TGameNameTexts::Register(inner.data(), static_cast<i32>(inner.size())), 1);
}
