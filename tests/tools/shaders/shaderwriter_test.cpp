// The shader list and the shader writer's refusals: every fault of the list or of a description
// is named with its file and line, and nothing is written then.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxshadermanager.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"
#include "engine/system/managermanager.h"
#include "shaderlist.h"
#include "shaderrepository.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
TEST(ShaderList, ProgramsFollowTheirShader)
{
    TShaderList list;
    std::string error;
    ASSERT_TRUE(list.Parse("global global.fx // shared\n"
                           "parameter CanvasColor\n"
                           "parameter TScreenMatrix plugin\n"
                           "shader Shader_mesh\n"
                           "program mesh - 0 colour.fx\n"
                           "program mesh A=1| 0x3 stages.fx 0:0x21 1:1\n"
                           "share mesh_lit - 3 1\n"
                           "wireframe mesh_lit W=1| 0 0 0:0\n",
                           error))
        << error;
    EXPECT_EQ(list.global, "global.fx");
    ASSERT_EQ(list.parameters.size(), 2u);
    EXPECT_FALSE(list.parameters[0].plugin);
    EXPECT_TRUE(list.parameters[1].plugin);
    ASSERT_EQ(list.shaders.size(), 1u);
    const std::vector<TShaderListProgram>& programs = list.shaders[0].programs;
    ASSERT_EQ(programs.size(), 4u);
    EXPECT_EQ(programs[0].defines, "");
    EXPECT_EQ(programs[1].defines, "A=1|");
    EXPECT_EQ(programs[1].mask, 3u);
    ASSERT_EQ(programs[1].samplers.size(), 2u);
    EXPECT_EQ(programs[1].samplers[0], (std::pair<u32, u32>(0, 0x21)));
    EXPECT_EQ(programs[2].file, "");
    EXPECT_EQ(programs[2].shared, 1u);
    EXPECT_FALSE(programs[2].wireframe);
    EXPECT_TRUE(programs[3].wireframe);
    EXPECT_EQ(programs[3].file, "");
    EXPECT_EQ(programs[3].shared, 0u);
}

TEST(ShaderList, FaultsAreNamedByTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"global g.fx\nprogram mesh - 0 a.fx\n", "line 2: a program outside a shader"},
        {"global g.fx\nshader s\nprogram mesh - 1x a.fx\n", "line 3: '1x' is no texture mask"},
        {"global g.fx\nshader s\nprogram mesh - 0x400000 a.fx\n", "line 3: '0x400000' is no texture mask"},
        {"global g.fx\nshader s\nprogram mesh - 1 a.fx 22:0\n", "line 3: '22:0' is no <slot>:<sampler byte>"},
        {"global g.fx\nshader s\nshare mesh - 0 0\n",
         "line 3: a shared program names an earlier program with an effect of its own"},
        {"global g.fx\nshader s\nprogram mesh - 0\n", "line 3: a program needs an effect file"},
        // A wire frame draws an effect of the shader's own, not another row's.
        {"global g.fx\nshader s\nprogram mesh - 0 a.fx\nshare mesh - 1 0\nwireframe mesh W=1| 0 1\n",
         "line 5: a shared program names an earlier program with an effect of its own"},
        {"global g.fx\nparameter p sometimes\n", "line 2: 'sometimes': only \"plugin\" may follow a parameter's name"},
        {"global g.fx\nshader s t\n", "line 2: 't' follows the statement"},
        {"material m\n", "line 1: unknown statement 'material'"},
        {"shader s\n", "no global effect"},
    };
    for (const auto& [text, error] : cases)
    {
        TShaderList list;
        std::string got;
        EXPECT_FALSE(list.Parse(text, got)) << text;
        EXPECT_EQ(got, error) << text;
    }
}

class ShaderWriterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // As in the tool: no user directory, the files are the test's own.
        g_pFileStreamManager->SetLocked(0);
        g_pCluster->LinkTypes();
        g_ManagerManager.Initialize();
    }
    void Write(const char* name, const std::string& text) { m_Folder.WriteFile(name, text); }
    bool Run(std::string& error)
    {
        return WriteShaderRepository(m_Folder.Path().c_str(), Output().c_str(), error);
    }
    std::string Output() const { return m_Folder.Path() + "/shaders.data"; }

    TScratchFolder m_Folder{"shaderwriter"};
};

// Every level that depends on the shader repository brings the shaders back: a top-level load
// clears the cluster, and the shaders' image is loaded again with the next level.
TEST_F(ShaderWriterTest, AFaultyDescriptionIsNamedAndNothingIsWrittenASoundOneLoadsWithEveryLevel)
{
    Write("global.fx", "effect 1\nparameter vector CanvasColor shared\n");
    Write("flat.fx", "effect 1\ntechnique defaultshader\npass p0\nrenderstate NoSuchState = 1\n");
    Write("shaders.list", "global global.fx\nshader Shader_flat\nprogram mesh - 0 flat.fx\n");
    std::string error;
    EXPECT_FALSE(Run(error));
    EXPECT_EQ(error.rfind(m_Folder.Path() + "/flat.fx: line 4: ", 0), 0u) << error;
    EXPECT_FALSE(std::filesystem::exists(Output()));

    Write("shaders.list", "global global.fx\nshader Shader_flat\nprogram mesh - 0 missing.fx\n");
    EXPECT_FALSE(Run(error));
    EXPECT_EQ(error, m_Folder.Path() + "/missing.fx: cannot be read");
    Write("shaders.list", "global global.fx\nshader\n");
    EXPECT_FALSE(Run(error));
    EXPECT_EQ(error, m_Folder.Path() + "/shaders.list: line 2: a shader needs a name");
    EXPECT_FALSE(std::filesystem::exists(Output()));

    Write("flat.fx", "effect 1\ntechnique defaultshader\npass p0\nrenderstate ZEnable = False\n");
    Write("shaders.list", "global global.fx\nparameter CanvasColor\nshader Shader_flat\nprogram mesh - 0 flat.fx\n");
    ASSERT_TRUE(Run(error)) << error;
    TRepositoryWriter level(60, 0);
    level.AddDependency(SHADER_REPOSITORY_ID);
    const std::string levelPath = m_Folder.Path() + "/level.data";
    ASSERT_TRUE(level.Write(levelPath.c_str(), nullptr, 0, false));
    g_pResourceManager->Associate(SHADER_REPOSITORY_ID, Output().c_str());
    for (int load = 0; load < 2; ++load)
    {
        ASSERT_EQ(g_pResourceManager->LoadRepository(levelPath.c_str(), 0), 0);
        EXPECT_NE(g_pDxShaderManager->FindShader(TName("Shader_flat")), nullptr) << load;
    }
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
}
} // namespace
