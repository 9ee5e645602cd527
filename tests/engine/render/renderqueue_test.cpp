#include "engine/render/rendercontext.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/managermanager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
class TTestObject : public TRenderObject
{
public:
    TTestObject(i32 id, std::vector<i32>* log, f32 z) : m_nId(id), m_pLog(log)
    {
        m_World = TMatrix(1.0f);
        m_World.aRow[3] = TVector(0.0f, 0.0f, z, 1.0f);
    }
    const TMatrix* GetMatrix() override { return &m_World; }
    void Draw(TRenderContext*) override { m_pLog->push_back(m_nId); }

    i32 m_nId;
    std::vector<i32>* m_pLog;
    TMatrix m_World;
};

struct RenderQueueTest : testing::Test
{
    TRenderQueue queue{};
    std::vector<i32> log;
    TRenderContext context;
};

// Writes down each queue it hears of and how many members had been drawn by then.
class TQueueListener : public TRenderSceneMethods
{
public:
    TQueueListener(const char* name, std::vector<std::string>* heard, const std::vector<i32>* drawn)
        : m_pName(name), m_pHeard(heard), m_pDrawn(drawn)
    {
    }
    void BeforeQueue(TRenderQueue* queue) override { Note("before", queue); }
    void AfterQueue(TRenderQueue* queue) override { Note("after", queue); }

private:
    void Note(const char* when, TRenderQueue* queue)
    {
        m_pHeard->push_back(std::string(m_pName) + " " + when + " " + queue->m_Name.GetText() + " " +
                            std::to_string(m_pDrawn->size()));
    }

    const char* m_pName;
    std::vector<std::string>* m_pHeard;
    const std::vector<i32>* m_pDrawn;
};

// A scene of three queues drawn as a viewport draws every scene, with two listeners: "Normal"
// and "Feather blend" (drawn twice) flagged to be heard, "Quiet" not; one member each, inside
// the view of no camera.
struct QueueListenerTest : RenderQueueTest
{
    QueueListenerTest()
    {
        g_ManagerManager.Initialize();
        const char* names[] = {"Normal", "Quiet", "Feather blend"};
        const u32 flags[] = {RENDER_QUEUE_NOTIFY, 0, RENDER_QUEUE_NOTIFY};
        scene.m_nQueueCount = 3;
        for (u32 i = 0; i < 3; ++i)
        {
            queues[i].m_Name = TName(names[i], true);
            queues[i].m_nFlags = RENDER_QUEUE_ENABLED | flags[i];
            scene.aRenderQueue[i] = &queues[i];
            members.push_back(std::make_unique<TTestObject>(static_cast<i32>(i), &log, 0.5f));
            members.back()->SetQueue(&queues[i]);
        }
        g_pRenderSceneManager->Scenes().Add(&scene);
        g_pRenderSceneManager->AddListener(&first);
        g_pRenderSceneManager->AddListener(&second);
    }
    ~QueueListenerTest() override
    {
        g_pRenderSceneManager->RemoveListener(&first);
        g_pRenderSceneManager->RemoveListener(&second);
        g_pRenderSceneManager->Scenes().SetCount(0);
        for (auto& member : members)
            member->RemoveFromQueue();
    }

    TRenderQueue queues[3]{};
    TRenderScene scene{};
    std::vector<std::unique_ptr<TTestObject>> members;
    std::vector<std::string> heard;
    TQueueListener first{"1", &heard, &log};
    TQueueListener second{"2", &heard, &log};
};
} // namespace

TEST_F(RenderQueueTest, UnsortedQueuesKeepListOrderAndSortedOnesDrawNearestFirstAndAtMost2048)
{
    std::vector<std::unique_ptr<TTestObject>> objects;
    const auto fill = [&](i32 count, auto distance) {
        for (auto& o : objects)
            o->RemoveFromQueue();
        objects.clear();
        log.clear();
        for (i32 i = 0; i < count; ++i)
        {
            objects.push_back(std::make_unique<TTestObject>(i, &log, distance(i)));
            objects.back()->SetQueue(&queue);
        }
    };
    const auto passAll = [](TRenderObject*, const TMatrix*, void*) -> u32 { return 1; };
    const f32 distances[] = {5.0f, 1.0f, 9.0f, 3.0f, 7.0f, 2.0f, 8.0f};
    fill(7, [&](i32 i) { return distances[i]; });
    queue.Render(&context, [](TRenderObject* o, const TMatrix*, void*) -> u32 { return o->GetMatrix()->aRow[3].z > 2.0f; },
                 nullptr);
    EXPECT_EQ((std::vector<i32>{0, 2, 3, 4, 6}), log);
    log.clear();
    queue.m_nFlags = RENDER_QUEUE_SORTED;
    queue.Render(&context, passAll, nullptr);
    EXPECT_EQ((std::vector<i32>{1, 5, 3, 0, 4, 6, 2}), log);
    // The first 2,048 in list order are drawn; the rest wait for another pass. The nearest
    // member comes last in the list and is left out.
    fill(2050, [](i32 i) { return 3000.0f - static_cast<f32>(i); });
    queue.Render(&context, passAll, nullptr);
    ASSERT_EQ(2048u, log.size());
    EXPECT_EQ(2047, log.front());
    EXPECT_EQ(0, log.back());
    fill(0, [](i32) { return 0.0f; });
}

// Every listener hears a flagged queue once before and once after each pass over its members,
// in the order they were added, frame after frame.
TEST_F(QueueListenerTest, ListenersHearAFlaggedQueueBeforeAndAfterEachPass)
{
    for (i32 frame = 0; frame < 2; ++frame)
    {
        heard.clear();
        log.clear();
        g_pRenderSceneManager->RenderAllScenes(&context);
        EXPECT_EQ((std::vector<i32>{0, 1, 2, 2}), log) << frame;
        EXPECT_EQ((std::vector<std::string>{"1 before Normal 0", "2 before Normal 0", "1 after Normal 1",
                                            "2 after Normal 1", "1 before Feather blend 2", "2 before Feather blend 2",
                                            "1 after Feather blend 3", "2 after Feather blend 3",
                                            "1 before Feather blend 3", "2 before Feather blend 3",
                                            "1 after Feather blend 4", "2 after Feather blend 4"}),
                  heard)
            << frame;
    }
}
