// The background scenery: traffic cars on bad curves skipped with one line each, the others
// driving on; power-line wires by distance (the segment counts), the buffer's flush at 1,000
// vertices, a disabled root, a line node of fewer than two points.
#include "gamefixture.h"

#include "engine/render/camera.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/shader.h"
#include "engine/system/node.h"
#include "engine/system/translation.h"
#include "morvane/game/backgroundscenery.h"
#include "morvane/game/trafficvehicle.h"
#include "support/recordingdevice.h"

#include <cstring>

namespace
{
// A line buffer that keeps how many vertices each draw drew.
class TLineRecorder : public TDynamicMesh
{
public:
    void* LockVertices(u32 count) override
    {
        m_aVertex.assign(count, TLineVertex{});
        return m_aVertex.data();
    }
    void Draw(u32 count, TShader*) override { aDraw.push_back(count); }
    void Release() override {}

    std::vector<u32> aDraw;

private:
    std::vector<TLineVertex> m_aVertex;
};

const std::vector<TVector> kSquare = {TVector(0, 0, 0, 1), TVector(0, 0, 10, 1), TVector(10, 0, 10, 1),
                                      TVector(0, 0, 0, 1)};

class TrafficTest : public GameTest
{
protected:
    TTrafficVehicle& Car(u8 curve, u8 segment, f32 speed)
    {
        TTrafficVehicle& car = m_aCar.emplace_back();
        std::memset(&car, 0, sizeof car);
        car.nCurve = curve;
        car.nSegment = segment;
        car.fSpeed = speed;
        car.World = TMatrix(1.0f);
        m_aCars.Add(&car);
        return car;
    }
    void Frame(TCurvePool& pool, f32 step) { m_Scenery.DrawTraffic(&pool, m_aCars, nullptr, m_Camera, step); }

    // A child of the lines' root whose points are user-data records.
    TNode* Line(const std::vector<TVector>& points)
    {
        TNode* node = g_pNodeManager->CreateNode("wire");
        Lines()->AddChild(node);
        for (const TVector& p : points)
        {
            TUserData record;
            const f32 at[4] = {p.x, p.y, p.z, 1.0f};
            std::memcpy(record.aWord, at, sizeof at);
            node->aUserData.Add(record);
        }
        node->m_nUserDataFlag = 1;
        return node;
    }
    // The root, made inside the test (the cluster clears nodes between tests).
    TNode* Lines()
    {
        if (!m_pLines)
            m_pLines = g_pNodeManager->CreateNode("PowerLineCurves");
        return m_pLines;
    }
    void DrawLines() { m_Scenery.DrawPowerLines(Lines(), TVector(0.0f, 10.0f, 0.0f, 1.0f)); }

    std::deque<TTrafficVehicle> m_aCar;
    DArray<TTrafficVehicle*> m_aCars;
    TCamera m_Camera;
    TBackgroundScenery m_Scenery;
    TLineRecorder m_Buffer;
    TJournal m_Journal;
    TRecordingShader m_Shader{"lines", m_Journal};
    TNode* m_pLines = nullptr;
};
} // namespace

TEST_F(TrafficTest, CarsOnABadCurveAreSkippedWithOneLineEach)
{
    TCurvePool& pool = AddCurvePool("TrafficCurve", {kSquare, {TVector(1, 0, 1, 1)}});
    TTrafficVehicle& good = Car(0, 0, 10.0f);
    TTrafficVehicle& single = Car(1, 0, 10.0f);
    TTrafficVehicle& outside = Car(2, 0, 10.0f);
    Frame(pool, 0.1f);
    Frame(pool, 0.1f);
    // The first frame took up segment 1 (a stored car has none yet), the second drove on.
    ExpectRow(good.World.Translation(), 2, 0, 10);
    ExpectRow(single.World.Translation(), 0, 0, 0);
    ExpectRow(outside.World.Translation(), 0, 0, 0);
    EXPECT_EQ(LogCount("traffic car 1: curve 1 has 1 points, a car needs 2: skipped"), 1u) << Log();
    EXPECT_EQ(LogCount("traffic car 2: curve 2 lies outside the 2 curves: skipped"), 1u) << Log();
}

TEST_F(TrafficTest, TheLineBufferDrawsWhenTheNextWireWouldNotFit)
{
    m_Scenery.AttachLineBuffer(&m_Buffer, &m_Shader);
    // 101 near wires of ten vertices: a hundred fill the buffer.
    std::vector<TVector> poles;
    for (i32 i = 0; i <= 101; ++i)
        poles.push_back(TVector(static_cast<f32>(i), 10, 50, 1));
    Line(poles);
    DrawLines();
    EXPECT_EQ(m_Buffer.aDraw, (std::vector<u32>{1000, 10}));
    EXPECT_EQ(m_Scenery.GetLineDraws(), 2u);

    // Beyond 4,000 a wire takes six vertices: 166 fill 996, the next one draws them.
    m_Buffer.aDraw.clear();
    Lines()->GetChild(0)->aUserData.SetCount(0);
    poles.clear();
    for (i32 i = 0; i <= 167; ++i)
        poles.push_back(TVector(static_cast<f32>(i), 10, 5000, 1));
    Line(poles);
    DrawLines();
    EXPECT_EQ(m_Buffer.aDraw, (std::vector<u32>{996, 6}));

    // Nothing while the root is switched off.
    m_Buffer.aDraw.clear();
    Lines()->Enable(0, 0);
    DrawLines();
    EXPECT_TRUE(m_Buffer.aDraw.empty());
}

TEST_F(TrafficTest, ALineNodeOfFewerThanTwoPointsIsSkippedWithOneLine)
{
    m_Scenery.AttachLineBuffer(&m_Buffer, &m_Shader);
    TNode* single = Line({TVector(0, 10, 50, 1)});
    single->m_Name = TName("lonely_pole", true);
    Line({TVector(0, 10, 50, 1), TVector(5, 10, 50, 1)});
    m_Scenery.OnClusterLoad(Lines());
    DrawLines();
    DrawLines();
    EXPECT_EQ(m_Buffer.aDraw, (std::vector<u32>{10, 10}));
    EXPECT_EQ(LogCount("power line 'lonely_pole' has 1 points, a wire needs 2: skipped"), 1u) << Log();
}
