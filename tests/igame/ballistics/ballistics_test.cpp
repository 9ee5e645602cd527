// Ballistics: the flight curve and its end, impacts that post damage, ricochets by the game
// material with the energy rule, the impact-node ring, and projectiles through state images with
// counts and lengths refused.
#include "collisionfixture.h"
#include "core/stream/memorystream.h"
#include "engine/render/shader.h"
#include "igame/ballistics/ballisticsmanager.h"
#include "igame/ballistics/trailvertex.h"
#include "igame/damage/damagemanager.h"
#include "igame/gamematerial/gamematerialmanager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
class BallisticsTest : public CollisionTest
{
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        Place("ground", Ground("ground_mesh"), 0.0f, 0.0f, 0.0f);
        m_Material.nName = g_NameDefault.GetId();
    }
    void TearDown() override
    {
        Ballistics().OnClusterUnload();
        g_pGameMaterialManager->Materials().SetCount(0);
        g_pGameMaterialManager->RebuildKeys();
        g_pDamageManager->OnClusterUnload();
        CollisionTest::TearDown();
    }

    static TBallisticsManager& Ballistics() { return *g_pBallisticsManager; }

    void UseMaterial()
    {
        g_pGameMaterialManager->Materials().SetCount(0);
        g_pGameMaterialManager->Materials().Add(&m_Material);
        g_pGameMaterialManager->RebuildKeys();
    }

    // Launched at the point along the direction (up: +y, or +z for a vertical shot).
    static TProjectile Launch(const TVector& at, const TVector& forward, f32 range = 10.0f, f32 lifetime = 1.0f)
    {
        TProjectile p;
        const bool vertical = std::fabs(forward.y) > 0.99f;
        p.frame.SetOrientation(forward.Normalized(), vertical ? TVector(0, 0, 1, 0) : TVector(0, 1, 0, 0));
        p.frame.Translation() = TVector(at.x, at.y, at.z, 1.0f);
        p.range = range;
        p.lifetime = lifetime;
        p.trailLength = 2.0f;
        p.trailWidth = 0.1f;
        p.damage = {10.0f, 4.0f, 8.0f, 0.0f, 0.0f, 0.0f};
        p.prevPosition = p.frame.Translation();
        return p;
    }

    TGameMaterial m_Material = {};
};

void ExpectNear(const TVector& v, f32 x, f32 y, f32 z, f32 tolerance = 1e-4f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}
} // namespace

TEST_F(BallisticsTest, AProjectileFliesItsArcAndEndsAfterOneAndAHalfLifetimes)
{
    TProjectile p = Launch(TVector(0, 5, 0, 1), TVector(1, 0, 0, 0));
    p.arcHeight = 2.0f;
    p.fadeRate = 0.5f;
    ASSERT_EQ(Ballistics().Step(p, 0.5f), 0u);
    ExpectNear(p.position, 5.0f, 7.0f, 0.0f);
    ExpectNear(p.prevPosition, 5.0f, 7.0f, 0.0f);
    EXPECT_NEAR(p.direction.Length(), 1.0f, 1e-5f);
    EXPECT_NEAR(p.direction.y, 0.0f, 0.02f);
    EXPECT_FLOAT_EQ(p.fade, 1.0f - 0.5f * 0.51f);
    // Without a bounce the trail grows by the distance flown.
    EXPECT_NEAR(p.trailProgress, std::sqrt(25.0f + 4.0f), 1e-4f);
    EXPECT_EQ(Ballistics().Step(p, 0.99f), 0u);
    EXPECT_EQ(Ballistics().Step(p, 0.02f), 1u);
    EXPECT_EQ(std::pair(p.time, p.lifetime), std::pair(0.0f, 0.0f));
    // A record without a lifetime (a damaged image) ends at once.
    TProjectile still = Launch(TVector(0, 5, 0, 1), TVector(1, 0, 0, 0), 10.0f, 0.0f);
    EXPECT_EQ(Ballistics().Step(still, 0.1f), 1u);
}

TEST_F(BallisticsTest, AnImpactPostsDamageAtTheHitAndEndsTheProjectile)
{
    TProjectile p = Launch(TVector(1, 5, 2, 1), TVector(0, -1, 0, 0));
    EXPECT_EQ(Ballistics().Step(p, 0.3f), 0u);
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), 0u);
    EXPECT_EQ(Ballistics().Step(p, 0.3f), 1u);
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), 1u);
    // No game material at all: the neutral one, after the lookup's line.
    EXPECT_NE(m_Folder.SystemLog().find("'Default:Default' undeclared idenfifier"), std::string::npos);
}

TEST_F(BallisticsTest, ARicochetReflectsAndKeepsTheRangeByTheEnergyRule)
{
    m_Material.ricochetMaxCos = 1.0f;
    m_Material.ricochetProbability = 1.0f;
    UseMaterial();
    const TVector forward = TVector(1, -0.25f, 0, 0).Normalized();
    const f32 c = std::fabs(forward.y);
    for (f32 loss : {0.0f, 0.5f})
    {
        m_Material.ricochetEnergyLoss = loss;
        TProjectile p = Launch(TVector(-5, 1, 0, 1), forward, 8.0f);
        // The ground lies 4 along the flight: the second step crosses it.
        EXPECT_EQ(Ballistics().Step(p, 0.25f), 0u);
        EXPECT_FALSE(p.HasBouncePoint());
        EXPECT_EQ(Ballistics().Step(p, 0.35f), 0u);
        ASSERT_TRUE(p.HasBouncePoint());
        ExpectNear(p.bouncePoint, -1.0f, 0.0f, 0.0f, 1e-3f);
        ExpectNear(p.position, -1.0f, 0.01f, 0.0f, 1e-3f);
        ExpectNear(p.direction, forward.x, -forward.y, 0.0f);
        EXPECT_EQ(p.time, 0.0f);
        // range x (1 - loss x (1 - |c|)): a material without loss keeps it all.
        EXPECT_NEAR(p.range, 8.0f * (1.0f - loss * (1.0f - c)), 1e-4f) << loss;
        EXPECT_NEAR(p.bounceDirection[1], forward.y, 1e-5f);
    }
    EXPECT_EQ(g_pDamageManager->GetPostedCount(), 0u);
}

TEST_F(BallisticsTest, TheImpactNodeRingReusesNodeZeroAfter128Impacts)
{
    Ballistics().OnClusterLoad();
    TNode* first = Ballistics().TakeImpactNode(TVector(1, 2, 3, 1));
    EXPECT_EQ(first, &Ballistics().GetImpactNode(0));
    ExpectNear(first->GetWorldMatrix()->Translation(), 1, 2, 3);
    for (u32 i = 1; i < BALLISTICS_IMPACT_NODES; ++i)
        EXPECT_EQ(Ballistics().TakeImpactNode(TVector(0, 0, 0, 1)), &Ballistics().GetImpactNode(i));
    TNode* again = Ballistics().TakeImpactNode(TVector(4, 5, 6, 1));
    EXPECT_EQ(again, first);
    ExpectNear(again->GetWorldMatrix()->Translation(), 4, 5, 6);
    // Sounds wait for the main thread.
    m_Material.pImpactSoundData = reinterpret_cast<TSoundData*>(&m_Material);
    UseMaterial();
    TProjectile p = Launch(TVector(0, 5, 0, 1), TVector(0, -1, 0, 0));
    ASSERT_EQ(Ballistics().Step(p, 0.6f), 1u);
    EXPECT_EQ(Ballistics().GetPendingSoundCount(), 1u);
}

TEST_F(BallisticsTest, ProjectilesGoThroughAStateImageAndBadImagesAreRefused)
{
    TBallisticsManager::TProjectiles& list = Ballistics().Projectiles();
    for (int i = 0; i < 3; ++i)
        list.Add(Launch(TVector(static_cast<f32>(i), 5, 0, 1), TVector(1, 0, 0, 0)));
    TMemoryStream saved;
    ASSERT_EQ(Ballistics().SaveState(3, saved), 0);
    EXPECT_EQ(saved.GetSize(), 4u + 3u * 208u);
    const std::vector<u8> bytes(saved.GetData(), saved.GetData() + saved.GetSize());
    list.SetCount(0);
    saved.Seek(0, 0);
    ASSERT_EQ(Ballistics().LoadState(3, saved), 0);
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(std::memcmp(list.GetData(), bytes.data() + 4, 3 * 208), 0);

    // 512 records are the last count taken; 513 and a short image are refused, nothing changed.
    auto image = [](u32 count, u32 records) {
        TMemoryStream* stream = new TMemoryStream;
        stream->Write(&count, 4);
        const TProjectile p;
        for (u32 i = 0; i < records; ++i)
            stream->Write(&p, sizeof p);
        stream->Seek(0, 0);
        return std::unique_ptr<TMemoryStream>(stream);
    };
    for (const auto& [count, records, refused, kept] : {std::tuple{513u, 513u, true, 3u}, {2u, 1u, true, 3u}, {512u, 512u, false, 512u}})
    {
        EXPECT_EQ(Ballistics().LoadState(3, *image(count, records)) != 0, refused) << count;
        EXPECT_EQ(list.GetCount(), kept) << count;
    }
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(log.find("513 projectiles in the state image: at most 512 fly"), std::string::npos) << log;
    EXPECT_NE(log.find("the state image ends before its 2 projectiles"), std::string::npos) << log;
    // A finished projectile's place goes to the last one.
    list.SetCount(0);
    list.Add(Launch(TVector(0, 5, 0, 1), TVector(0, -1, 0, 0)));
    list.Add(Launch(TVector(3, 5, 0, 1), TVector(1, 0, 0, 0)));
    Ballistics().ThreadUpdateManager(0.6f);
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_NEAR(list[0].position.x, 9.0f, 1e-4f);
}
