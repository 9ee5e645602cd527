#pragma once
// A cooked convex mesh: the points of its hull, with the hull's planes for exact ray tests.
#include <memory>
#include <vector>
#include "platform/physics/nxvec3.h"

class NxStream;
class NxUserOutputStream;

class NxConvexMesh
{
public:
    explicit NxConvexMesh(std::vector<NxVec3> points);

    static std::unique_ptr<NxConvexMesh> load(const NxStream& stream, NxUserOutputStream* errors);

    NxU32 getPointCount() const { return NxU32(points_.size()); }
    const NxVec3* getPoints() const { return points_.data(); }
    NxU32 getReferenceCount() const { return references_; }

    // Outward planes n.p + d = 0 of the hull; a point is inside when every n.p + d <= 0.
    struct TPlane
    {
        NxVec3 normal;
        NxReal d;
    };
    const std::vector<TPlane>& planes() const { return planes_; }
    void addReference() { ++references_; }
    void removeReference() { --references_; }

private:
    std::vector<NxVec3> points_;
    std::vector<TPlane> planes_;
    NxU32 references_ = 0;
};
