#include "engine/render/rendercontext.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"

#include <gtest/gtest.h>

#include <memory>
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

u32 PassAll(TRenderObject*, const TMatrix*, void*)
{
    return 1;
}

struct RenderQueueTest : testing::Test
{
    TRenderQueue queue{};
    std::vector<i32> log;
    TRenderContext context;
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
    const f32 distances[] = {5.0f, 1.0f, 9.0f, 3.0f, 7.0f, 2.0f, 8.0f};
    fill(7, [&](i32 i) { return distances[i]; });
    queue.Render(&context, [](TRenderObject* o, const TMatrix*, void*) -> u32 { return o->GetMatrix()->aRow[3].z > 2.0f; },
                 nullptr);
    EXPECT_EQ((std::vector<i32>{0, 2, 3, 4, 6}), log);
    log.clear();
    queue.m_nFlags = RENDER_QUEUE_SORTED;
    queue.Render(&context, PassAll, nullptr);
    EXPECT_EQ((std::vector<i32>{1, 5, 3, 0, 4, 6, 2}), log);
    // The first 2,048 in list order are drawn; the rest wait for another pass. The nearest
    // member comes last in the list and is left out.
    fill(2050, [](i32 i) { return 3000.0f - static_cast<f32>(i); });
    queue.Render(&context, PassAll, nullptr);
    ASSERT_EQ(2048u, log.size());
    EXPECT_EQ(2047, log.front());
    EXPECT_EQ(0, log.back());
    fill(0, [](i32) { return 0.0f; });
}
