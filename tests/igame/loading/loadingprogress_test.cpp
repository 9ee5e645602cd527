// The loading display: the fill's bands, the word drawn onto the window and the loading manager's
// preloading that ends it.
#include "loadingfixture.h"

#include "directx/render/dxdevice.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/loadingprogress.h"
#include "platform/d3d9/golden.h"

#include <tuple>
#include <limits>

namespace
{
void SetProgress(i32 index, i32 count, f32 fraction)
{
    g_pResourceManager->m_nFilesDone = index;
    g_pResourceManager->m_nFilesExpected = count;
    g_pResourceManager->m_fProgress = fraction;
}
} // namespace

TEST(LoadingBands, FractionsAndStepsOutOfRangeStayInTheirBand)
{
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    for (const f32 p : {-1.0f, 2.0f, 1e30f, -1e30f, nan})
        for (const auto& [index, low, high] : {std::tuple{0, 0.0f, 0.3f}, {1, 0.3f, 0.5f}, {2, 0.5f, 1.0f}})
        {
            const f32 fill = TLoadingProgress::FillFraction(index, 3, p);
            EXPECT_TRUE(fill >= low && fill <= high) << index << " " << p;
        }
}

TEST_F(LoadingTest, TheWordFillsWhiteFromTheLeftOnTheWindow)
{
    for (const auto& [name, index, count, fraction] :
         {std::tuple{"loading_30", 0, 3, 1.0f}, std::tuple{"loading_75", 2, 3, 0.5f}})
    {
        PaintWindow(RGB(0x20, 0x30, 0x50));
        SetProgress(index, count, fraction);
        g_LoadingProgress.Start();
        ASSERT_TRUE(g_LoadingProgress.IsUp());
        // Centred, 90 % down, the text's extent and 4 pixels.
        const i32 x = g_LoadingProgress.GetX(), y = g_LoadingProgress.GetY();
        const i32 width = g_LoadingProgress.GetWidth(), height = g_LoadingProgress.GetHeight();
        EXPECT_EQ(std::pair(320 - width / 2, 360), std::pair(x, y));
        const std::vector<std::uint32_t> pixels = ReadWindow(x, y, width, height);
        EXPECT_EQ("", CompareWithGolden(name, pixels, width, height, 0));
        // White only left of the cut.
        const i32 cut = static_cast<i32>(width * TLoadingProgress::FillFraction(index, count, fraction));
        for (i32 row = 0; row < height; ++row)
            for (i32 column = cut; column < width; ++column)
                EXPECT_NE(0xFFFFFFFFu, pixels[static_cast<size_t>(row) * width + column]) << column << ", " << row;
        g_LoadingProgress.Stop();
        EXPECT_FALSE(g_LoadingProgress.IsUp() || g_LoadingProgress.IsRunning());
    }
}

TEST_F(LoadingTest, PreloadingRequiresShadersAndMarkedTexturesThenEndsTheDisplay)
{
    g_pLoadingManager->SetState(LOADING_STATE_FIRST_UPDATE);
    // The load tells the listeners: the shaders are taken, then the loading manager preloads.
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(DataFile("shaders.data").c_str(), 0));
    const i32 shaders = g_pDxShaderManager->GetShaderCount();
    ASSERT_GT(shaders, 0);
    const std::string count = "uploading " + std::to_string(shaders) + " video resources...";
    const i32 first = m_Log.Find(count);
    ASSERT_GE(first, 0);
    EXPECT_LT(first, m_Log.Find("preloading shaders"));
    EXPECT_LT(m_Log.Find("preloading shaders"), m_Log.Find("preloading textures"));
    EXPECT_LT(m_Log.Find("preloading textures"), m_Log.Find("uploading video resources done"));
    for (i32 i = 0; i < shaders; ++i)
        EXPECT_TRUE(g_pDxShaderManager->GetShader(i)->IsLoaded()) << i;
    // The last phase, whole; the upload flag back; the display gone; the state done.
    EXPECT_EQ(g_pResourceManager->m_nFilesExpected - 1, g_pResourceManager->m_nFilesDone);
    EXPECT_FLOAT_EQ(1.0f, g_pResourceManager->m_fProgress);
    EXPECT_EQ(1u, g_pResourceManager->m_nUpload.load());
    EXPECT_FALSE(g_LoadingProgress.IsUp());
    EXPECT_EQ(LOADING_STATE_DONE, g_pLoadingManager->GetState());

    // Textures load with them only when marked.
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(DataFile("canvas.data").c_str(), 0));
    TTexture* marked = g_pTextureManager->FindTexture(TName("Texture_console", true));
    TTexture* plain = g_pTextureManager->FindTexture(TName("Texture_cursor", true));
    ASSERT_TRUE(marked && plain);
    marked->Unload();
    plain->Unload();
    marked->m_nFlags |= TEXTURE_PRELOAD;
    m_Log.lines.clear();
    g_pLoadingManager->OnClusterLoad();
    EXPECT_EQ(1u, m_Log.Count("uploading " + std::to_string(g_pDxShaderManager->GetShaderCount() + 1) +
                              " video resources..."));
    EXPECT_TRUE(marked->IsLoaded());
    EXPECT_FALSE(plain->IsLoaded());
}
