// The name hash, the name table, and its save and restore as cluster data blocks.
#include "core/system/name.h"
#include "core/system/namemanager.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

struct TSavedTable
{
    std::vector<u8> blocks[3];
};

TSavedTable Save(TNameManager* names)
{
    TSavedTable saved;
    EXPECT_EQ(names->GetDataCount(), 3);
    i32 total = 0;
    for (int i = 0; i < 3; ++i)
    {
        void* data = nullptr;
        i32 size = 0;
        EXPECT_EQ(names->GetData(i, data, size), 0);
        saved.blocks[i].assign(static_cast<u8*>(data), static_cast<u8*>(data) + size);
        total += size;
    }
    EXPECT_EQ(total, names->GetDataSize());
    return saved;
}

i32 Restore(TNameManager* names, const TSavedTable& saved)
{
    for (int i = 0; i < 3; ++i)
    {
        // In an image the blocks follow each other: the pool has any length, so the blocks
        // after it may lie at any address.
        std::vector<u8> unaligned(saved.blocks[i].size() + 1);
        std::memcpy(unaligned.data() + 1, saved.blocks[i].data(), saved.blocks[i].size());
        const i32 result =
            names->SetData(i, unaligned.data() + 1, static_cast<i32>(saved.blocks[i].size()));
        if (result != 0)
            return result;
    }
    return 0;
}

// Owns a name table apart from the global one.
struct TScopedNames
{
    TNameManager* names = MemoryNew<TNameManager>();
    ~TScopedNames() { MemoryDelete(names); }
};

u32 Id(const char* text)
{
    return TName(text).GetId();
}

} // namespace

TEST(NameManager, FullTableAndFullPoolRefuseWithoutOverrun)
{
    TTestDirectory directory;
    TScopedNames scoped;
    char text[16];
    // Rising ids append at the end of the sorted table.
    for (u32 i = 0; i < NAME_TABLE_SIZE; ++i)
    {
        snprintf(text, sizeof text, "n%u", i);
        ASSERT_EQ(scoped.names->Add(i + 1, text), 0);
    }
    EXPECT_EQ(scoped.names->Add(NAME_TABLE_SIZE + 1, "one too many"), -1);
    EXPECT_EQ(scoped.names->GetCount(), NAME_TABLE_SIZE);
    EXPECT_STREQ(scoped.names->FindText(NAME_TABLE_SIZE), "n27999");

    TScopedNames pool;
    const std::string big(99999, 'p');
    for (u32 i = 0; i < 9; ++i)
        ASSERT_EQ(pool.names->Add(i + 1, big.c_str()), 0);
    EXPECT_EQ(pool.names->Add(100, big.c_str()), -1);
    EXPECT_EQ(pool.names->Add(101, std::string(99998, 'q').c_str()), 0); // exactly fills the pool
    EXPECT_EQ(pool.names->GetPoolCount(), NAME_POOL_SIZE);
    EXPECT_EQ(pool.names->Add(102, ""), -1);

    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("TNameManager::Add(): error: name table full, 'one too many' not stored"),
              std::string::npos);
    EXPECT_NE(log.find("TNameManager::Add(): error: name pool full"), std::string::npos);
    EXPECT_EQ(CalculateCrc32("", 0, 0), 0u);
    EXPECT_EQ(TName("").GetId(), 0u);
    EXPECT_FALSE(TName("").IsValid());
    EXPECT_EQ(TName("abc").GetId(), 0x356598D0u);
    // The sign bit is copied in: a logical shift would give 0xCA6598D0.
    EXPECT_NE(TName("abc").GetId(), 0xCA6598D0u);
    EXPECT_EQ(CalculateCrc32("bc", 2, CalculateCrc32("a", 1, 0)), 0x356598D0u);
    EXPECT_NE(TName("ABC"), TName("abc"));
}

TEST(NameManager, BlocksRestoreAcrossADifferentPoolAddress)
{
    TScopedNames source;
    const char* texts[] = {"Resource", "Node", "shadow.enable", "data/level.data", "a"};
    for (const char* text : texts)
        source.names->Add(Id(text), text);
    const TSavedTable saved = Save(source.names);
    ASSERT_EQ(saved.blocks[0].size(), 8u + 8u * 5u);

    TScopedNames target;
    target.names->Add(Id("runtime.only"), "runtime.only");
    target.names->Add(Id("command.keyword"), "command.keyword");
    target.names->AddKeyword(TName("command.keyword"));
    target.names->AddKeyword(TName("keyword.without.text"));
    EXPECT_TRUE(target.names->HasKeyword(Id("command.keyword")));

    MemoryDelete(source.names); // the saved pool address no longer exists
    source.names = nullptr;
    ASSERT_EQ(Restore(target.names, saved), 0);
    for (const char* text : texts)
        EXPECT_STREQ(target.names->FindText(Id(text)), text);
    EXPECT_STREQ(target.names->FindText(Id("runtime.only")), "runtime.only");
    EXPECT_STREQ(target.names->FindText(Id("command.keyword")), "command.keyword");
    EXPECT_EQ(target.names->GetCount(), 8u); // the keyword without text comes back as an empty text

    // A second save of the merged table restores into a fresh one unchanged.
    const TSavedTable again = Save(target.names);
    TScopedNames fresh;
    ASSERT_EQ(Restore(fresh.names, again), 0);
    EXPECT_EQ(fresh.names->GetCount(), 8u);
    EXPECT_STREQ(fresh.names->FindText(Id("runtime.only")), "runtime.only");
}

TEST(NameManager, DamagedBlocksAreRefused)
{
    TTestDirectory directory;
    TScopedNames source;
    source.names->Add(Id("alpha"), "alpha");
    source.names->Add(Id("beta"), "beta");
    const TSavedTable good = Save(source.names);

    const auto words = [](std::vector<u8>& block) { return reinterpret_cast<u32*>(block.data()); };
    // Each damage made to a copy of the good blocks (table, pool); the table's entries are
    // (id, text) word pairs after its two words.
    const std::function<void(TSavedTable&)> damages[] = {
        [&](TSavedTable& t) { words(t.blocks[0])[1] = NAME_TABLE_SIZE + 1; }, // more entries than fit
        [](TSavedTable& t) { t.blocks[0].resize(12); },                       // fewer than counted
        [&](TSavedTable& t) { words(t.blocks[1])[0] = NAME_POOL_SIZE + 1; },  // a pool too big
        [&](TSavedTable& t) { words(t.blocks[0])[3] += 100000; }, // first entry's text past the pool
        [&](TSavedTable& t) { words(t.blocks[0])[3] -= 1; },      // one byte before the pool
        [](TSavedTable& t) { std::fill(t.blocks[1].begin() + 4, t.blocks[1].end(), 'x'); }, // unterminated
        // Out of order.
        [&](TSavedTable& t) {
            std::swap(words(t.blocks[0])[2], words(t.blocks[0])[4]);
            std::swap(words(t.blocks[0])[3], words(t.blocks[0])[5]);
        }};
    for (size_t i = 0; i < std::size(damages); ++i)
    {
        TSavedTable bad = good;
        damages[i](bad);
        TScopedNames target;
        target.names->Add(Id("kept"), "kept");
        EXPECT_EQ(Restore(target.names, bad), 2) << i;
        EXPECT_EQ(target.names->GetCount(), 1u) << i;
        EXPECT_STREQ(target.names->FindText(Id("kept")), "kept") << i;
        EXPECT_STREQ(target.names->FindText(Id("alpha")), "") << i;
    }

    TScopedNames incomplete;
    EXPECT_EQ(incomplete.names->SetData(2, good.blocks[2].data(), 4), 2);
    EXPECT_EQ(incomplete.names->SetData(3, nullptr, 0), 1);

    EXPECT_NE(directory.ReadFile("system.log").find("TNameManager::SetData(): error: "), std::string::npos);
}
