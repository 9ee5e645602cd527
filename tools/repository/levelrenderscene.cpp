#include "levelrenderscene.h"
#include "canvasrepository.h"
#include "levellitscene.h"
#include "levelmeshes.h"

#include "core/math/boundbox.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/camera.h"
#include "engine/render/material.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"
#include "engine/render/viewportrendering.h"
#include "engine/render/viewportset.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "repositorywriter.h"
#include "uirepository.h"
#include "uxrecords.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace
{
// A box of half-sizes hx, hy, hz: six faces, each with the whole texture.
std::vector<TMeshVertex> Box(f32 hx, f32 hy, f32 hz)
{
    std::vector<TMeshVertex> v;
    const TVector x(hx, 0, 0, 0), y(0, hy, 0, 0), z(0, 0, hz, 0), nx(-hx, 0, 0, 0), ny(0, -hy, 0, 0),
        nz(0, 0, -hz, 0);
    AddFace(v, nz, x, y, 0xFFFFFFFF);  // facing the camera
    AddFace(v, z, nx, y, 0xFFC0C0C0);
    AddFace(v, x, z, y, 0xFFE0E0E0);
    AddFace(v, nx, nz, y, 0xFFE0E0E0);
    AddFace(v, y, x, z, 0xFFF0F0F0);
    AddFace(v, ny, x, nz, 0xFFA0A0A0);
    return v;
}

// Glyphs of three by five pixels, one row of three bits a line from the top, on cells of four
// by six pixels side by side on the page.
struct TGlyphBitmap
{
    char16_t nCode;
    u8 aRow[5];
};
constexpr TGlyphBitmap GLYPH_BITMAPS[] = {
    {u' ', {0, 0, 0, 0, 0}},      {u'A', {2, 5, 7, 5, 5}}, {u'E', {7, 4, 6, 4, 7}}, {u'M', {5, 7, 7, 5, 5}},
    {u'N', {6, 5, 5, 5, 5}},      {u'O', {7, 5, 5, 5, 7}}, {u'R', {6, 5, 6, 5, 5}}, {u'V', {5, 5, 5, 5, 2}},
};
constexpr i32 GLYPH_CELL_WIDTH = 4;
constexpr i32 GLYPH_CELL_HEIGHT = 6;
constexpr i32 PAGE_WIDTH = 32;
constexpr i32 PAGE_HEIGHT = 8;
// The records that live outside the managers' own arrays.
struct TLevelRenderScene
{
    TLevelRenderScene(TRepositoryWriter& writer, TNode* level, const TMatrix& eye, f32 nearClip, f32 farClip);

    TRenderQueue normal{};
    TRenderScene scene{};
    TViewportSet set{};
    TTextureFont font;
    TMaterial* pMaterial = nullptr;
};

std::unique_ptr<TLevelRenderScene> s_pScene;
} // namespace

TLevelRenderScene::TLevelRenderScene(TRepositoryWriter& writer, TNode* level, const TMatrix& view, f32 nearClip,
                                     f32 farClip)
{
    auto addCamera = [&](const char* name) {
        TNode* eye = g_pNodeManager->CreateNode(name);
        level->AddChild(eye);
        eye->SetLocalMatrix(view, TNode::OrdinaryCause());
        TCamera* made = g_pDxCameraManager->__CreateCamera(eye);
        made->m_fFocalLength = 35.0f;
        made->m_fHorizontalAperture = 1.417f;
        made->m_fVerticalAperture = 0.945f;
        made->m_nFitMode = 0;
        made->m_fNearClip = nearClip;
        made->m_fFarClip = farClip;
        return made;
    };
    TCamera* camera = addCamera(LEVEL_CAMERA_NODE);
    // The debug manager's free camera (camera.enable) takes the view from where it is.
    addCamera("spectator");

    TDxViewport* viewport = g_pDxViewportManager->__CreateViewport(TName("level_view", true), 0);
    viewport->m_nFlags |= VIEWPORT_FLAG_FOLLOWS_BACK_BUFFER | VIEWPORT_FLAG_RENDERED;
    viewport->SetCamera(camera);
    set.m_nViewportCount = 1;
    set.aViewport[0] = viewport;
    g_pDxViewportManager->ViewportSets().Add(&set);

    normal.m_Name = TName("Normal", true);
    normal.m_nFlags = RENDER_QUEUE_ENABLED;
    scene.m_Name = TName("level", true);
    scene.m_nQueueCount = 1;
    scene.aRenderQueue[0] = &normal;
    g_pRenderSceneManager->Queues().Add(&normal);
    g_pRenderSceneManager->Scenes().Add(&scene);

    // The box material: a checker of two warm colours.
    std::vector<u32> checker(8 * 8);
    for (u32 i = 0; i < checker.size(); ++i)
        checker[i] = ((i % 8) / 2 + (i / 8) / 2) % 2 ? 0xFFE08030 : 0xFF305070;
    TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName("level_box", true));
    material->pShader = g_pDxShaderManager->FindShader(TName("Shader_mesh", true));
    material->aTexture[0] = MakeTexture(writer, "level_box_texture", 8, 8, checker);
    pMaterial = material;

    // The font: its glyph records are its block, its page its one used texture.
    std::vector<u32> page(PAGE_WIDTH * PAGE_HEIGHT, 0x00FFFFFF);
    std::vector<TTextureFontGlyph> glyphs;
    for (u32 g = 0; g < std::size(GLYPH_BITMAPS); ++g)
    {
        const TGlyphBitmap& bitmap = GLYPH_BITMAPS[g];
        for (i32 row = 0; row < 5; ++row)
            for (i32 column = 0; column < 3; ++column)
                if (bitmap.aRow[row] & (4 >> column))
                    page[static_cast<u32>((row + 1) * PAGE_WIDTH + static_cast<i32>(g) * GLYPH_CELL_WIDTH + column)] =
                        0xFFFFFFFF;
        const f32 left = static_cast<f32>(g * GLYPH_CELL_WIDTH) / PAGE_WIDTH;
        glyphs.push_back({bitmap.nCode, 0, left, 0.0f, left + static_cast<f32>(GLYPH_CELL_WIDTH) / PAGE_WIDTH,
                          static_cast<f32>(GLYPH_CELL_HEIGHT) / PAGE_HEIGHT, 0.0f,
                          static_cast<f32>(GLYPH_CELL_WIDTH), 0.0f});
    }
    font.m_Name = TName(LEVEL_FONT_NAME, true);
    font.m_nLineHeight = GLYPH_CELL_HEIGHT + 2;
    font.m_fBaseline = -1.0f;
    font.m_fCellWidth = GLYPH_CELL_WIDTH;
    font.m_fCellHeight = GLYPH_CELL_HEIGHT;
    font.m_nGlyphCount = static_cast<i32>(glyphs.size());
    writer.AddBlock(&font, glyphs.data(), static_cast<u32>(glyphs.size() * sizeof(TTextureFontGlyph)));
    TResource::LinkTo(&font, MakeTexture(writer, "level_font_page", PAGE_WIDTH, PAGE_HEIGHT, page));
    g_pTextureFontManager->Fonts().Add(&font);
}

TMesh* AddLevelBoxMesh(TRepositoryWriter& writer, TNode* node, const char* name, const TVector& half)
{
    TMesh* mesh = g_pDxMeshManager->CreateMesh(node);
    mesh->pMeshData = MakeMeshData(writer, name, Box(half.x, half.y, half.z), s_pScene->pMaterial);
    mesh->SetQueue(&s_pScene->normal);
    return mesh;
}

void BeginLevelRenderScene(TRepositoryWriter& writer, TNode* level, const TMatrix& eye, f32 nearClip, f32 farClip)
{
    s_pScene = std::make_unique<TLevelRenderScene>(writer, level, eye, nearClip, farClip);
}

TRenderQueue* GetLevelNormalQueue()
{
    return &s_pScene->normal;
}

i32 AddLevelRenderScene(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    // The camera over the apron, looking at the terminal.
    TMatrix view(1.0f);
    view.SetOrientation(TVector(-2.0f, -14.0f, 45.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
    view.aRow[3] = TVector(40.0f, 16.0f, -88.0f, 1.0f);
    BeginLevelRenderScene(writer, level, view, 0.5f, 200.0f);
    // A textured box whose coarser version is one quad.
    TNode* place = g_pNodeManager->CreateNode("level_box");
    level->AddChild(place);
    TMatrix turn = TMatrix::RotationY(30.0f);
    turn.aRow[3] = TVector(0.0f, 1.0f, 0.0f, 1.0f);
    place->SetLocalMatrix(turn, TNode::OrdinaryCause());
    TMesh* box = AddLevelBoxMesh(writer, place, "level_box", TVector(1.0f, 1.0f, 1.0f, 1.0f));
    std::vector<TMeshVertex> quad;
    AddFace(quad, TVector(0, 0, -1.0f, 1), TVector(1, 0, 0, 0), TVector(0, 1, 0, 0), 0xFFFFFFFF);
    TMesh* coarse = g_pDxMeshManager->CreateMesh(nullptr);
    coarse->pMeshData = MakeMeshData(writer, "level_box_lod1", quad, s_pScene->pMaterial);
    box->aMeshLod[0] = coarse;
    box->m_nLodCount = 1;
    count = AddLevelLitScene(writer, level, managers, count);
    return EndLevelRenderScene(writer, managers, count);
}

i32 EndLevelRenderScene(TRepositoryWriter& writer, TClusterManager** managers, i32 count)
{
    // Each array type comes from one image: the level's textures and mesh data would replace
    // those of the canvas's repository, so the level carries the canvas's records itself.
    AddCanvasRecords(writer);
    count = AddUIRecords(writer, managers, count);
    managers[count++] = g_pDxCameraManager;
    managers[count++] = g_pDxViewportManager;
    managers[count++] = g_pRenderSceneManager;
    managers[count++] = g_pDxMaterialManager;
    managers[count++] = g_pDxTextureManager;
    managers[count++] = g_pDxMeshManager;
    managers[count++] = g_pTextureFontManager;
    return AddUxRecords(writer, managers, count);
}
