// Folder creation and the crash-report call stack.
#include "core/system/callstack.h"
#include "core/system/platform.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(DirectoryCreate, CreatesEveryMissingFolder)
{
    TTestDirectory directory;
    const std::string base = directory.Path();
    EXPECT_EQ(__DirectoryCreate((base + "/one/two/file.txt").c_str(), 1), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/one/two"));
    EXPECT_FALSE(std::filesystem::exists(base + "/one/two/file.txt"));

    EXPECT_EQ(__DirectoryCreate((base + "\\three\\four").c_str(), 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/three/four"));

    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("__DirectoryCreate(): Creating '" + base + "/one'"), std::string::npos) << log;
    EXPECT_NE(log.find("__DirectoryCreate(): Creating '" + base + "/three/four'"), std::string::npos);

    // An existing path creates nothing and logs nothing.
    const size_t before = directory.ReadFile("system.log").size();
    EXPECT_EQ(__DirectoryCreate((base + "/one/two/file.txt").c_str(), 1), 0u);
    EXPECT_EQ(directory.ReadFile("system.log").size(), before);
}

TEST(DirectoryCreate, FailuresAreReported)
{
    TTestDirectory directory;
    std::ofstream(directory.Path() + "/file") << "x";
    EXPECT_EQ(__DirectoryCreate((directory.Path() + "/file/below").c_str(), 0), 2u);
    EXPECT_EQ(__DirectoryCreate(std::string(2047, 'p').c_str(), 0), 1u);
    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("Part of path exists and is not a directory: '" + directory.Path() + "/file'."),
              std::string::npos);
    EXPECT_NE(log.find("__DirectoryCreate(): error: Destination path 'ppp"), std::string::npos);
}
