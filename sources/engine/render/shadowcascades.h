#pragma once
// The directional pass of the shadow manager: cascaded shadow maps. For one directional light the
// main camera's visible depth range (up to the light's shadow distance) is cut into up to four
// splits by the practical split scheme; for each split the render objects whose shadows can reach
// it are collected into the split's caster record (reused while camera and light stay put), an
// orthographic map is fitted to the split's frustum slice and to those casters, drawn, and
// projected into the masks. The helpers below are shared with the local lights' pass.
#include "core/math/boundbox.h"
#include "core/math/matrix.h"
#include "core/system/templates/darray.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"

#include <cmath>

class TCamera;
class TLight;
class TShadowManager;

constexpr u32 SHADOW_SPLIT_LIMIT = 4;
// Degrees the slices' fields of view are widened by.
constexpr f32 SHADOW_SPLIT_FOV_MARGIN = 2.0f;
// How far a caster's shadow may reach along the light, beyond its bounds.
constexpr f32 SHADOW_CASTER_STRETCH = 150.0f;
// A record is kept while the camera and the light move at most this far and turn less than
// these (cosines of their Z axes).
constexpr f32 SHADOW_REUSE_MOVE = 1.0f;
constexpr f32 SHADOW_REUSE_CAMERA_TURN = 0.98f;
constexpr f32 SHADOW_REUSE_LIGHT_TURN = 0.9999f;
// A camera's near distance of 0 or below becomes this.
constexpr f32 SHADOW_CAMERA_NEAR_MINIMUM = 0.01f;

// One split's casters: valid for the camera and light placements and the slice it was built for.
struct TShadowSplitCasters
{
    u32 nValid;
    DArray<TRenderObject*> aCaster;
    // Every caster's light-space sphere extremes.
    TBoundBox Box;
    TMatrix Camera;
    // The main camera's view-projection with its depth range cut to the split.
    TMatrix ViewProjection;
    TMatrix Light;
    // The slice's distances: another split count or weight makes another slice.
    f32 fNear;
    f32 fFar;
};

TShadowSplitCasters& SplitCasters(u32 split);
// Every record invalid and empty.
void ResetSplitCasters();
// The split count: shadow_map_splits when non-zero, else the light's own, within 1 to 4.
u32 ShadowSplitCount(const TLight& light);
// distances[0 .. count]: near, the practical scheme's cuts weighted by `weight` (0 uniform, 1
// logarithmic), far.
void ShadowSplitDistances(f32 nearClip, f32 farClip, u32 count, f32 weight, f32* distances);
// The bounds, in the light's view, of the main camera's frustum slice between distances a and b,
// its fields of view widened by the margin.
TBoundBox ShadowSliceBox(const TCamera& camera, f32 a, f32 b, const TMatrix& lightView);
// Collects split `split`'s casters for the slice a .. b (or keeps them, when nothing moved).
void CollectSplitCasters(u32 split, const TCamera& camera, const TLight& light, const TMatrix& lightView, f32 a, f32 b,
                         const TBoundBox& slice, f32 distance);
// Parameter vectors 0, 1, 2, 5, 6 and 7 of a light seen from the camera, for the light placed at
// `position`.
void FillLightVectors(const TLight& light, u32 mask, const TCamera& camera, const TVector& position);
// Camera space to shadow-map texture coordinates and depth: camera-to-world x the light's
// view-projection x the scale-bias of a width x height map.
TMatrix ShadowTextureMatrix(const TMatrix& cameraToWorld, const TMatrix& viewProjection, f32 width, f32 height);
// The directional pass for the light with mask index `mask`, seen from the main camera.
void RenderDirectionalShadow(TShadowManager& manager, TLight& light, u32 mask, TCamera& camera);

// Whether the object's node (the default node, always on, for one without) is enabled and visible.
inline u32 ShadowNodeOn(const TRenderObject* object)
{
    const u32 on = NODE_ENABLED | NODE_INHERITED;
    return !object->pNode || (object->pNode->m_nFlags & on) == on;
}

inline f32 ShadowDistanceBetween(const TVector& a, const TVector& b)
{
    return TVector::Subtract(a, b).Length();
}

// Calls each(object) for every render object of every queue of every render scene, until it
// answers false.
template <class TEach> void ForEachRenderObject(TEach&& each)
{
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    for (i32 s = 0; s < scenes.GetCount(); ++s)
    {
        TRenderScene* scene = scenes[s];
        for (u32 q = 0; q < scene->GetQueueCount(); ++q)
        {
            TRenderQueue* queue = scene->aRenderQueue[q];
            if (!queue)
                continue;
            for (TRenderObject* object = queue->lObject.pFirst; object; object = object->pNext)
                if (!each(object))
                    return;
        }
    }
}
