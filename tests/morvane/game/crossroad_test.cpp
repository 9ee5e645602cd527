// Crossroad areas: units pass one at a time, first in first out; a head waiting longer than
// 240 s is dropped; a 33rd unit is refused and waits outside.
#include "gamefixture.h"

#include "morvane/game/crossroadarea.h"

namespace
{
class CrossroadTest : public GameTest
{
protected:
    // A unit whose front point and position lie at the place (it has no body: its position is
    // its prop's node's).
    TAICommonUnit& UnitAt(f32 x, f32 z)
    {
        TAICommonUnit& unit = AddUnit(1);
        TNode* place = g_pNodeManager->CreateNode("crossing_unit");
        place->SetLocalMatrix(Translation(x, 0.0f, z), TNode::OrdinaryCause());
        TProp& prop = m_aProp.emplace_back();
        place->AddObject(&prop);
        unit.pProp = &prop;
        Move(unit, x, z);
        return unit;
    }
    static void Move(TAICommonUnit& unit, f32 x, f32 z)
    {
        unit.FrontPoint = TVector(x, 0.0f, z, 1.0f);
        unit.pProp->GetNode()->SetLocalMatrix(Translation(x, 0.0f, z), TNode::OrdinaryCause());
    }

    TCrossroadArea m_Area{0.0f, 0.0f, 0.0f, 1.0f, 8.0f, {}};
};
} // namespace

TEST_F(CrossroadTest, UnitsPassOneAtATimeFirstInFirstOutAndAHeadWaitingLongerThan240SecondsIsDropped)
{
    TAICommonUnit& first = UnitAt(2.0f, 0.0f);
    m_Area.Update(Game().Units(), kFrame);
    ASSERT_EQ(m_Area.aAIUnit.GetCount(), 1u);
    EXPECT_EQ(first.m_nHold, 0u) << "a single unit entering an empty area is not held";
    TAICommonUnit& second = UnitAt(-2.0f, 0.0f);
    m_Area.Update(Game().Units(), kFrame);
    ASSERT_EQ(m_Area.aAIUnit.GetCount(), 2u);
    EXPECT_EQ(second.m_nHold, 1u);
    // The head drives out: the next one is released.
    Move(first, 20.0f, 0.0f);
    m_Area.Update(Game().Units(), kFrame);
    ASSERT_EQ(m_Area.aAIUnit.GetCount(), 1u);
    EXPECT_EQ(m_Area.aAIUnit[0], &second);
    EXPECT_EQ(second.m_nHold, 0u);
    // Busy units do not join.
    TAICommonUnit& working = UnitAt(1.0f, 1.0f);
    working.m_nWorking = 1;
    m_Area.Update(Game().Units(), kFrame);
    EXPECT_EQ(m_Area.aAIUnit.GetCount(), 1u);
    // A head that waits beyond 240 s is dropped.
    TAICommonUnit& next = UnitAt(-2.0f, 1.0f);
    m_Area.Update(Game().Units(), kFrame);
    second.m_fCrossroadWait = 240.0f - kFrame;
    m_Area.Update(Game().Units(), kFrame);
    EXPECT_EQ(m_Area.aAIUnit.GetCount(), 2u) << "at 240 it still waits";
    m_Area.Update(Game().Units(), kFrame);
    ASSERT_EQ(m_Area.aAIUnit.GetCount(), 1u);
    EXPECT_EQ(m_Area.aAIUnit[0], &next);
    EXPECT_EQ(next.m_nHold, 0u);
}

TEST_F(CrossroadTest, AThirtyThirdUnitWaitsOutsideUntilAPlaceFrees)
{
    std::vector<TAICommonUnit*> units;
    for (u32 i = 0; i < CROSSROAD_QUEUE_CAPACITY + 1; ++i)
        units.push_back(&UnitAt(0.1f * static_cast<f32>(i), 0.0f));
    m_Area.Update(Game().Units(), kFrame);
    EXPECT_EQ(m_Area.aAIUnit.GetCount(), CROSSROAD_QUEUE_CAPACITY) << "the 32nd is taken";
    TAICommonUnit& last = *units.back();
    EXPECT_FALSE(m_Area.IsQueued(&last));
    EXPECT_EQ(last.m_nHold, 1u);
    EXPECT_NE(Log().find("the crossroad's queue of 32 is full: it waits outside"), std::string::npos) << Log();
    // The head leaves: the waiting unit takes the free place.
    Move(*units[0], 50.0f, 0.0f);
    m_Area.Update(Game().Units(), kFrame);
    m_Area.Update(Game().Units(), kFrame);
    EXPECT_TRUE(m_Area.IsQueued(&last));
    EXPECT_EQ(m_Area.aAIUnit.GetCount(), CROSSROAD_QUEUE_CAPACITY);
}
