// Full screen on a desktop that offers no mode of the player's size: the run shows the nearest
// mode, and its clean exit saves the size the player set, not the mode's.
#include "gamecopy.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

// 1300 x 820 on the headless desktop (1920 x 1080), whose nearest mode is 1280 x 800: the saved
// line is the player's, as the variable writes it.
TEST(FullScreen, TheSavedSizeStaysThePlayersWhateverModeTheDesktopOffers)
{
    TGameCopy game;
    std::ofstream(game.UserPath() + "device.icom") << "set device.size 1300 820\nset device.windowed 0\n";
    ASSERT_EQ(game.Run(), 0) << game.Errors();
    const std::string saved = TGameCopy::ReadText(game.UserPath() + "device.icom");
    EXPECT_NE(saved.find("set device.size 1300 820 \n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("set device.windowed 0\n"), std::string::npos) << saved;
    EXPECT_EQ(game.SystemLog().find("error"), std::string::npos) << game.SystemLog();
}
