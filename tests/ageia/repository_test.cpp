#include "ageia/nxmaterial.h"
#include "dynamicsfixture.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"

namespace
{
class DynamicsRepositoryTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pResourceManager->BeginManager();
            s_bBegun = true;
        }
    }
    void TearDown() override
    {
        DynamicsTest::TearDown();
        g_pResourceManager->CloseRepositories(0);
    }

    TScratchWorkingFolder m_Folder{"dynamicsrepository"};
};
} // namespace

TEST_F(DynamicsRepositoryTest, LoadedBodiesAndMaterialsAreBuiltWithTheStoredSettings)
{
    // A ground of material 1 and a crate above it, under gravity the settings carry.
    TDynamicsSettings settings = Manager().GetSettings();
    settings.aGravity[1] = -9.8f;
    settings.fStaticFriction = 0.25f;
    Manager().SetData(0, &settings, sizeof settings);
    TDynamicsMaterial* concrete = Manager().CreateMaterial(TName("concrete", true));
    concrete->SetRestitution(0.5f);
    TNxDynamicsBody* ground = Box("ground", 0.0f, 0.0f, 0.0f);
    ground->GetGeometry(0)->SetMaterial(concrete->GetIndex());
    // Shapes meet only when their groups masks share a bit.
    ground->GetGeometry(0)->SetGroupsMask(1);
    ground->SetDynamic(0);
    TNxDynamicsBody* crate = Box("crate", 0.0f, 3.0f, 0.0f);
    crate->SetLinearDamping(0.125f);
    crate->GetGeometry(0)->SetGroupsMask(1);
    // Awake beside the crate when saved: the stored awake links mean nothing after a load.
    TNxDynamicsBody* ball = Box("ball", 5.0f, 3.0f, 0.0f);
    ball->GetGeometry(0)->SetGroupsMask(1);
    {
        TRepositoryWriter writer(60, 0);
        TClusterManager* managers[9];
        i32 count = TRepositoryWriter::SceneManagers(managers);
        managers[count++] = &Manager();
        ASSERT_TRUE(writer.Write("physics.data", managers, count, false));
    }
    g_pCluster->Clear();
    TDynamicsSettings other = settings;
    other.aGravity[1] = 0.0f;
    Manager().SetData(0, &other, sizeof other);
    ASSERT_EQ(0, Manager().GetBodyCount());

    ASSERT_EQ(0, g_pResourceManager->LoadRepository("physics.data", 0));
    ASSERT_EQ(3, Manager().GetBodyCount());
    ASSERT_EQ(1, Manager().GetMaterialCount());
    TVector gravity;
    Manager().GetGravity(gravity);
    EXPECT_FLOAT_EQ(-9.8f, gravity.y);
    EXPECT_FLOAT_EQ(0.25f, Scene().getMaterialFromIndex(0)->getStaticFriction());
    EXPECT_FLOAT_EQ(0.5f, Scene().getMaterialFromIndex(1)->getRestitution());

    auto* loadedCrate = static_cast<TNxDynamicsBody*>(Manager().GetBody(1));
    auto* loadedGround = static_cast<TNxDynamicsBody*>(Manager().GetBody(0));
    ASSERT_NE(nullptr, loadedCrate->GetActor());
    ASSERT_NE(nullptr, loadedGround->GetActor());
    EXPECT_STREQ("crate", loadedCrate->pNode->m_Name.GetText());
    EXPECT_FLOAT_EQ(3.0f, loadedCrate->GetActor()->getGlobalPosition().y);
    EXPECT_FLOAT_EQ(0.125f, loadedCrate->GetActor()->getLinearDamping());
    EXPECT_TRUE(loadedGround->GetActor()->readBodyFlag(NX_BF_KINEMATIC));
    auto* groundBox = static_cast<TNxDynamicsGeometry*>(loadedGround->GetGeometry(0));
    ASSERT_NE(nullptr, groundBox->GetShape());
    EXPECT_EQ(1, groundBox->GetShape()->getMaterial());

    // The crate falls onto the ground and comes to rest on it.
    for (i32 frame = 0; frame < 30; ++frame)
    {
        Manager().ThreadUpdateManager(0.1f);
        Manager().UpdateManager(0.1f);
        }
    EXPECT_NEAR(1.0f, loadedCrate->pNode->GetWorldMatrix()->aRow[3].y, 0.05f);
    // The ball falls past the ground.
    EXPECT_LT(Manager().GetBody(2)->pNode->GetWorldMatrix()->aRow[3].y, -1.0f);
}
