// Moving, copying and deleting files and moving folders, the disk-space query's test hook, and the
// file search used twice.
#include "core/system/findfile.h"
#include "core/system/platform.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <tuple>

namespace
{
size_t EntryCount(const std::string& folder)
{
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}
} // namespace

TEST(FileMove, ReplacesTheDestinationAndRefusesFolders)
{
    TTestDirectory directory;
    directory.WriteFile("a.profile", "new");
    directory.WriteFile("b.profile", "old");
    const std::string base = directory.Path();
    EXPECT_EQ(__FileMove(Wide(base + "/a.profile").c_str(), Wide(base + "/b.profile").c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(base + "/a.profile"));
    EXPECT_EQ(directory.ReadFile("b.profile"), "new");

    // Missing sources and folders are refused; a folder in the way is not replaced.
    EXPECT_EQ(__FileMove(Wide(base + "/a.profile").c_str(), Wide(base + "/c").c_str()), 1u);
    std::filesystem::create_directories(base + "/folder/inside");
    EXPECT_EQ(__FileMove(Wide(base + "/folder").c_str(), Wide(base + "/moved").c_str()), 1u);
    EXPECT_EQ(__FileMove(Wide(base + "/b.profile").c_str(), Wide(base + "/folder").c_str()), 1u);
    EXPECT_EQ(directory.ReadFile("b.profile"), "new");
    EXPECT_TRUE(std::filesystem::is_directory(base + "/folder/inside"));
}

TEST(FileCopy, ReplacesTheDestinationWholeOrNotAtAll)
{
    TTestDirectory directory;
    const std::string base = directory.Path();
    directory.WriteFile("saves/200906151230011234.save", std::string(70000, 's'));
    directory.WriteFile("saves/128895012300010000.save", "older copy");
    const std::u16string from = Wide(base + "/saves/200906151230011234.save");
    const std::u16string to = Wide(base + "/saves/128895012300010000.save");
    EXPECT_EQ(__FileCopy(from.c_str(), to.c_str()), 0u);
    EXPECT_EQ(directory.ReadFile("saves/128895012300010000.save"), std::string(70000, 's'));
    EXPECT_EQ(directory.ReadFile("saves/200906151230011234.save"), std::string(70000, 's'));
    EXPECT_EQ(EntryCount(base + "/saves"), 2u);

    // A missing source or a folder copies nothing.
    EXPECT_EQ(__FileCopy(Wide(base + "/saves/missing.save").c_str(), to.c_str()), 1u);
    EXPECT_EQ(__FileCopy(Wide(base + "/saves").c_str(), to.c_str()), 1u);
    // A write failing part-way (the file-size limit) leaves no piece of the copy behind.
    directory.WriteFile("saves/129000000000000000.save", "kept");
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small = {1000, limit.rlim_max};
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const u32 cut = __FileCopy(from.c_str(), Wide(base + "/saves/129000000000000000.save").c_str());
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(cut, 1u);
    EXPECT_EQ(directory.ReadFile("saves/129000000000000000.save"), "kept");
    EXPECT_EQ(EntryCount(base + "/saves"), 3u);
    EXPECT_EQ(directory.ReadFile("saves/128895012300010000.save"), std::string(70000, 's'));
}

TEST(DirectoryMove, RenamesAFolderWithItsContentUnlessTheDestinationExists)
{
    TTestDirectory directory;
    const std::string base = directory.Path();
    directory.WriteFile("alice/alice.profile", "profile");
    directory.WriteFile("alice/128895012300010000.save", "game");
    EXPECT_EQ(__DirectoryMove(Wide(base + "/alice").c_str(), Wide(base + "/bob").c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(base + "/alice"));
    EXPECT_EQ(directory.ReadFile("bob/alice.profile"), "profile");
    EXPECT_EQ(directory.ReadFile("bob/128895012300010000.save"), "game");

    // An existing destination, even an empty folder, is never replaced; files are no folders.
    std::filesystem::create_directories(base + "/carol");
    EXPECT_EQ(__DirectoryMove(Wide(base + "/bob").c_str(), Wide(base + "/carol").c_str()), 1u);
    EXPECT_EQ(directory.ReadFile("bob/alice.profile"), "profile");
    EXPECT_EQ(__DirectoryMove(Wide(base + "/bob/alice.profile").c_str(), Wide(base + "/dave").c_str()), 1u);
    EXPECT_EQ(__DirectoryMove(Wide(base + "/missing").c_str(), Wide(base + "/dave").c_str()), 1u);
    EXPECT_FALSE(std::filesystem::exists(base + "/dave"));
}

// A search object used again: a names-only search tells no size or attributes of the search
// before.
TEST(FindFile, ANamesOnlySearchAfterAFullOneTellsNoSizeOrAttributes)
{
    TTestDirectory directory;
    directory.WriteFile("saves/a.save", "ten bytes!");
    std::filesystem::permissions(directory.Path() + "/saves/a.save", std::filesystem::perms::owner_read);
    const std::u16string pattern = Wide(directory.Path() + "/saves/*.save");
    TFindFile find;
    for (const auto& [namesOnly, size, attributes] :
         {std::tuple{false, 10u, FILE_ATTRIBUTE_BIT_READONLY}, {true, 0u, 0u}, {false, 10u, FILE_ATTRIBUTE_BIT_READONLY}})
    {
        ASSERT_EQ(find.First(pattern.c_str(), namesOnly), 0u) << namesOnly;
        EXPECT_EQ(std::u16string(find.GetName()), u"a.save");
        EXPECT_EQ(find.GetSize(), size) << namesOnly;
        EXPECT_EQ(find.GetAttributes(), static_cast<u32>(attributes)) << namesOnly;
    }
    EXPECT_EQ(find.Next(), 1u);
}
