// The SDL back end under SDL's dummy video driver: events pumped only by the thread that started
// the layer, the queue read from any thread, and native windows that follow the layer's.
#include "platform/window/headlessbackend.h"
#include "platform/window/sdlbackend.h"
#include "platform/window/window.h"
#include "platform/window/windowsystem.h"
#include "windowfixture.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <thread>

namespace
{
class SdlBackendTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::unique_ptr<TWindowBackend> backend = TSdlBackend::Start();
        ASSERT_NE(backend, nullptr) << SDL_GetError();
        ASSERT_TRUE(TWindowSystem::Get().SetBackend(std::move(backend)));
        WindowFixture::SetUp();
        ShowWindow(window_, SW_SHOW);
        ValidateRect(window_, nullptr);
        RegisterRawInput(0);
    }

    void TearDown() override
    {
        WindowFixture::TearDown();
        EXPECT_TRUE(TWindowSystem::Get().SetBackend(std::make_unique<THeadlessBackend>()));
    }

    static void PushKey(SDL_Scancode scancode)
    {
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static int PendingSdlEvents()
    {
        return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN);
    }
};

TEST_F(SdlBackendTest, OnlyTheStartingThreadPumpsSdl)
{
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    PushKey(SDL_SCANCODE_A);

    BOOL otherFound = TRUE;
    std::thread([&] {
        MSG message;
        otherFound = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    }).join();
    EXPECT_FALSE(otherFound);
    EXPECT_EQ(PendingSdlEvents(), 1) << "the other thread left SDL's queue alone";

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_INPUT, WM_INPUT, PM_REMOVE));
    EXPECT_EQ(PendingSdlEvents(), 0);

    // What the starting thread pumped is read from anywhere.
    MSG keyMessage = {};
    std::thread([&] { otherFound = PeekMessageW(&keyMessage, nullptr, 0, 0, PM_REMOVE); }).join();
    EXPECT_TRUE(otherFound);
    EXPECT_EQ(keyMessage.message, WM_KEYDOWN);
    EXPECT_EQ(keyMessage.wParam, static_cast<WPARAM>('A'));
}

TEST_F(SdlBackendTest, NativeWindowFollowsTheLayer)
{
    RECT rect = {0, 0, 640, 480};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window_, nullptr, 10, 10, rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER);
    // The only SDL window there is.
    SDL_Window* native = nullptr;
    for (Uint32 id = 1; id < 64 && !native; ++id)
        native = SDL_GetWindowFromID(id);
    ASSERT_NE(native, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(native, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);

    const DWORD pixels[4 * 4] = {0x00FF0000, 0x0000FF00};
    EXPECT_TRUE(WindowPresentPixels(window_, pixels, 4, 4, 16));
    Drain();
    EXPECT_EQ(ClientSize(window_).first, 640) << "SDL's own size events agree with the layer";
    EXPECT_GT(WindowGetDisplayModeCount(0), 0);
    EXPECT_NE(WindowGetAdapterMonitor(0), nullptr);
}
} // namespace
