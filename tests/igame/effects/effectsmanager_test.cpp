// The effects manager's settings and their transitions: advancing a transition (what blends,
// what switches at the end), the atmospheres' cross-fade, the console command, the data block,
// a state round trip mid-transition and damaged blocks, and the ambient-occlusion size factor.
#include "core/stream/memorystream.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/effectsmanager.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class EffectsManagerTest : public ::testing::Test
{
protected:
    EffectsManagerTest()
    {
        m_Calm.nName = TName("Effects", true).GetId();
        m_Calm.nFlags = EFFECT_FLAG_HAZE;
        m_Calm.aHaze[0][0] = 0.2f;
        m_Calm.aHaze[1][3] = 0.5f;
        m_Calm.aWeather[0] = 2.0f;
        m_Rain = m_Calm;
        m_Rain.nName = TName("Effects_Rain", true).GetId();
        m_Rain.nFlags = EFFECT_FLAG_HAZE | EFFECT_FLAG_DOF;
        m_Rain.fTransitionTime = 10.0f;
        m_Rain.aHaze[0][0] = 0.6f;
        m_Rain.aWeather[0] = 4.0f;
        m_Rain.aAtmosphere[0] = 0.7f;
        m_Rain.aAtmosphere[1] = 1.0f;
        Manager().Settings().Add(&m_Calm);
        Manager().Settings().Add(&m_Rain);
        Manager().Transition().Start(m_Calm, 0.0f);
    }
    ~EffectsManagerTest() override
    {
        Manager().Settings().SetCount(0);
        Manager().Transition().Start(TEffectSettings(), 0.0f);
    }

    static TEffectsManager& Manager() { return *g_pEffectsManager; }
    static TEffectSettings& Current() { return Manager().Transition().Current(); }
    static void Run(const char* line) { TCommandManager::Instance().ExecuteText(line); }

    TScratchWorkingFolder m_Folder{"effects"};
    TEffectSettings m_Calm;
    TEffectSettings m_Rain;
};

TEST_F(EffectsManagerTest, ATransitionBlendsItsFieldsAndSwitchesFlagsAtTheEnd)
{
    TEffectTransition& t = Manager().Transition();
    t.Start(m_Rain, -1.0f);
    ASSERT_EQ(t.IsRunning(), 1u);
    EXPECT_EQ(t.GetDuration(), 10.0f);
    Manager().UpdateManager(2.5f);
    // A quarter of the way: blended values move, the flags and name are the old record's.
    // The atmosphere has the blended cloud density and rain.
    for (auto [value, expected] : {std::pair{Current().aHaze[0][0], 0.3f}, {Current().aWeather[0], 4.0f * 0.25f + 2.0f * 0.75f},
                                   {Current().aHaze[1][3], 1.0f}, {Current().aAtmosphere[0], 0.175f},
                                   {g_pAtmosphereManager->GetCloudDensity(), 0.175f}, {g_pAtmosphereManager->GetRain(), 0.25f}})
        EXPECT_FLOAT_EQ(value, expected);
    EXPECT_TRUE(Current().nFlags == m_Calm.nFlags && Current().nName == m_Calm.nName);
    Manager().UpdateManager(7.5f);
    EXPECT_EQ(t.IsRunning(), 0u);
    EXPECT_EQ(t.GetClock(), 0.0f);
    EXPECT_EQ(Current().nFlags, m_Rain.nFlags);
    EXPECT_EQ(Current().aHaze[0][0], 0.6f);
    // The record's own w, not the forced one, once it is the current record.
    EXPECT_EQ(Current().aHaze[1][3], 0.5f);
}

// Atmospheres both records name cross-fade with the transition; with one record naming none,
// every weight stays as it was.
TEST_F(EffectsManagerTest, AtmospheresCrossFadeOnlyWhenBothRecordsNameOne)
{
    g_ManagerManager.Initialize();
    TNode dayNode, rainNode;
    dayNode.m_Name = TName("sky_day", true);
    rainNode.m_Name = TName("sky_rain", true);
    TAtmosphere day, rain;
    dayNode.AddObject(&day);
    rainNode.AddObject(&rain);
    g_pAtmosphereManager->Atmospheres().Add(&day);
    g_pAtmosphereManager->Atmospheres().Add(&rain);
    day.m_fWeight = 0.4f;
    rain.m_fWeight = 0.6f;

    m_Rain.CrossFade.nUserId = rainNode.m_Name.GetId();
    Manager().Transition().Start(m_Rain, 4.0f);
    Manager().UpdateManager(1.0f);
    EXPECT_EQ(day.m_fWeight, 0.4f);
    EXPECT_EQ(rain.m_fWeight, 0.6f);
    Manager().UpdateManager(3.0f);
    EXPECT_EQ(day.m_fWeight, 0.4f);
    EXPECT_EQ(rain.m_fWeight, 0.6f);

    // From the rain (now current) to a clear record naming the day: the rain fades out.
    m_Calm.CrossFade.nUserId = dayNode.m_Name.GetId();
    Manager().Transition().Start(m_Calm, 4.0f);
    Manager().UpdateManager(1.0f);
    EXPECT_FLOAT_EQ(rain.m_fWeight, 0.75f);
    EXPECT_FLOAT_EQ(day.m_fWeight, 0.25f);
    Manager().UpdateManager(3.0f);
    EXPECT_EQ(rain.m_fWeight, 0.0f);
    EXPECT_EQ(day.m_fWeight, 1.0f);

    // The records' links let go of these atmospheres before they go.
    Manager().Transition().Start(TEffectSettings(), 0.0f);
    Manager().Transition().Reset();
    g_pAtmosphereManager->Atmospheres().SetCount(0);
    dayNode.DeleteObject(&day);
    rainNode.DeleteObject(&rain);
}

TEST_F(EffectsManagerTest, TheCommandNeedsOneKnownNameAndStartsItsTransition)
{
    Run("effect.transition");
    Run("effect.transition Effects_Rain Effects");
    Run("effect.transition Effects_Snow");
    EXPECT_EQ(Manager().Transition().IsRunning(), 0u);
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(log.find("command does not take 0 parameter (1 expected)"), std::string::npos) << log;
    EXPECT_NE(log.find("command does not take 2 parameter (1 expected)"), std::string::npos);
    EXPECT_NE(log.find("effects not found"), std::string::npos);
    Run("effect.transition Effects_Rain");
    EXPECT_EQ(Manager().Transition().IsRunning(), 1u);
    EXPECT_EQ(Manager().Transition().GetDuration(), 10.0f);
}

TEST_F(EffectsManagerTest, TheDataBlockIsTheCurrentRecordAndRefusesOtherSizes)
{
    void* data = nullptr;
    i32 size = 0;
    EXPECT_EQ(Manager().GetData(0, data, size), 0);
    EXPECT_TRUE(data == &Current() && size == 244);
    EXPECT_EQ(Manager().SetData(0, &m_Rain, 243), 1);
    EXPECT_EQ(Current().nName, m_Calm.nName);
    EXPECT_NE(m_Folder.SystemLog().find("settings block of 243 bytes (244 expected) refused"), std::string::npos);
    EXPECT_EQ(Manager().SetData(0, &m_Rain, 244), 0);
    EXPECT_EQ(Current().nName, m_Rain.nName);
}

TEST_F(EffectsManagerTest, TheStateKeepsATransitionMidwayAndRefusesADamagedBlock)
{
    TEffectTransition& t = Manager().Transition();
    t.Start(m_Rain, 4.0f);
    Manager().UpdateManager(1.0f);
    TMemoryStream other;
    EXPECT_EQ(Manager().SaveState(2, other), 0);
    EXPECT_EQ(other.GetSize(), 0);
    TMemoryStream saved;
    ASSERT_EQ(Manager().SaveState(EFFECTS_STATE_PASS, saved), 0);
    ASSERT_EQ(saved.GetSize(), 744);
    std::vector<u8> block(saved.GetData(), saved.GetData() + 744);

    t.Start(m_Calm, 0.0f);
    saved.Seek(0, 0);
    ASSERT_EQ(Manager().LoadState(EFFECTS_STATE_PASS, saved), 0);
    EXPECT_EQ(t.IsRunning(), 1u);
    EXPECT_EQ(t.GetClock(), 1.0f);
    EXPECT_FLOAT_EQ(Current().aHaze[0][0], 0.3f);
    Manager().UpdateManager(3.0f);
    EXPECT_EQ(Current().nFlags, m_Rain.nFlags);

    // A short block and a running flag of 2 are refused; what runs stays.
    const auto load = [](const std::vector<u8>& bytes, i32 size) {
        TMemoryStream stream;
        stream.Write(bytes.data(), size);
        stream.Seek(0, 0);
        return Manager().LoadState(EFFECTS_STATE_PASS, stream);
    };
    EXPECT_EQ(load(block, 743), 1);
    block[4] = 2;
    EXPECT_EQ(load(block, 744), 1);
    EXPECT_EQ(t.IsRunning(), 0u);
    EXPECT_EQ(Current().nFlags, m_Rain.nFlags);
    EXPECT_NE(m_Folder.SystemLog().find("damaged effect transition block refused"), std::string::npos);
}

TEST_F(EffectsManagerTest, TheOcclusionFactorIsKeptWithinItsRange)
{
    // Both ends and just past them; a text is no factor.
    for (auto [value, kept] : {std::pair{"5", 1.0f}, {"1", 1.0f}, {"1.01", 1.0f}, {"0", 0.1f}, {"0.1", 0.1f},
                               {"0.09", 0.1f}, {"0.3", 0.3f}, {"\"half\"", 0.1f}})
    {
        Run(("set ambient.occlusion.rtsizefactor " + std::string(value)).c_str());
        EXPECT_FLOAT_EQ(Manager().GetAmbientOcclusionFactor(), kept) << value;
    }
    Run("set ambient.occlusion.rtsizefactor 0.5");
}
} // namespace
