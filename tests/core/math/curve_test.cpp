#include "core/math/curve.h"
#include "expectvector.h"

#include <cstring>
#include <initializer_list>
#include <memory>

namespace
{
// Curve data in a buffer of exactly its size, so that a read past the points is caught by the
// address sanitizer.
class CurveData
{
public:
    CurveData(std::initializer_list<TVector> points)
        : size(sizeof(uint32_t) + points.size() * sizeof(TVector)), bytes(new unsigned char[size])
    {
        const auto count = static_cast<uint32_t>(points.size());
        std::memcpy(bytes.get(), &count, sizeof(count));
        if (count != 0)
            std::memcpy(bytes.get() + sizeof(count), points.begin(), points.size() * sizeof(TVector));
    }

    const TCurve& Curve() const { return *reinterpret_cast<const TCurve*>(bytes.get()); }

private:
    size_t size;
    std::unique_ptr<unsigned char[]> bytes;
};

struct Result
{
    TVector status;
    TVector point;
};

Result Evaluate(int kind, const CurveData& data, float t)
{
    Result r{};
    TCurve::Evaluate(kind, r.status, data.Curve(), r.point, t);
    return r;
}

const TVector A(0.0f, 0.0f, 0.0f, 1.0f);
const TVector B(4.0f, 0.0f, 0.0f, 1.0f);
const TVector C(4.0f, 4.0f, 0.0f, 1.0f);
const TVector D(0.0f, 4.0f, 2.0f, 1.0f);
const TVector E(-3.0f, 1.0f, 2.0f, 1.0f);
} // namespace

TEST(Curve, PolylinesAndBeziersInterpolateInsideTheirSegment)
{
    const CurveData line{A, B};
    const Result r = Evaluate(TCurve::Polyline, line, 0.25f);
    ExpectVectorNear(TVector(1.0f, 0.0f, 0.0f, 1.0f), r.point);
    ExpectVectorNear(TVector(1.0f, 0.0f, 0.25f, 1.0f), r.status);

    const CurveData path{A, B, C};
    const Result second = Evaluate(TCurve::Polyline, path, 0.75f);
    ExpectVectorNear(TVector(4.0f, 2.0f, 0.0f, 1.0f), second.point);
    ExpectVectorNear(TVector(1.0f, 1.0f, 0.5f, 1.0f), second.status);

    // A Bezier groups four points a segment.
    const CurveData one{A, B, C, D};
    // (A + 3B + 3C + D) / 8 at u = 0.5.
    ExpectVectorNear(TVector(3.0f, 2.0f, 0.25f, 1.0f), Evaluate(TCurve::Bezier, one, 0.5f).point);

    const CurveData two{A, B, C, D, E, A, B, C};
    const Result bezier = Evaluate(TCurve::Bezier, two, 0.5f);
    ExpectVectorNear(E, bezier.point);
    ExpectVectorNear(TVector(1.0f, 1.0f, 0.0f, 1.0f), bezier.status);
}

TEST(Curve, EndsClampToTheFirstAndLastPointAndShortCurvesNeverReadPastThem)
{
    const CurveData path{A, B, C, D, E};
    for (int kind = 0; kind < 5; ++kind)
    {
        SCOPED_TRACE(kind);
        const Result before = Evaluate(kind, path, -0.5f);
        ExpectVectorNear(A, before.point);
        EXPECT_EQ(0.0f, before.status.x);
        const Result after = Evaluate(kind, path, 1.0f);
        ExpectVectorNear(E, after.point);
        EXPECT_EQ(2.0f, after.status.x);
    }
    // Short curves never read past their points.
    const CurveData none{};
    for (int kind = 0; kind < 4; ++kind)
        for (float t : {-1.0f, 0.0f, 0.5f, 1.0f})
            ExpectVectorNear(TVector(0.0f, 0.0f, 0.0f, 1.0f), Evaluate(kind, none, t).point);

    const CurveData single{C};
    for (int kind = 0; kind < 4; ++kind)
        for (float t : {-1.0f, 0.0f, 0.3f, 0.99f, 1.0f})
            ExpectVectorNear(C, Evaluate(kind, single, t).point);

    // A Bezier needs four points; with fewer the nearer end stands for it.
    const CurveData three{A, B, C};
    ExpectVectorNear(A, Evaluate(TCurve::Bezier, three, 0.2f).point);
    ExpectVectorNear(C, Evaluate(TCurve::Bezier, three, 0.8f).point);

    // Just below 1 the last segment is used, never one past it.
    ExpectVectorNear(C, Evaluate(TCurve::CatmullRom, three, 0.99999994f).point, 1e-4f);
}
