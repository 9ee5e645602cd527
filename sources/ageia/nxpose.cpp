#include "ageia/nxpose.h"

#include "core/system/log.h"

NxMat34 PoseOf(const TMatrix& m)
{
    NxMat34 pose;
    pose.setRowMajor44(&m.aRow[0].x);
    return pose;
}

TMatrix Orthonormalized(const TMatrix& m)
{
    TMatrix r = m;
    r.aRow[1] = TVector::Cross(r.aRow[2], r.aRow[0]);
    r.aRow[2] = TVector::Cross(r.aRow[0], r.aRow[1]);
    for (i32 i = 0; i < 3; ++i)
    {
        const f32 length = r.aRow[i].Length();
        if (length >= 1e-30f)
            r.aRow[i].Scale(1.0f / length);
        r.aRow[i].w = 0.0f;
    }
    r.aRow[3].w = 1.0f;
    return r;
}

TMatrix UnscaledPose(const TMatrix& world, const char* prefix, const char* name)
{
    const TVector scale = world.GetScale();
    const TVector deviation(scale.x - 1.0f, scale.y - 1.0f, scale.z - 1.0f, 0.0f);
    if (deviation.Length() <= POSE_SCALE_TOLERANCE)
        return world;
    TLog::Print(g_pSystemLog, LOG_WARNING, prefix, "'%s': matrix scaled (%.3f , %.3f , %.3f)", name, scale.x, scale.y,
                scale.z);
    return Orthonormalized(world);
}
