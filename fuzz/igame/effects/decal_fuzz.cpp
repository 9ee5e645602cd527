// Feeds arbitrary decal records to the decal module as a loaded cluster hands them over: a track
// decal's stored image (its template, scales, colour and run-time words), the decal's atlas
// index and its data's atlas bytes; poses read from the input move the track, and triangles read
// from it are laid through the quadrilateral between its last two segments, as the ground's
// would be; and a baked pool's vertex count against its block. Values come from files: they must
// be refused or clamped, never crash, read outside the atlas or a pool, or loop without end.
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/staticdecalpool.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/trackdecal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
// The track decal's image after its links (the template to the end).
constexpr u32 TRACK_IMAGE = sizeof(TTrackDecal) - 16;
constexpr u32 POSE = 4 * 4;
constexpr u32 POSE_LIMIT = 32;
constexpr u32 TRIANGLE = 9 * 4 + 4;

TNode* s_pWheel = nullptr;

void SetUp()
{
    if (s_pWheel)
        return;
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_ManagerManager.Initialize();
    s_pWheel = new TNode();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUp();
    g_pDecalManager->OnClusterLoad();
    TDecalData decalData{};
    TDecal decal{};
    TTrackDecal track;
    size_t at = 0;
    const auto take = [&](void* target, size_t bytes) {
        const size_t n = at < size ? (size - at < bytes ? size - at : bytes) : 0;
        std::memcpy(target, data + at, n);
        at += bytes;
    };
    take(reinterpret_cast<u8*>(&track) + 16, TRACK_IMAGE);
    take(&decal.m_nAtlasIndex, sizeof decal.m_nAtlasIndex);
    take(reinterpret_cast<u8*>(&decalData) + 12, sizeof decalData - 12);
    decal.pDecalData = &decalData;
    track.pDecal = &decal;
    s_pWheel->AddObject(&track);
    track.OnEnable(1);
    u32 poses = 0;
    for (; at + POSE <= size && poses < POSE_LIMIT; ++poses)
    {
        f32 pose[4];
        take(pose, sizeof pose);
        if (pose[0] == 0.0f && pose[1] == 0.0f && pose[2] == 0.0f && pose[3] == 0.0f)
            break;
        TMatrix m(1.0f);
        const f32 c = std::cos(pose[3]), s = std::sin(pose[3]);
        m.aRow[0] = TVector(c, 0.0f, -s, 0.0f);
        m.aRow[2] = TVector(s, 0.0f, c, 0.0f);
        m.aRow[3] = TVector(pose[0], pose[1], pose[2], 1.0f);
        s_pWheel->SetLocalMatrix(m, &g_NameIgnoreNodeObjectUpdate);
        track.OnNodeUpdate(nullptr);
    }

    // Triangles (three points and a material) laid through the quadrilateral the last move swept.
    TDecalPoint points[DECAL_PROJECTION_SHAPE_VERTICES];
    u32 count = 0;
    for (; at + TRIANGLE <= size && count + 3 <= DECAL_PROJECTION_SHAPE_VERTICES; count += 3)
    {
        f32 corner[9];
        f32 material;
        take(corner, sizeof corner);
        take(&material, sizeof material);
        for (u32 k = 0; k < 3; ++k)
            points[count + k] = {{corner[3 * k], corner[3 * k + 1], corner[3 * k + 2], 1.0f},
                                 {0.0f, 1.0f, 0.0f, 1.0f},
                                 0.0f,
                                 material,
                                 0.0f,
                                 0.0f};
    }
    const TTrackSegment& c = track.m_Current;
    const TVector quad[4] = {c.aCorner[TRACK_BACK_RIGHT], c.aCorner[TRACK_BACK_LEFT], c.aCorner[TRACK_FRONT_LEFT],
                             c.aCorner[TRACK_FRONT_RIGHT]};
    TDecalProjection::Lay(quad, c.aPlane[TRACK_PLANE_BACK], c.aPlane[TRACK_PLANE_FRONT], c, points, count, s_pWheel);
    s_pWheel->DeleteObject(&track);

    // A baked pool: the input's last word is its vertex count, its block the input.
    TStaticDecalPool pool;
    u32 vertices = 0;
    if (size >= 4)
        std::memcpy(&vertices, data + size - 4, 4);
    pool.m_nVertexCount = vertices;
    pool.m_nDataSize = static_cast<u32>(size);
    pool.Load();
    if (static_cast<u64>(pool.GetVertexCount()) * 64 > pool.m_nDataSize)
    {
        std::fprintf(stderr, "a pool of %u vertices took a block of %u bytes\n", pool.GetVertexCount(), pool.m_nDataSize);
        __builtin_trap();
    }
    return 0;
}
