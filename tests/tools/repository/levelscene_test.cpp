// The level the repository writer writes for the game, loaded with its dependencies as the game
// loads it, and its first frame drawn through the software device: the viewport set's camera
// on the render scene's textured box, and a line of the level's texture font.
#include "directx/render/devicefixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/render/texturefontmanager.h"
#include "engine/system/resourcemanager.h"
#include "levelrenderscene.h"
#include "morvane/ux/screens.h"
#include "platform/d3d9/golden.h"
#include "scenerepositories.h"

#include <cstdint>
#include <string>
#include <vector>

namespace
{
constexpr i32 kWidth = 320;
constexpr i32 kHeight = 200;

class LevelSceneTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
        Create();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
        // The level carries the UX screens' records: the screens are registered first.
        RegisterGameScreens();
        // The managers the start-up script begins, in its order.
        g_pResourceManager->BeginManager();
        // Blocks are read at once without the loader thread: the first frame has them all.
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        g_pDxMeshManager->BeginManager();
        g_pDxCameraManager->BeginManager();
        g_pDxViewportManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pDxCanvasManager->BeginManager();
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0), 0);
    }
    void TearDown() override
    {
        g_pRenderManager->m_nInRender = 0;
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        DeviceTest::TearDown();
    }

    std::vector<std::uint32_t> BackBuffer()
    {
        IDirect3DDevice9* device = m_pManager->GetDevice();
        IDirect3DSurface9* copy = nullptr;
        device->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        device->GetRenderTargetData(static_cast<TDxRenderTarget*>(m_pManager->GetBackBufferTarget())->GetSurface(),
                                    copy);
        D3DLOCKED_RECT locked;
        copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        std::vector<std::uint32_t> pixels(kWidth * kHeight);
        for (i32 y = 0; y < kHeight; ++y)
            for (i32 x = 0; x < kWidth; ++x)
                pixels[static_cast<size_t>(y * kWidth + x)] =
                    static_cast<const u32*>(locked.pBits)[y * locked.Pitch / 4 + x] | 0xFF000000u;
        copy->UnlockRect();
        copy->Release();
        return pixels;
    }
};

TEST_F(LevelSceneTest, TheFirstFrameOfTheLoadedLevelMatchesTheGoldenImage)
{
    // What the load set up: the viewport set current with its camera, the font found by name.
    TViewportSet* set = g_pDxViewportManager->GetCurrentSet();
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->m_nViewportCount, 1u);
    EXPECT_EQ(set->aViewport[0]->m_Record.nWidth, static_cast<u32>(kWidth));
    ASSERT_NE(g_pDxCameraManager->GetMainCamera(), nullptr);
    g_pTextureFontManager->SetFont(TName(LEVEL_FONT_NAME, true), 24.0f, 0.0f);
    ASSERT_NE(g_pTextureFontManager->GetFont(), nullptr);

    // The frame as the start-up script's render list draws it, with a line of text.
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
    g_pDxViewportManager->RenderManager();
    g_pTextureFontManager->DrawText(12.0f, 12.0f, 0, TColor{1.0f, 0.9f, 0.3f, 1.0f}, u"MORVANE", 0.0f);
    g_pDxCanvasManager->Flush();
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    EXPECT_EQ(CompareWithGolden("level_first_frame", BackBuffer(), kWidth, kHeight), "");
}

// What the game shows of the level first: its start-up script's render list (Render, Viewport,
// Console, Canvas, Render 1) with the console closed and nothing else drawn. The README shows this
// image.
TEST_F(LevelSceneTest, TheGameShowsTheLevelAsItsFirstFrame)
{
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
    g_pRenderManager->RenderManager();
    g_pDxViewportManager->RenderManager();
    g_pDxCanvasManager->Flush();
    g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
    g_pRenderManager->RenderManager();
    EXPECT_EQ(CompareWithGolden("level_game_frame", BackBuffer(), kWidth, kHeight), "");
}

// The level's own textures and mesh data take their arrays whole: the canvas's unit rectangle
// and the console's textures must come with them, or the console draws without them.
TEST_F(LevelSceneTest, TheLevelBringsTheCanvasRecordsBesideItsOwn)
{
    EXPECT_NE(g_pDxMeshManager->FindMeshData(TName("MeshData__canvas_unit_rect", true)), nullptr);
    EXPECT_NE(g_pDxTextureManager->FindTexture(TName("Texture_console", true)), nullptr);
    EXPECT_NE(g_pDxTextureManager->FindTexture(TName("Texture_cursor", true)), nullptr);
}
} // namespace
