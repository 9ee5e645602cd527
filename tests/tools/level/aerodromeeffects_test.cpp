// The aerodrome's effects as the game draws them (the forward renderer's frame, the decals after
// the scene, the particles, the lens flares): the apron tug on its round with its exhaust smoke
// and the tyre tracks it lays, beside the stands' stains; the runway's edge lights flaring.
#include "levelframefixture.h"

#include "aerodromeeffects.h"
#include "aerodromeplan.h"
#include "engine/render/camera.h"
#include "engine/system/node.h"
#include "engine/render/light.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/decalpool.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsmanager.h"
#include "igame/effects/effectsettings.h"
#include "levelatmosphere.h"
#include "leveleffects.h"
#include "levelgenerator.h"
#include "levelrenderscene.h"

#include <cmath>

namespace
{
// The tug's round: its centre on the apron.
constexpr f32 kRoundX = AERODROME_APRON_EFFECTS_X + 36.0f;
constexpr f32 kRoundZ = AERODROME_APRON_EFFECTS_Z - 58.0f;

class AerodromeEffects : public LevelFrameTest
{
protected:
    void LoadLevel() override
    {
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, (data + "/" + MORVANE_COOKED_REPOSITORY).c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/" + MORVANE_REPOSITORY).c_str(), 0), 0);
    }

    // The level's camera at the eye, looking at the point.
    static void Look(const TVector& eye, const TVector& at)
    {
        TNode* camera = g_pNodeManager->FindNode(TName(LEVEL_CAMERA_NODE).GetId());
        ASSERT_NE(camera, nullptr);
        TMatrix place;
        place.SetOrientation(TVector::Subtract(at, eye), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        place.Translation() = eye;
        camera->SetWorldMatrix(place, TNode::OrdinaryCause());
    }
};
} // namespace

TEST_F(AerodromeEffects, TheTugSmokesAndLaysTracksOnTheApron)
{
    // Three seconds of its round: smoke risen, tracks behind the rear wheels.
    Update(90);
    u32 laid = 0;
    for (u32 i = 0; i < g_pDecalManager->GetPoolCount(); ++i)
        laid += g_pDecalManager->GetPoolAt(i)->GetDrawnCount();
    EXPECT_GT(laid, 0u) << "track vertices laid";
    Look(TVector(kRoundX - 20.0f, 12.0f, kRoundZ + 26.0f, 1.0f), TVector(kRoundX, 0.0f, kRoundZ, 1.0f));
    EXPECT_EQ(CompareWithGolden("aerodrome_tug", DrawFrame(), kWidth, kHeight), "");
}

// The runway's edge lights flare. The garage's box, listed with the weather's own boxes: from
// inside, rain is dropped all through the garage, and still falls over its roof and on the road
// before it.
TEST_F(AerodromeEffects, TheRunwayEdgeLightsFlareAndRainIsKeptOutUnderTheGarageRoof)
{
    Look(TVector(AERODROME_RUNWAY_LIGHTS_X - 36.0f, 2.0f, -160.0f, 1.0f),
         TVector(AERODROME_RUNWAY_LIGHTS_X - 36.0f, 0.3f, -207.5f, 1.0f));
    // The first frame sends the queries out; the next ones read them.
    DrawFrame();
    DrawFrame();
    EXPECT_EQ(g_pLensFlareManager->GetQueriesIssued(), g_pLensFlareManager->Flares().GetCount());
    EXPECT_EQ(CompareWithGolden("aerodrome_flares", DrawFrame(), kWidth, kHeight), "");

    // The rain's look comes by the game's first sky change, from the day's to the rain's.
    const TAtmosphereChange* rain = g_pAtmosphereManager->GetFirstChange();
    EXPECT_TRUE(rain && rain->pNight->GetNode() == g_pNodeManager->FindNode(TName("atmosphere_rain").GetId()));

    using namespace AerodromePlan;
    TDynamicWeatherManager& weather = *g_pDynamicWeatherManager;
    ASSERT_EQ(weather.OcclusionBoxes().GetCount(), 1);
    const TNode* roof = g_pNodeManager->FindNode(TName(AERODROME_GARAGE_ROOF).GetId());
    ASSERT_NE(roof, nullptr);
    ASSERT_EQ(weather.OcclusionBoxes()[0]->pNode, roof);
    weather.ChooseOcclusionBox(TVector(GARAGE_MIN.x + 5.0f, 1.7f, GARAGE_MIN.z + 5.0f, 1.0f));
    const auto inside = [&weather](f32 x, f32 y, f32 z) {
        const TVector b = weather.GetOcclusionMatrix().TransformPoint(TVector(x, y, z, 1.0f));
        return std::abs(b.x) <= 1.0f && std::abs(b.y) <= 1.0f && std::abs(b.z) <= 1.0f;
    };
    EXPECT_TRUE(inside(GARAGE_MIN.x + 0.1f, 0.1f, GARAGE_MIN.z + 0.1f));
    EXPECT_TRUE(inside(GARAGE_MAX.x - 0.1f, GARAGE_MAX.y - 0.1f, GARAGE_MAX.z - 0.1f)) << "a corner under the roof";
    EXPECT_FALSE(inside(GARAGE_MIN.x + 5.0f, GARAGE_MAX.y + 0.2f, GARAGE_MIN.z + 5.0f)) << "over the roof";
    EXPECT_FALSE(inside(GARAGE_MIN.x + 5.0f, 1.0f, GARAGE_MIN.z - 0.2f)) << "before the door";
}
