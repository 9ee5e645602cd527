#pragma once
// A cooked triangle mesh: vertices in their original order, 32-bit triangles, an optional
// material per triangle, and the back end's bounding-volume tree, rebuilt when it is loaded.
#include <memory>
#include <vector>
#include "platform/physics/nxvec3.h"

class NxStream;
class NxUserOutputStream;
class btTriangleIndexVertexArray;
class btBvhTriangleMeshShape;

enum NxInternalArray { NX_ARRAY_TRIANGLES = 0, NX_ARRAY_VERTICES, NX_ARRAY_NORMALS, NX_ARRAY_TRIANGLES_REMAP };
enum NxInternalFormat { NX_FORMAT_NODATA = 0, NX_FORMAT_FLOAT, NX_FORMAT_INT };

class NxTriangleMesh
{
public:
    NxTriangleMesh(std::vector<NxVec3> vertices, std::vector<NxU32> triangles, std::vector<NxMaterialIndex> materials);
    ~NxTriangleMesh();
    NxTriangleMesh(const NxTriangleMesh&) = delete;
    NxTriangleMesh& operator=(const NxTriangleMesh&) = delete;

    // Reads our cooked format; null (with the reason) when the data are not a valid mesh.
    static std::unique_ptr<NxTriangleMesh> load(const NxStream& stream, NxUserOutputStream* errors);

    NxU32 getSubmeshCount() const { return 1; }
    NxU32 getCount(NxU32 submeshIndex, NxInternalArray array) const;
    NxInternalFormat getFormat(NxU32 submeshIndex, NxInternalArray array) const;
    const void* getBase(NxU32 submeshIndex, NxInternalArray array) const;
    NxU32 getStride(NxU32 submeshIndex, NxInternalArray array) const;
    NxMaterialIndex getTriangleMaterial(NxU32 triangleIndex) const;
    NxU32 getReferenceCount() const { return references_; }

    NxU32 getVertexCount() const { return NxU32(vertices_.size()); }
    NxU32 getTriangleCount() const { return NxU32(triangles_.size() / 3); }
    bool hasMaterials() const { return !materials_.empty(); }
    const NxVec3& vertex(NxU32 index) const { return vertices_[index]; }
    const NxU32* triangle(NxU32 index) const { return &triangles_[index * 3]; }

    // Layer side: a collision shape of its own for each mesh shape, sharing the tree.
    std::unique_ptr<btBvhTriangleMeshShape> makeCollisionShape() const;
    const btBvhTriangleMeshShape& treeShape() const { return *tree_; }
    void addReference() { ++references_; }
    void removeReference() { --references_; }

private:
    std::vector<NxVec3> vertices_;
    std::vector<NxU32> triangles_;
    std::vector<NxMaterialIndex> materials_;
    std::unique_ptr<btTriangleIndexVertexArray> arrays_;
    std::unique_ptr<btBvhTriangleMeshShape> tree_;
    NxU32 references_ = 0;
};
