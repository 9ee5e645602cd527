// The data tools write the same bytes on every run: no clock, no addresses, no order that
// depends on the run. Each tool writes into two fresh folders; every file must match.
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
// Runs the data tools the way the build does, into one folder.
void WriteData(const std::string& folder)
{
    const std::string env = "cd '" + folder + "' && ASAN_OPTIONS=detect_leaks=0 VESTAMOR_HEADLESS=1 ";
    const std::string data = VESTAMOR_SOURCE_DATA;
    for (const std::string& command :
         {std::string(SHADERWRITER_PATH) + " '" + data + "/shaders' shaders.data",
          // The level's materials name the shaders of the repository written just before.
          std::string(REPOSITORYWRITER_PATH) + " .", std::string(CANVASWRITER_PATH) + " canvas.data",
          std::string(LANGUAGEWRITER_PATH) + " '" + data + "/english.txt' english.language",
          std::string(INTROWRITER_PATH) + " .", std::string(LEVELWRITER_PATH) + " ."})
        ASSERT_EQ(std::system((env + command + " >/dev/null 2>&1").c_str()), 0) << command;
}
} // namespace

TEST(DataTools, WriteTheSameBytesOnEveryRun)
{
    TScratchFolder first("tools_first");
    TScratchFolder second("tools_second");
    WriteData(first.Path());
    WriteData(second.Path());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(first.Path()))
    {
        const std::string name = entry.path().filename();
        EXPECT_TRUE(first.ReadFile(name) == second.ReadFile(name)) << name << " differs between two runs";
        ++files;
    }
    EXPECT_EQ(files, 11) << "shaders, the four level repositories, the canvas, a language, the intro's two and the "
                            "aerodrome's two";
}
