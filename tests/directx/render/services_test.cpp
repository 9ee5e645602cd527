// Render-state services and the device's console commands: the query pool, gamma, the pixel
// upload, screenshots, device_info and the profiling table.
#include "devicefixture.h"

#include "directx/render/dxdeviceint.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include <jpeglib.h>

namespace
{
struct TDecoded
{
    u32 width = 0, height = 0;
    std::vector<u8> rgb;
};

TDecoded DecodeJpeg(const char* path)
{
    TDecoded image;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return image;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = info.output_width;
    image.height = info.output_height;
    image.rgb.resize(size_t(image.width) * image.height * 3);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = &image.rgb[size_t(info.output_scanline) * image.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return image;
}

class ServicesTest : public CreatedDeviceTest
{
protected:
    // The back buffer's pixel, read back.
    u32 BackBufferPixel(i32 x, i32 y) { return ReadBackBuffer(x + 1, y + 1).back() & 0xFFFFFF; }
};

TEST_F(ServicesTest, DeletedQuerySlotsAreReusedAndTheGammaRampReachesFullScaleWithADevice)
{
    const u32 flushQueries = m_pManager->GetLiveQueryCount();
    TRenderQuery* a = m_pManager->CreateRenderQuery(RENDER_QUERY_OCCLUSION, 0);
    TRenderQuery* b = m_pManager->CreateRenderQuery(RENDER_QUERY_EVENT, 1);
    EXPECT_EQ(m_pManager->GetLiveQueryCount(), flushQueries + 2);
    EXPECT_EQ(a->IsCreated(), 0u);
    EXPECT_EQ(b->IsCreated(), 1u);
    m_pManager->DeleteRenderQuery(a);
    EXPECT_EQ(m_pManager->GetLiveQueryCount(), flushQueries + 1);
    TRenderQuery* c = m_pManager->CreateRenderQuery(RENDER_QUERY_TIMESTAMP, -1);
    EXPECT_EQ(c, a);
    EXPECT_EQ(c->IsCreated(), 1u);
    // The moved query still deletes cleanly.
    m_pManager->DeleteRenderQuery(b);
    m_pManager->DeleteRenderQuery(c);
    EXPECT_EQ(m_pManager->GetLiveQueryCount(), flushQueries);
    D3DGAMMARAMP ramp;
    TDxDeviceManager::BuildGammaRamp(1.0f, ramp);
    EXPECT_EQ(ramp.red[0], 0);
    EXPECT_EQ(ramp.red[128], static_cast<WORD>(128.0 / 255.0 * 65535.0 + 0.5));
    EXPECT_EQ(ramp.green[255], 65535);
    EXPECT_EQ(ramp.blue[255], 65535);
    TDxDeviceManager::BuildGammaRamp(2.2f, ramp);
    EXPECT_EQ(ramp.red[64], static_cast<WORD>(std::pow(64.0 / 255.0, 2.2) * 65535.0 + 0.5));
    EXPECT_EQ(ramp.red[255], 65535);
    TDxDeviceManager none;
    EXPECT_EQ(none.SetGamma(1.0f), 3) << "no device";
}

TEST_F(ServicesTest, PixelsLandClippedToTheBackBufferAndScreenshotsAreNumberedAndShowIt)
{
    const u32 pixels[2 * 3] = {0x110000, 0x220000, 0x330000, 0x440000, 0x550000, 0x660000};
    m_pManager->DrawPixelsToBackBuffer(10, 20, 2, 3, pixels);
    EXPECT_EQ(BackBufferPixel(10, 20), 0x110000u);
    EXPECT_EQ(BackBufferPixel(11, 22), 0x660000u);
    EXPECT_EQ(BackBufferPixel(9, 20), 0u);

    // Bottom-up rows: the first row given is the lowest.
    m_pManager->DrawPixelsToBackBuffer(100, 100, 2, -3, pixels);
    EXPECT_EQ(BackBufferPixel(100, 102), 0x110000u);
    EXPECT_EQ(BackBufferPixel(101, 100), 0x660000u);

    // Past the corner: only what lies inside is written.
    const i32 right = m_pManager->GetBackBufferWidth() - 1;
    const i32 bottom = m_pManager->GetBackBufferHeight() - 1;
    m_pManager->DrawPixelsToBackBuffer(right, bottom, 2, 3, pixels);
    EXPECT_EQ(BackBufferPixel(right, bottom), 0x110000u);
    m_pManager->DrawPixelsToBackBuffer(-1, -2, 2, 3, pixels);
    EXPECT_EQ(BackBufferPixel(0, 0), 0x660000u);
    m_pManager->DrawPixelsToBackBuffer(0, 0, 0, 0, nullptr);
    const u32 colour = 0xFF2060A0;
    m_pManager->BeginScene();
    m_pManager->SetBackBufferTarget(1);
    m_pManager->Clear(DEVICE_CLEAR_TARGET, colour, 1.0f, 0);
    m_pManager->EndScene();

    Run("screenshot");
    Run("screenshot");
    EXPECT_TRUE(std::filesystem::exists("vestamor0000.jpg"));
    EXPECT_TRUE(std::filesystem::exists("vestamor0001.jpg"));
    EXPECT_FALSE(std::filesystem::exists("vestamor0002.jpg"));
    std::filesystem::remove("vestamor0000.jpg");
    Run("screenshot");
    EXPECT_TRUE(std::filesystem::exists("vestamor0000.jpg"));

    g_screenshot_name.Assign(std::vector<TName>{TName("shot", true)}.data(), 1);
    Run("screenshot");
    EXPECT_TRUE(std::filesystem::exists("shot0000.jpg"));
    Run("screenshot", {"named.jpg"});
    ASSERT_TRUE(std::filesystem::exists("named.jpg"));

    // A JPEG of the back buffer: its size, in the clear colour.
    const TDecoded image = DecodeJpeg("named.jpg");
    ASSERT_EQ(image.width, 1280u);
    ASSERT_EQ(image.height, 800u);
    const u8* centre = &image.rgb[(size_t(400) * 1280 + 640) * 3];
    EXPECT_NEAR(centre[0], 0x20, 3);
    EXPECT_NEAR(centre[1], 0x60, 3);
    EXPECT_NEAR(centre[2], 0xA0, 3);
    g_screenshot_name.Assign(std::vector<TName>{TName("vestamor", true)}.data(), 1);
}

} // namespace
