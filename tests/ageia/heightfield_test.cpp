#include "ageia/nxheightfield.h"
#include "core/system/memory.h"
#include "dynamicsfixture.h"
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxshapes.h"

#include <vector>

namespace
{
class HeightFieldTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        m_nLiveBefore = Live();
        m_nActorsBefore = Scene().getNbActors();
    }

    // Blocks of the counted allocator still held.
    static u32 Live() { return g_MemoryAllocations - g_MemoryReleases; }

    // rows x columns samples of one height, from the counted allocator.
    static void* Samples(u32 rows, u32 columns, i16 height)
    {
        auto* samples = static_cast<NxHeightFieldSample*>(MemoryAllocate(rows * columns * 4));
        for (u32 i = 0; i < rows * columns; ++i)
            samples[i] = {height, 0, 0};
        return samples;
    }

    static void Build(TNxHeightField& field, u32 rows, u32 columns, i16 height = 0)
    {
        TMatrix place(1.0f);
        place.aRow[3] = TVector(10.0f, 0.0f, 20.0f, 1.0f);
        const f32 extents[4] = {64.0f, 200.0f, 32.0f, 0.0f};
        field.Build(place, rows, columns, extents, Samples(rows, columns, height), 0);
    }

    static u32 Rows(TNxHeightField& field)
    {
        return static_cast<NxHeightFieldShape*>(field.GetShape())->getHeightField().getNbRows();
    }

    u32 m_nLiveBefore = 0;
    u32 m_nActorsBefore = 0;
};
} // namespace

TEST_F(HeightFieldTest, ABuildIsCarriedOutAtTheFrameUpdateAsOneStaticActor)
{
    TNxHeightField field;
    Build(field, 8, 4, 100);
    EXPECT_EQ(std::vector<u32>({HEIGHT_FIELD_BUILD_PENDING, 0}), std::vector<u32>({field.GetState(), field.IsBuilt()}));
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, field.IsBuilt());
    EXPECT_EQ(std::vector<u32>({0, m_nLiveBefore}), std::vector<u32>({field.GetState(), Live()}));
    NxActor* actor = field.GetActor();
    ASSERT_NE(nullptr, actor);
    EXPECT_FALSE(actor->isDynamic());
    EXPECT_FLOAT_EQ(20.0f, actor->getGlobalPosition().z);
    const auto* data = static_cast<const TCollisionUserData*>(actor->userData);
    auto* shape = static_cast<NxHeightFieldShape*>(field.GetShape());
    EXPECT_TRUE(data->nKind == COLLISION_USER_HEIGHTFIELD && data->pObject == &field && shape->userData == data);
    EXPECT_EQ(HEIGHT_FIELD_GROUPS_MASK, shape->getGroupsMask().bits0);
    EXPECT_EQ(std::vector<f32>({64.0f / 8.0f, 32.0f / 4.0f, 200.0f / 65535.0f}),
              std::vector<f32>({shape->getRowScale(), shape->getColumnScale(), shape->getHeightScale()}));
    EXPECT_EQ(8u, Rows(field));

    field.Release();
    Manager().UpdateManager(0.0f);
    EXPECT_EQ(0u, field.IsBuilt());
    EXPECT_EQ(m_nActorsBefore, Scene().getNbActors());
    EXPECT_EQ(0u, Manager().GetSDK()->getNbHeightFields());
}

TEST_F(HeightFieldTest, RequestsCancelEachOtherAndIgnoredOrDroppedSamplesAreFreed)
{
    // Build then release before the update: nothing built, the samples freed.
    TNxHeightField field;
    Build(field, 4, 4);
    field.Release();
    EXPECT_EQ(0u, field.GetState());
    EXPECT_EQ(m_nLiveBefore, Live());
    Manager().UpdateManager(0.0f);
    EXPECT_EQ(0u, field.IsBuilt());

    // A release of a field never built does nothing.
    field.Release();
    EXPECT_EQ(0u, field.GetState());

    // Two builds: the first is carried out, the second's samples are freed at once.
    Build(field, 4, 4);
    Build(field, 6, 6);
    EXPECT_EQ(m_nLiveBefore + 1, Live());
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, field.IsBuilt());
    EXPECT_EQ(4u, Rows(field));

    // Release then build: the release is cancelled and the new samples replace the field.
    field.Release();
    EXPECT_EQ(HEIGHT_FIELD_RELEASE_PENDING, field.GetState());
    Build(field, 6, 6);
    EXPECT_EQ(HEIGHT_FIELD_BUILD_PENDING, field.GetState());
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, field.IsBuilt());
    EXPECT_EQ(6u, Rows(field));
    EXPECT_EQ(1u, Manager().GetSDK()->getNbHeightFields());
    EXPECT_EQ(m_nActorsBefore + 1, Scene().getNbActors());
    EXPECT_EQ(m_nLiveBefore, Live());
    field.ReleaseObjects();
    // A cluster unload drops a pending build and frees its samples.
    Build(field, 4, 4);
    Manager().OnClusterUnload();
    EXPECT_EQ(0u, field.GetState());
    EXPECT_EQ(m_nLiveBefore, Live());
}

TEST_F(HeightFieldTest, TheArrayRefusesItsTwoThousandFortyNinthFieldAndClearingReleasesEverything)
{
    auto* fields = MemoryNew<TNxHeightFieldArray>();
    for (u32 i = 0; i < HEIGHT_FIELD_CAPACITY; ++i)
        ASSERT_NE(nullptr, fields->Create());
    EXPECT_EQ(nullptr, fields->Create());
    EXPECT_EQ(HEIGHT_FIELD_CAPACITY, fields->GetCount());

    Build(*fields->Get(0), 4, 4);
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, fields->Get(0)->IsBuilt());
    // Pending work of the array's fields goes with them: a release, a build with its samples.
    fields->Get(0)->Release();
    Build(*fields->Get(1), 4, 4);
    const u32 live = Live();
    fields->Clear();
    EXPECT_EQ(live - 1, Live());
    EXPECT_EQ(0u, fields->GetCount());
    EXPECT_EQ(m_nActorsBefore, Scene().getNbActors());
    EXPECT_EQ(0u, Manager().GetSDK()->getNbHeightFields());
    // Nothing is left for the next update to touch.
    Manager().UpdateManager(0.0f);
    EXPECT_EQ(m_nActorsBefore, Scene().getNbActors());
    MemoryDelete(fields);
}

TEST_F(HeightFieldTest, ANewSceneLeavesNoHeightFieldHoldingAnActorOfTheOldOne)
{
    auto* fields = MemoryNew<TNxHeightFieldArray>();
    TNxHeightField* built = fields->Create();
    TNxHeightField* waiting = fields->Create();
    Build(*built, 4, 4);
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, built->IsBuilt());
    built->Release();
    Build(*waiting, 4, 4);
    // A cluster load replaces the scene: the built field lets go, the waiting build goes on.
    Manager().OnClusterLoad();
    EXPECT_EQ(0u, built->IsBuilt());
    EXPECT_EQ(0u, built->GetState());
    EXPECT_EQ(0u, Manager().GetSDK()->getNbHeightFields());
    Manager().UpdateManager(0.0f);
    EXPECT_EQ(1u, waiting->IsBuilt());
    EXPECT_EQ(&Scene(), &waiting->GetActor()->getScene());
    built->Release();
    fields->Clear();
    MemoryDelete(fields);
    EXPECT_EQ(m_nLiveBefore, Live());
}
