// An aircraft's states with their animations, body modes, skeleton channels and the apron token.
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/skeleton.h"
#include "gamefixture.h"


namespace
{
class Units : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_pRoot = g_pNodeManager->CreateNode("plane_root");
    }
    void TearDown() override
    {
        if (m_pSkeletonNode)
            m_pSkeletonNode->DeleteObject(&m_Skeleton);
        GameTest::TearDown();
    }

    // A node of the prop data, under its own name and listed under the key.
    TNode* Named(const char* key)
    {
        TNode* node = g_pNodeManager->CreateNode(key);
        m_pRoot->AddChild(node);
        m_aNamed.push_back({TName(key, true).GetId(), node});
        return node;
    }

    // The plane as the level's first aircraft, its prop of one full form on a node of its own: the
    // prop data "plane_pData" with its pieces, the sub-node set sorted by name id.
    TAICommonUnit& Plane()
    {
        m_Data.m_Name.Set("plane_pData", true);
        Named("plane_pData_Vdrive");
        m_pVehicle = &AddVehicle("plane_body", 0.0f, 0.0f);
        TNode* veh = Named("plane_pData_Veh");
        veh->AddObject(m_pVehicle);
        Named("plane_pData_Cargo");
        m_pSkeletonNode = Named("plane_pData_Skeleton");
        m_pSkeletonNode->AddObject(&m_Skeleton);
        Named("PlaneSoundLocator");
        const char* names[UNIT_ANIMATION_COUNT] = {"plane_pData_AniLanding", "plane_pData_AniTakeOff",
                                                   "plane_pData_EngineIdle", "plane_pData_CargoDoor",
                                                   "plane_pData_CargoLifter"};
        for (u32 i = 0; i < UNIT_ANIMATION_COUNT; ++i)
        {
            m_aData[i].m_Name.Set(names[i], true);
            m_aData[i].m_nLength = 2000;
            m_aAnimation[i].pAnimationData = &m_aData[i];
            m_aAnimation[i].m_fTimeScale = 1.0f;
            g_pAnimationManager->AnimationData().Add(&m_aData[i]);
            g_pAnimationManager->Animations().Add(&m_aAnimation[i]);
        }
        std::sort(m_aNamed.begin(), m_aNamed.end(),
                  [](const TNamedNode& a, const TNamedNode& b) { return a.nName < b.nName; });
        m_Data.m_nSubNodeCount = static_cast<u32>(m_aNamed.size());
        std::copy(m_aNamed.begin(), m_aNamed.end(), m_Data.aSubNode);
        TAICommonUnit& unit = AddUnit();
        unit.m_nAircraft = 1;
        TProp& prop = m_aProp.emplace_back();
        g_pNodeManager->CreateNode("plane_prop")->AddObject(&prop);
        m_Pool.aFree[m_Pool.m_nFreeCount++] = &m_Data;
        prop.pPropDataPool = &m_Pool;
        prop.m_nFlags = PROP_NO_IMPOSTER;
        unit.pProp = &prop;
        m_Parameters.aPlane.Add(&unit);
        Game().OnClusterLoad();
        return unit;
    }

    // The channel entries of the skeleton's instruction list: their first four bytes.
    std::vector<std::vector<u8>> Channels() const
    {
        std::vector<std::vector<u8>> channels;
        for (u32 i = 0; i < m_Skeleton.Function.nInstructionCount; ++i)
        {
            const TBlendInstruction& entry = m_Skeleton.Function.aInstruction[i];
            channels.push_back({entry.nOperation, entry.nDestination, entry.nOperandA, entry.nOperandB});
        }
        return channels;
    }
    static std::vector<u8> Entry(u8 parameter) { return {0, 0, parameter, 255}; }

    TNode* m_pRoot = nullptr;
    TNode* m_pSkeletonNode = nullptr;
    std::vector<TNamedNode> m_aNamed;
    TPropData m_Data;
    TPropDataPool m_Pool{};
    TSkeleton m_Skeleton;
    TAnimationData m_aData[UNIT_ANIMATION_COUNT];
    TAnimation m_aAnimation[UNIT_ANIMATION_COUNT]{};
    TVehicle* m_pVehicle = nullptr;
};
} // namespace

TEST_F(Units, ParkingReadyingTakingOffAndLeavingActOnAnimationsBodiesAndTheApronToken)
{
    TAICommonUnit& unit = Plane();
    unit.SetPlaneState(PLANE_LANDING);
    m_Parameters.nFlags &= ~GAME_APRON_TOKEN;
    unit.m_nPlaneState = PLANE_TO_GATE;
    m_aAnimation[UNIT_ANIMATION_ENGINE_IDLE].Play(-1, 0);
    unit.SetPlaneState(PLANE_PARKED);
    EXPECT_TRUE(m_Parameters.nFlags & GAME_APRON_TOKEN);
    EXPECT_TRUE(Channels().empty());
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_ENGINE_IDLE].m_nState, ANIMATION_STOPPED);

    unit.SetPlaneState(PLANE_READY);
    EXPECT_EQ(Channels(), (std::vector<std::vector<u8>>{Entry(33), Entry(0)}));
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_ENGINE_IDLE].m_nState, ANIMATION_PLAYING);

    // Leaving: the body is put back where the first link found it, kinematic.
    TNode* body = unit.pBody->GetNode();
    const f32 firstX = unit.aSavedMatrix[0].aRow[3].x;
    body->SetWorldMatrix(Translation(40.0f, 0.5f, 0.0f), TNode::OrdinaryCause());
    unit.m_nPlaneState = PLANE_LEAVING;
    unit.SetPlaneState(PLANE_TAKING_OFF);
    EXPECT_FALSE(unit.pBody->IsDynamic());
    EXPECT_EQ(body->GetWorldMatrix()->aRow[3].x, firstX);
    EXPECT_EQ(m_Skeleton.Function.aAnimation[0], &m_aAnimation[UNIT_ANIMATION_TAKE_OFF]);
    EXPECT_EQ(m_Skeleton.Function.aAnimation[1], &m_aAnimation[UNIT_ANIMATION_ENGINE_IDLE]);
    EXPECT_EQ(Channels(), (std::vector<std::vector<u8>>{Entry(0), Entry(1)}));
    EXPECT_EQ(m_Skeleton.m_nFlags & 0xA, 0xAu);
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_TAKE_OFF].m_nState, ANIMATION_PLAYING);
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_TAKE_OFF].m_fTime, 0.0f);

    // Gone: the prop's node disabled gives its form back, and the unit lets go of its scene.
    TDynamicsBody* planeBody = unit.pBody;
    unit.SetPlaneState(PLANE_IDLE);
    EXPECT_TRUE(planeBody->IsDynamic());
    EXPECT_EQ(unit.pBody, nullptr);
    EXPECT_EQ(m_Skeleton.m_nFlags & 0xA, 0u);
    EXPECT_TRUE(Channels().empty());
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_TAKE_OFF].m_nState, ANIMATION_STOPPED);
    EXPECT_EQ(m_aAnimation[UNIT_ANIMATION_ENGINE_IDLE].m_nState, ANIMATION_STOPPED);
    EXPECT_FALSE(unit.pProp->GetNode()->IsEnabled());
}
