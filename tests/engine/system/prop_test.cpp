#include "core/cluster/cluster.h"
#include "engine/render/camera.h"
#include "engine/render/imposter.h"
#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "recordingscript.h"
#include "translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using TJournal = std::vector<std::string>;

TCamera s_Camera;

TCamera* MainCamera()
{
    return &s_Camera;
}

// Three props of one type along the camera's view (+z), each with an imposter; the type's pool
// holds a single full form with activate and deactivate scripts. imposter_distance keeps its
// default (50, 50, 100).
class PropTest : public testing::Test
{
protected:
    PropTest() : activate("activate", &journal), deactivate("deactivate", &journal) {}

    void SetUp() override
    {
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
        g_pImposterManager->SetQueue(&queue);
        s_Camera.m_Placement = TMatrix(1.0f);
        s_Camera.m_ViewProjection = PerspectiveMatrix(90.0f, 90.0f, 1.0f, 1000.0f);
        g_pFindMainCamera = MainCamera;

        pool.m_BoundBox.minimum = TVector(-1, -1, -1, 1);
        pool.m_BoundBox.maximum = TVector(1, 1, 1, 1);
        pool.m_BoundBox.Update();
        pool.pImposterData = &imposterData;
        form.pNode = g_pNodeManager->CreateNode("form");
        form.pScriptActivate = &activate;
        form.pScriptDeactivate = &deactivate;
        pool.aFree[pool.m_nFreeCount++] = &form;
        g_pPropManager->Pools().Add(&pool);
        for (u32 i = 0; i < 3; ++i)
        {
            imposter[i].pImposterData = &imposterData;
            prop[i].pImposter = &imposter[i];
            prop[i].pPropDataPool = &pool;
            prop[i].m_nFlags = PROP_IMPOSTER_SWITCH;
            node[i] = g_pNodeManager->CreateNode("prop");
            node[i]->AddObject(&prop[i]);
            g_pPropManager->Props().Add(&prop[i]);
        }
    }
    void TearDown() override
    {
        for (u32 i = 0; i < 3; ++i)
        {
            imposter[i].SetFade(0.0f, 0.0f);
            node[i]->DeleteObject(&prop[i]);
        }
        g_pPropManager->Pools().SetCount(0);
        g_pPropManager->Props().SetCount(0);
        g_pImposterManager->SetQueue(nullptr);
        g_pFindMainCamera = nullptr;
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    void Place(u32 i, f32 z)
    {
        node[i]->SetLocalMatrix(Translation(0.0f, 0.0f, z), TNode::OrdinaryCause());
        g_pNodeManager->UpdateManager(0.0f);
    }
    void Frame()
    {
        g_pPropManager->ThreadUpdateManager(1.0f / 60.0f);
        g_pPropManager->UpdateManager(1.0f / 60.0f);
    }
    // The handle word a script receives for the prop.
    static u32 ScriptArgument(const TRecordingScript& script, size_t run)
    {
        EXPECT_EQ(VALUE_COLOUR, script.aRunArgument.at(run).first.nType);
        return static_cast<u32>(script.aRunArgument.at(run).first.nInt);
    }
    static u32 Handle(const TProp& p) { return g_pCluster->GetHandle(&p).GetWord(); }

    TJournal journal;
    TRecordingScript activate;
    TRecordingScript deactivate;
    TRenderQueue queue{};
    TImposterData imposterData{};
    TPropDataPool pool{};
    TPropData form;
    TImposter imposter[3];
    TProp prop[3];
    TNode* node[3] = {};
};

TEST_F(PropTest, PropsTradeTheFullFormByPriorityWithImposterFades)
{
    Place(0, 30.0f);
    Place(1, 60.0f);
    Place(2, 200.0f);
    for (TProp& p : prop)
        p.QueueUpdate();
    Frame();

    // The nearest takes the only form; the next shows its imposter (alpha 0.2 x 1.3); the
    // farthest lies beyond the walk's reach (50 + 100) and is not visited.
    EXPECT_EQ(&form, prop[0].pPropData);
    EXPECT_EQ(&prop[0], form.pProp);
    EXPECT_EQ(node[0], form.pNode->GetParent());
    EXPECT_EQ(0u, imposter[0].m_nVisible);
    EXPECT_FLOAT_EQ(1.0f, imposter[0].m_fMeshFade);
    EXPECT_EQ(nullptr, prop[1].pPropData);
    EXPECT_EQ(1u, imposter[1].m_nVisible);
    EXPECT_FLOAT_EQ(0.26f, imposter[1].m_fAlpha);
    EXPECT_EQ(0u, imposter[2].m_nVisible);
    ASSERT_EQ((TJournal{"activate"}), journal);
    EXPECT_EQ(Handle(prop[0]), ScriptArgument(activate, 0));

    // The holder moves away beyond the far distance: it ranks at far + 0.1 and the waiting
    // prop takes its form, while the old holder fades to its imposter and gets none back.
    Place(0, 120.0f);
    Frame();
    EXPECT_FLOAT_EQ(100.1f, prop[0].m_fPriority);
    EXPECT_EQ(&form, prop[1].pPropData);
    EXPECT_EQ(nullptr, prop[0].pPropData);
    EXPECT_EQ(node[1], form.pNode->GetParent());
    EXPECT_FLOAT_EQ(1.0f, imposter[1].m_fMeshFade);
    EXPECT_EQ(1u, imposter[0].m_nVisible);
    EXPECT_FLOAT_EQ(1.0f, imposter[0].m_fAlpha);
    ASSERT_EQ((TJournal{"activate", "deactivate", "activate"}), journal);
    EXPECT_EQ(Handle(prop[0]), ScriptArgument(deactivate, 0));
    EXPECT_EQ(Handle(prop[1]), ScriptArgument(activate, 1));
    EXPECT_EQ(&prop[1], pool.lProp.pFirst);
    EXPECT_EQ(&prop[1], pool.lProp.pLast);
}

TEST_F(PropTest, AFullFreeStackRefusesTheExtraFormWithAnErrorLine)
{
    ASSERT_EQ(1u, prop[0].Activate());
    TPropData others[PROP_POOL_CAPACITY];
    for (TPropData& other : others)
        pool.aFree[pool.m_nFreeCount++] = &other;
    ASSERT_EQ(PROP_POOL_CAPACITY, pool.m_nFreeCount);
    prop[0].Deactivate();
    EXPECT_EQ(PROP_POOL_CAPACITY, pool.m_nFreeCount);
    EXPECT_EQ(0u, pool.m_aReserved4100[0]);
    EXPECT_EQ(nullptr, prop[0].pPropData);
    EXPECT_EQ(nullptr, pool.lProp.pFirst);
}
} // namespace
