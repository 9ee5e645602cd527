#include "core/math/scalar.h"
#include "core/math/vector.h"
#include "expectvector.h"

#include <cmath>

TEST(Vector, NormalizeKeepsWAndLeavesTinyVectors)
{
    ExpectVectorNear(TVector(0.6f, 0.0f, 0.8f, 5.0f), TVector(3.0f, 0.0f, 4.0f, 5.0f).Normalized());
    const TVector zero(0.0f, 0.0f, 0.0f, 1.0f);
    const TVector normalized = zero.Normalized();
    EXPECT_FALSE(std::isnan(normalized.x));
    ExpectVectorNear(zero, normalized);

    TVector v(0.0f, 2.0f, 0.0f, 1.0f);
    v.SetLength(5.0f);
    ExpectVectorNear(TVector(0.0f, 5.0f, 0.0f, 1.0f), v);
    TVector tiny(1e-31f, 0.0f, 0.0f, 1.0f);
    tiny.SetLength(5.0f);
    EXPECT_EQ(1e-31f, tiny.x);
}

TEST(Vector, CopyVector4ArrayPacksStridedRecordsUpToTheCapacity)
{
    struct Record
    {
        float value[4];
        int tag;
    };
    const Record source[3] = {{{1, 2, 3, 4}, 0}, {{5, 6, 7, 8}, 0}, {{9, 10, 11, 12}, 0}};
    TVector packed[3] = {};
    packed[2] = TVector(-1.0f, -1.0f, -1.0f, -1.0f);
    CopyVector4Array(packed, source, sizeof(Record), 3, 2);
    ExpectVectorNear(TVector(1, 2, 3, 4), packed[0]);
    ExpectVectorNear(TVector(5, 6, 7, 8), packed[1]);
    ExpectVectorNear(TVector(-1, -1, -1, -1), packed[2]);
}

TEST(DoubleNormalizers, DivideByTheLengthRoundedToFloat)
{
    f64 flat[2] = {3.0, 4.0};
    NormalizeDouble2(flat);
    EXPECT_DOUBLE_EQ(flat[0], 0.6);
    EXPECT_DOUBLE_EQ(flat[1], 0.8);
    f64 space[3] = {2.0, 3.0, 6.0};
    NormalizeDouble3(space);
    EXPECT_DOUBLE_EQ(space[0], 2.0 / 7.0);
    EXPECT_DOUBLE_EQ(space[2], 6.0 / 7.0);

    // The double length 1.000000005 rounds to the float 1: x is not scaled at all.
    f64 nearlyUnit[2] = {1.0, 1e-4};
    NormalizeDouble2(nearlyUnit);
    EXPECT_EQ(nearlyUnit[0], 1.0);
    f64 nearlyUnit3[3] = {1.0, 0.0, 1e-4};
    NormalizeDouble3(nearlyUnit3);
    EXPECT_EQ(nearlyUnit3[0], 1.0);

    f64 zero[3] = {0.0, 0.0, 0.0};
    NormalizeDouble3(zero);
    EXPECT_EQ(zero[0], 0.0);
    EXPECT_EQ(zero[2], 0.0);
}
