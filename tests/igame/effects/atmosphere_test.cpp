// Atmosphere changes: a timed blend ending exactly on its target, weighing the skies and the
// blend meshes; stored sky keys, records and vertex pools cut or refused; the transition's
// console and the time of day.
#include "engine/render/mesh.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/atmospherevertexpool.h"
#include "igame/effects/skyelement.h"
#include "engine/system/repository.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"
#include "vegetation/loglines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

class AtmosphereChanges : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Change.pDay = &m_Day;
        m_Change.pNight = &m_Night;
        m_Change.m_fDuration = 4.0f;
        m_Change.aDayMeshBlend.Add(&m_DayMesh);
        m_Change.aNightMeshBlend.Add(&m_NightMesh);
        m_NightMesh.m_fBlendOffset = 5.0f;
    }
    // The day sky's and the day and night blend meshes' weights.
    std::vector<f32> Weights() const
    {
        return {m_Day.m_fWeight, m_DayMesh.m_fBlendWeight, m_NightMesh.m_fBlendWeight, m_NightMesh.m_fBlendOffset};
    }

    TAtmosphere m_Day;
    TAtmosphere m_Night;
    TMesh m_DayMesh;
    TMesh m_NightMesh;
    TAtmosphereChange m_Change;
};
} // namespace

TEST_F(AtmosphereChanges, ATimedBlendStepsOverTheDurationAndEndsExactlyOnItsTarget)
{
    m_Change.SetBlend(0.3f, 1);
    m_Change.SetBlend(1.0f, 0);
    EXPECT_TRUE(m_Change.IsMoving());
    EXPECT_EQ(m_Change.GetBlend(), 0.3f);
    m_Change.Step(1.0f);
    EXPECT_FLOAT_EQ(m_Change.GetBlend(), 0.3f + 0.25f * 0.7f);
    EXPECT_FLOAT_EQ(m_Night.m_fWeight, m_Change.GetBlend());
    // Steps that do not add up to the duration exactly still end on the target.
    for (i32 i = 0; i < 10; ++i)
        m_Change.Step(0.33f);
    EXPECT_EQ(m_Change.GetBlend(), 1.0f);
    EXPECT_FALSE(m_Change.IsMoving());
    EXPECT_EQ(Weights(), std::vector<f32>({0.0f, 0.0f, 1.0f, 0.0f}));
    m_Change.SetBlend(0.0f, 0);
    m_Change.Step(100.0f);
    EXPECT_EQ(Weights(), std::vector<f32>({1.0f, 1.0f, 0.0f, 0.0f}));
    // A change without a duration ends at its first step.
    m_Change.m_fDuration = 0.0f;
    m_Change.SetBlend(1.0f, 0);
    m_Change.Step(0.0f);
    EXPECT_EQ(m_Change.GetBlend(), 1.0f);
}

TEST(SkyColorKeys, NoKeyWritesNothingAndACountAbove48ReadsOnly48)
{
    TAtmosphere sky;
    TVector light(9.0f, 9.0f, 9.0f, 9.0f), a = light, b = light;
    EXPECT_EQ(sky.LookUpColors(0.5f, light, a, b), 0u);
    EXPECT_EQ(light.x, 9.0f);
    sky.m_nColorKeyCount = 3;
    sky.aLightColorKey[0] = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    sky.aLightColorKey[1] = TVector(1.0f, 0.5f, 0.0f, 0.0f);
    sky.aLightColorKey[2] = TVector(0.0f, 0.0f, 1.0f, 0.0f);
    ASSERT_EQ(sky.LookUpColors(0.25f, light, a, b), 1u);
    EXPECT_FLOAT_EQ(light.x, 0.5f);
    EXPECT_EQ(light.w, 1.0f);
    ASSERT_EQ(sky.LookUpColors(1.0f, light, a, b), 1u);
    EXPECT_EQ(light.z, 1.0f);
    sky.m_nColorKeyCount = 200;
    sky.aLightColorKey[47] = TVector(0.25f, 0.0f, 0.0f, 0.0f);
    ASSERT_EQ(sky.LookUpColors(1.0f, light, a, b), 1u);
    EXPECT_EQ(light.x, 0.25f);
}

TEST(SkyRecords, CountsAboveCapacityAreCut)
{
    TAtmosphere sky;
    sky.aStars.SetCount(ATMOSPHERE_STAR_CAPACITY);
    EXPECT_EQ(sky.CutCounts(), 0u);
    // A damaged record's count: the first refused is one past the capacity.
    reinterpret_cast<u32&>(sky.aStars) = ATMOSPHERE_STAR_CAPACITY + 1;
    EXPECT_EQ(sky.CutCounts(), 1u);
    EXPECT_EQ(sky.aStars.GetCount(), ATMOSPHERE_STAR_CAPACITY);
    TAtmosphereChange change;
    reinterpret_cast<u32&>(change.aDayLight) = ATMOSPHERE_CHANGE_ENTRIES;
    EXPECT_EQ(change.CutCounts(), 0u);
    reinterpret_cast<u32&>(change.aDayLight) = ATMOSPHERE_CHANGE_ENTRIES + 1;
    EXPECT_EQ(change.CutCounts(), 1u);
    EXPECT_EQ(change.aDayLight.GetCount(), ATMOSPHERE_CHANGE_ENTRIES);
}

TEST(SkyVertexPool, ABlockMustHoldItsTableAndWholeVertices)
{
    TScratchWorkingFolder folder{"skypool"};
    TLogLines lines;
    // One template of two vertices; the broken block has one byte more.
    std::vector<u8> block(sizeof(TSkyElementTemplate) + 2 * sizeof(TSkyVertex) + 1, 0);
    const TSkyElementTemplate quad = {0, 2};
    std::memcpy(block.data(), &quad, sizeof quad);
    TSkyVertex corner = {};
    corner.x = 1.0f;
    std::memcpy(block.data() + sizeof quad + sizeof(TSkyVertex), &corner, sizeof corner);
    TRepositoryWriter writer(72, REPOSITORY_STREAMED);
    TAtmosphereVertexPool whole, broken;
    whole.m_Name = TName("quads", true);
    broken.m_Name = TName("broken", true);
    whole.m_nTemplateCount = broken.m_nTemplateCount = 1;
    writer.AddBlock(&whole, block.data(), static_cast<u32>(block.size() - 1));
    writer.AddBlock(&broken, block.data(), static_cast<u32>(block.size()));
    ASSERT_TRUE(writer.Write("sky.data", nullptr, 0, false));
    TRepository repository(72, REPOSITORY_STREAMED, TName("sky.data", true));
    ASSERT_TRUE(repository.OpenStreamed("sky.data", false));
    whole.SetData(&repository, whole.m_nDataOffset, whole.m_nDataSize);
    broken.SetData(&repository, broken.m_nDataOffset, broken.m_nDataSize);

    TSkyElement element = {};
    element.World = TMatrix(1.0f);
    TSkyVertex out[2] = {};
    const TVector eye(0.0f, 10.0f, 0.0f, 1.0f);
    // Not loaded: nothing drawn.
    EXPECT_EQ(whole.Instance(element, eye, out, 2), 0u);
    whole.Load();
    EXPECT_EQ(whole.GetPoolVertexCount(), 2u);
    EXPECT_EQ(whole.Instance(element, eye, out, 1), 0u);
    ASSERT_EQ(whole.Instance(element, eye, out, 2), 2u);
    EXPECT_EQ(out[1].x, 1.0f);
    EXPECT_EQ(out[1].y, 10.0f);
    broken.Load();
    EXPECT_EQ(broken.GetTemplateCount(), 0u);
    EXPECT_EQ(broken.GetPoolVertexCount(), 0u);
    EXPECT_EQ(lines.Count("'broken': a block of 65 bytes is no table"), 1u);
    whole.Release();
    EXPECT_EQ(whole.Instance(element, eye, out, 2), 0u);
}

TEST(AtmosphereConsole, ATransitionWithoutAChangeSaysSoAndChangesNothing)
{
    TScratchWorkingFolder folder{"skyconsole"};
    TVariable* transition = TCommandManager::Instance().FindVariable(TName("atmosphere.transition"));
    ASSERT_NE(transition, nullptr);
    ASSERT_EQ(g_pAtmosphereManager->GetFirstChange(), nullptr);
    TLogLines lines;
    transition->SetFloat(1.0f);
    EXPECT_EQ(lines.Count("no atmosphere transition exists"), 1u);
    // With a change: a timed blend to the value held within [0, 1].
    TAtmosphere day, night;
    TAtmosphereChange change;
    change.pDay = &day;
    change.pNight = &night;
    change.m_fDuration = 2.0f;
    g_pAtmosphereManager->Changes().Add(&change);
    transition->SetFloat(3.0f);
    change.Step(2.0f);
    EXPECT_EQ(change.GetBlend(), 1.0f);
    EXPECT_EQ(lines.Count("no atmosphere transition exists"), 1u);
    g_pAtmosphereManager->Changes().SetCount(0);
}

TEST(AtmosphereConsole, TheTimeOfDayIsHeldWithinADay)
{
    TVariable* time = TCommandManager::Instance().FindVariable(TName("atmosphere.timeofday"));
    ASSERT_NE(time, nullptr);
    for (auto [given, held] : {std::pair{0.9f, 0.9f}, {1.0f, 1.0f}, {1.5f, 1.0f}, {-0.25f, 0.0f}})
    {
        time->SetFloat(given);
        EXPECT_EQ(g_pAtmosphereManager->GetTimeOfDay(), held) << given;
    }
    time->SetFloat(0.0f);
}
