#pragma once
// A pose of the physics SDK layer: rotation M (column form) and translation t; a point p of
// the local frame is M * p + t in the parent frame.
#include "platform/physics/nxmat33.h"

class NxMat34
{
public:
    NxMat33 M;
    NxVec3 t;

    NxMat34() = default;
    NxMat34(const NxMat33& rotation, const NxVec3& translation) : M(rotation), t(translation) {}

    void id() { M.id(); t.zero(); }
    bool operator==(const NxMat34& o) const { return M == o.M && t == o.t; }
    bool operator!=(const NxMat34& o) const { return !(*this == o); }

    NxVec3 operator*(const NxVec3& p) const { return M * p + t; }
    NxMat34 operator*(const NxMat34& o) const { return {M * o.M, M * o.t + t}; }
    // The inverse of a rigid pose.
    NxMat34 inverseRT() const
    {
        const NxMat33 r = M.transposed();
        return {r, -(r * t)};
    }
    NxVec3 multiplyByInverseRT(const NxVec3& p) const { return M.multiplyByTranspose(p - t); }
    // Sixteen floats of an engine matrix: rows X, Y, Z axes and the translation row.
    void setRowMajor44(const NxF32* d)
    {
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                M.m[r][c] = d[c * 4 + r];
        t.set(d[12], d[13], d[14]);
    }
    void getRowMajor44(NxF32* d) const
    {
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < 3; ++r)
                d[c * 4 + r] = M.m[r][c];
            d[c * 4 + 3] = 0;
        }
        d[12] = t.x; d[13] = t.y; d[14] = t.z; d[15] = 1;
    }
};
