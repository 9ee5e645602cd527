#pragma once
// A 3x3 rotation of the physics SDK layer in column form: a vector is transformed as M * v,
// so the columns are the images of the axes. Engine matrices are rows; they are transposed
// on their way in and out (setRowMajor, getRowMajor).
#include "platform/physics/nxquat.h"

class NxMat33
{
public:
    NxReal m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // m[row][column]

    NxMat33() = default;
    explicit NxMat33(const NxQuat& q) { fromQuat(q); }

    void id() { *this = NxMat33(); }
    void zero() { for (auto& r : m) r[0] = r[1] = r[2] = 0; }
    bool isIdentity() const { return *this == NxMat33(); }
    bool operator==(const NxMat33& o) const
    {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (m[r][c] != o.m[r][c])
                    return false;
        return true;
    }

    NxVec3 getColumn(int c) const { return {m[0][c], m[1][c], m[2][c]}; }
    void setColumn(int c, const NxVec3& v) { m[0][c] = v.x; m[1][c] = v.y; m[2][c] = v.z; }
    NxVec3 getRow(int r) const { return {m[r][0], m[r][1], m[r][2]}; }
    void setRow(int r, const NxVec3& v) { m[r][0] = v.x; m[r][1] = v.y; m[r][2] = v.z; }
    // Nine floats, row after row, in the column-vector convention.
    void setRowMajor(const NxF32* d) { for (int i = 0; i < 9; ++i) m[i / 3][i % 3] = d[i]; }
    void getRowMajor(NxF32* d) const { for (int i = 0; i < 9; ++i) d[i] = m[i / 3][i % 3]; }
    // Nine floats, column after column: the rows of a row-vector matrix.
    void setColumnMajor(const NxF32* d) { for (int i = 0; i < 9; ++i) m[i % 3][i / 3] = d[i]; }
    void getColumnMajor(NxF32* d) const { for (int i = 0; i < 9; ++i) d[i] = m[i % 3][i / 3]; }

    NxVec3 operator*(const NxVec3& v) const
    {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
    NxVec3 multiplyByTranspose(const NxVec3& v) const
    {
        return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z, m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
                m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
    }
    NxMat33 operator*(const NxMat33& o) const
    {
        NxMat33 r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
        return r;
    }
    NxMat33 transposed() const
    {
        NxMat33 r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i][j] = m[j][i];
        return r;
    }
    void fromQuat(const NxQuat& q)
    {
        const NxReal xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
        const NxReal xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
        const NxReal wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
        m[0][0] = 1 - 2 * (yy + zz); m[0][1] = 2 * (xy - wz);     m[0][2] = 2 * (xz + wy);
        m[1][0] = 2 * (xy + wz);     m[1][1] = 1 - 2 * (xx + zz); m[1][2] = 2 * (yz - wx);
        m[2][0] = 2 * (xz - wy);     m[2][1] = 2 * (yz + wx);     m[2][2] = 1 - 2 * (xx + yy);
    }
    NxQuat toQuat() const
    {
        NxQuat q;
        const NxReal trace = m[0][0] + m[1][1] + m[2][2];
        if (trace > 0) {
            const NxReal s = std::sqrt(trace + 1) * 2;
            q = {(m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s, 0.25f * s};
        } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
            const NxReal s = std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]) * 2;
            q = {0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[2][1] - m[1][2]) / s};
        } else if (m[1][1] > m[2][2]) {
            const NxReal s = std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]) * 2;
            q = {(m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[0][2] - m[2][0]) / s};
        } else {
            const NxReal s = std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]) * 2;
            q = {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[1][0] - m[0][1]) / s};
        }
        q.normalize();
        return q;
    }
};
