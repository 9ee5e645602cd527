// The render resources' stored types through a cluster image: the virtual tables of loaded
// records and of the shader's embedded parameters come from the prototypes, references come
// back as the loaded copies of their targets, null ones as null.
#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "directx/render/dxrendertypes.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtexturemanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/viewportset.h"
#include "engine/system/scenetypes.h"
#include "engine/render/shader.h"
#include "engine/system/managermanager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
u32 Word(const void* at)
{
    u32 word;
    std::memcpy(&word, at, 4);
    return word;
}

// The managers' arrays through one image: what was made before the load is replaced, the
// shaders' program records come back from the cluster's array of them.
TEST(RenderTypes, StoredShadersTakeTheirParameterTablesFromThePrototype)
{
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
    g_pCluster->Clear();

    TDxShader* shader[2] = {g_pDxShaderManager->CreateShader(TName("first", true)),
                            g_pDxShaderManager->CreateShader(TName("second", true))};
    TTexture* texture = g_pDxTextureManager->CreateTextureEntry(TName("wall", true));
    g_pDxViewportManager->__CreateViewport(TName("main", true), 0);
    TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("crate", true));
    mesh->m_Description.nVertexCount = 24;
    for (u32 entry = 0; entry < SHADER_PARAMETER_CAPACITY; ++entry)
    {
        const u32 garbage = 0xDEADBEEF;
        std::memcpy(reinterpret_cast<u8*>(static_cast<TShader*>(shader[0])) + SHADER_FIRST_PARAMETER_TABLE +
                        entry * SHADER_PARAMETER_ENTRY_SIZE,
                    &garbage, 4);
    }
    shader[1]->aTexture[5] = texture;
    shader[1]->m_aProgramData.SetCount(2);
    shader[1]->m_aProgramData[1].nDataSize = 77;
    shader[0]->m_aProgramData.SetCount(1);
    shader[0]->m_aProgramData[0].nDataSize = 11;
    g_pDxShaderManager->PackProgramData();

    TMemoryStream stream;
    TClusterManager* managers[TDxShaderManager::SAVED_MANAGER_COUNT + 3];
    g_pDxShaderManager->GetSavedManagers(managers);
    i32 count = TDxShaderManager::SAVED_MANAGER_COUNT;
    for (TClusterManager* manager : {static_cast<TClusterManager*>(g_pDxTextureManager),
                                     static_cast<TClusterManager*>(g_pDxViewportManager),
                                     static_cast<TClusterManager*>(g_pDxMeshManager)})
        managers[count++] = manager;
    ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, count), 0);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());
    // The records saved are gone: the loaded ones are the image's.
    g_pCluster->Clear();
    EXPECT_EQ(g_pDxShaderManager->GetShaderCount(), 0);
    g_pDxShaderManager->CreateShader(TName("third", true));
    // The viewport drawn last goes with the array the load replaces.
    g_pDxViewportManager->SetCurrentViewport(g_pDxViewportManager->__CreateViewport(TName("stale", true), 0));
    ASSERT_EQ(g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_NO_CLEAR), 0);

    ASSERT_EQ(g_pDxShaderManager->GetShaderCount(), 2);
    const TShader* loaded = g_pDxShaderManager->FindShader(TName("first"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_GE(reinterpret_cast<const u8*>(loaded), image.data());
    EXPECT_LT(reinterpret_cast<const u8*>(loaded), image.data() + image.size());
    EXPECT_EQ(Word(loaded), Word(ShaderDecl().GetPrototype()));
    const u32 parameterTable = Word(ShaderParameterDecl().GetPrototype());
    for (u32 entry = 0; entry < SHADER_PARAMETER_CAPACITY; ++entry)
        EXPECT_EQ(Word(reinterpret_cast<const u8*>(loaded) + SHADER_FIRST_PARAMETER_TABLE +
                       entry * SHADER_PARAMETER_ENTRY_SIZE),
                  parameterTable)
            << entry;
    ASSERT_EQ(loaded->m_aProgramData.GetCount(), 1);
    EXPECT_EQ(loaded->m_aProgramData[0].nDataSize, 11u);
    const TShader* second = g_pDxShaderManager->FindShader(TName("second"));
    ASSERT_EQ(second->m_aProgramData.GetCount(), 2);
    EXPECT_EQ(second->m_aProgramData[1].nDataSize, 77u);
    ASSERT_EQ(g_pDxTextureManager->GetTextureCount(), 1);
    EXPECT_EQ(second->aTexture[5], g_pDxTextureManager->GetTexture(0));
    EXPECT_EQ(second->aTexture[4], nullptr);
    EXPECT_EQ(loaded->aTexture[5], nullptr);
    EXPECT_EQ(Word(g_pDxTextureManager->GetTexture(0)), Word(TextureDecl().GetPrototype()));
    ASSERT_EQ(g_pDxViewportManager->GetViewportCount(), 1);
    EXPECT_EQ(g_pDxViewportManager->GetCurrentViewport(), nullptr);
    EXPECT_EQ(g_pDxViewportManager->GetViewport(0)->pCamera, nullptr);
    EXPECT_EQ(g_pDxViewportManager->GetViewport(0)->m_Record.nWidth, 256u);
    ASSERT_EQ(g_pDxMeshManager->GetMeshDataCount(), 1);
    EXPECT_EQ(g_pDxMeshManager->FindMeshData(TName("crate"))->m_Description.nVertexCount, 24u);

    g_pCluster->Clear();
    EXPECT_EQ(std::vector<i32>({g_pDxShaderManager->GetShaderCount(), g_pDxTextureManager->GetTextureCount(),
                                g_pDxViewportManager->GetViewportCount(), g_pDxMeshManager->GetMeshDataCount()}),
              std::vector<i32>({0, 0, 0, 0}));
}

// A loaded cluster's first viewport set becomes the current set and goes with the cluster.
TEST(RenderTypes, TheFirstLoadedViewportSetBecomesCurrent)
{
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
    g_pCluster->Clear();
    TMemoryStream stream;
    TClusterManager* managers[] = {g_pDxViewportManager};
    ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, 1), 0);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());
    ASSERT_EQ(g_pCluster->Load(image.data(), static_cast<u32>(image.size()), 0), 0);

    // The hand-over a load makes of an image's sets.
    TViewportSet sets[2] = {};
    g_pCluster->GetSlot(ViewportSetDecl().GetTypeId()).SetArray(sets, 2);
    EXPECT_EQ(g_pDxViewportManager->GetCurrentSet(), &sets[0]);
    g_pCluster->Clear();
    EXPECT_EQ(g_pDxViewportManager->GetCurrentSet(), nullptr);
    EXPECT_EQ(g_pDxViewportManager->SetArray(CAMERA_TYPE_ID, nullptr, 0), 1);
    g_pDxViewportManager->Clear();
}

TEST(RenderTypes, DescriptorsFitTheirRecords)
{
    struct TCase
    {
        const TClusterTypeDecl& decl;
        u16 type;
        u32 size;
        u32 members;
    };
    const TCase cases[] = {{ShaderParameterDecl(), 33, 24, 1},  {ShaderProgramDataDecl(), 34, 48, 0},
                           {ShaderDecl(), 35, 964, 28},         {TextureDecl(), 36, 1660, 2},
                           {TextureAnimationDecl(), 37, 100, 3}, {MeshDataInstancingDecl(), 41, 196, 1},
                           {MeshDataDecl(), 42, 980, 20},       {ViewportDecl(), 46, 100, 2}};
    for (const TCase& c : cases)
    {
        EXPECT_EQ(c.decl.GetTypeId(), c.type);
        EXPECT_EQ(c.decl.GetObjectSize(), c.size) << c.decl.GetName();
        EXPECT_EQ(c.decl.GetMemberCount(), c.members) << c.decl.GetName();
    }
    // The embedded parameters run down from 816 to 172, the surfaces' materials from 812 to 452.
    EXPECT_STREQ(ShaderDecl().GetMember(1).szName, "TShaderParameter::__vfptr");
    EXPECT_EQ(std::vector<u32>({ShaderDecl().GetMember(1).nOffset, ShaderDecl().GetMember(24).nOffset,
                                MeshDataDecl().GetMember(2).nOffset, MeshDataDecl().GetMember(17).nOffset,
                                MeshDataDecl().GetMember(17).nTypeId}),
              std::vector<u32>({816, 172, 812, 452, 39}));
}
} // namespace
