#pragma once

#include "core/math/vector.h"

// A 4x4 single-precision matrix stored by rows: the X, Y and Z axes, then the translation.
// Points are row vectors (p' = p x M), so in A x B the transform A applies first. Affine
// matrices keep the last column (0, 0, 0, 1): axis rows have w = 0, the translation w = 1.
// Angles given to the rotation builders are degrees.
struct TMatrix
{
    TVector aRow[4];

    TMatrix() = default;
    // Zero except for the four diagonal elements, all `diagonal` (the identity for 1).
    explicit TMatrix(float diagonal);

    TVector& AxisX() { return aRow[0]; }
    TVector& AxisY() { return aRow[1]; }
    TVector& AxisZ() { return aRow[2]; }
    TVector& Translation() { return aRow[3]; }
    const TVector& AxisX() const { return aRow[0]; }
    const TVector& AxisY() const { return aRow[1]; }
    const TVector& AxisZ() const { return aRow[2]; }
    const TVector& Translation() const { return aRow[3]; }

    void Copy(const TMatrix& source);

    // A x B for affine matrices.
    static TMatrix Multiply(const TMatrix& a, const TMatrix& b);
    // A x R^-1 for a rigid R (orthonormal rotation and translation).
    static TMatrix MultiplyInverse(const TMatrix& a, const TMatrix& rigid);
    // The general inverse; a singular matrix gives the identity.
    TMatrix Inverse() const;

    // The point p x M (w = 1) of an affine matrix.
    TVector TransformPoint(const TVector& point) const;
    // The lengths of the three axis rows (w = 1).
    TVector GetScale() const;

    static TMatrix RotationX(float degrees);
    static TMatrix RotationY(float degrees);
    static TMatrix RotationZ(float degrees);
    // RotationX (pitch) x RotationY (heading).
    static TMatrix RotationYawPitch(float heading, float pitch);
    // RotationX (x) x RotationY (y) x RotationZ (z): the X rotation applies first.
    static TMatrix RotationXYZ(float x, float y, float z);

    // An orthonormal rotation whose Z row is the forward direction and whose X row is
    // up x forward; translation 0.
    void SetOrientation(const TVector& forward, const TVector& up);
    // A rotation frame in which the direction becomes the X axis (variant 0), the Y axis
    // (variant 1) or the Z axis (any other variant); translation 0.
    TMatrix& SetFromDirection(const TVector& direction, int variant);
    // An orthonormal rotation whose Z row is the normalised direction: the world's up vector
    // gives a provisional Y row, X = Y x Z, then Y = Z x X; translation 0. A direction along
    // the up vector takes the world's Z axis as provisional Y instead.
    static TMatrix BuildFromDirection(const TVector& direction);
};
static_assert(sizeof(TMatrix) == 64);
static_assert(alignof(TMatrix) == 4);
