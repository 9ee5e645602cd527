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
