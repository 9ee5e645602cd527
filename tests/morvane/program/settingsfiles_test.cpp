// The player's settings files through two starts of the game: a file that did not run as written
// (a line refused, the file refused whole) is kept aside byte for byte before the first start's
// exit writes it anew, and the next start runs the new one whole with what the player had set; a
// read-only file is left as it is, said in the log and on standard error.
#include "gamecopy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
std::string Bind(const char* key, int commands)
{
    std::string line = std::string("command.bind \"") + key + "\" ";
    for (int i = 1; i <= commands; ++i)
        line += "\"set game.gamma " + std::to_string(i) + "\" ";
    return line + "\n";
}

// Past the largest script read.
std::string Oversized()
{
    std::string text = "action.bind \"towercam\" Y T\n// ";
    text.resize(17 * 1024 * 1024, 'x');
    return text + "\n";
}
} // namespace

TEST(SettingsFiles, AFileThatDidNotRunAsWrittenIsKeptAsideAndAReadOnlyOneIsLeftAsItIs)
{
    TGameCopy game;
    const std::string user = game.UserPath();
    const std::string readOnly = "'" + user + "device.icom' is read-only: it is left as it is";
    // Each pair of starts holds one file of each name: (pair, file, bytes, read-only, the first
    // start's log lines, kept aside, lines each start's file holds after its exit, a text none of
    // them holds).
    const struct
    {
        int pair;
        const char* file;
        std::string bytes;
        bool readOnly;
        std::vector<std::string> logged;
        bool aside;
        std::vector<std::string> holds;
        const char* lacks;
    } files[] = {
        {0, "device.icom", "set device.size 800 600\nseu device.detaillevel 2\n", false,
         {"Brevicorn/system/device.icom(2): ", "undeclared command"}, true, {"set device.size 800 600"}, nullptr},
        // A bind holds eight commands: written back whole; nine are refused, not cut.
        {0, "settings.icom", "set game.gamma 3\n" + Bind("F6", 8) + Bind("F7", 9), false,
         {"Brevicorn/system/settings.icom(3): 'command.bind' given 10 arguments (max 9): the line is refused"},
         true, {"set game.gamma 3\n", Bind("F6", 8)}, "F7"},
        // A quote moved: the action's name is empty. The cached scripts stay.
        {0, "actions.icom", "action.bind \"towercam\" Y T\naction.bind \"\" Up\n", false,
         {"Brevicorn/system/actions.icom(2): action.bind without an action name: the line is refused"}, true,
         {"action.bind \"towercam\" Y T\n"}, nullptr},
        {1, "settings.icom", "set game.gamma 3\ncommand.bind \"F5\" \"version\nset game.gamma 4\n", false,
         {"Brevicorn/system/settings.icom(2): quoted text not closed: the line is refused"}, true,
         {"set game.gamma 3\n"}, "F5"},
        {1, "device.icom", "set device.size 800 600\n", true, {readOnly}, false, {}, nullptr},
        {1, "actions.icom", Oversized(), false,
         {"'" + user + "actions.icom': size 17825793 out of range (max 16777216)"}, true, {}, nullptr}};
    for (int pair = 0; pair < 2; ++pair)
    {
        SCOPED_TRACE(pair);
        std::filesystem::remove_all(user);
        std::filesystem::create_directories(user);
        for (const auto& f : files)
            if (f.pair == pair)
            {
                std::ofstream(user + f.file, std::ios::binary) << f.bytes;
                if (f.readOnly)
                    std::filesystem::permissions(user + f.file, std::filesystem::perms(0444));
            }
        for (int run = 0; run < 2; ++run)
        {
            SCOPED_TRACE(run);
            std::filesystem::remove(game.LogPath());
            ASSERT_EQ(game.Run(), 0) << game.Errors();
            const std::string log = game.SystemLog();
            for (const auto& f : files)
            {
                if (f.pair != pair)
                    continue;
                SCOPED_TRACE(f.file);
                const std::string written = TGameCopy::ReadText(user + f.file);
                for (const std::string& line : f.holds)
                    EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
                EXPECT_TRUE(!f.lacks || written.find(f.lacks) == std::string::npos) << written;
                EXPECT_FALSE(std::filesystem::exists(user + f.file + ".unreadable.2"));
                if (f.readOnly)
                {
                    EXPECT_EQ(written, f.bytes);
                    EXPECT_EQ(std::filesystem::status(user + f.file).permissions(), std::filesystem::perms(0444));
                    EXPECT_NE(log.find(readOnly), std::string::npos) << log;
                    EXPECT_NE(game.Errors().find(readOnly), std::string::npos) << game.Errors();
                }
                if (run == 1)
                    continue;
                for (const std::string& line : f.logged)
                    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
                EXPECT_EQ(std::filesystem::exists(user + f.file + ".unreadable.1"), f.aside);
                if (!f.aside)
                    continue;
                EXPECT_EQ(TGameCopy::ReadText(user + f.file + ".unreadable.1"), f.bytes);
                const std::string kept = f.file + std::string("' did not run whole: kept aside as '") + user +
                                         f.file + ".unreadable.1'";
                EXPECT_NE(log.find(kept), std::string::npos) << kept << "\n" << log;
            }
            // What the first start wrote runs whole; the start-up script runs from the cache the
            // first compiled.
            if (run == 1 && pair == 0)
            {
                EXPECT_EQ(log.find("error"), std::string::npos) << log;
                EXPECT_EQ(log.find("command source file 'system/system.icom' changed"), std::string::npos) << log;
            }
        }
    }
}
