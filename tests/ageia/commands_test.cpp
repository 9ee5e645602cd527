#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"
#include "engine/system/managermanager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class TLines : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override { aLine.push_back({text, isError}); }
    std::vector<std::pair<std::string, int>> aLine;
};
} // namespace

TEST(DynamicsCommands, TheRemoteDebuggerAnswersThatItIsDisabled)
{
    g_ManagerManager.Initialize();
    TLines lines;
    TCommandManager::Instance().SetListener(&lines);
    TCommandManager::Instance().ExecuteText("ageia.debug");
    TCommandManager::Instance().SetListener(nullptr);
    ASSERT_EQ(1u, lines.aLine.size());
    EXPECT_NE(std::string::npos, lines.aLine[0].first.find("AGEIA Remoter Debugger error: disabled in final build"));
    EXPECT_NE(0, lines.aLine[0].second);
}
