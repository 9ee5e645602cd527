// The level the repository writer writes for the game, loaded with its dependencies as the game
// loads it, and its frames drawn through the software device as the start-up script's render
// list draws them: the viewport set's camera over the apron lit by the forward renderer (the sun,
// two floodlights, reflections), and a line of the level's texture font.
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
#include "engine/render/environmentmanager.h"
#include "engine/render/lightmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/terrainmanager.h"
#include "levellitscene.h"
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
constexpr i32 kHeight = 180;

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
        g_pRenderManager->BeginManager();
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(LEVEL_SKY_COLOUR);
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (data + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (data + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (data + "/streamed.data").c_str());
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0), 0);
    }
    void TearDown() override
    {
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(0);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        DeviceTest::TearDown();
    }

    // A frame as the start-up script's render list draws it (Render 0, Viewport 0, 1, 20, 21, 2,
    // Canvas, Render 1), with a line of the level's font or without; the back buffer's pixels.
    std::vector<std::uint32_t> DrawFrame(bool text)
    {
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
        g_pRenderManager->RenderManager();
        for (u32 word : {0u, 1u, 20u, 21u, 2u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
        }
        if (text)
            g_pTextureFontManager->DrawText(12.0f, 12.0f, 0, TColor{1.0f, 0.9f, 0.3f, 1.0f}, u"MORVANE", 0.0f);
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
        g_pRenderManager->RenderManager();
        return BackBuffer();
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

TEST_F(LevelSceneTest, TheLitLevelMatchesTheGoldenImageFrameAfterFrame)
{
    // What the load set up: the viewport set current with its camera, the font found by name,
    // the lights, environments and terrain settings.
    TViewportSet* set = g_pDxViewportManager->GetCurrentSet();
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->m_nViewportCount, 1u);
    EXPECT_EQ(set->aViewport[0]->m_Record.nWidth, static_cast<u32>(kWidth));
    ASSERT_NE(g_pDxCameraManager->GetMainCamera(), nullptr);
    g_pTextureFontManager->SetFont(TName(LEVEL_FONT_NAME, true), 24.0f, 0.0f);
    ASSERT_NE(g_pTextureFontManager->GetFont(), nullptr);
    EXPECT_EQ(g_pLightManager->Lights().GetCount(), 4);
    ASSERT_EQ(g_pLightManager->LightSets().GetCount(), 1);
    EXPECT_EQ(g_pLightManager->GetCurrentLightSet(), g_pLightManager->LightSets()[0]);
    EXPECT_EQ(g_pLightManager->LightSets()[0]->m_aLightCount[LIGHT_SPOT], 2u);
    EXPECT_EQ(g_pEnvironmentManager->Environments().GetCount(), 2);
    EXPECT_FLOAT_EQ(g_pTerrainManager->GetSettings()[0].x, 0.04f);

    // Two frames as the start-up script's render list draws them, with a line of text: the
    // first switches the scene's light set on, the second finds it on; they look the same.
    std::vector<std::uint32_t> frames[2];
    for (auto& frame : frames)
        frame = DrawFrame(true);
    EXPECT_EQ(g_pLightManager->GetTotal(LIGHT_SPOT), 2);
    EXPECT_EQ(CompareWithGolden("forward_level_frame", frames[1], kWidth, kHeight), "");
    EXPECT_TRUE(frames[0] == frames[1]);
}

// What the game shows of the level first: its start-up script's render list with the console
// closed and nothing else drawn. The README shows this image.
TEST_F(LevelSceneTest, TheGameShowsTheLevelAsItsFirstFrame)
{
    EXPECT_EQ(CompareWithGolden("level_game_frame", DrawFrame(false), kWidth, kHeight), "");
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
