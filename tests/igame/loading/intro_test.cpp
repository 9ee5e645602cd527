// The intro's images and timing: the TGA image file, the record's images cut to 16, the opacity
// of a fade, the frame time's limit and a composed frame.
#include "loadingfixture.h"

#include "core/cluster/cluster.h"
#include "core/system/memory.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/intro.h"
#include "igame/loading/introloading.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/loadtga.h"
#include "igame/loading/uiintro.h"
#include "introrepository.h"
#include "platform/d3d9/golden.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <thread>

namespace
{
TIntroPicture Solid(i32 width, i32 height, u32 argb)
{
    return {width, height, std::vector<u32>(static_cast<size_t>(width) * height, argb)};
}

// Every pixel different: rows and columns show in its bytes.
TIntroPicture Pattern(i32 width, i32 height)
{
    TIntroPicture picture = Solid(width, height, 0);
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
            picture.aPixel[static_cast<size_t>(y) * width + x] = 0x80000000u | (y << 16) | (x << 8) | (x + y);
    return picture;
}

void WriteBytes(const std::string& path, const std::vector<u8>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

struct TLoaded
{
    u32 result;
    i32 width, height, bytes;
    std::vector<u8> pixels;
};

TLoaded Load(const std::string& path)
{
    TLoaded loaded;
    u8* pixels = nullptr;
    loaded.result = _LoadTGA(path.c_str(), loaded.width, loaded.height, loaded.bytes, pixels);
    if (pixels)
        loaded.pixels.assign(pixels, pixels + static_cast<size_t>(loaded.width) * loaded.height * loaded.bytes);
    MemoryFree(pixels);
    return loaded;
}

// Frames and the image context of a screen size, as the intro thread sets them up.
struct TFrames
{
    TFrames(i32 w, i32 h) : width(w), height(h)
    {
        image = CreateCompatibleDC(nullptr);
        for (i32 i = 0; i < 2; ++i)
        {
            dc[i] = CreateCompatibleDC(nullptr);
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            bitmap[i] = CreateDIBSection(dc[i], &info, DIB_RGB_COLORS, &bits[i], nullptr, 0);
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
    u32 Draw(TIntro& intro, f32 dt) { return intro.DrawFrame(dc[0], dc[1], image, dt, width, height); }
    // The frame's pixel (bottom-up storage), 0x00RRGGBB.
    u32 At(i32 x, i32 y) const
    {
        return static_cast<const u32*>(bits[0])[static_cast<size_t>(height - 1 - y) * width + x] & 0x00FFFFFF;
    }
    std::vector<u32> Pixels() const
    {
        std::vector<u32> pixels;
        for (i32 y = 0; y < height; ++y)
            for (i32 x = 0; x < width; ++x)
                pixels.push_back(At(x, y) | 0xFF000000);
        return pixels;
    }

    i32 width, height;
    HDC image;
    HDC dc[2];
    HBITMAP bitmap[2];
    void* bits[2];
};

TUIIntro Record(u32 count, f32 seconds, f32 fade, u32 crossfade = 0, u32 designWidth = 1920)
{
    TUIIntro record = {};
    record.nImageCount = count;
    record.nCrossfade = crossfade;
    record.nDesignWidth = designWidth;
    record.fFadeIn = record.fFadeOut = fade;
    for (f32& time : record.aDisplayTime)
        time = seconds;
    return record;
}

} // namespace

TEST_F(LoadingTest, TopDownAndBottomUpImagesLoadAlike)
{
    const TIntroPicture picture = Pattern(5, 3);
    WriteBytes("down.tga", EncodeTga(picture, 4, true));
    WriteBytes("up.tga", EncodeTga(picture, 4, false));
    WriteBytes("rgb.tga", EncodeTga(picture, 3, false, 255));
    const TLoaded down = Load("down.tga"), up = Load("up.tga"), rgb = Load("rgb.tga");
    // The last after an ID field of 255 bytes.
    ASSERT_EQ(std::vector<u32>({down.result, up.result, rgb.result}), std::vector<u32>(3, TGA_LOADED));
    EXPECT_EQ(std::vector<i32>({up.width, up.height, up.bytes, rgb.bytes}), std::vector<i32>({5, 3, 4, 3}));
    EXPECT_EQ(down.pixels, up.pixels);
    // Top row first, B, G, R, A bytes as stored.
    ASSERT_EQ(0, std::memcmp(up.pixels.data(), picture.aPixel.data(), up.pixels.size()));
    for (size_t i = 0; i < picture.aPixel.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&rgb.pixels[i * 3], &picture.aPixel[i], 3)) << i;
}

TEST_F(LoadingTest, BadImageFilesAreRefusedWithoutAnEnd)
{
    const std::vector<u8> good = EncodeTga(Pattern(4, 4), 4, false, 3);
    const auto variant = [&](const char* name, auto change) {
        std::vector<u8> bytes = good;
        change(bytes);
        WriteBytes(name, bytes);
        return Load(name).result;
    };
    EXPECT_EQ(TGA_NOT_READ, Load("missing.tga").result);
    EXPECT_EQ(TGA_NOT_READ, variant("header.tga", [](std::vector<u8>& b) { b.resize(TGA_HEADER_SIZE - 1); }));
    for (const u8 bits : {8, 16, 64})
        EXPECT_EQ(TGA_UNSUPPORTED, variant((std::to_string(bits) + "bit.tga").c_str(),
                                           [&](std::vector<u8>& b) { b[16] = bits; }));
    EXPECT_EQ(TGA_UNSUPPORTED, variant("empty.tga", [](std::vector<u8>& b) { b[12] = b[13] = b[14] = b[15] = 0; }));
    // The last byte short of the pixels, and the whole file exactly.
    EXPECT_EQ(TGA_SHORT, variant("short.tga", [](std::vector<u8>& b) { b.pop_back(); }));
    EXPECT_EQ(TGA_LOADED, variant("exact.tga", [](std::vector<u8>&) {}));
    EXPECT_EQ(TGA_SHORT, variant("huge.tga", [](std::vector<u8>& b) { b[12] = b[13] = b[14] = b[15] = 0xFF; }));
    EXPECT_EQ(TGA_SHORT, variant("id.tga", [](std::vector<u8>& b) {
                  b[0] = 255;
                  b.resize(TGA_HEADER_SIZE + 100);
              }));

    // The intro skips such a file with a line.
    TIntro intro;
    TFrames frames(8, 8);
    TUIIntro record = Record(1, 1.0f, 0.0f);
    ASSERT_EQ(0u, intro.Initialize(frames.image, record));
    for (const char* file : {"8bit.tga", "missing.tga", "short.tga"})
        EXPECT_EQ(1u, intro.AddImageFile(frames.image, file)) << file;
    EXPECT_EQ(1u, m_Log.Count("'8bit.tga' is not a 24- or 32-bit image: skipped"));
    EXPECT_EQ(0u, intro.AddImageFile(frames.image, "exact.tga"));
    EXPECT_EQ(2u, intro.GetImageCount());
    intro.Release();
}

TEST_F(LoadingTest, AnImageOfThreeSecondsIsWholeFromHalfASecondToTwoAndAHalf)
{
    TIntro intro;
    TFrames frames(8, 8);
    TUIIntro record = Record(1, 3.0f, 0.5f);
    ASSERT_EQ(0u, intro.Initialize(frames.image, record));
    ASSERT_EQ(1u, frames.Draw(intro, 0.0f));
    EXPECT_FLOAT_EQ(0.0f, intro.GetOpacity());
    const f32 expected[] = {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.5f};
    for (u32 step = 0; step < 11; ++step)
    {
        ASSERT_EQ(1u, frames.Draw(intro, 0.25f));
        EXPECT_NEAR(expected[step], intro.GetOpacity(), 1e-5f) << "at " << 0.25f * (step + 1) << " s";
    }
    // At 3 s the sequence ends, the frame black.
    EXPECT_EQ(0u, frames.Draw(intro, 0.25f));
    EXPECT_FALSE(intro.IsActive());
    EXPECT_EQ(0u, frames.Draw(intro, 0.25f));
    EXPECT_EQ(0u, frames.At(4, 4));
    intro.Release();
}

TEST_F(LoadingTest, RecordsAreCutToSixteenImagesAndBadTimesDoNotHang)
{
    WriteBytes("red.tga", EncodeTga(Solid(2, 2, 0xFFFF0000), 4, false));
    TFrames frames(8, 8);
    // Sixteen take no more; seventeen are cut to sixteen.
    for (u32 count : {16u, 17u})
    {
        TIntro intro;
        TUIIntro record = Record(count, 1.0f, 0.5f);
        ASSERT_EQ(0u, intro.Initialize(frames.image, record));
        EXPECT_EQ(16u, intro.GetImageCount());
        EXPECT_EQ(count == 17 ? 1u : 0u, m_Log.Count("are shown"));
        EXPECT_EQ(1u, intro.AddImageFile(frames.image, "red.tga"));
        intro.Release();
    }
    EXPECT_EQ(1u, m_Log.Count("17 images: the first 16 are shown"));
    EXPECT_EQ(2u, m_Log.Count("the intro holds 16 images already"));
    {
        // No images: no intro.
        TIntro intro;
        TUIIntro record = Record(0, 1.0f, 0.5f);
        EXPECT_EQ(1u, intro.Initialize(frames.image, record));
        EXPECT_EQ(0u, frames.Draw(intro, 0.1f));
    }
    {
        // No fades: whole from the start; a time that is no number shows nothing, and ends.
        TIntro intro;
        TUIIntro record = Record(2, 1.0f, 0.0f);
        record.aDisplayTime[1] = std::numeric_limits<f32>::quiet_NaN();
        ASSERT_EQ(0u, intro.Initialize(frames.image, record));
        for (f32 dt : {0.0f, 0.99f})
        {
            EXPECT_EQ(1u, frames.Draw(intro, dt));
            EXPECT_FLOAT_EQ(1.0f, intro.GetOpacity()) << dt;
        }
        u32 frame = 0;
        while (frames.Draw(intro, 0.05f) && frame < 10)
            ++frame;
        EXPECT_LT(frame, 10u);
        intro.Release();
    }
}

TEST_F(LoadingTest, TheIntroOfTheDataComposesItsCrossfadeFrameAndAdvancesATenthOfASecondAFrameAtMost)
{
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(DataFile("intro.data").c_str(), REPOSITORY_LOAD_QUIET));
    ASSERT_EQ(1u, g_pLoadingManager->GetIntroCount());
    TIntro intro;
    TFrames frames(640, 400);
    ASSERT_EQ(0u, intro.Initialize(frames.image, *g_pLoadingManager->GetIntro(0)));
    EXPECT_EQ(3u, intro.GetImageCount());
    EXPECT_EQ(std::vector<i32>({1920, 1200}), std::vector<i32>({intro.GetImage(2).nWidth, intro.GetImage(2).nHeight}));
    frames.Draw(intro, 0.0f);
    // Into the publisher's fade-out: the engine's image under it.
    for (i32 i = 0; i < 9; ++i)
        frames.Draw(intro, 0.25f);
    EXPECT_NEAR(0.5f, intro.GetOpacity(), 1e-5f);
    EXPECT_EQ("", CompareWithGolden("intro_frame_640x400", frames.Pixels(), 640, 400, 0));
    intro.Release();

    // The intro thread's frame advances the intro by a tenth of a second at most.
    TIntroLoading loading;
    loading.Initialize();
    ASSERT_TRUE(loading.GetIntro().IsActive());
    ASSERT_EQ(1u, loading.RenderFrame());
    EXPECT_FLOAT_EQ(0.0f, loading.GetIntro().GetTime());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_EQ(1u, loading.RenderFrame());
    EXPECT_FLOAT_EQ(0.1f, loading.GetIntro().GetTime());
    // Released, it draws no more.
    loading._Release();
    EXPECT_EQ(0u, loading.RenderFrame());
    g_pCluster->Clear();
}
