#include "expectvector.h"


namespace
{
// The full 4x4 product, independent of the affine shortcut under test.
TMatrix Product(const TMatrix& a, const TMatrix& b)
{
    float x[4][4], y[4][4], r[4][4] = {};
    for (int i = 0; i < 4; ++i)
    {
        const TVector& ra = a.aRow[i];
        const TVector& rb = b.aRow[i];
        x[i][0] = ra.x, x[i][1] = ra.y, x[i][2] = ra.z, x[i][3] = ra.w;
        y[i][0] = rb.x, y[i][1] = rb.y, y[i][2] = rb.z, y[i][3] = rb.w;
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r[i][j] += x[i][k] * y[k][j];
    TMatrix m;
    for (int i = 0; i < 4; ++i)
        m.aRow[i] = TVector(r[i][0], r[i][1], r[i][2], r[i][3]);
    return m;
}

TMatrix Translated(TMatrix m, float x, float y, float z)
{
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

void ExpectOrthonormal(const TMatrix& m)
{
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_NEAR(1.0f, m.aRow[i].Length(), 1e-5f) << "row " << i;
        EXPECT_EQ(0.0f, m.aRow[i].w) << "row " << i;
        for (int j = i + 1; j < 3; ++j)
            EXPECT_NEAR(0.0f, m.aRow[i].Dot(m.aRow[j]), 1e-5f) << "rows " << i << ", " << j;
    }
    // Right-handed: X x Y = Z.
    const TVector z = TVector::Cross(m.aRow[0], m.aRow[1]);
    ExpectVectorNear(TVector(m.aRow[2].x, m.aRow[2].y, m.aRow[2].z, 1.0f), z);
    ExpectVectorNear(TVector(0.0f, 0.0f, 0.0f, 1.0f), m.aRow[3]);
}
} // namespace

TEST(Matrix, ProductsApplyTheLeftTransformFirstAndSingularMatricesInvertToTheIdentity)
{
    const TMatrix a = Translated(TMatrix::RotationY(30.0f), 1.0f, 2.0f, 3.0f);
    const TMatrix b = Translated(TMatrix::RotationX(-50.0f), -4.0f, 0.5f, 8.0f);
    const TVector p(0.3f, -2.0f, 5.0f, 1.0f);
    ExpectVectorNear(b.TransformPoint(a.TransformPoint(p)), TMatrix::Multiply(a, b).TransformPoint(p), 1e-4f);
    ExpectMatrixNear(Product(a, b), TMatrix::Multiply(a, b));

    ExpectMatrixNear(TMatrix::Multiply(TMatrix::RotationX(25.0f), TMatrix::RotationY(-70.0f)),
                     TMatrix::RotationYawPitch(-70.0f, 25.0f));
    ExpectMatrixNear(
        TMatrix::Multiply(TMatrix::Multiply(TMatrix::RotationX(10.0f), TMatrix::RotationY(20.0f)),
                          TMatrix::RotationZ(30.0f)),
        TMatrix::RotationXYZ(10.0f, 20.0f, 30.0f));
    TMatrix zeroRow = Translated(TMatrix::RotationY(20.0f), 1.0f, 2.0f, 3.0f);
    zeroRow.aRow[1] = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    ExpectMatrixNear(TMatrix(1.0f), zeroRow.Inverse(), 0.0f);
    ExpectMatrixNear(TMatrix(1.0f), TMatrix(0.0f).Inverse(), 0.0f);

    TMatrix dependent(1.0f);
    dependent.aRow[2] = TVector(2.0f, 0.0f, 0.0f, 0.0f); // twice the X row
    ExpectMatrixNear(TMatrix(1.0f), dependent.Inverse(), 0.0f);
}

TEST(Matrix, SetFromDirectionBuildsAnOrthonormalFrameAroundTheDirection)
{
    // Includes the directions for which the swapped auxiliary vector is parallel to the
    // direction itself: (1, 0, -1) and its permutations, and equal components.
    const TVector directions[] = {{1, 0, 0, 1},     {0, 1, 0, 1},  {0, 0, 1, 1},    {0, 0, -1, 1},
                                  {-1, 0, 0, 1},    {0, -3, 0, 1}, {1, 0, -1, 1},   {0, 1, -1, 1},
                                  {-1, 1, 0, 1},    {1, 1, 1, 1},  {-2, -2, -2, 1}, {0.3f, -0.7f, 2.0f, 1},
                                  {1e-4f, 0, 0, 1}, {5, 5, 0, 1},  {-1, 2, 3, 1},   {0.5f, 0.5f, -0.5f, 1}};
    for (const TVector& d : directions)
    {
        for (int variant = 0; variant < 4; ++variant)
        {
            SCOPED_TRACE(testing::Message()
                         << "direction (" << d.x << ", " << d.y << ", " << d.z << ") variant " << variant);
            TMatrix m(7.0f);
            EXPECT_EQ(&m, &m.SetFromDirection(d, variant));
            ExpectOrthonormal(m);
            const TVector unit = d.Normalized();
            ExpectVectorNear(TVector(unit.x, unit.y, unit.z, 0.0f), m.aRow[variant < 2 ? variant : 2]);
        }
    }
}
