// What the game shows of the aerodrome first: the level loaded with its dependencies as the
// start-up script loads it, the game's cameras begun (the tower's orbit camera takes the
// viewport), and the start-up script's render list drawn through the software device.
#include "directx/render/devicefixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/resourcemanager.h"
#include "levelgenerator.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
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
// The start-up script's background colour.
constexpr i32 kSkyColour = 0x5A7090;

class AerodromeFrame : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
        Create();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
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
        g_pOrbitCameraManager->BeginManager();
        g_pGameLogicManager->BeginManager();
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(kSkyColour);
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, (data + "/" + MORVANE_COOKED_REPOSITORY).c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/" + MORVANE_REPOSITORY).c_str(), 0), 0);
    }
    void TearDown() override
    {
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(0);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        DeviceTest::TearDown();
    }

    // A frame as the start-up script's render list draws it (Render 0, Viewport 0, 1, 20, 21, 2,
    // Canvas, Render 1); the back buffer's pixels.
    std::vector<std::uint32_t> DrawFrame()
    {
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
        g_pRenderManager->RenderManager();
        for (u32 word : {0u, 1u, 20u, 21u, 2u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
        }
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
        g_pRenderManager->RenderManager();

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
} // namespace

// The README shows this image.
TEST_F(AerodromeFrame, TheGameShowsTheAerodromeFromTheTower)
{
    ASSERT_NE(g_pOrbitCameraManager->GetCurrentCamera(), nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentCamera()->m_Name.GetId(), TName("Tower_Orbit_Camera").GetId());
    g_pOrbitCameraManager->UpdateManager(1.0f / 60.0f);
    EXPECT_EQ(CompareWithGolden("aerodrome_frame", DrawFrame(), kWidth, kHeight), "");
}
