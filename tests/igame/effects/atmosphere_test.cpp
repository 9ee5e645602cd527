// Atmosphere changes: the blend set at once or over the change's duration, ending exactly on
// its target, weighting the day and the night sky; the stored layouts' reference fields; the
// sky's frame update (the sun, the cloud override, the clouds) and the transition's console.
#include "core/cluster/cluster.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
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

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace
{
struct TFieldAt
{
    u32 nOffset;
    u32 nType;
    u32 nCount;
};

TFieldAt Field(const TClusterTypeDecl& decl, const std::string& name)
{
    for (u32 i = 0; i < decl.GetMemberCount(); ++i)
        if (name == decl.GetMember(i).szName)
            return {decl.GetMember(i).nOffset, decl.GetMember(i).nTypeId, decl.GetMember(i).nCount};
    return {0, 0, 0};
}

class AtmosphereChanges : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Change.pDay = &m_Day;
        m_Change.pNight = &m_Night;
        m_Change.m_fDuration = 4.0f;
    }

    TAtmosphere m_Day;
    TAtmosphere m_Night;
    TAtmosphereChange m_Change;
};
} // namespace

TEST_F(AtmosphereChanges, ABlendSetAtOnceWeightsBothSkies)
{
    m_Change.SetBlend(0.25f, 1);
    EXPECT_EQ(m_Change.GetBlend(), 0.25f);
    EXPECT_FALSE(m_Change.IsMoving());
    EXPECT_EQ(m_Night.m_fWeight, 0.25f);
    EXPECT_EQ(m_Day.m_fWeight, 0.75f);
    m_Change.SetBlend(7.0f, 1);
    EXPECT_EQ(m_Change.GetBlend(), 1.0f);
    m_Change.SetBlend(-1.0f, 1);
    EXPECT_EQ(m_Change.GetBlend(), 0.0f);
    EXPECT_EQ(m_Day.m_fWeight, 1.0f);
}

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
    EXPECT_EQ(m_Day.m_fWeight, 0.0f);
    m_Change.SetBlend(0.0f, 0);
    m_Change.Step(100.0f);
    EXPECT_EQ(m_Change.GetBlend(), 0.0f);
    // A change without a duration ends at its first step.
    m_Change.m_fDuration = 0.0f;
    m_Change.SetBlend(1.0f, 0);
    m_Change.Step(0.0f);
    EXPECT_EQ(m_Change.GetBlend(), 1.0f);
}

TEST_F(AtmosphereChanges, TheManagerStepsEveryChangeAndAppliesThemWhenALevelLoads)
{
    g_ManagerManager.Initialize();
    g_pCluster->LinkTypes();
    TAtmosphereChange other;
    g_pAtmosphereManager->Changes().Add(&m_Change);
    g_pAtmosphereManager->Changes().Add(&other);
    EXPECT_EQ(g_pAtmosphereManager->GetFirstChange(), &m_Change);
    m_Change.m_fBlend = 0.5f;
    g_pAtmosphereManager->OnClusterLoad();
    EXPECT_EQ(m_Night.m_fWeight, 0.5f);
    m_Change.SetBlend(1.0f, 0);
    g_pAtmosphereManager->UpdateManager(2.0f);
    EXPECT_FLOAT_EQ(m_Change.GetBlend(), 0.75f);
    g_pCluster->Clear();
    EXPECT_EQ(g_pAtmosphereManager->GetFirstChange(), nullptr);
}

TEST(AtmosphereTypes, TheStoredLayoutsCarryTheirReferencesWhereTheImagesHaveThem)
{
    g_pCluster->LinkTypes();
    EXPECT_EQ(g_pCluster->GetSlot(97).pDecl->GetObjectSize(), 9148u);
    EXPECT_EQ(g_pCluster->GetSlot(98).pDecl->GetObjectSize(), 172u);
    // Offset, type (0: not pinned) and count of each reference field.
    const struct
    {
        const TClusterTypeDecl& decl;
        const char* name;
        u32 offset, type, count;
    } fields[] = {{AtmosphereDecl(), "pMeshData", 16, 42, 1},        {AtmosphereDecl(), "pLight", 56, 0, 1},
                  {AtmosphereDecl(), "pSun", 2368, 0, 1},            {AtmosphereDecl(), "aSkyElement", 2376, 0, 512},
                  {AtmosphereDecl(), "aAmbientCloud", 4428, 0, 0},   {AtmosphereDecl(), "aRainCloud", 6480, 0, 0},
                  {AtmosphereDecl(), "aStars", 8532, 0, 128},        {AtmosphereChangeDecl(), "pDay", 4, 97, 1},
                  {AtmosphereChangeDecl(), "aNightLight", 12, 50, 0}, {AtmosphereChangeDecl(), "aDayLight", 48, 0, 0},
                  {AtmosphereChangeDecl(), "aDayMeshBlend", 84, 0, 0}, {AtmosphereChangeDecl(), "aNightMeshBlend", 120, 0, 8}};
    for (const auto& f : fields)
    {
        const TFieldAt at = Field(f.decl, f.name);
        EXPECT_EQ(at.nOffset, f.offset) << f.name;
        EXPECT_TRUE(f.type == 0 || at.nType == f.type) << f.name;
        EXPECT_TRUE(f.count == 0 || at.nCount == f.count) << f.name;
    }
}

TEST(SkyFormulas, NightFactorCloudInfluenceAndRainCloudsByDensity)
{
    for (auto [time, night] : {std::pair{0.5f, 0.0f}, {0.23f, 0.5f}, {0.0f, 1.0f}, {0.9f, 1.0f}, {0.78f, 0.5f}})
        EXPECT_NEAR(TAtmosphere::NightFactor(time), night, 1e-5f) << time;
    for (auto [density, influence] : {std::pair{0.55f, 0.5f}, {0.5f, 0.0f}, {0.7f, 1.0f}})
        EXPECT_NEAR(TAtmosphere::CloudInfluence(density), influence, 1e-5f) << density;
    // Without rain: all or none by s; with rain, every fourth, third, second ... cloud.
    for (auto [cloud, rain, s, shown] : {std::tuple{1u, 0.0f, 0.5f, 1u}, {1u, 0.0f, 0.49f, 0u}, {4u, 0.3f, 0.55f, 1u},
                                         {2u, 0.3f, 0.55f, 0u}, {2u, 0.3f, 0.75f, 1u}, {3u, 0.3f, 0.85f, 0u},
                                         {3u, 0.3f, 0.95f, 1u}, {0u, 0.3f, 0.5f, 0u}})
        EXPECT_EQ(TAtmosphere::RainCloudVisible(cloud, rain, s), shown) << cloud << " " << rain << " " << s;
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

    EXPECT_EQ(sizeof(TSkyElement), 152u);
    EXPECT_EQ(sizeof(TAtmosphereVertexPool), 108u);
    EXPECT_EQ(sizeof(TSkyVertex), 28u);
}

TEST(SkyVertexPool, ABlockMustHoldItsTableAndWholeVerticesAndABadTemplateIsSkippedOnce)
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
    element.m_nTemplate = 1;
    EXPECT_EQ(whole.Instance(element, eye, out, 2), 0u);
    EXPECT_EQ(whole.Instance(element, eye, out, 2), 0u);
    EXPECT_EQ(lines.Count("'quads': a sky element names template 1"), 1u);
    broken.Load();
    EXPECT_EQ(broken.GetTemplateCount(), 0u);
    EXPECT_EQ(broken.GetPoolVertexCount(), 0u);
    EXPECT_EQ(lines.Count("'broken': a block of 65 bytes is no table"), 1u);
    whole.Release();
    element.m_nTemplate = 0;
    EXPECT_EQ(whole.Instance(element, eye, out, 2), 0u);
}

namespace
{
// One dynamic sky updated by the manager as seen from an eye at the origin; the manager's
// time, density, rain and override are put back afterwards.
class SkyUpdate : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Sky.m_nSkyMode = ATMOSPHERE_DYNAMIC_SKY;
        m_Sun.Local = TMatrix(1.0f);
        m_Sky.pSun = &m_Sun;
    }
    void TearDown() override
    {
        Manager().SetTimeOfDay(0.0f);
        Manager().SetCloudsAndRain(0.0f, 0.0f);
        Manager().SetCloudOverride(ATMOSPHERE_NO_OVERRIDE);
        g_SkyParameters = {};
    }
    static TAtmosphereManager& Manager() { return *g_pAtmosphereManager; }
    void At(f32 time, f32 dt = 1.0f / 60.0f)
    {
        Manager().SetTimeOfDay(time);
        Manager().UpdateSky(m_Sky, dt, TMatrix(1.0f));
    }
    static TSkyElement Element(f32 x, f32 z)
    {
        TSkyElement element = {};
        element.Local = TMatrix(1.0f);
        element.World = TMatrix(1.0f);
        element.World.aRow[3] = TVector(x, 0.0f, z, 1.0f);
        return element;
    }

    TAtmosphere m_Sky;
    TSkyElement m_Sun = {};
};
} // namespace

TEST_F(SkyUpdate, TheSunCirclesWithTheDayAndRisesToItsNoonHeight)
{
    const TVector& sun = g_SkyParameters.SunOffset;
    // Midnight: 45 degrees below, behind the sky's forward axis; dawn and dusk on the horizon
    // to either side.
    const f32 h = 200.0f * std::sqrt(0.5f);
    for (auto [time, x, y, z, night] : {std::tuple{0.0f, 0.0f, -h, -200.0f, 1.0f}, {0.25f, -200.0f, 0.0f, 0.0f, 0.0f},
                                        {0.75f, 200.0f, 0.0f, 0.0f, 0.0f}, {0.5f, 0.0f, h, 200.0f, 0.0f}})
    {
        At(time);
        EXPECT_NEAR(sun.x, x, 1e-2f) << time;
        EXPECT_NEAR(sun.y, y, 1e-2f) << time;
        EXPECT_NEAR(sun.z, z, 1e-2f) << time;
        EXPECT_NEAR(g_SkyParameters.SunDirection.w, night, 1e-5f) << time;
    }
    // The sun element stands there, looking at the eye, and gives the sun's direction.
    EXPECT_EQ(m_Sun.World.aRow[3].y, sun.y);
    const TVector toEye = TVector(-sun.x, -sun.y, -sun.z, 0.0f).Normalized();
    EXPECT_NEAR(m_Sun.World.aRow[2].x, toEye.x, 1e-5f);
    EXPECT_NEAR(m_Sun.World.aRow[2].y, toEye.y, 1e-5f);
    EXPECT_NEAR(g_SkyParameters.SunDirection.y, toEye.y, 1e-5f);
}

TEST_F(SkyUpdate, AnOverrideReplacesTheCloudDensityEveryFrameAndNoneLeavesItAlone)
{
    // A key so the light colour is known: the shadow is 0.6 of it.
    m_Sky.m_nColorKeyCount = 1;
    m_Sky.aLightColorKey[0] = TVector(1.0f, 0.5f, 0.25f, 0.0f);
    Manager().SetCloudsAndRain(0.3f, 0.0f);
    At(0.5f);
    EXPECT_EQ(Manager().GetCloudDensity(), 0.3f);
    EXPECT_EQ(g_SkyParameters.CloudShadow.w, 0.0f);
    Manager().SetCloudOverride(0.55f);
    At(0.5f);
    EXPECT_EQ(Manager().GetCloudDensity(), 0.55f);
    EXPECT_NEAR(g_SkyParameters.CloudShadow.w, 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(g_SkyParameters.CloudShadow.y, 0.3f);
    // The effect settings write their density each frame; the override wins again.
    Manager().SetCloudsAndRain(0.1f, 0.0f);
    At(0.5f);
    EXPECT_EQ(Manager().GetCloudDensity(), 0.55f);
    Manager().SetCloudOverride(0.9f);
    At(0.5f);
    EXPECT_EQ(g_SkyParameters.CloudShadow.w, 1.0f);
}

TEST_F(SkyUpdate, CloudsDriftWrapAndSitOnTheirDomesAndAJumpInTimeScattersTheRainClouds)
{
    TSkyElement ambient = Element(0.0f, 1500.0f), last = Element(2999.0f, 0.0f);
    m_Sky.aAmbientCloud.Add(&ambient);
    m_Sky.aAmbientCloud.Add(&last);
    TSkyElement rain[4] = {Element(2999.0f, 0.0f), Element(2999.0f, 0.0f), Element(2000.0f, 0.0f),
                           Element(2999.0f, 0.0f)};
    for (TSkyElement& cloud : rain)
        m_Sky.aRainCloud.Add(&cloud);
    for (u32 k = 0; k < 4; ++k)
        rain[k].m_nVisible = 1;
    // Thick cloud and rain: every second cloud by its index shows after its wrap.
    Manager().SetCloudsAndRain(0.45f, 0.3f);
    At(0.5f, 2.0f);
    EXPECT_FLOAT_EQ(ambient.World.aRow[3].x, 3.0f);
    EXPECT_FLOAT_EQ(ambient.World.aRow[3].y, (1.0f - std::sqrt(9.0f + 1500.0f * 1500.0f) / 3000.0f) * 300.0f);
    EXPECT_EQ(last.World.aRow[3].x, -3000.0f);
    EXPECT_EQ(rain[1].World.aRow[3].x, -3000.0f);
    // The third is not wrapped: kept.
    EXPECT_EQ(std::vector<u32>({rain[0].m_nVisible, rain[1].m_nVisible, rain[2].m_nVisible, rain[3].m_nVisible}),
              std::vector<u32>({1, 0, 1, 0}));
    EXPECT_FLOAT_EQ(rain[2].World.aRow[3].x, 2004.4f);
    EXPECT_FLOAT_EQ(rain[2].World.aRow[3].y, (1.0f - 2004.4f / 2500.0f) * 300.0f);
    // Turned to the eye about the global up.
    EXPECT_NEAR(rain[2].World.aRow[2].x, -1.0f, 1e-2f);
    EXPECT_NEAR(rain[2].World.aRow[0].y, 0.0f, 1e-5f);
    // More than 100 seconds: a jump, every rain cloud scattered within 1000 and chosen again.
    Manager().SetCloudsAndRain(0.0f, 0.0f);
    At(0.5f, 101.0f);
    for (const TSkyElement& cloud : rain)
    {
        EXPECT_GE(cloud.World.aRow[3].x, -1000.0f);
        EXPECT_LT(cloud.World.aRow[3].x, 1000.0f);
        EXPECT_EQ(cloud.m_nVisible, 0u) << "no rain, no cloud";
    }
    EXPECT_NE(rain[0].World.aRow[3].x, rain[1].World.aRow[3].x);
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
    EXPECT_TRUE(change.IsMoving());
    change.Step(1.0f);
    EXPECT_FLOAT_EQ(change.GetBlend(), 0.5f);
    change.Step(1.0f);
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
