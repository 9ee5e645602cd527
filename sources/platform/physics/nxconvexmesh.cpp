#include "platform/physics/nxconvexmesh.h"
#include <cmath>
#include <LinearMath/btConvexHullComputer.h>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxuseroutputstream.h"

NxConvexMesh::NxConvexMesh(std::vector<NxVec3> points) : points_(std::move(points))
{
    // One plane per face of the hull, found in O(n log n). Coplanar points make one face, and the
    // planes go through the stored points themselves, not the hull's rounded copies.
    btConvexHullComputer hull;
    hull.compute(&points_.data()->x, int(sizeof(NxVec3)), int(points_.size()), 0, 0);
    const auto corner = [&](int vertex) { return points_[hull.original_vertex_index[vertex]]; };
    for (int f = 0; f < hull.faces.size(); ++f) {
        // Newell's normal of the face's polygon, whose edges run counter-clockwise seen from outside.
        const btConvexHullComputer::Edge* first = &hull.edges[hull.faces[f]];
        const btConvexHullComputer::Edge* edge = first;
        NxVec3 normal(0, 0, 0);
        do {
            const NxVec3 a = corner(edge->getSourceVertex()), b = corner(edge->getTargetVertex());
            normal += NxVec3((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
            edge = edge->getNextEdgeOfFace();
        } while (edge != first);
        if (!(normal.magnitudeSquared() > 0))
            continue;
        normal.normalize();
        const NxVec3 onFace = corner(first->getSourceVertex());
        planes_.push_back({normal, -normal.dot(onFace)});
    }
}

std::unique_ptr<NxConvexMesh> NxConvexMesh::load(const NxStream& stream, NxUserOutputStream* errors)
{
    const NxU32 magic = stream.readDword();
    const NxU32 version = stream.readDword();
    const NxU32 count = stream.readDword();
    if (magic != kCookedConvexMeshMagic || version != kCookedVersion || count < 4 || count > kCookedMaxHullPoints) {
        if (errors)
            errors->reportError(NXE_INVALID_PARAMETER, "createConvexMesh: not a cooked convex mesh of this version",
                                __FILE__, __LINE__);
        return nullptr;
    }
    std::vector<NxVec3> points(count);
    for (NxVec3& p : points) {
        p.x = stream.readFloat();
        p.y = stream.readFloat();
        p.z = stream.readFloat();
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            if (errors)
                errors->reportError(NXE_INVALID_PARAMETER, "createConvexMesh: a cooked point is not a finite number",
                                    __FILE__, __LINE__);
            return nullptr;
        }
    }
    return std::make_unique<NxConvexMesh>(std::move(points));
}
