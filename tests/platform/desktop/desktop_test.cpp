// The headless decision and the message box that never waits without a display.
#include "platform/desktop/display.h"
#include "platform/desktop/messagebox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
// Sets the display variables for one test and restores them after.
class TDisplayEnvironment
{
public:
    TDisplayEnvironment(const char* display, const char* wayland, const char* headless)
    {
        Save("DISPLAY", display, 0);
        Save("WAYLAND_DISPLAY", wayland, 1);
        Save("VESTAMOR_HEADLESS", headless, 2);
    }
    ~TDisplayEnvironment()
    {
        const char* names[3] = {"DISPLAY", "WAYLAND_DISPLAY", "VESTAMOR_HEADLESS"};
        for (int i = 0; i < 3; ++i)
            Apply(names[i], m_Had[i] ? m_Old[i].c_str() : nullptr);
    }

private:
    void Save(const char* name, const char* value, int i)
    {
        const char* old = std::getenv(name);
        m_Had[i] = old != nullptr;
        m_Old[i] = old ? old : "";
        Apply(name, value);
    }
    static void Apply(const char* name, const char* value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    bool m_Had[3];
    std::string m_Old[3];
};
} // namespace

TEST(Display, HeadlessWithoutDisplayVariablesOrWhenAsked)
{
    {
        TDisplayEnvironment environment(nullptr, nullptr, nullptr);
        EXPECT_FALSE(PlatformHasDisplay());
    }
    {
        TDisplayEnvironment environment(":0", nullptr, nullptr);
        EXPECT_TRUE(PlatformHasDisplay());
    }
    {
        TDisplayEnvironment environment(nullptr, "wayland-0", "0");
        EXPECT_TRUE(PlatformHasDisplay());
    }
    {
        TDisplayEnvironment environment(":0", "wayland-0", "1");
        EXPECT_FALSE(PlatformHasDisplay());
    }
}

TEST(MessageBox, HeadlessTextGoesToStandardErrorAndAnswersTheDefaultButton)
{
    TDisplayEnvironment environment(":0", nullptr, "1");
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlatformMessageBox("Vestamor engine", "Terminal error: 'x'", MESSAGE_BOX_ERROR),
              MESSAGE_BOX_BUTTON_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Vestamor engine\nTerminal error: 'x'\n");
}

TEST(MessageBox, UnreachableDisplayFallsBackWithoutWaiting)
{
    // A display that cannot be opened: SDL fails and the text still reaches standard error.
    TDisplayEnvironment environment(":987", nullptr, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlatformMessageBox("caption", "text", MESSAGE_BOX_WARNING), MESSAGE_BOX_BUTTON_OK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("caption\ntext\n"), std::string::npos);
}
