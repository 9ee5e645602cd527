// The data tools write the same bytes on every run: no clock, no addresses, no order that
// depends on the run. The build has run each tool once into its data folder; run again into a
// fresh folder, every file must match the build's.
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

TEST(DataTools, WriteTheSameBytesOnEveryRun)
{
    TScratchFolder fresh("tools_again");
    const std::string env = "cd '" + fresh.Path() + "' && ASAN_OPTIONS=detect_leaks=0 VESTAMOR_HEADLESS=1 ";
    const std::string data = VESTAMOR_SOURCE_DATA;
    for (const std::string& command :
         {std::string(SHADERWRITER_PATH) + " '" + data + "/shaders' shaders.data",
          // The level's materials name the shaders of the repository written just before.
          std::string(REPOSITORYWRITER_PATH) + " .", std::string(CANVASWRITER_PATH) + " canvas.data",
          std::string(LANGUAGEWRITER_PATH) + " '" + data + "/english.txt' english.language",
          std::string(INTROWRITER_PATH) + " .", std::string(LEVELWRITER_PATH) + " ."})
        ASSERT_EQ(std::system((env + command + " >/dev/null 2>&1").c_str()), 0) << command;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fresh.Path()))
    {
        const std::string name = entry.path().filename();
        std::ifstream built(std::string(VESTAMOR_BUILT_DATA) + "/" + name, std::ios::binary);
        std::stringstream bytes;
        bytes << built.rdbuf();
        EXPECT_TRUE(built && fresh.ReadFile(name) == bytes.str()) << name << " differs from the build's";
        ++files;
    }
    EXPECT_EQ(files, 11) << "shaders, the four level repositories, the canvas, a language, the intro's two and the "
                            "aerodrome's two";
}
