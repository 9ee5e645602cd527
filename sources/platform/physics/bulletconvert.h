#pragma once
// Between the layer's maths and the back end's.
#include <LinearMath/btTransform.h>
#include "platform/physics/nxmat34.h"

inline btVector3 toBt(const NxVec3& v)
{
    return {v.x, v.y, v.z};
}

inline NxVec3 toNx(const btVector3& v)
{
    return {v.x(), v.y(), v.z()};
}

inline btMatrix3x3 toBt(const NxMat33& m)
{
    return {m.m[0][0], m.m[0][1], m.m[0][2], m.m[1][0], m.m[1][1], m.m[1][2], m.m[2][0], m.m[2][1], m.m[2][2]};
}

inline NxMat33 toNx(const btMatrix3x3& b)
{
    NxMat33 m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[r][c] = b[r][c];
    return m;
}

inline btTransform toBt(const NxMat34& pose)
{
    return btTransform(toBt(pose.M), toBt(pose.t));
}

inline NxMat34 toNx(const btTransform& t)
{
    return {toNx(t.getBasis()), toNx(t.getOrigin())};
}
