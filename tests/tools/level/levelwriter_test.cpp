// The generator's refusals end with an error line and exit code 1, leaving no partial file behind;
// the limits it checks the plan against (its own file-local check, compiled in here).
#include "levelgenerator.cpp"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace
{
// The tool's exit code on the arguments (quoted); its standard error into `errors`.
int RunLevelWriter(const TScratchFolder& scratch, const std::string& arguments, std::string& errors)
{
    const std::string log = scratch.Path() + "/stderr";
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 VESTAMOR_HEADLESS=1 '" + std::string(LEVELWRITER_PATH) +
                                "' " + arguments + " >/dev/null 2>'" + log + "'";
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

// A folder that is not there, and a folder standing where each file belongs (its rename into
// place fails), end in an error: the other file is not put in place either. (Into an empty folder
// both files are put in place with nothing else beside them: the data tools' test.)
TEST(LevelWriter, AFileThatCannotBeWrittenOrPutInPlaceLeavesNothingBehind)
{
    for (const char* blocked : {static_cast<const char*>(nullptr), MORVANE_REPOSITORY, MORVANE_COOKED_REPOSITORY})
    {
        SCOPED_TRACE(blocked ? blocked : "no folder");
        TScratchFolder scratch("levelwriter");
        const std::string out = scratch.Path() + (blocked ? "/out" : "/no/such/folder");
        if (blocked)
            std::filesystem::create_directories(out + "/" + blocked + "/taken");
        std::string errors;
        EXPECT_EQ(RunLevelWriter(scratch, "'" + out + "'", errors), 1);
        EXPECT_NE(errors.find(blocked ? "cannot be renamed" : "levelwriter: '" + out + "/morvane.cooked.data.partial' "
                                                                 "cannot be written"),
                  std::string::npos)
            << errors;
        EXPECT_FALSE(HoldsPartialFiles(scratch.Path()));
        if (!blocked)
            continue;
        EXPECT_FALSE(HoldsPartialFiles(out));
        EXPECT_TRUE(std::filesystem::is_directory(out + "/" + blocked));
        if (blocked == MORVANE_COOKED_REPOSITORY)
            EXPECT_FALSE(std::filesystem::exists(out + "/" + MORVANE_REPOSITORY));
    }
}

// A call without its one folder, or with another beside it, is refused with the usage line.
TEST(LevelWriter, ACallWithoutItsOneFolderGetsTheUsageLine)
{
    TScratchFolder scratch("levelwriter");
    std::string errors;
    for (const std::string& arguments : {std::string(), "'" + scratch.Path() + "' extra"})
        EXPECT_TRUE(RunLevelWriter(scratch, arguments, errors) == 2 && errors == "usage: levelwriter <folder>\n")
            << arguments << ": " << errors;
}

// A crossroad's queue holds 32 units: a plan whose paths bring 32 units to it (one passing at its
// radius) is taken, a 33rd is refused with a line naming the crossroad; aircraft and a path
// just outside do not count.
TEST(LevelWriter, ACrossroadThatMoreUnitsReachThanItsQueueHoldsIsRefused)
{
    TCurvePoolBuilder curves, traffic;
    for (f32 z : {120.0f, 128.0f, 128.5f})
        curves.Add({{-20.0f, 0.0f, z}, {20.0f, 0.0f, z}});
    TCrossroadArea areas[2] = {};
    areas[0].fZ = 300.0f;
    areas[1].fZ = 120.0f;
    for (TCrossroadArea& area : areas)
    {
        area.fRadius = 8.0f;
        g_pGameLogicManager->Crossroads().Add(&area);
    }
    std::deque<TAICommonUnit> units;
    const auto add = [&](i32 first, i32 second, bool aircraft) {
        TAICommonUnit& unit = units.emplace_back();
        unit.m_nFirstPath = first;
        unit.m_nSecondPath = second;
        unit.m_nAircraft = aircraft ? 1 : 0;
        g_pGameLogicManager->Units().Add(&unit);
    };
    for (u32 i = 0; i < AERODROME_CROSSROAD_CAPACITY - 1; ++i)
        add(0, -1, false);
    add(2, 1, false);
    add(2, -1, false);
    add(0, -1, true);
    EXPECT_EQ(std::vector<std::string>{}, CheckLimits(curves, traffic));
    add(-1, 0, false);
    EXPECT_EQ(std::vector<std::string>{"crossroad 1: 33 units reach it, its queue holds 32"}, CheckLimits(curves, traffic));
    g_pGameLogicManager->Units().SetCount(0);
    g_pGameLogicManager->Crossroads().SetCount(0);
}
