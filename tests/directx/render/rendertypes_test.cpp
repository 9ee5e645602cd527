// The render resources' stored types through a cluster image: the virtual tables of loaded
// records and of the shader's embedded parameters come from the prototypes, references come
// back as the loaded copies of their targets, null ones as null.
#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "directx/render/dxrendertypes.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxtexture.h"
#include "directx/render/dxviewport.h"
#include "engine/render/shader.h"
#include "engine/render/viewport.h"
#include "engine/system/managermanager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

namespace
{
class TRenderRecords : public TClusterManager
{
public:
    TRenderRecords()
    {
        RegisterArray(&ShaderDecl(), &m_aShader);
        RegisterArray(&TextureDecl(), &m_aTexture);
        RegisterArray(&ViewportDecl(), &m_aViewport);
    }
    DArray<TShader*> m_aShader;
    DArray<TDxTexture*> m_aTexture;
    DArray<TViewport*> m_aViewport;
};

u32 Word(const void* at)
{
    u32 word;
    std::memcpy(&word, at, 4);
    return word;
}

TEST(RenderTypes, StoredShadersTakeTheirParameterTablesFromThePrototype)
{
    static TRenderRecords s_Records;
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
    g_pCluster->Clear();

    std::vector<u8> shaders(2 * sizeof(TShader));
    std::vector<u8> textures(sizeof(TDxTexture));
    std::vector<u8> viewports(sizeof(TViewport));
    auto* shader = new (shaders.data()) TDxShader[2];
    auto* texture = new (textures.data()) TDxTexture;
    auto* viewport = new (viewports.data()) TDxViewport;
    for (u32 entry = 0; entry < SHADER_PARAMETER_CAPACITY; ++entry)
    {
        const u32 garbage = 0xDEADBEEF;
        std::memcpy(shaders.data() + SHADER_FIRST_PARAMETER_TABLE + entry * SHADER_PARAMETER_ENTRY_SIZE, &garbage, 4);
    }
    shader[1].aTexture[5] = texture;
    // Stored words of other programs: only the prototypes' tables may come back.
    const u32 foreignTable = 0xFEEDF00D;
    std::memcpy(textures.data(), &foreignTable, 4);
    std::memcpy(shaders.data() + sizeof(TShader), &foreignTable, 4);
    s_Records.m_aShader.SetCount(2);
    s_Records.m_aShader[0] = &shader[0];
    s_Records.m_aShader[1] = &shader[1];
    s_Records.m_aTexture.SetCount(1);
    s_Records.m_aTexture[0] = texture;
    s_Records.m_aViewport.SetCount(1);
    s_Records.m_aViewport[0] = viewport;

    TMemoryStream stream;
    TClusterManager* managers[] = {&s_Records};
    ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, 1), 0);
    std::vector<u8> image(stream.GetData(), stream.GetData() + stream.GetSize());
    ASSERT_EQ(g_pCluster->Load(image.data(), static_cast<u32>(image.size()), 0), 0);

    ASSERT_EQ(s_Records.m_aShader.GetCount(), 2);
    const TShader* loaded = s_Records.m_aShader[1];
    EXPECT_NE(static_cast<const void*>(loaded), static_cast<const void*>(&shader[1]));
    EXPECT_EQ(Word(loaded), Word(ShaderDecl().GetPrototype()));
    const u32 parameterTable = Word(ShaderParameterDecl().GetPrototype());
    for (u32 entry = 0; entry < SHADER_PARAMETER_CAPACITY; ++entry)
        EXPECT_EQ(Word(reinterpret_cast<const u8*>(loaded) + SHADER_FIRST_PARAMETER_TABLE +
                       entry * SHADER_PARAMETER_ENTRY_SIZE),
                  parameterTable)
            << entry;
    EXPECT_EQ(loaded->aTexture[5], static_cast<TTexture*>(s_Records.m_aTexture[0]));
    EXPECT_EQ(loaded->aTexture[4], nullptr);
    EXPECT_EQ(s_Records.m_aShader[0]->aTexture[5], nullptr);
    EXPECT_EQ(Word(s_Records.m_aTexture[0]), Word(TextureDecl().GetPrototype()));
    EXPECT_EQ(s_Records.m_aViewport[0]->pCamera, nullptr);
    EXPECT_EQ(s_Records.m_aViewport[0]->m_Record.nWidth, 256u);
    g_pCluster->Clear();
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
    EXPECT_EQ(ShaderDecl().GetMember(1).nOffset, 816u);
    EXPECT_EQ(ShaderDecl().GetMember(24).nOffset, 172u);
    EXPECT_STREQ(ShaderDecl().GetMember(1).szName, "TShaderParameter::__vfptr");
    EXPECT_EQ(MeshDataDecl().GetMember(2).nOffset, 812u);
    EXPECT_EQ(MeshDataDecl().GetMember(17).nOffset, 452u);
    EXPECT_EQ(MeshDataDecl().GetMember(17).nTypeId, 39u);
}
} // namespace
