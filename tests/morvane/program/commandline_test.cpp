// The command-line parameters against the device's own variables.
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandline.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(CommandLineParameters, DeclaredParametersSetTheirVariables)
{
    TVariable* windowed = TCommandManager::Instance().FindVariable(MakeCommandName("device_windowed", false));
    ASSERT_NE(windowed, nullptr);
    const auto apply = [](const char* line) {
        char text[COMMAND_LINE_SIZE];
        std::snprintf(text, sizeof text, "%s", line);
        ParseCommandLine(text);
    };
    apply("morvanesim windowed=0");
    EXPECT_EQ(windowed->GetValue().nInt, 0);
    EXPECT_TRUE(windowed->GetFlags() & VARIABLE_CHANGED);
    apply("morvanesim windowed");
    EXPECT_EQ(windowed->GetValue().nInt, 1);
    apply("morvanesim windowed=off");
    EXPECT_EQ(windowed->GetValue().nInt, 0);
    apply("morvanesim windowed=2");
    EXPECT_EQ(windowed->GetValue().nInt, 2);
    // The program path is never a parameter.
    apply("windowed=0");
    EXPECT_EQ(windowed->GetValue().nInt, 2);
}
