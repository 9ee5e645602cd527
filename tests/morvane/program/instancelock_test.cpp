// One copy of the game per user folder: the lock lies in the folder the copies write, whatever
// their temp folders, and a killed copy's lock goes with it.
#include "gamecopy.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>

TEST(InstanceLock, ASecondCopyWithAnotherTempFolderEndsAtOnceAndAKilledCopyBlocksNoStart)
{
    TGameCopy game;
    const pid_t first = game.Start("temp1");
    ASSERT_GT(first, 0);
    ASSERT_NE(game.SystemLog().find("TManagerManager::Begin(): 'State'"), std::string::npos);
    EXPECT_EQ(game.Run("temp2"), 1);
    EXPECT_EQ(game.Errors(), "WinMain(): error: another copy of the program is running\n");
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    EXPECT_EQ(game.Run("temp2"), 0) << game.Errors();
}
