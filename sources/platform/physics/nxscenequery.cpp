#include "platform/physics/nxscenequery.h"
#include "platform/physics/nxscene.h"

NxSceneQuery::NxSceneQuery(NxScene& scene, const NxSceneQueryDesc& desc) : scene_(scene), desc_(desc)
{
}

NxShape* NxSceneQuery::raycastClosestShape(const NxRay& worldRay, NxShapesType shapeType, NxRaycastHit&, NxU32 groups,
                                           NxReal maxDist, NxU32, const NxGroupsMask* groupsMask, NxShape**,
                                           void* userData)
{
    rays_.push_back({worldRay, shapeType, groups, maxDist, groupsMask != nullptr,
                     groupsMask ? *groupsMask : NxGroupsMask(), userData});
    return nullptr;
}

void NxSceneQuery::execute()
{
    std::vector<TRayRequest> requests;
    requests.swap(rays_);
    for (const TRayRequest& request : requests) {
        NxRaycastHit hit;
        NxShape* shape = scene_.raycastClosestShape(request.ray, request.shapeType, hit, request.groups, request.maxDist,
                                                    0, request.hasMask ? &request.mask : nullptr);
        if (!desc_.report)
            continue;
        const NxQueryReportResult result = desc_.report->onRaycastQuery(request.userData, shape ? 1 : 0, &hit);
        if (result == NX_SQR_ABORT_ALL_QUERIES)
            break;
    }
}

bool NxSceneQuery::finish(bool)
{
    return true;
}
