#pragma once
// The level the build writes, loaded and run as the game runs it, and drawn as the start-up
// script's render list draws a frame (the renderer's passes, the decals after the scene, the
// further viewport steps, the particles, the lens flares): the particle, decal and flare tests'
// level frames.
#include "directx/render/devicefixture.h"

#include "ageia/nxcollisionmanager.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "core/system/plugin.h"
#include "core/system/timer.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/animationmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/skeletonmanager.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/lensflaremanager.h"
#include "igame/effects/terrainmanager.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particlevertexstream.h"
#include "levellitscene.h"
#include "levelparticles.h"
#include "support/startupframe.h"
#include "morvane/ux/screens.h"
#include "platform/d3d9/golden.h"
#include "scenerepositories.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

constexpr i32 kWidth = 320;
constexpr i32 kHeight = 180;
constexpr f32 kStep = 1.0f / 30.0f;

class LevelFrameTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        // Only this fixture's listeners hear its level load: the game's managers a fixture of the
        // same program began (the tower camera its game logic chooses) stay out of it.
        g_pCluster->ClearListeners();
        g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
        Create();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
        RegisterGameScreens();
        // The frame time of a timer that never advances: births are not spread over frames of
        // the machine's own timing.
        m_pTimer = g_pTimer;
        g_pTimer = &m_Timer;
        // The managers the start-up script begins, in its order; the particle manager hears of
        // this test's device.
        BeginStartupRenderManagers();
        // The node manager lets go of what loaded nodes grew (the effects under them) at the
        // unload, as in the game. (Each test's device takes the cluster's listeners with it.)
        // The physics scene the decals project onto (its SDK made once), the collision meshes'
        // actors made after the scene.
        static const i32 s_nPhysics = g_pNxDynamicsManager->InitializeManager();
        ASSERT_EQ(s_nPhysics, 0);
        g_pCluster->AddListener(g_pNxDynamicsManager);
        g_pCluster->AddListener(g_pNxCollisionManager);
        g_pCluster->AddListener(g_pNodeManager);
        g_pCluster->AddListener(&Particles());
        g_pCluster->AddListener(g_pDecalManager);
        g_pCluster->AddListener(g_pLensFlareManager);
        g_pDxTextureManager->InitializeManager();
        m_pManager->AddMethod(&Particles());
        // Another test may have put stand-ins in place of the camera's and skeleton's plug-ins.
        for (const char* name : {"TFinalMatrix", "TAnimationSkeleton"})
        {
            TPlugin* plugin = nullptr;
            g_pPluginManager->TryFindPlugin(plugin, TName(name, true), g_NameShaderParameterPlugin);
            ASSERT_NE(plugin, nullptr) << name;
            g_pDxShaderManager->_EnterPlugin(TName(name), static_cast<TShaderParameterPlugin*>(plugin))
                ->pPlugin = static_cast<TShaderParameterPlugin*>(plugin);
        }
        Variable("rendermanager.backgroundcolor")->SetInt(LEVEL_SKY_COLOUR);
        // The level's frames are the forward renderer's, as the golden images show them.
        Variable("deferredrendering.disable")->SetInt(1);
        LoadLevel();
        // Whatever drew from the generator before: the effects start again from its seed at the
        // first update.
        TRandom::Shared().Seed(58);
        Particles().Flush();
    }
    void TearDown() override
    {
        Variable("rendermanager.backgroundcolor")->SetInt(0);
        Variable("deferredrendering.disable")->SetInt(0);
        Variable("ifx.enable")->SetInt(1);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        TParticleVertexStream::Get().Reset();
        // The level's terrain settings stay with the manager: the next test starts from none.
        const std::vector<u8> zero(TERRAIN_SETTINGS_SIZE, 0);
        g_pTerrainManager->SetData(0, zero.data(), TERRAIN_SETTINGS_SIZE);
        g_pTimer = m_pTimer;
        DeviceTest::TearDown();
    }

    // The test level with its repositories; a fixture of another level loads that instead.
    virtual void LoadLevel()
    {
        const std::string data = VESTAMOR_DATA_DIR;
        for (const auto& [id, name] : {std::pair{COMMON_REPOSITORY_ID, "common"}, {MAPPED_REPOSITORY_ID, "mapped"},
                                       {STREAMED_REPOSITORY_ID, "streamed"}, {SHADER_REPOSITORY_ID, "shaders"}})
            g_pResourceManager->Associate(id, (data + "/" + name + ".data").c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/main.data").c_str(), 0), 0);
    }

    static TIFXParticleManager& Particles() { return *static_cast<TIFXParticleManager*>(g_pParticleManager); }
    static TVariable* Variable(const char* name)
    {
        return TCommandManager::Instance().FindVariable(TName(name));
    }

    // One update as the start-up script's update list runs it, for what moves the tug and smoke.
    void Update(u32 frames)
    {
        for (u32 i = 0; i < frames; ++i)
        {
            g_pAnimationManager->ThreadUpdateManager(kStep);
            g_pAnimationManager->UpdateManager(kStep);
            g_pSkeletonManager->ThreadUpdateManager(kStep);
            g_pSkeletonManager->UpdateManager(kStep);
            g_pNodeManager->UpdateManager(kStep);
            Particles().UpdateManager(kStep);
        }
    }

    // A frame as the start-up script's render list draws it; the back buffer's pixels.
    std::vector<std::uint32_t> DrawFrame()
    {
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
        g_pRenderManager->RenderManager();
        if (m_pBeforeScene)
            m_pBeforeScene();
        for (u32 word : {0u, 1u, 20u, 21u, 2u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
            if (word == 0)
            {
                g_pDecalManager->m_nStepWord = 0;
                g_pDecalManager->RenderManager();
            }
        }
        Particles().RenderManager();
        g_pLensFlareManager->RenderManager();
        if (m_pAfterScene)
            m_pAfterScene();
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
        g_pRenderManager->RenderManager();
        IDirect3DDevice9* device = m_pManager->GetDevice();
        IDirect3DSurface9* copy = nullptr;
        device->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        device->GetRenderTargetData(static_cast<TDxRenderTarget*>(m_pManager->GetBackBufferTarget())->GetSurface(), copy);
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

    static i64 StandingClock() { return 0; }

    // A step a test draws before the scene, as the sky comes right after the frame begins.
    void (*m_pBeforeScene)() = nullptr;
    // A step a test draws after the scene's managers, as the post effects follow them.
    void (*m_pAfterScene)() = nullptr;

    TTimer m_Timer{StandingClock};
    TTimer* m_pTimer = nullptr;
};
