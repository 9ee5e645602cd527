// Environments: the zone that holds a position, the fade towards the global environment, ties, and
// damaged stored zones.
#include "engine/render/environmentmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/translation.h"
#include "support/recordingdevice.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <deque>

namespace
{
class EnvironmentTest : public ::testing::Test
{
protected:
    EnvironmentTest() { g_ManagerManager.Initialize(); }
    ~EnvironmentTest() override
    {
        for (TEnvironment& zone : m_aZone)
            zone.pNode->DeleteObject(&zone);
        g_pEnvironmentManager->Environments().SetCount(0);
    }

    // An environment at x on the x axis (the first one added is the global one).
    TEnvironment& Add(f32 x, f32 radius, f32 fade, TTexture* texture)
    {
        TNode& node = m_aNode.emplace_back();
        node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        node.SetLocalMatrix(Translation(x, 0.0f, 0.0f), TNode::OrdinaryCause());
        TEnvironment& zone = m_aZone.emplace_back();
        node.AddObject(&zone);
        zone.m_fInnerRadius = radius;
        zone.m_fFadeRange = fade;
        zone.pTexture = texture;
        g_pEnvironmentManager->Environments().Add(&zone);
        return zone;
    }
    static TEnvironmentChoice At(f32 x) { return g_pEnvironmentManager->ChooseEnvironment(TVector(x, 0, 0, 1)); }

    TScratchWorkingFolder m_Folder{"environment"};
    bool Logged(const std::string& text) const { return m_Folder.SystemLog().find(text) != std::string::npos; }
    TRecordingTexture m_Global{"global"}, m_Local{"local"}, m_Other{"other"};
    std::deque<TNode> m_aNode;
    std::deque<TEnvironment> m_aZone;
};

TEST_F(EnvironmentTest, AZoneHoldsInsideItsRadiusFadesOverItsRangeAndTheLaterOfTwoWinsATie)
{
    const auto expect = [](f32 x, TTexture* a, TTexture* b, f32 factor) {
        const TEnvironmentChoice choice = At(x);
        EXPECT_EQ(choice.pA, a) << x;
        EXPECT_EQ(choice.pB, b) << x;
        EXPECT_FLOAT_EQ(choice.fFactor, factor) << x;
    };
    // Without zones nothing; the global environment alone gives its texture, if it has one.
    expect(0.0f, nullptr, nullptr, 0.0f);
    TEnvironment& global = Add(0.0f, 0.0f, 0.0f, nullptr);
    expect(5.0f, nullptr, nullptr, 0.0f);
    global.pTexture = &m_Global;
    expect(5.0f, &m_Global, nullptr, 1.0f);
    Add(100.0f, 10.0f, 20.0f, &m_Local);
    expect(95.0f, &m_Local, nullptr, 1.0f);
    // Beyond the radius the factor is the distance over the fade range, with the global texture;
    // at the range's end the zone no longer reaches.
    expect(125.0f, &m_Local, &m_Global, 0.75f);
    expect(129.0f, &m_Local, &m_Global, 0.95f);
    expect(130.0f, &m_Global, nullptr, 1.0f);
    Add(120.0f, 10.0f, 20.0f, &m_Other);
    EXPECT_EQ(At(110.0f).pA, &m_Other);
    EXPECT_EQ(At(109.0f).pA, &m_Local);
}

TEST_F(EnvironmentTest, DamagedZonesAreNamedOnceAndNeitherCrashNorReachTooFar)
{
    Add(0.0f, 0.0f, 0.0f, &m_Global);
    Add(100.0f, -10.0f, 20.0f, &m_Local);
    Add(-100.0f, 10.0f, -20.0f, &m_Other);
    Add(300.0f, 10.0f, 20.0f, nullptr);
    g_pEnvironmentManager->OnClusterLoad();
    EXPECT_TRUE(Logged("environment 1 ('') has a negative radius: taken as 0"));
    EXPECT_TRUE(Logged("environment 2 ('') has a negative fade range: it is never chosen"));
    EXPECT_TRUE(Logged("environment 3 ('') has no texture: it reflects nothing"));
    // A negative radius starts the zone at its centre.
    EXPECT_EQ(At(100.0f).pA, &m_Local);
    EXPECT_FLOAT_EQ(At(110.0f).fFactor, 0.5f);
    EXPECT_EQ(At(-100.0f).pA, &m_Global);
    // Inside the textureless zone: no reflection from it.
    EXPECT_EQ(At(300.0f).pA, nullptr);
}

} // namespace
