// Lights and light sets: counts per type as nodes switch lights on and off, the totals as the
// manager's data block, and damaged stored lights.
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class LightTest : public ::testing::Test
{
protected:
    LightTest()
    {
        g_ManagerManager.Initialize();
        node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        light.m_nType = LIGHT_SPOT;
        light.pLightSet = &set;
        node.AddObject(&light);
        g_pLightManager->LightSets().Add(&set);
        g_pLightManager->LightSets().Add(&other);
    }
    ~LightTest() override
    {
        node.DeleteObject(&light);
        g_pLightManager->LightSets().SetCount(0);
        g_pLightManager->Lights().SetCount(0);
        const i32 zero[LIGHT_TYPE_COUNT] = {};
        g_pLightManager->SetData(0, zero, sizeof zero);
        TCommandManager::Instance().FindVariable(TName("light.optimization"))->SetInt(LIGHT_OPTIMIZATION_DEFAULT);
    }
    i32 Total(u32 type) const { return g_pLightManager->GetTotal(type); }

    TScratchWorkingFolder folder{"light"};
    bool Logged(const std::string& text) const { return folder.SystemLog().find(text) != std::string::npos; }
    TNode node;
    TLight light;
    TLightSet set{0, 0, {}};
    TLightSet other{LIGHT_SET_ON, 0, {}};
};

TEST_F(LightTest, NodesCountTheirLightsInTheSetAndInTheTotalsWhileTheSetIsOnAndRefusedLightsNever)
{
    const auto cycle = [&] {
        node.Enable(0, 0);
        node.Enable(1, 0);
    };
    cycle();
    EXPECT_EQ(set.m_aLightCount[LIGHT_SPOT], 1u);
    EXPECT_EQ(Total(LIGHT_SPOT), 0); // the set is off
    set.Enable();
    EXPECT_EQ(Total(LIGHT_SPOT), 1);
    node.Enable(0, 0);
    EXPECT_EQ(set.m_aLightCount[LIGHT_SPOT], 0u);
    EXPECT_EQ(Total(LIGHT_SPOT), 0);
    // Type 6, an unknown type and a negative range never count.
    for (const auto& [type, range] : {std::pair{LIGHT_UNCOUNTED, 1.0f}, {9, 1.0f}, {LIGHT_POINT, -1.0f}})
    {
        light.m_nType = type;
        light.m_fRange = range;
        cycle();
        node.Enable(0, 0);
    }
    for (u32 type = 0; type < LIGHT_TYPE_COUNT; ++type)
        EXPECT_EQ(set.m_aLightCount[type] + Total(type), 0u) << type;
    // A light without a set is counted nowhere, and is on whenever its node is.
    light.m_nType = LIGHT_SPOT;
    light.pLightSet = nullptr;
    node.Enable(1, 0);
    EXPECT_EQ(Total(LIGHT_SPOT), 0);
    EXPECT_EQ(light.IsOn(), 1u);
    node.Enable(0, 0);
    EXPECT_EQ(light.IsOn(), 0u);
}

TEST_F(LightTest, CountsThatWouldGoBelowZeroStayAtZeroAfterALogLine)
{
    set.Enable();
    node.Enable(0, 0); // enabled in stored data without being counted
    EXPECT_EQ(set.m_aLightCount[LIGHT_SPOT], 0u);
    EXPECT_EQ(Total(LIGHT_SPOT), 0);
    EXPECT_TRUE(Logged("light set count of type 3 would go below 0"));
    // Counted in its set but not in the totals (the set marked on in stored data).
    node.Enable(1, 0);
    const i32 zero[LIGHT_TYPE_COUNT] = {};
    g_pLightManager->SetData(0, zero, sizeof zero);
    node.Enable(0, 0);
    EXPECT_EQ(set.m_aLightCount[LIGHT_SPOT], 0u);
    EXPECT_EQ(Total(LIGHT_SPOT), 0);
    EXPECT_TRUE(Logged("light total of type 3 would go below 0"));
    // A set on in stored data, its counts never added, switched off by an exclusive one.
    other.m_aLightCount[LIGHT_POINT] = 5;
    TLightSet exclusive{LIGHT_SET_EXCLUSIVE, 0, {}};
    g_pLightManager->LightSets().Add(&exclusive);
    exclusive.Enable();
    EXPECT_EQ(Total(LIGHT_POINT), 0);
    EXPECT_TRUE(Logged("light total of type 2 would go below 0 (-5): kept at 0"));
}

TEST_F(LightTest, TheTotalsAreOneBlockOf24BytesAndDamagedBlocksAreRefused)
{
    EXPECT_EQ(g_pLightManager->GetDataCount(), 1);
    const i32 stored[LIGHT_TYPE_COUNT] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(g_pLightManager->SetData(0, stored, sizeof stored), 0);
    void* data = nullptr;
    i32 size = 0;
    EXPECT_EQ(g_pLightManager->GetData(0, data, size), 0);
    EXPECT_EQ(size, 24);
    EXPECT_EQ(std::memcmp(data, stored, sizeof stored), 0);
    // A block of another size leaves the totals as they were.
    EXPECT_EQ(g_pLightManager->SetData(0, stored, 20), 1);
    EXPECT_EQ(g_pLightManager->SetData(0, stored, 28), 1);
    EXPECT_TRUE(Logged("block 0 of 20 bytes is not the 24-byte light totals"));
    // 0 is the last total taken, -1 the first refused.
    const i32 negative[LIGHT_TYPE_COUNT] = {0, -1, 0, 0, 0, 0};
    EXPECT_EQ(g_pLightManager->SetData(0, negative, sizeof negative), 0);
    EXPECT_EQ(Total(LIGHT_DIRECTIONAL), 0);
    EXPECT_EQ(Total(LIGHT_AMBIENT), 0);
    EXPECT_TRUE(Logged("stored light total of type 1 is -1: taken as 0"));
    EXPECT_FALSE(Logged("stored light total of type 0"));
}

TEST_F(LightTest, LoadedArraysMakeTheFirstSetCurrentAndNameDamagedLights)
{
    g_pLightManager->SetArray(LightSetDecl().GetTypeId(), nullptr, 2);
    EXPECT_EQ(g_pLightManager->GetCurrentLightSet(), &set);
    node.m_Name = TName("floodlight", true);
    light.m_fRange = -2.0f;
    TLight unknown;
    unknown.m_nType = 7;
    g_pLightManager->Lights().Add(&light);
    g_pLightManager->Lights().Add(&unknown);
    g_pLightManager->OnClusterLoad();
    EXPECT_TRUE(Logged("light 0 ('floodlight') of type 3 and range -2 is neither counted nor drawn"));
    EXPECT_TRUE(Logged("light 1 ('') of type 7 and range 1 is neither counted nor drawn"));
}

} // namespace
