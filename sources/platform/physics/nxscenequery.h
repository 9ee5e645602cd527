#pragma once
// Batched queries: requests are queued, run together at execute and reported to the query's
// report object, each with the user data it was queued with.
#include <vector>
#include "platform/physics/nxcallbacks.h"
#include "platform/physics/nxgeometry.h"
#include "platform/physics/nxscenedesc.h"

class NxScene;

class NxSceneQuery
{
public:
    NxSceneQuery(NxScene& scene, const NxSceneQueryDesc& desc);

    NxScene& getScene() const { return scene_; }
    NxSceneQueryReport* getQueryReport() const { return desc_.report; }
    NxSceneQueryExecuteMode getExecuteMode() const { return desc_.executeMode; }

    // Queues a closest-shape ray cast; the hit (or none) is reported at execute.
    NxShape* raycastClosestShape(const NxRay& worldRay, NxShapesType shapeType, NxRaycastHit& hit, NxU32 groups,
                                 NxReal maxDist, NxU32 hintFlags, const NxGroupsMask* groupsMask, NxShape** cache,
                                 void* userData);
    // Runs every queued request, reports their results and empties the queue.
    void execute();
    // Requests run at execute, so everything is in by the time this is asked.
    bool finish(bool block);

private:
    struct TRayRequest
    {
        NxRay ray;
        NxShapesType shapeType;
        NxU32 groups;
        NxReal maxDist;
        bool hasMask;
        NxGroupsMask mask;
        void* userData;
    };
    NxScene& scene_;
    NxSceneQueryDesc desc_;
    std::vector<TRayRequest> rays_;
};
