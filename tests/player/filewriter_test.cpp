// Player files reach their name only whole.
#include "player/playerfilewriter.h"
#include "playerfixture.h"

#include <csignal>
#include <sys/resource.h>

namespace
{
class FileWriterTest : public PlayerTest
{
};
} // namespace

TEST_F(FileWriterTest, AFileTheDiskCutsShortNeverReplacesTheOldOne)
{
    Write("game.settings", "the old settings");
    TPlayerPath path;
    path.Add(u"game.settings");
    TPlayerFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    // Bytes still buffered when the file closes: the close fails to write them, unseen.
    const std::string bytes(3000, 'n');
    ASSERT_EQ(writer.GetStream().Write(bytes.data(), 3000), 3000);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small = {1000, limit.rlim_max};
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool committed = writer.Commit();
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(committed);
    EXPECT_EQ(Read("game.settings"), "the old settings");
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"game.settings"}));

    // Whole, it replaces the old file.
    ASSERT_TRUE(writer.Open(path));
    ASSERT_EQ(writer.GetStream().Write(bytes.data(), 3000), 3000);
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(Read("game.settings"), bytes);
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"game.settings"}));
}
