// Game materials: the key set sorted as signed values, the last key found at every set size, the
// first key's material for a missing name with one line per lookup, and a full set.
#include "igame/gamematerial/gamematerialmanager.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace
{
class GameMaterialTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        g_pGameMaterialManager->Materials().SetCount(0);
        g_pGameMaterialManager->RebuildKeys();
    }

    // Materials with these name ids, in list order; each one's scatter is its list index.
    void Fill(const std::vector<u32>& names)
    {
        m_aMaterial.assign(names.size(), TGameMaterial{});
        DArray<TGameMaterial*>& list = g_pGameMaterialManager->Materials();
        list.SetCount(0);
        for (size_t i = 0; i < names.size(); ++i)
        {
            m_aMaterial[i].nName = names[i];
            m_aMaterial[i].ricochetScatter = static_cast<f32>(i);
            list.Add(&m_aMaterial[i]);
        }
        g_pGameMaterialManager->RebuildKeys();
    }

    static size_t Count(const std::string& text, const std::string& what)
    {
        size_t count = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++count;
        return count;
    }

    std::vector<TGameMaterial> m_aMaterial;
    TScratchWorkingFolder m_Folder{"gamematerial"};
};
} // namespace

TEST_F(GameMaterialTest, KeysAreSortedAsSignedValuesTheLastIsFoundATwiceDeclaredOrMissingNameAndAFullSet)
{
    const std::vector<u32> names = {7, 0x80000005u, 0x7fffffffu, 3, 0xfffffffeu, 100, 0x40000000u};
    for (size_t n = 1; n <= names.size(); ++n)
    {
        Fill(std::vector<u32>(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(n)));
        const auto& keys = g_pGameMaterialManager->Keys();
        ASSERT_EQ(keys.GetCount(), n);
        for (u32 i = 1; i < keys.GetCount(); ++i)
            EXPECT_LT(static_cast<i32>(keys[i - 1].key), static_cast<i32>(keys[i].key));
        for (size_t i = 0; i < n; ++i)
            EXPECT_EQ(g_pGameMaterialManager->GetMaterial(names[i], 0), &m_aMaterial[i]) << n << " keys, key " << i;
    }
    EXPECT_EQ(g_pGameMaterialManager->GetDataSize(), 7 * 16);
    EXPECT_EQ(Count(m_Folder.SystemLog(), "undeclared"), 0u);
    Fill({5, 5});
    EXPECT_EQ(g_pGameMaterialManager->Keys().GetCount(), 1u);
    EXPECT_EQ(g_pGameMaterialManager->GetMaterial(5, 0), &m_aMaterial[0]);
    std::vector<u32> many(GAME_MATERIAL_KEY_CAPACITY + 1);
    std::iota(many.begin(), many.end(), 1u);
    Fill(many);
    EXPECT_EQ(g_pGameMaterialManager->Keys().GetCount(), GAME_MATERIAL_KEY_CAPACITY);
    EXPECT_EQ(g_pGameMaterialManager->GetMaterial(GAME_MATERIAL_KEY_CAPACITY, 0), &m_aMaterial[GAME_MATERIAL_KEY_CAPACITY - 1]);
    EXPECT_EQ(Count(m_Folder.SystemLog(), "declared twice"), 1u);
    EXPECT_EQ(Count(m_Folder.SystemLog(), "more than 256 game materials"), 1u);

    // A missing name takes the smallest key's material, with one line a lookup.
    const TName concrete("concrete", true), metal("metal", true), missing("glass", true), asker("bullet", true);
    Fill({concrete.GetId(), metal.GetId(), 0x80000001u});
    EXPECT_EQ(g_pGameMaterialManager->GetMaterial(metal.GetId(), asker.GetId()), &m_aMaterial[1]);
    EXPECT_EQ(g_pGameMaterialManager->GetMaterial(missing.GetId(), asker.GetId()), &m_aMaterial[2]);
    EXPECT_EQ(g_pGameMaterialManager->GetMaterial(missing.GetId(), asker.GetId()), &m_aMaterial[2]);
    EXPECT_EQ(Count(m_Folder.SystemLog(), "TGameMaterialManager::GetMaterial(): 'glass:bullet' undeclared idenfifier"), 2u);
}
