// The level the repository writer writes for the game, loaded with its dependencies as the game
// loads it, and its frames drawn through the software device as the start-up script's render
// list draws them: the viewport set's camera over the apron lit by the deferred renderer with the
// shadows of the sun and a floodlight, or by the forward renderer (the sun, two floodlights,
// reflections) as on a pixel shader 2.0 device, and a line of the level's texture font.
#include "directx/render/devicefixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/environmentmanager.h"
#include "engine/render/impostermanager.h"
#include "engine/render/lightmanager.h"
#include "engine/render/meshdata.h"
#include "engine/render/deferredrendering.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/terrainmanager.h"
#include "levellitscene.h"
#include "engine/render/texturefontmanager.h"
#include "levelrenderscene.h"
#include "morvane/ux/screens.h"
#include "platform/d3d9/golden.h"
#include "platform/d3d9/settings.h"
#include "scenerepositories.h"
#include "support/floattarget.h"
#include "support/scratchfolder.h"
#include "support/storedrecords.h"
#include "support/startupframe.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Stored offsets of the render classes are read.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{
constexpr i32 kWidth = 320;
constexpr i32 kHeight = 180;

class LevelSceneTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        // The device's capabilities as the test asks (the fixture puts back the defaults).
        const ECapsProfile caps = D3D9Settings().caps;
        DeviceTest::SetUp();
        D3D9Settings().caps = caps;
        g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
        Create();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
        // The level carries the UX screens' records: the screens are registered first.
        RegisterGameScreens();
        BeginStartupRenderManagers();
        g_pShadowManager->BeginManager();
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
        // The shadow settings the game starts with, for the next test of the program.
        Run("set shadow.soften 1");
        Run("set shadow.map.size 1024");
        Run("set shadow.map.splits 0");
        TCommandManager::Instance().FindVariable(TName("rendermanager.backgroundcolor"))->SetInt(0);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        DeviceTest::TearDown();
    }

    // A frame as the start-up script's render list draws it (Render 0, Viewport 0, 1, 20, 21, 2,
    // Canvas, Render 1), with a line of the level's font or without; the back buffer's pixels.
    std::vector<std::uint32_t> DrawFrame(bool text)
    {
        DrawOpaquePasses();
        FinishFrame(text);
        return Pixels(m_pManager->GetBackBufferTarget());
    }

    static void Run(const char* line) { TCommandManager::Instance().ExecuteText(line); }
    // A target tone mapped against its golden image, of the frame's size or square.
    std::string GoldenTarget(const char* name, TRenderTarget* target, i32 square = 0)
    {
        return CompareWithGolden(name, ToneMappedTarget(target, 1.0f), square ? square : kWidth,
                                 square ? square : kHeight);
    }

    // The opening of a frame and its opaque passes (Render 0, Viewport 0 and 1): the G-buffer
    // filled, the lights in "Temp2", the opaque combine in "Temp3".
    void DrawOpaquePasses()
    {
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_BEGIN;
        g_pRenderManager->RenderManager();
        for (u32 word : {0u, 1u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
        }
    }
    // The rest of that frame (Viewport 20, 21, 2, Canvas, Render 1).
    void FinishFrame(bool text = false)
    {
        for (u32 word : {20u, 21u, 2u})
        {
            g_pDxViewportManager->m_nStepWord = word;
            g_pDxViewportManager->RenderManager();
        }
        if (text)
            g_pTextureFontManager->DrawText(12.0f, 12.0f, 0, TColor{1.0f, 0.9f, 0.3f, 1.0f}, u"MORVANE", 0.0f);
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nStepWord = RENDER_STEP_FRAME_END;
        g_pRenderManager->RenderManager();
    }
    // A target of any format through the fixed tone mapping of floats (tests/support).
    std::vector<std::uint32_t> ToneMappedTarget(TRenderTarget* target, f32 scale)
    {
        return ToneMapped(
            ReadTargetFloats(m_pManager->GetDevice(), static_cast<TDxRenderTarget*>(target)->GetSurface()), scale);
    }

    std::vector<std::uint32_t> Pixels(TRenderTarget* target)
    {
        return TargetPixels(m_pManager->GetDevice(), target, kWidth, kHeight);
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
    EXPECT_EQ(g_pLightManager->Lights().GetCount(), 5);
    ASSERT_EQ(g_pLightManager->LightSets().GetCount(), 1);
    EXPECT_EQ(g_pLightManager->GetCurrentLightSet(), g_pLightManager->LightSets()[0]);
    EXPECT_EQ(g_pLightManager->LightSets()[0]->m_aLightCount[LIGHT_SPOT], 2u);
    EXPECT_EQ(g_pEnvironmentManager->Environments().GetCount(), 2);
    EXPECT_FLOAT_EQ(g_pTerrainManager->GetSettings()[0].x, 0.04f);

    // Two frames as the start-up script's render list draws them through the forward renderer,
    // with a line of text: the first switches the scene's light set on, the second finds it on;
    // they look the same.
    Run("set deferredrendering.disable 1");
    std::vector<std::uint32_t> frames[2];
    for (auto& frame : frames)
        frame = DrawFrame(true);
    Run("set deferredrendering.disable 0");
    EXPECT_EQ(g_pLightManager->GetTotal(LIGHT_SPOT), 2);
    EXPECT_EQ(CompareWithGolden("forward_level_frame", frames[1], kWidth, kHeight), "");
    EXPECT_TRUE(frames[0] == frames[1]);
}

// The ground's patches draw after every building in the scene's walk, so that the buildings'
// depth turns away the ground behind them before it is shaded.
TEST_F(LevelSceneTest, TheGroundDrawsAfterTheBuildingsStandingOnIt)
{
    ASSERT_GT(g_pRenderSceneManager->Scenes().GetCount(), 0);
    // The queues fill as the nodes switch their objects on.
    DrawFrame(false);
    const TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    // Places in the order the scene's walk draws its objects.
    i32 place = 0, lastBuilding = -1, firstGround = -1;
    u32 patches = 0, buildings = 0;
    for (u32 q = 0; q < scene->GetQueueCount(); ++q)
        for (TRenderObject* object = scene->aRenderQueue[q]->lObject.pFirst; object; object = object->pNext, ++place)
        {
            // A patch is a flat square of 50 units; the terminal, the hangar and the tower stand
            // 8 units or more.
            const TBoundBox& box = *object->GetBoundBox();
            if (box.minimum.y == 0.0f && box.maximum.y == 0.0f && box.maximum.x - box.minimum.x == 50.0f)
            {
                ++patches;
                if (firstGround < 0)
                    firstGround = place;
            }
            else if (box.minimum.y == 0.0f && box.maximum.y >= 8.0f)
            {
                ++buildings;
                lastBuilding = place;
            }
        }
    EXPECT_EQ(patches, 16u);
    EXPECT_EQ(buildings, 3u);
    EXPECT_GT(firstGround, lastBuilding);
}

// The deferred renderer's frame of the level: the sun's cascaded shadows and the first
// floodlight's of the buildings over the apron, the glass pane laid over the scene; the mask the
// shadows were written into, and the same mask softened. The level loaded again over itself, as a
// second game loads its aerodrome: what the first load's frames handed on (the grass clusters'
// imposter quads, which the shadow passes draw again) is gone with it, and it draws as before.
TEST_F(LevelSceneTest, TheDeferredLevelFrameShowsTheShadowsOfTheBuildingsLoadAfterLoad)
{
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    // As in the game, a frame publishes the deferred renderer's targets before the console
    // switches shadows on (they are refused without "Position").
    DrawFrame(false);
    Run("set shadow.enable 1");
    ASSERT_EQ(g_pShadowManager->IsEnabled(), 1u);
    Run("set shadow.soften 0");
    DrawFrame(false);
    EXPECT_EQ(CompareWithGolden("shadow_mask", Pixels(g_pShadowManager->GetTarget(SHADOW_MASK_OPAQUE)), kWidth, kHeight),
              "");
    Run("set shadow.soften 1");
    const std::vector<std::uint32_t> frame = DrawFrame(false);
    EXPECT_EQ(CompareWithGolden("shadow_soften", Pixels(g_pShadowManager->GetTarget(SHADOW_MASK_OPAQUE)), kWidth, kHeight),
              "");
    EXPECT_EQ(CompareWithGolden("deferred_level_frame", frame, kWidth, kHeight), "");
    EXPECT_EQ(g_pShadowManager->GetShadowCount(), 2u);
    ASSERT_GT(g_pImposterManager->GetBatchCount(), 0u) << "the grass queued its quads";
    ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_DATA_DIR "/main.data", 0), 0);
    EXPECT_EQ(g_pImposterManager->GetBatchCount(), 0u);
    DrawFrame(false);
    EXPECT_TRUE(DrawFrame(false) == frame);
}

// What the game shows of the level first: its start-up script's render list with the console
// closed and nothing else drawn (the README shows this image). A level whose records' run-time
// words (the writing run's renderer of a viewport, device objects of a mesh data) are damaged
// loads with them forgotten and draws as the sound level does.
TEST_F(LevelSceneTest, TheFirstFrameAndALevelWithDamagedRunTimeWordsDrawAsTheSoundLevel)
{
    constexpr u32 kGarbage = 0x5A5A5A5A;
    const std::vector<std::uint32_t> sound = DrawFrame(false);
    EXPECT_EQ(CompareWithGolden("level_game_frame", sound, kWidth, kHeight), "");
    const struct
    {
        const char* what;
        u32 nType, nOffset, nWords;
    } cases[] = {
        {"a viewport's renderer", VIEWPORT_TYPE_ID, offsetof(TViewport, pRenderer), 1},
        {"a mesh data's device objects", MESH_DATA_TYPE_ID, offsetof(TMeshData, m_pDeclaration), 3},
    };
    const std::string data = VESTAMOR_DATA_DIR;
    TStoredRecords damaged(data + "/main.data");
    for (const auto& c : cases)
    {
        ASSERT_GT(damaged.Count(c.nType), 0u) << c.what;
        for (u32 i = 0; i < damaged.Count(c.nType); ++i)
            for (u32 w = 0; w < c.nWords; ++w)
                damaged.SetWord(damaged.Offset(c.nType, i) + c.nOffset + 4 * w, kGarbage);
    }
    TScratchFolder folder("levelscene");
    damaged.Write(folder.Path() + "/main.data");
    ASSERT_EQ(g_pResourceManager->LoadRepository((folder.Path() + "/main.data").c_str(), 0), 0);
    for (const auto& c : cases)
        for (u32 i = 0; i < damaged.Count(c.nType); ++i)
        {
            u32 words[3];
            std::memcpy(words, static_cast<const u8*>(TClusterHandle(i, c.nType).GetObject()) + c.nOffset,
                        4 * c.nWords);
            for (u32 w = 0; w < c.nWords; ++w)
                EXPECT_NE(words[w], kGarbage) << c.what << " " << i << " word " << w;
        }
    DrawFrame(false);
    EXPECT_TRUE(DrawFrame(false) == sound);
}

// The lights of the level but those of one type out of the frame (above the optimisation level,
// casting nothing) while it lives.
class TOnlyLightsOfType
{
public:
    explicit TOnlyLightsOfType(i32 type, i32 index = -1)
    {
        DArray<TLight*>& lights = g_pLightManager->Lights();
        for (i32 i = 0, seen = 0; i < lights.GetCount(); ++i)
        {
            TLight& light = *lights[i];
            m_aSaved.push_back({light.m_nLevel, light.m_nCastsShadows});
            if (light.m_nType == type && (index < 0 || seen++ == index))
                continue;
            light.m_nLevel = 1000;
            light.m_nCastsShadows = 0;
        }
    }
    ~TOnlyLightsOfType()
    {
        DArray<TLight*>& lights = g_pLightManager->Lights();
        for (i32 i = 0; i < lights.GetCount(); ++i)
            std::tie(lights[i]->m_nLevel, lights[i]->m_nCastsShadows) = m_aSaved[size_t(i)];
    }

private:
    std::vector<std::pair<i32, u32>> m_aSaved;
};

// The floating-point targets of the deferred frame, tone mapped: the G-buffer's four targets
// tiled (colour, camera-space positions; normals, material), the sun's light alone and the
// cascade's first split map it casts with, the opaque combine, and the first floodlight's light.
TEST_F(LevelSceneTest, TheDeferredTargetsHoldTheGBufferLightsAndShadowMap)
{
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    DrawFrame(false);
    Run("set shadow.enable 1");
    ASSERT_EQ(g_pShadowManager->IsEnabled(), 1u);
    Run("set shadow.soften 0");
    Run("set shadow.map.size 256");
    // The sun's first split, over the whole shadow distance.
    Run("set shadow.map.splits 1");
    ASSERT_EQ(g_pShadowManager->GetMapWidth(), 256.0f);
    {
        TOnlyLightsOfType sun(LIGHT_DIRECTIONAL);
        DrawOpaquePasses();
    }
    Run("set shadow.map.splits 0");
    auto target = [](u32 index) { return g_pDeferredRendering->GetTarget(index); };
    const std::vector<std::uint32_t> gbuffer =
        Tiled({ToneMappedTarget(target(DEFERRED_COLOR), 1.0f), ToneMappedTarget(target(DEFERRED_POSITION), 50.0f),
               ToneMappedTarget(target(DEFERRED_NORMAL), 1.0f), ToneMappedTarget(target(DEFERRED_TEMP1), 1.0f)},
              kWidth, kHeight, 2);
    EXPECT_EQ(CompareWithGolden("deferred_gbuffer", gbuffer, kWidth * 2, kHeight * 2), "");
    EXPECT_EQ(GoldenTarget("deferred_light_directional", target(DEFERRED_TEMP2)), "");
    EXPECT_EQ(GoldenTarget("deferred_combine", target(DEFERRED_TEMP3)), "");
    EXPECT_EQ(GoldenTarget("shadow_map_split0", g_pShadowManager->GetTarget(SHADOW_TARGET_MAP), 256), "");
    FinishFrame();
    {
        TOnlyLightsOfType floodlight(LIGHT_SPOT, 0);
        DrawOpaquePasses();
    }
    EXPECT_EQ(GoldenTarget("deferred_light_spot", target(DEFERRED_TEMP2)), "");
    FinishFrame();
}

// A light's projection texture colours its light: the boxes' checker thrown by the first
// floodlight through its cone, and laid across the sun's plane.
TEST_F(LevelSceneTest, ALightsProjectionTextureColoursItsLight)
{
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    Run("set shadow.enable 0");
    TTexture* checker = g_pDxTextureManager->FindTexture(TName("level_box_texture", true));
    ASSERT_NE(checker, nullptr);
    TLight* floodlight = nullptr;
    TLight* sun = nullptr;
    DArray<TLight*>& lights = g_pLightManager->Lights();
    for (i32 i = 0; i < lights.GetCount(); ++i)
    {
        if (lights[i]->m_nType == LIGHT_SPOT && !floodlight)
            floodlight = lights[i];
        // The sun: the first directional light (the rain's overcast light follows it).
        if (lights[i]->m_nType == LIGHT_DIRECTIONAL && !sun)
            sun = lights[i];
    }
    ASSERT_NE(floodlight, nullptr);
    ASSERT_NE(sun, nullptr);
    floodlight->pProjection = checker;
    sun->pProjection = checker;
    for (const auto& [type, name] : {std::pair{LIGHT_SPOT, "deferred_light_spot_projected"},
                                     std::pair{LIGHT_DIRECTIONAL, "deferred_light_directional_projected"}})
    {
        {
            TOnlyLightsOfType only(type, 0);
            DrawOpaquePasses();
        }
        EXPECT_EQ(GoldenTarget(name, g_pDeferredRendering->GetTarget(DEFERRED_TEMP2)), "");
        FinishFrame();
    }
    floodlight->pProjection = nullptr;
    sun->pProjection = nullptr;
    Run("set shadow.enable 1");
}

// A pixel shader 2.0 device cannot run the deferred renderer: the forward one draws the same frame
// as when it is chosen by the variable.
class LevelScenePs2Test : public LevelSceneTest
{
protected:
    void SetUp() override
    {
        D3D9Settings().caps = ECapsProfile::PixelShader2;
        LevelSceneTest::SetUp();
    }
    void TearDown() override
    {
        LevelSceneTest::TearDown();
        D3D9Settings().caps = ECapsProfile::Full;
    }
    bool Logged(const std::string& text) const
    {
        for (const std::string& line : m_Log.lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    TLogRecorder m_Log;
};

TEST_F(LevelScenePs2Test, APixelShader2DeviceDrawsTheLevelWithTheForwardRenderer)
{
    g_pTextureFontManager->SetFont(TName(LEVEL_FONT_NAME, true), 24.0f, 0.0f);
    DrawFrame(true);
    const std::vector<std::uint32_t> frame = DrawFrame(true);
    EXPECT_EQ(g_pDeferredRendering->m_nSupported, 0u);
    EXPECT_TRUE(Logged("disabled (device does not support pixel shader 3)"));
    EXPECT_EQ(g_pShadowManager->IsEnabled(), 0u);
    EXPECT_EQ(CompareWithGolden("forward_level_frame", frame, kWidth, kHeight), "");
}

} // namespace
