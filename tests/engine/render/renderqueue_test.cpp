#include "engine/render/camera.h"
#include "engine/render/lightmanager.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
const TName s_FeatherBlend("Feather blend", true);
const TName s_DFeatherBlend("DFeatherBlend", true);
const TName s_DAlphaBlend("DAlphaBlend", true);

// Records the order of draws and the defines set while each draw ran.
struct TDrawLog
{
    std::vector<i32> aOrder;
    std::vector<u32> aFeather;
};

class TTestObject : public TRenderObject
{
public:
    TTestObject(i32 id, TDrawLog* log, f32 z) : m_nId(id), m_pLog(log)
    {
        m_World = TMatrix(1.0f);
        m_World.aRow[3] = TVector(0.0f, 0.0f, z, 1.0f);
    }
    const TMatrix* GetMatrix() override { return &m_World; }
    void Draw(TRenderContext* context) override
    {
        m_pLog->aOrder.push_back(m_nId);
        m_pLog->aFeather.push_back(context->FindDefine(s_DFeatherBlend) && context->FindDefine(s_DAlphaBlend));
    }

    i32 m_nId;
    TDrawLog* m_pLog;
    TMatrix m_World;
};

u32 PassAll(TRenderObject*, const TMatrix*, void*)
{
    return 1;
}

std::vector<TRenderObject*> Members(const TRenderQueue& queue)
{
    std::vector<TRenderObject*> out;
    for (TRenderObject* o = queue.lObject.pFirst; o; o = o->pNext)
        out.push_back(o);
    return out;
}

struct RenderQueueTest : testing::Test
{
    TRenderQueue queue{};
    TDrawLog log;
    TRenderContext context;
};
} // namespace

TEST_F(RenderQueueTest, MembershipFollowsEnableAndLinksNeverDoubleOrDangle)
{
    TTestObject a(0, &log, 1.0f), b(1, &log, 1.0f), c(2, &log, 1.0f);
    a.OnEnable(1);
    EXPECT_FALSE(a.IsLinked()); // no queue: never linked
    a.SetQueue(&queue);
    b.SetQueue(&queue);
    c.SetQueue(&queue);
    a.OnEnable(1); // already a member
    EXPECT_EQ((std::vector<TRenderObject*>{&a, &b, &c}), Members(queue));
    b.OnEnable(0);
    EXPECT_EQ((std::vector<TRenderObject*>{&a, &c}), Members(queue));
    EXPECT_EQ(&queue, b.pRenderQueue);
    EXPECT_EQ(&c, queue.lObject.pLast);
    b.OnEnable(1);
    EXPECT_EQ((std::vector<TRenderObject*>{&a, &c, &b}), Members(queue));
    a.RemoveFromQueue();
    c.RemoveFromQueue();
    b.RemoveFromQueue();
    EXPECT_EQ(nullptr, queue.lObject.pFirst);
    EXPECT_EQ(nullptr, queue.lObject.pLast);

    // A disabled node keeps the object out when the queue is set.
    g_ManagerManager.Initialize();
    TNode node;
    node.AddObject(&a);
    node.Enable(0, 0);
    a.SetQueue(&queue);
    EXPECT_FALSE(a.IsLinked());
    node.Enable(1, 0);
    EXPECT_EQ((std::vector<TRenderObject*>{&a}), Members(queue));
    node.DeleteObject(&a);
}

TEST_F(RenderQueueTest, UnsortedQueuesKeepListOrderAndSortedOnesDrawNearestFirstAndAtMost2048)
{
    std::vector<std::unique_ptr<TTestObject>> objects;
    const auto fill = [&](i32 count, auto distance) {
        for (auto& o : objects)
            o->RemoveFromQueue();
        objects.clear();
        log.aOrder.clear();
        for (i32 i = 0; i < count; ++i)
        {
            objects.push_back(std::make_unique<TTestObject>(i, &log, distance(i)));
            objects.back()->SetQueue(&queue);
        }
    };
    const f32 distances[] = {5.0f, 1.0f, 9.0f, 3.0f, 7.0f, 2.0f, 8.0f};
    fill(7, [&](i32 i) { return distances[i]; });
    queue.Render(&context, [](TRenderObject* o, const TMatrix*, void*) -> u32 { return o->GetMatrix()->aRow[3].z > 2.0f; },
                 nullptr);
    EXPECT_EQ((std::vector<i32>{0, 2, 3, 4, 6}), log.aOrder);
    log.aOrder.clear();
    queue.m_nFlags = RENDER_QUEUE_SORTED;
    queue.Render(&context, PassAll, nullptr);
    EXPECT_EQ((std::vector<i32>{1, 5, 3, 0, 4, 6, 2}), log.aOrder);
    // The first 2,048 in list order are drawn; the rest wait for another pass. The nearest
    // member comes last in the list and is left out.
    fill(2050, [](i32 i) { return 3000.0f - static_cast<f32>(i); });
    queue.Render(&context, PassAll, nullptr);
    ASSERT_EQ(2048u, log.aOrder.size());
    EXPECT_EQ(2047, log.aOrder.front());
    EXPECT_EQ(0, log.aOrder.back());
    fill(0, [](i32) { return 0.0f; });
}

TEST_F(RenderQueueTest, FeatherBlendDrawsTwiceTheSecondTimeWithBothDefines)
{
    TCamera camera;
    camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
    camera.m_fHorizontalFov = camera.m_fVerticalFov = 90.0f;
    camera.m_fNearClip = 1.0f;
    camera.m_fFarClip = 100.0f;
    camera.UpdateProjection(1, 1);
    camera.m_View = TMatrix(1.0f);
    camera.m_ViewProjection = camera.m_Projection;
    g_pRenderManager->SetCurrentCamera(&camera);

    TTestObject a(0, &log, 10.0f);
    a.SetQueue(&queue);
    queue.RenderFeatherBlend(&context);
    EXPECT_EQ((std::vector<i32>{0}), log.aOrder); // any other name: one pass
    log.aOrder.clear();
    log.aFeather.clear();
    queue.m_Name = s_FeatherBlend;
    queue.RenderFeatherBlend(&context);
    EXPECT_EQ((std::vector<i32>{0, 0}), log.aOrder);
    EXPECT_EQ((std::vector<u32>{0, 1}), log.aFeather);
    EXPECT_EQ(0u, context.GetDefineCount());
    // Out of view: neither pass draws it.
    a.m_World.aRow[3].z = -10.0f;
    log.aOrder.clear();
    queue.RenderFeatherBlend(&context);
    EXPECT_TRUE(log.aOrder.empty());
    a.RemoveFromQueue();
    g_pRenderManager->SetCurrentCamera(nullptr);
}

TEST_F(RenderQueueTest, QueueDefineAndListenersSurroundTheDraw)
{
    struct TListener : TRenderSceneMethods
    {
        void BeforeQueue(TRenderQueue* q) override { aCall.push_back(q->m_nFlags * 10 + 1); }
        void AfterQueue(TRenderQueue* q) override { aCall.push_back(q->m_nFlags * 10 + 2); }
        std::vector<u32> aCall;
    } listener;
    ASSERT_EQ(0u, g_pRenderSceneManager->AddListener(&listener));
    const TName define("DQueueTest", true);
    queue.m_Define = define;
    queue.m_nFlags = RENDER_QUEUE_DEFINE;
    struct TDefineProbe : TRenderObject
    {
        void Draw(TRenderContext* c) override { nSeen = c->FindDefine(TName("DQueueTest")); }
        u32 nSeen = 0;
    } probe;
    probe.SetQueue(&queue);
    queue.Render(&context, PassAll, nullptr);
    EXPECT_EQ(TName("1").GetId(), probe.nSeen);
    EXPECT_EQ(0u, context.FindDefine(define));
    EXPECT_TRUE(listener.aCall.empty());
    queue.m_nFlags = RENDER_QUEUE_NOTIFY;
    queue.Render(&context, PassAll, nullptr);
    EXPECT_EQ((std::vector<u32>{81, 82}), listener.aCall);
    probe.RemoveFromQueue();
    g_pRenderSceneManager->RemoveListener(&listener);
}

TEST(RenderSceneTest, SceneSwitchesItsLightSetOnAndDrawsEnabledQueuesInOrder)
{
    TDrawLog log;
    TRenderQueue first{}, second{}, off{};
    first.m_nFlags = second.m_nFlags = RENDER_QUEUE_ENABLED;
    first.m_Name = TName("First", true);
    TTestObject a(0, &log, 1.0f), b(1, &log, 1.0f), c(2, &log, 1.0f);
    a.SetQueue(&second);
    b.SetQueue(&first);
    c.SetQueue(&off);
    TLightSet exclusive{LIGHT_SET_EXCLUSIVE, 0, {1, 2, 0, 0, 0, 0}};
    TLightSet other{LIGHT_SET_ON, 0, {0, 5, 0, 0, 0, 0}};
    g_pLightManager->AddCounts(other, 1);
    g_pLightManager->LightSets().Add(&other);
    g_pLightManager->LightSets().Add(&exclusive);

    TRenderScene scene{};
    scene.m_nQueueCount = 3;
    scene.aRenderQueue[0] = &first;
    scene.aRenderQueue[1] = &off;
    scene.aRenderQueue[2] = &second;
    scene.pLightSet = &exclusive;
    EXPECT_EQ(&first, scene.FindQueue(TName("First")));
    EXPECT_EQ(nullptr, scene.FindQueue(TName("Missing")));
    TRenderContext context;
    scene.DrawBlended(&context);
    EXPECT_EQ((std::vector<i32>{1, 0}), log.aOrder);
    EXPECT_EQ(LIGHT_SET_ON | LIGHT_SET_EXCLUSIVE, exclusive.m_nFlags);
    EXPECT_EQ(0u, other.m_nFlags & LIGHT_SET_ON);
    EXPECT_EQ(1, g_pLightManager->GetTotal(0));
    EXPECT_EQ(2, g_pLightManager->GetTotal(1));
    scene.DrawBlended(&context); // already on: the totals stay
    EXPECT_EQ(2, g_pLightManager->GetTotal(1));

    g_pLightManager->AddCounts(exclusive, -1);
    g_pLightManager->LightSets().SetCount(0);
    a.RemoveFromQueue();
    b.RemoveFromQueue();
    c.RemoveFromQueue();
}
