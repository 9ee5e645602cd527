// Fixed-capacity containers: bounds, fatal assertions, ownership of foreign storage.
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

// 16-byte elements, as the managers' pools move them.
struct TQuad
{
    int a[4];
};

using TIntSet = SSet<TMapKey<int, int>, 8, int, 0>;

TEST(SArrayDeathTest, TextAndFormatsAreCutAtCapacityNullIsEmptyAndACountTooBigIsFatal)
{
    SArray<char, 256, 0> text;
    std::string longest(255, 'x');
    text = longest.c_str();
    EXPECT_EQ(text.GetCount(), 256u);
    EXPECT_EQ(std::string(text.GetText()), longest);

    text = static_cast<const char*>(nullptr);
    EXPECT_EQ(text.GetCount(), 1u);
    EXPECT_STREQ(text.GetText(), "");

    SArray<char, 256, 0> fresh;
    EXPECT_STREQ(fresh.GetText(), "");
    SString<8> formatted;
    formatted.Format("%d-%s", 1234, "abcdef");
    EXPECT_STREQ(formatted.GetText(), "1234-ab");
    EXPECT_EQ(formatted.GetCount(), 8u);
    EXPECT_EXIT(text.SetCount(257), testing::ExitedWithCode(1), "Terminal error: 'count too big'");
    std::string tooLong(256, 'y');
    EXPECT_EXIT(text = tooLong.c_str(), testing::ExitedWithCode(1), "count too big");
    SArray<char, 4, 0> small;
    small = "abc";
    EXPECT_EXIT(small.Append("d"), testing::ExitedWithCode(1), "count too big");
}

TEST(DArray, ForeignStorageIsNeverFreedAndIsCopiedOnGrowth)
{
    char buffer[4] = {'a', 'b', 'c', 0};
    u32 releases = g_MemoryReleases;
    {
        DArray<char> text;
        text.Attach(buffer, 4);
        EXPECT_FALSE(text.IsOwned());
        EXPECT_STREQ(text.GetText(), "abc");
        text.SetLength(5);
        EXPECT_TRUE(text.IsOwned());
        text[3] = 'd';
        text[4] = 'e';
        EXPECT_STREQ(text.GetText(), "abcde");
    }
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(g_MemoryReleases - releases, 1u); // only the owned copy
}

TEST(MArrayDeathTest, ShrinkingIntoForeignElementsIsFatal)
{
    TQuad loaded[2];
    TQuad* foreign[2] = {&loaded[0], &loaded[1]};
    MArray<TQuad, 1, 1024> array;
    array.AttachForeign(foreign, 2);
    array.Add();
    EXPECT_EXIT(array.SetCount(1), testing::ExitedWithCode(1),
                "Terminal error: 'unable to shrink foreign array'");
}

TEST(SSetDeathTest, InsertKeepsSortedSignedOrderAndRefusesDuplicatesAndAFullSetOrResizeBeyondTheCapacityIsFatal)
{
    TIntSet sorted;
    for (int key : {0, 5, static_cast<int>(0x80000000u), -3})
        sorted.Insert({key, key / 2});
    ASSERT_EQ(sorted.GetCount(), 4u);
    EXPECT_EQ(std::vector<int>({sorted[0].key, sorted[1].key, sorted[2].key, sorted[3].key}),
              std::vector<int>({static_cast<int>(0x80000000u), -3, 0, 5}));
    EXPECT_EQ(sorted.Insert({5, 99}), 1);
    EXPECT_EQ(sorted[3].value, 2);
    EXPECT_EQ(sorted.GetCount(), 4u);
    TTestDirectory directory;
    SSet<TMapKey<int, int>, 2, int, 0> full;
    full.Insert({1, 1});
    full.Insert({2, 2});
    EXPECT_EXIT(full.Insert({3, 3}), testing::ExitedWithCode(1), "Terminal error: 'count too big'");
    TLog::Print(g_pSystemLog, LOG_INFO, "", "opened");
    TIntSet set;
    set._Resize(8);
    EXPECT_EXIT(set._Resize(9), testing::ExitedWithCode(1), "Terminal error: 'invalid operation'");
    SSet<TMapKey<TName, float>, 6, TName, 1> scales;
    EXPECT_EXIT(scales._SetCount(7), testing::ExitedWithCode(1), "count too big");
    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("core/system/templates/sset.h("), std::string::npos) << log;
    EXPECT_NE(log.find(") : abort in SSet<class TMapKey<int,int>,8,int,0>::_Resize: invalid operation"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(") : abort in SSet<class TMapKey<class TName,float>,6,class TName,1>::_SetCount: "
                       "count too big"),
              std::string::npos)
        << log;
}

TEST(MArray, MoveItemsIsSafeForOverlapsBothWays)
{
    // Down by two and up by two, each over itself (up from the last element backwards), and a
    // forward move that stops at the end of its room: the first words of the eight after it.
    const std::pair<std::array<i32, 4>, std::vector<int>> cases[] = {
        {{1, 8, 3, 5}, {0, 3, 4, 5, 6, 7, 6, 7}},
        {{3, 8, 1, 5}, {0, 1, 2, 1, 2, 3, 4, 5}},
        {{0, 2, 4, 4}, {4, 5, 2, 3, 4, 5, 6, 7}}};
    for (const auto& [move, expected] : cases)
    {
        std::vector<TQuad> items(8);
        for (int i = 0; i < 8; ++i)
            items[i] = {{i, i, i, i}};
        MArray<TQuad, 0, 1024>::_MoveItems(items.data(), move[0], move[1], move[2], move[3]);
        std::vector<int> firsts;
        for (const TQuad& item : items)
            firsts.push_back(item.a[0]);
        EXPECT_EQ(firsts, expected) << move[0] << " " << move[2];
    }
}

TEST(Memory, CountsAllocationsAndLiveBytesAndAligns)
{
    u32 allocations = g_MemoryAllocations;
    u32 releases = g_MemoryReleases;
    u32 bytes = g_MemoryBytes;
    void* a = MemoryAllocate(24);
    void* b = MemoryAllocate(3);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
    EXPECT_EQ(g_MemoryBytes - bytes, 27u);
    MemoryFree(a);
    MemoryFree(nullptr);
    EXPECT_EQ(g_MemoryBytes - bytes, 3u);
    MemoryFree(b);
    EXPECT_EQ(g_MemoryAllocations - allocations, 2u);
    EXPECT_EQ(g_MemoryReleases - releases, 2u);
}
