// Shaders: program lookup and the missing-program abort, define texts, plug-in bindings, the
// slot textures on their samplers (material first), and damaged shader data.
#include "shaderfixture.h"


#include <cstring>
#include <string>

namespace
{

TEST_F(ShaderTest, DrawsFindTheProgramOfTheirKeyAndAMissingOneEndsTheProgram)
{
    TDxShader* probe = g_pDxShaderManager->CreateShader(TName("probe", true));
    probe->SetDefine(TName("FOG", true), TName("1", true));
    const u32 fogText = probe->GetDefineText().GetId();
    TDxShader* shader = MakeShader("keyed", {kTexturedEffect, kTexturedEffect}, {Record(0, 0), Record(fogText, 0)});
    ASSERT_EQ(shader->Require(), 0);
    ASSERT_EQ(shader->Begin(nullptr, &m_Mesh, nullptr), 0);
    TDxShaderProgram* plain = shader->GetCurrentProgram();
    shader->End();
    shader->SetDefine(TName("FOG"), TName("1"));
    ASSERT_EQ(shader->Begin(nullptr, &m_Mesh, nullptr), 0);
    EXPECT_NE(shader->GetCurrentProgram(), plain);
    EXPECT_NE(shader->GetCurrentProgram(), nullptr);
    shader->End();
    EXPECT_EQ(shader->GetCurrentProgram(), nullptr);

    // A missing program ends the program with its description.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TDxShader* unlinked = MakeShader("unlinked", {kTexturedEffect}, {Record(0, 0)});
    TTexture* texture = g_pDxTextureManager->CreateTexture(TName("wall", true), 4, 4, 1, 1, TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
    unlinked->SetTexture(0, texture);
    TMaterial material;
    material.aTexture[4] = texture;
    EXPECT_DEATH(unlinked->Begin(nullptr, &m_Mesh, &material),
                 "unlinked shader 'unlinked' \\(mesh '' node ''\\) : AddVertexTexture \\[layout_pt\\+17\\] define '' "
                 "texture 17= color0 env0 \\(shd 1= color0, mat 16= env0\\)");
}

TEST_F(ShaderTest, DamagedShaderDataIsRefused)
{
    // A block that inflates to another size than the shader says.
    TDxShader* shader = MakeShader("short", {kTexturedEffect}, {Record(0, 0)});
    shader->m_nDataSize += 1;
    EXPECT_NE(shader->Require(), 0);
    EXPECT_NE(m_Log.SystemLog().find("'short': data block does not inflate to"), std::string::npos);

    // A program beyond the data, a shared index that is not an earlier program, and one naming the
    // skipped program (an earlier index, but no effect was made for it).
    TDxShaderProgramData outside = Record(0, 1);
    TDxShaderProgramData forward = Record(0, 2);
    TDxShaderProgramData skipped = Record(0, 3);
    TDxShader* bad = MakeShader("outside", {kTexturedEffect}, {Record(0, 0), outside, forward, skipped});
    // The writer's lookup words, as a stored image carries them: neither its storage nor its
    // count is ours to write or free.
    const u32 stored[3] = {4, 3, 0x5A5A5A5A};
    static_assert(sizeof(stored) == sizeof(bad->m_aLookup));
    std::memcpy(static_cast<void*>(&bad->m_aLookup), stored, sizeof(stored));
    bad->m_aProgramData[1].nDataOffset = 4;
    bad->m_aProgramData[1].nDataSize = bad->m_nDataSize;
    bad->m_aProgramData[2].nDataOffset = 2;
    bad->m_aProgramData[2].nDataSize = 0;
    bad->m_aProgramData[3].nDataOffset = 1;
    bad->m_aProgramData[3].nDataSize = 0;
    ASSERT_EQ(bad->Require(), 0);
    EXPECT_EQ(bad->m_aLookup.GetCount(), 1);
    EXPECT_NE(m_Log.SystemLog().find("'outside': program 1 lies outside the data"), std::string::npos);
    EXPECT_NE(m_Log.SystemLog().find("'outside': program 2 lies outside the data"), std::string::npos);
    EXPECT_NE(m_Log.SystemLog().find("'outside': program 3 lies outside the data"), std::string::npos);
    bad->Unload();
    EXPECT_EQ(bad->m_aLookup.GetCount(), 0);
}

// The manager's cluster blocks: the global parameter table comes as a raw image carrying the
// writer's virtual-table words and handles; the global effect's description is kept for a new
// device.
TEST_F(ShaderTest, LoadedGlobalBlocksGiveTheTableAndTheGlobalEffect)
{
    typedef SArray<TDxGlobalParameter, DX_GLOBAL_PARAMETER_CAPACITY, 1> TTable;
    TTable table;
    table.SetCount(1);
    table[0].Name = TName("Color0", true);
    table[0].Parameter.m_Name = table[0].Name;
    std::string image(sizeof(TTable), '\0');
    std::memcpy(image.data(), static_cast<const void*>(&table), sizeof(TTable));
    // Words that meant something only in the writer's run.
    const char* base = reinterpret_cast<const char*>(&table);
    const auto at = [&](const void* word) { return static_cast<size_t>(static_cast<const char*>(word) - base); };
    std::memset(&image[at(&table[0].Parameter)], 0x5A, sizeof(void*));
    std::memset(&image[at(&table[0].Parameter.m_pHandles)], 0x5A, sizeof(void*));

    void* data = nullptr;
    i32 size = 0;
    EXPECT_EQ(1, g_pDxShaderManager->GetData(0, data, size));
    EXPECT_EQ(1, g_pDxShaderManager->SetData(2, image.data(), static_cast<i32>(image.size())));
    // A short image, or one counting more entries than the table holds, is refused whole.
    EXPECT_EQ(1, g_pDxShaderManager->SetData(0, image.data(), static_cast<i32>(image.size()) - 4));
    std::string crowded = image;
    crowded[0] = static_cast<char>(DX_GLOBAL_PARAMETER_CAPACITY + 1);
    EXPECT_EQ(1, g_pDxShaderManager->SetData(0, crowded.data(), static_cast<i32>(crowded.size())));

    ASSERT_EQ(0, g_pDxShaderManager->SetData(0, image.data(), static_cast<i32>(image.size())));
    ASSERT_EQ(1u, g_pDxShaderManager->GetGlobalParameterCount());
    TDxShaderParameter* color = g_pDxShaderManager->FindGlobalParameter(TName("Color0", true));
    ASSERT_NE(nullptr, color);
    EXPECT_EQ(nullptr, color->m_pHandles);

    const std::string effect = kGlobalEffect;
    ASSERT_EQ(0, g_pDxShaderManager->SetData(1, effect.data(), static_cast<i32>(effect.size())));
    ASSERT_NE(nullptr, g_pDxShaderManager->m_pGlobalEffect);
    EXPECT_EQ(g_pDxShaderManager->m_pGlobalEffect, color->m_pEffect);
    // Through the restored virtual table, onto the global effect.
    TShaderParameter* shared = color;
    shared->SetTexture(nullptr);

    // A new device makes the global effect again from the kept description.
    g_pDxShaderManager->OnDeviceDestroy();
    EXPECT_EQ(nullptr, g_pDxShaderManager->m_pGlobalEffect);
    g_pDxShaderManager->OnDeviceCreate();
    EXPECT_NE(nullptr, g_pDxShaderManager->m_pGlobalEffect);

    // A damaged description makes no effect: the parameters are left unbound (not on the
    // released effect) and take values without effect.
    const std::string damaged = "effect 1\nparameter texture Color0 shared\x7f\n";
    ASSERT_EQ(0, g_pDxShaderManager->SetData(1, damaged.data(), static_cast<i32>(damaged.size())));
    EXPECT_EQ(nullptr, g_pDxShaderManager->m_pGlobalEffect);
    EXPECT_EQ(nullptr, color->m_pEffect);
    const TVector white(1.0f, 1.0f, 1.0f, 1.0f);
    const TMatrix identity(1.0f);
    const i32 one = 1;
    shared->SetVector(white);
    shared->SetVectorArray(1, &white);
    shared->SetMatrix(identity);
    shared->SetMatrixArray(1, &identity);
    shared->SetInt(one);
    shared->SetIntArray(1, &one);
    shared->SetTexture(nullptr);

    // An empty table leaves the slots to be entered again on first use.
    TTable empty;
    std::memcpy(image.data(), static_cast<const void*>(&empty), sizeof(TTable));
    ASSERT_EQ(0, g_pDxShaderManager->SetData(0, image.data(), static_cast<i32>(image.size())));
    EXPECT_EQ(0u, g_pDxShaderManager->GetGlobalParameterCount());
}
} // namespace
