// VESTAMOR_HEADLESS_FRAMES: the headless back end closes the window after N presented frames.
#include "platform/window/headlessbackend.h"
#include "platform/window/window.h"
#include "platform/window/windowsystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace
{
LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class HeadlessFrames : public ::testing::Test
{
protected:
    // A fresh headless back end reading the variable as given, and one window presenting.
    void Start(const char* frames)
    {
        if (frames)
            setenv("VESTAMOR_HEADLESS_FRAMES", frames, 1);
        else
            unsetenv("VESTAMOR_HEADLESS_FRAMES");
        ASSERT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<THeadlessBackend>()));
        unsetenv("VESTAMOR_HEADLESS_FRAMES");
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = u"headlessframes";
        RegisterClassExW(&windowClass);
        window_ = CreateWindowExW(0, u"headlessframes", u"", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        if (window_)
            DestroyWindow(window_);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
        }
        TWindowSystem::Get().SetBackend(std::make_unique<THeadlessBackend>());
    }
    // Presents one frame; answers how many WM_CLOSE messages wait in the queue afterwards.
    int PresentAndCountCloses()
    {
        const unsigned pixels[4] = {};
        EXPECT_TRUE(WindowPresentPixels(window_, pixels, 2, 2, 8));
        int closes = 0;
        MSG message;
        while (PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            ++closes;
        return closes;
    }

    HWND window_ = nullptr;
};

// The window closes once, after the given count of frames; a missing, zero or malformed count never
// closes it.
TEST_F(HeadlessFrames, ClosesTheWindowOnceAfterTheGivenFrameCount)
{
    const std::pair<const char*, int> cases[] = {{"3", 3},  {"1", 1},  {nullptr, 0}, {"0", 0},
                                                 {"-2", 0}, {"5x", 0}, {"", 0}};
    for (const auto& [frames, closing] : cases)
    {
        Start(frames);
        for (int frame = 1; frame <= 8; ++frame)
            EXPECT_EQ(PresentAndCountCloses(), frame == closing ? 1 : 0)
                << (frames ? frames : "(unset)") << " " << frame;
        DestroyWindow(window_);
        window_ = nullptr;
    }
}
} // namespace
