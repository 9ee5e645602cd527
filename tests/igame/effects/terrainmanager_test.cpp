// The terrain settings block: what shaders receive before and after data is written, and blocks
// of another size than 768 bytes.
#include "core/system/plugin.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/effects/terrainmanager.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class TVectorsParameter : public TShaderParameter
{
public:
    void SetVectorArray(u32 count, const TVector* vectors) override { aVector.assign(vectors, vectors + count); }
    std::vector<TVector> aVector;
};

class TerrainTest : public ::testing::Test
{
protected:
    ~TerrainTest() override
    {
        const std::vector<u8> zero(TERRAIN_SETTINGS_SIZE, 0);
        g_pTerrainManager->SetData(0, zero.data(), TERRAIN_SETTINGS_SIZE);
    }
    std::vector<TVector> Shaded()
    {
        TPlugin* plugin = nullptr;
        g_pPluginManager->TryFindPlugin(plugin, TName("TTerrainSettingsShd", true), g_NameShaderParameterPlugin);
        EXPECT_NE(plugin, nullptr);
        TVectorsParameter parameter;
        static_cast<TShaderParameterPlugin*>(plugin)->Apply(nullptr, nullptr, &parameter, nullptr, nullptr);
        return parameter.aVector;
    }
    static std::vector<f32> Block(f32 first)
    {
        std::vector<f32> block(TERRAIN_SETTINGS_VECTORS * 4 + 8);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = first + static_cast<f32>(i);
        return block;
    }

    TScratchWorkingFolder m_Folder{"terrain"};
};

// A whole block reaches the shaders and comes back as the manager's data; a short one is copied
// only as far as it goes, a long one only to 768 bytes.
TEST_F(TerrainTest, WholeBlocksReachTheShadersAndShortOrLongOnesAreCopiedAsFarAsTheyFit)
{
    const std::vector<f32> whole = Block(1.0f);
    EXPECT_EQ(g_pTerrainManager->SetData(0, whole.data(), 768), 0);
    EXPECT_EQ(Shaded()[47].w, 192.0f);
    void* data = nullptr;
    i32 size = 0;
    EXPECT_EQ(g_pTerrainManager->GetData(0, data, size), 0);
    EXPECT_EQ(size, 768);
    EXPECT_EQ(static_cast<const f32*>(data)[5], 6.0f);
    EXPECT_EQ(m_Folder.SystemLog().find("TTerrainManager"), std::string::npos);
    const std::vector<f32> part = Block(1000.0f);
    EXPECT_EQ(g_pTerrainManager->SetData(0, part.data(), 20), 0);
    const std::vector<TVector> vectors = Shaded();
    // Beyond the 20 bytes (the second vector's y): as it was.
    EXPECT_EQ(std::vector<f32>({vectors[0].x, vectors[1].x, vectors[1].y}), std::vector<f32>({1000.0f, 1004.0f, 6.0f}));
    EXPECT_NE(m_Folder.SystemLog().find("settings block of 20 bytes (768 expected): 20 bytes taken"), std::string::npos);
    // The one float past the block is never read into the settings.
    EXPECT_EQ(g_pTerrainManager->SetData(0, part.data(), 772), 0);
    EXPECT_EQ(Shaded()[47].w, 1191.0f);
    EXPECT_EQ(g_pTerrainManager->SetData(0, part.data(), -4), 1);
    EXPECT_EQ(g_pTerrainManager->SetData(1, part.data(), 768), 1);
}
} // namespace
