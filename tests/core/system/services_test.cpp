// Folder deletion, attributes, file times and dates, disk space, directory scans, text
// conversions, the version, message boxes and the clipboard.
#include "core/system/datetime.h"
#include "core/system/platform.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

TEST(DirectoryDelete, RemovesReadOnlyFilesAndSubfoldersAndRefusesMissingAndFilePaths)
{
    TTestDirectory directory;
    const std::string root = directory.Path() + "/doomed";
    std::filesystem::create_directories(root + "/inner/deeper");
    std::ofstream(root + "/locked.txt") << "x";
    std::ofstream(root + "/inner/deeper/file") << "y";
    chmod((root + "/locked.txt").c_str(), 0444);
    // A link to a folder outside is removed, never followed.
    std::filesystem::create_directory(directory.Path() + "/outside");
    std::ofstream(directory.Path() + "/outside/keep") << "z";
    std::filesystem::create_directory_symlink(directory.Path() + "/outside", root + "/link");

    EXPECT_EQ(__DirectoryDelete(Wide(root).c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(root));
    EXPECT_TRUE(std::filesystem::exists(directory.Path() + "/outside/keep"));

    // Missing and file paths are code 2.
    std::ofstream(directory.Path() + "/file") << "x";
    EXPECT_EQ(__DirectoryDelete(Wide(directory.Path() + "/none").c_str()), 2u);
    EXPECT_EQ(__DirectoryDelete(Wide(directory.Path() + "/file").c_str()), 2u);
    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("__DirectoryDelete(): error: '" + directory.Path() + "/none' does not exist."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("__DirectoryDelete(): error: '" + directory.Path() + "/file' is not a directory."),
              std::string::npos);
}

TEST(DirectoryCreate, CreatesEveryMissingFolderOfBothFormsAndReportsFailures)
{
    TTestDirectory directory;
    const std::string base = directory.Path();
    EXPECT_EQ(__DirectoryCreate((base + "/one/two/file.txt").c_str(), 1), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/one/two"));
    EXPECT_FALSE(std::filesystem::exists(base + "/one/two/file.txt"));
    EXPECT_EQ(__DirectoryCreate((base + "\\three\\four").c_str(), 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/three/four"));
    EXPECT_EQ(__DirectoryCreate((Wide(base) + u"/\u00e9t\u00e9/file").c_str(), 1), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/\xc3\xa9t\xc3\xa9"));
    const std::string log = directory.ReadFile("system.log");
    for (const std::string made : {"/one", "/three/four", "/\xc3\xa9t\xc3\xa9"})
        EXPECT_NE(log.find("__DirectoryCreate(): Creating '" + base + made + "'"), std::string::npos) << log;
    // An existing path creates nothing and logs nothing.
    EXPECT_EQ(__DirectoryCreate((base + "/one/two/file.txt").c_str(), 1), 0u);
    EXPECT_EQ(directory.ReadFile("system.log"), log);

    std::ofstream(base + "/file") << "x";
    EXPECT_EQ(__DirectoryCreate((base + "/file/below").c_str(), 0), 2u);
    EXPECT_EQ(__DirectoryCreate(std::string(2047, 'p').c_str(), 0), 1u);
    EXPECT_EQ(__DirectoryCreate(std::u16string(2047, u'p').c_str(), 0), 1u);
    const std::string failures = directory.ReadFile("system.log");
    EXPECT_NE(failures.find("Part of path exists and is not a directory: '" + base + "/file'."), std::string::npos);
    EXPECT_NE(failures.find("__DirectoryCreate(): error: Destination path 'ppp"), std::string::npos);
    EXPECT_NE(failures.find("__DirectoryCreate(): error: Destination path too long."), std::string::npos);
}

TEST(DateTime, ConvertsBothWays)
{
    TDateTime epoch;
    epoch.FromFileTime(FILETIME_UNIX_EPOCH);
    EXPECT_EQ(std::vector<u16>({epoch.year, epoch.month, epoch.day, epoch.dayOfWeek}),
              std::vector<u16>({1970, 1, 1, 4})); // a Thursday
    EXPECT_EQ(epoch.ToFileTime(), FILETIME_UNIX_EPOCH);
    TDateTime leap = {2024, 2, 0, 29, 23, 59, 58, 999};
    TDateTime back;
    back.FromFileTime(leap.ToFileTime());
    EXPECT_EQ(std::vector<u16>({back.year, back.month, back.day, back.dayOfWeek, back.hour, back.second,
                                back.milliseconds}),
              std::vector<u16>({2024, 2, 29, 4, 23, 58, 999}));
    TDateTime next = {2024, 3, 0, 1, 0, 0, 0, 0};
    EXPECT_NEAR(leap.SecondsTo(next), 1.001, 1e-9);
    // A century is a leap year only every fourth: 29 February 2000 is a day, 1900's is not.
    for (const auto& [year, leapYear] : {std::pair{2023, false}, {2000, true}, {1900, false}})
    {
        const TDateTime day = {static_cast<u16>(year), 2, 0, 29, 0, 0, 0, 0};
        EXPECT_EQ(day.ToFileTime() != 0, leapYear) << year;
    }
    EXPECT_GT(GetLocalFileTime(), leap.ToFileTime());
}

TEST(DiskSpace, NeedsThreeCharacters)
{
    EXPECT_EQ(GetDiskFreeBytes(nullptr), -1);
    EXPECT_EQ(GetDiskFreeBytes(u"/t"), -1);
    EXPECT_GT(GetDiskFreeBytes(u"/tmp"), 0);
    EXPECT_EQ(GetDiskFreeBytes(u"/no/such/volume"), -2);
}

TEST(TextConversion, Windows1252AndUtf8)
{
    char16_t wide[16];
    EXPECT_EQ(MultiByteToWide(wide, 16, "\x80 \xe9\x9f", -1), 0u);
    EXPECT_EQ(std::u16string(wide), u"\u20ac \u00e9\u0178");
    EXPECT_EQ(MultiByteToWide(wide, 4, "four", -1), 1u);

    char narrow[16];
    EXPECT_EQ(WideToUtf8(narrow, 16, u"\u20ac\u00e9", -1), 0u);
    EXPECT_STREQ(narrow, "\xe2\x82\xac\xc3\xa9");
    EXPECT_EQ(WideToUtf8(narrow, 5, u"\u20ac\u00e9", -1), 1u);
    EXPECT_EQ(WideToMultiByte(narrow, 16, u"\u20ac\u00e9\u4e00", -1), 0u);
    EXPECT_STREQ(narrow, "\x80\xe9?");
}
