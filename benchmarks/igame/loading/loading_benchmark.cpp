// One intro frame at 1920 x 1080 while a 1920 x 1200 image fades in under the one fading out (a
// halftone stretch and two constant-alpha blends, with the fills) against a copy of the frame's
// bytes, the same frame scaled to 1600 x 900, and one frame of the loading display.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/intro.h"
#include "igame/loading/loadingprogress.h"
#include "igame/loading/uiintro.h"
#include "introrepository.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace
{
constexpr i32 kWidth = 1920;
constexpr i32 kHeight = 1080;

struct TFrames
{
    TFrames(i32 width, i32 height)
    {
        image = CreateCompatibleDC(nullptr);
        for (i32 i = 0; i < 2; ++i)
        {
            dc[i] = CreateCompatibleDC(nullptr);
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            bitmap[i] = CreateDIBSection(dc[i], &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            SelectObject(dc[i], bitmap[i]);
        }
    }
    ~TFrames()
    {
        for (i32 i = 0; i < 2; ++i)
        {
            DeleteDC(dc[i]);
            DeleteObject(bitmap[i]);
        }
        DeleteDC(image);
    }
    HDC image;
    HDC dc[2];
    HBITMAP bitmap[2];
};

// The frames of an intro whose 1920 x 1200 image is drawn at its design width of 1920 on a
// screen of that size: the halftone stretch is a copy at 1920 wide and a box filter otherwise.
void DrawIntroFrames(benchmark::State& state, i32 width, i32 height)
{
    g_pFileStreamManager->SetLocked(0);
    const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/intro_bench.tga";
    TIntroPicture picture = {1920, 1200, std::vector<u32>(1920 * 1200)};
    for (size_t i = 0; i < picture.aPixel.size(); ++i)
        picture.aPixel[i] = 0xFF000000u | static_cast<u32>(i * 2654435761u >> 8);
    const std::vector<u8> file = EncodeTga(picture, 4, false);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());

    TFrames frames(width, height);
    TIntro intro;
    TUIIntro record = {};
    record.nImageCount = 1;
    record.nCrossfade = 1;
    record.nDesignWidth = 1920;
    record.fFadeIn = record.fFadeOut = 0.5f;
    record.aDisplayTime[0] = 3.0f;
    intro.Initialize(frames.image, record);
    if (intro.AddImageFile(frames.image, path.c_str()) != 0)
        state.SkipWithError("the image file was not read");
    std::remove(path.c_str());
    // Halfway through the first image's fade-out, where the next one fades in under it.
    intro.DrawFrame(frames.dc[0], frames.dc[1], frames.image, 0.0f, width, height);
    intro.DrawFrame(frames.dc[0], frames.dc[1], frames.image, 2.75f, width, height);
    for (auto _ : state)
        benchmark::DoNotOptimize(intro.DrawFrame(frames.dc[0], frames.dc[1], frames.image, 0.0f, width, height));
    state.SetBytesProcessed(state.iterations() * width * height * 4);
    intro.Release();
}

void IntroFrame(benchmark::State& state)
{
    DrawIntroFrames(state, kWidth, kHeight);
}
BENCHMARK(IntroFrame)->Unit(benchmark::kMillisecond);

// The same on a 1600 x 900 screen, where the image is scaled by 5/6.
void IntroFrameScaled(benchmark::State& state)
{
    DrawIntroFrames(state, 1600, 900);
}
BENCHMARK(IntroFrameScaled)->Unit(benchmark::kMillisecond);

// What the aim is measured against: the frame's bytes copied once.
void FrameCopy(benchmark::State& state)
{
    std::vector<u32> from(kWidth * kHeight, 0x00123456), to(kWidth * kHeight);
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(FrameCopy)->Unit(benchmark::kMillisecond);

// The loading display's frame on a 1920 x 1080 window.
void LoadingDisplayFrame(benchmark::State& state)
{
    setenv("VESTAMOR_HEADLESS", "1", 1);
    g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
    g_ManagerManager.CreateSystem(TName("Normal", true));
    g_ManagerManager.Initialize();
    if (g_pDeviceManager->InitializeManager() != 0)
    {
        state.SkipWithError("no device");
        return;
    }
    g_pResourceManager->m_nFilesExpected = 3;
    g_pResourceManager->m_nFilesDone = 1;
    g_pResourceManager->m_fProgress = 0.5f;
    g_LoadingProgress.Start();
    for (auto _ : state)
        g_LoadingProgress.DrawFrame();
    g_LoadingProgress.Stop();
    g_pDeviceManager->m_nStepWord = 1;
    g_pDeviceManager->FinalizeManager();
}
BENCHMARK(LoadingDisplayFrame)->Unit(benchmark::kMicrosecond);
} // namespace
