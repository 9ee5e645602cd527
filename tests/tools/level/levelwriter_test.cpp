// The generator's refusals: a folder it cannot write into, and a file it cannot put in place,
// end with an error line and exit code 1, leaving no partial file behind.
#include "levelgenerator.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace
{
// The tool's exit code; its standard error into `errors`.
int RunLevelWriter(const TScratchFolder& scratch, const std::string& folder, std::string& errors)
{
    const std::string log = scratch.Path() + "/stderr";
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 VESTAMOR_HEADLESS=1 '" + std::string(LEVELWRITER_PATH) +
                                "' '" + folder + "' >/dev/null 2>'" + log + "'";
    const int status = std::system(command.c_str());
    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    errors = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HoldsPartialFiles(const std::string& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".partial") != std::string::npos)
            return true;
    return false;
}
} // namespace

TEST(LevelWriter, RefusesAFolderItCannotWriteInto)
{
    TScratchFolder scratch("levelwriter_missing");
    std::string errors;
    EXPECT_EQ(RunLevelWriter(scratch, scratch.Path() + "/no/such/folder", errors), 1);
    EXPECT_NE(errors.find("levelwriter: '" + scratch.Path() + "/no/such/folder/morvane.cooked.data.partial' cannot "
                          "be written"),
              std::string::npos)
        << errors;
    EXPECT_FALSE(HoldsPartialFiles(scratch.Path()));
}

TEST(LevelWriter, AFileThatCannotBePutInPlaceLeavesNothingHalfWritten)
{
    TScratchFolder scratch("levelwriter_blocked");
    // A folder where the level's file belongs: the rename into place fails.
    std::filesystem::create_directories(scratch.Path() + "/out/" + MORVANE_REPOSITORY + "/taken");
    std::string errors;
    EXPECT_EQ(RunLevelWriter(scratch, scratch.Path() + "/out", errors), 1);
    EXPECT_NE(errors.find("cannot be renamed"), std::string::npos) << errors;
    EXPECT_FALSE(HoldsPartialFiles(scratch.Path() + "/out"));
    EXPECT_TRUE(std::filesystem::is_directory(scratch.Path() + "/out/" + MORVANE_REPOSITORY));
}
