// The first frame after a screen opens, drawn as the game draws it while the loader thread still
// reads the screen's textures: nothing white where they go; the frame after the reads has them.
#include "menufixture.h"

#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/material.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "engine/system/renderstats.h"
#include "engine/system/resourcemanager.h"
#include "igame/effects/effectsmanager.h"

namespace
{
class FirstFrameTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        // As in the game: a texture asked for is read by the loader thread and arrives with the
        // resource manager's next update.
        Loader().SetEnabled(true);
    }
    void TearDown() override
    {
        Restart();
        Loader().SetEnabled(false);
        MenuTest::TearDown();
    }
    // The menu manager's next update starts over as at the game's start: player data, the tree.
    void Restart()
    {
        Settle();
        Menu().ShowManagement(false);
        Menu().CloseGameHelp();
        Menu().FinalizeManager();
        Profiles().FinalizeManager();
        Parameters().nStarted = 0;
    }
    static TResourceThreadLoad& Loader() { return g_pResourceManager->GetLoader(); }
    // Every texture back to its repository: the next draw asks for it again.
    static void UnloadTextures()
    {
        for (i32 i = 0; i < g_pTextureManager->GetTextureCount(); ++i)
            g_pTextureManager->GetTexture(i)->Unload();
    }
    // The loader's reads done and delivered (a read in flight is in neither list: twice empty
    // after a pause), at most two seconds.
    static void Settle()
    {
        u32 empty = 0;
        for (u32 i = 0; i < 400 && empty < 2; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Loader().ProcessQueue();
            empty = Loader().IsQueueEmpty() ? empty + 1 : 0;
        }
    }
    enum EScreen
    {
        SCREEN_MAIN_MENU,
        SCREEN_HELP,
        SCREEN_MANAGEMENT
    };
    // Opens the screen with every texture unread: the main menu as the game starts, the others
    // over a running game as the player opens them (the help button, the key M).
    void Open(EScreen screen)
    {
        if (screen == SCREEN_MAIN_MENU)
        {
            UnloadTextures();
            MenuFrame(0.0f);
            return;
        }
        StartGame();
        Settle();
        UnloadTextures();
        if (screen == SCREEN_HELP)
        {
            Menu().OnGameHelpClick(nullptr);
            MenuFrames(5);
            return;
        }
        Tap(0x32);
        MenuFrame();
    }
    // Pixels whose three channels are all 240 or more.
    static u32 WhitePixels(const std::vector<u32>& pixels)
    {
        u32 white = 0;
        for (u32 pixel : pixels)
            white += ((pixel >> 16) & 0xFF) >= 240 && ((pixel >> 8) & 0xFF) >= 240 && (pixel & 0xFF) >= 240 ? 1 : 0;
        return white;
    }
};
} // namespace

// Each screen opened with its textures unread, at two sizes: the first frame has no white where
// the textures go (the fader draws nothing or black, not white); the frame after the reads draws
// them (the frame differs).
TEST_F(FirstFrameTest, AScreensFirstFrameDrawsNoTextureStillBeingRead)
{
    const struct
    {
        const char* pName;
        EScreen eScreen;
    } screens[] = {{"main menu at start", SCREEN_MAIN_MENU}, {"help", SCREEN_HELP}, {"management", SCREEN_MANAGEMENT}};
    for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1600, 900}})
        for (const auto& screen : screens)
        {
            SCOPED_TRACE(testing::Message() << screen.pName << " at " << width << " x " << height);
            Resize(width, height);
            Open(screen.eScreen);
            const std::vector<u32> first = DrawFrame(width, height);
            ASSERT_EQ(first.size(), static_cast<size_t>(width * height));
            EXPECT_EQ(WhitePixels(first), 0u);
            Settle();
            MenuFrame(0.0f);
            const std::vector<u32> next = DrawFrame(width, height);
            EXPECT_NE(first, next) << "the textures drawn once read";
            Restart();
        }
}

// The follow-me view (the van button) and back to the tower (the tower button) over a running
// game: each switch is a cut, so the screen's motion blur of the new view's first frame starts
// from that view, not from the other's last frame.
TEST_F(FirstFrameTest, ACameraSwitchStartsTheMotionBlurAfresh)
{
    StartGame();
    ASSERT_NE(g_pGameLogicManager->GetFollowMeTask(), nullptr) << "the level carries the follow-me car";
    const struct
    {
        const char* pButton;
        i32 (TGameMenuManager::*click)(TUIItem*);
        bool bFollowMe;
    } switches[] = {{"van", &TGameMenuManager::OnSwitchToFollowMe, true},
                    {"tower", &TGameMenuManager::OnSwitchToTowerCamera, false},
                    {"van again", &TGameMenuManager::OnSwitchToFollowMe, true}};
    for (const auto& s : switches)
    {
        SCOPED_TRACE(s.pButton);
        g_EffectsBlocks.nPreviousSet = 1;
        (Menu().*s.click)(nullptr);
        MenuFrame();
        EXPECT_EQ(g_pGameLogicManager->IsFollowMeActive(), s.bFollowMe);
        EXPECT_EQ(g_EffectsBlocks.nPreviousSet, 0u);
    }
    g_pGameLogicManager->SwitchToTowerCamera();
}

// The level's meshes drawn with their materials, as the scene draws them, while their textures
// are being read: no surface is drawn (an unbound texture samples black); once they are read,
// every surface of the mesh is. Each mesh twice: the second read comes after a release.
TEST_F(FirstFrameTest, ASurfaceWhoseTextureIsStillBeingReadWaitsForIt)
{
    std::vector<TDxMeshData*> meshes;
    for (i32 i = 0; i < g_pDxMeshManager->GetMeshDataCount() && meshes.size() < 3; ++i)
    {
        TDxMeshData* mesh = g_pDxMeshManager->GetMeshData(i);
        bool textured = !mesh->pInstancing && mesh->m_aSurface.GetCount() > 0;
        for (u32 s = 0; textured && s < mesh->m_aSurface.GetCount(); ++s)
        {
            const TMaterial* material = mesh->m_aSurface[s].pMaterial;
            textured = material && material->pShader && material->aTexture[0];
        }
        if (textured)
            meshes.push_back(mesh);
    }
    ASSERT_FALSE(meshes.empty()) << "the level has textured meshes";
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    const auto drawCalls = [&](TDxMeshData* mesh) {
        const u32 before = g_RenderStatsCurrent.aCounter[RENDER_STATS_DRAW_CALLS];
        device->BeginScene();
        mesh->DrawWithMaterials(TMatrix(1.0f), nullptr, nullptr);
        device->EndScene();
        return g_RenderStatsCurrent.aCounter[RENDER_STATS_DRAW_CALLS] - before;
    };
    for (TDxMeshData* mesh : meshes)
        for (u32 pass = 0; pass < 2; ++pass)
        {
            SCOPED_TRACE(testing::Message() << mesh->GetNameText() << " pass " << pass);
            mesh->Require();
            Settle();
            for (u32 s = 0; s < mesh->m_aSurface.GetCount(); ++s)
                mesh->m_aSurface[s].pMaterial->aTexture[0]->Unload();
            ASSERT_TRUE(mesh->IsLoaded()) << "the mesh itself stays read";
            EXPECT_EQ(drawCalls(mesh), 0u);
            Settle();
            EXPECT_EQ(drawCalls(mesh), mesh->m_aSurface.GetCount());
        }
}
