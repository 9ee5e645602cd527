#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

#include "support/recordingdevice.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace
{
TCamera s_Camera;
std::vector<TMesh*> s_aDrawn;

void SetFactor(const char* text)
{
    const TName value(text, true);
    TCommandManager::Instance().FindVariable(TName("render.mesh.loddistancefactor"))->Assign(&value, 1);
}

// The description's box as the level tools store it: words 1 to 16 (centre, radius, size,
// diagonal, the corners) little-endian from byte 272, a box from the origin one unit along x.
static_assert(offsetof(TMeshDescription, aWord) == 268);
constexpr u32 kStoredBoxOffset = 272;
constexpr u32 kStoredBox[16] = {0x3F000000, 0, 0, 0x3F000000, 0x3F800000, 0, 0, 0x3F800000,
                                0,          0, 0, 0x3F800000, 0x3F800000, 0, 0, 0x3F800000};

// A mesh with four coarser versions, its data's stored box one unit across, the main camera at
// the origin and the mesh's node moved along z.
struct MeshTest : testing::Test
{
    MeshTest()
    {
        g_ManagerManager.Initialize();
        node.AddObject(&mesh);
        s_Camera.m_Placement = TMatrix(1.0f);
        g_pFindMainCamera = [] { return &s_Camera; };
        g_pDrawMeshData = [](TMeshData*, const TMatrix&, TRenderContext*, TMesh* mesh) { s_aDrawn.push_back(mesh); };
        s_aDrawn.clear();
        u8* description = reinterpret_cast<u8*>(&data.m_Description);
        for (u32 word = 0; word < 16; ++word)
            for (u32 byte = 0; byte < 4; ++byte)
                description[kStoredBoxOffset + 4 * word + byte] = static_cast<u8>(kStoredBox[word] >> (8 * byte));
        for (u32 i = 0; i < MESH_LOD_CAPACITY; ++i)
        {
            lod[i].pMeshData = &data;
            mesh.aMeshLod[i] = &lod[i];
        }
        mesh.pMeshData = &data;
    }
    ~MeshTest() override
    {
        node.DeleteObject(&mesh);
        g_pFindMainCamera = nullptr;
        g_pDrawMeshData = nullptr;
        SetFactor("1");
    }
    TMesh* DrawnAt(f32 z)
    {
        node.GetWorldMatrix()->aRow[3] = TVector(0, 0, z, 1);
        s_aDrawn.clear();
        mesh.Draw(nullptr);
        return s_aDrawn.empty() ? nullptr : s_aDrawn[0];
    }

    TNode node;
    TMesh mesh;
    TMesh lod[MESH_LOD_CAPACITY];
    TMeshData data;
};
} // namespace

TEST_F(MeshTest, LodFollowsTheScaledDistanceAndTheLodCount)
{
    const struct
    {
        u32 count;
        f32 scale, distance;
        TMesh* picked;
    } cases[] = {{0, 1.0f, 5000.0f, &mesh}, // no LODs: always itself
                 {2, 1.0f, 99.9f, &mesh},   {2, 1.0f, 100.0f, &lod[0]}, {2, 1.0f, 200.0f, &lod[1]},
                 {2, 1.0f, 5000.0f, &lod[1]}, {3, 1.0f, 400.0f, &lod[2]}, {3, 1.0f, 800.0f, &lod[2]},
                 {4, 1.0f, 799.0f, &lod[2]}, {4, 1.0f, 800.0f, &lod[3]}, {4, 0.5f, 800.0f, &lod[2]}};
    for (const auto& c : cases)
    {
        mesh.m_nLodCount = c.count;
        mesh.m_fLodDistanceScale = c.scale;
        EXPECT_EQ(c.picked, mesh.PickLod(c.distance)) << c.count << " " << c.distance;
    }
}

TEST_F(MeshTest, QueueDrawCutsMeshesFarBeyondTheirSizeAndMakesTheChosenMaterialCurrent)
{
    // The box is read where it is stored: its diagonal and corners as written above.
    const TBoundBox* box = MeshDataBoundBox(&data);
    EXPECT_EQ(reinterpret_cast<const u8*>(&data.m_Description) + kStoredBoxOffset, reinterpret_cast<const u8*>(box));
    EXPECT_EQ((std::vector<f32>{1.0f, 0.0f, 1.0f, 1.0f}),
              (std::vector<f32>{box->diagonal, box->minimum.x, box->maximum.x, box->maximum.w}));
    mesh.m_nLodCount = 1;
    lod[0].m_TextureAnimation.m_Matrix.aRow[3].x = 0.25f;
    EXPECT_EQ(&mesh, DrawnAt(50.0f));
    EXPECT_EQ(&lod[0], DrawnAt(150.0f));
    EXPECT_EQ(&lod[0].m_Material, g_pCurrentMeshMaterial);
    EXPECT_FLOAT_EQ(0.25f, g_CurrentTextureMatrix.aRow[3].x);
    EXPECT_EQ(&lod[0], DrawnAt(200.0f)); // exactly 200 diagonals still draws
    EXPECT_EQ(nullptr, DrawnAt(201.0f));
    for (u32 word : {16u, 4u})
    {
        data.m_Description.aWord[0] = word;
        EXPECT_EQ(&lod[0], DrawnAt(100000.0f)) << word;
    }
    data.m_Description.aWord[0] = 0;
    // A disabled node draws nothing; Render draws without the cut.
    node.GetWorldMatrix()->aRow[3] = TVector(0, 0, 1000.0f, 1);
    s_aDrawn.clear();
    mesh.Render();
    EXPECT_EQ((std::vector<TMesh*>{&lod[0]}), s_aDrawn);
    node.Enable(0, 0);
    EXPECT_EQ(nullptr, DrawnAt(1.0f));
    node.Enable(1, 0);
}

TEST_F(MeshTest, LodFactorScalesDistancesAndRefusesText)
{
    mesh.m_nLodCount = 1;
    SetFactor("2");
    EXPECT_EQ(&lod[0], DrawnAt(60.0f));
    EXPECT_EQ(nullptr, DrawnAt(101.0f));
    for (const char* refused : {"far", "-1"})
    {
        SetFactor(refused);
        EXPECT_FLOAT_EQ(2.0f, MeshLodDistanceFactor()) << refused;
    }
    SetFactor("0.5");
    EXPECT_EQ(&mesh, DrawnAt(150.0f));
}

TEST(ShaderTextureTableTest, SlotsAndMaskAgreeAndOutsideSlotsAreRefused)
{
    TJournal journal;
    TRecordingShader shader("table", journal);
    TTexture* texture = reinterpret_cast<TTexture*>(&shader);
    shader.SetTexture(3, texture)->SetTexture(21, texture);
    EXPECT_EQ((1u << 3) | (1u << 21), shader.m_nTextureMask);
    shader.SetTexture(3, nullptr);
    EXPECT_EQ(1u << 21, shader.m_nTextureMask);
    shader.SetTexture(22, texture);
    EXPECT_EQ(1u << 21, shader.m_nTextureMask);
    EXPECT_EQ(0u, shader.m_nReserved160); // nothing written past the table
    shader.m_nTextureMask = 0xFFFFFFFF;
    shader.RebuildMask();
    EXPECT_EQ(1u << 21, shader.m_nTextureMask);
    shader.aTexture[21] = nullptr;
    shader.RebuildMask();
    EXPECT_EQ(0u, shader.m_nTextureMask);
}
