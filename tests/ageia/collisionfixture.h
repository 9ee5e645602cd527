#pragma once
// The dynamics fixture with the collision manager begun, a scratch folder holding a streamed
// repository open for run-time appends, and helpers that cook small meshes into it.
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "dynamicsfixture.h"
#include "engine/render/meshdata.h"
#include "engine/system/repository.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"

#include <memory>
#include <vector>

class CollisionTest : public DynamicsTest
{
protected:
    static constexpr u32 COOKED_REPOSITORY_ID = 70;

    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
        OpenCookedRepository();
    }
    void TearDown() override
    {
        DynamicsTest::TearDown();
        m_pCooked.reset();
        g_pResourceManager->CloseRepositories(0);
    }

    static TNxCollisionManager& Collision() { return *g_pNxCollisionManager; }

    // An empty streamed repository, opened for appends.
    void OpenCookedRepository()
    {
        TRepositoryWriter writer(COOKED_REPOSITORY_ID, REPOSITORY_STREAMED);
        ASSERT_TRUE(writer.Write("cooked.data", nullptr, 0, false));
        m_pCooked = std::make_unique<TRepository>(COOKED_REPOSITORY_ID, REPOSITORY_STREAMED, TName("cooked.data", true));
        ASSERT_TRUE(m_pCooked->OpenStreamed("cooked.data", true));
    }

    struct TVertex
    {
        f32 aPosition[3];
        f32 aNormal[3];
    };

    // Cooks the vertices (and, for triangles, the indices) into the cooked repository. Made
    // reachable, the data reads its block from there at once; otherwise once the repository is
    // open through the resource manager.
    TNxCollisionMeshData* Cook(const char* name, const std::vector<TVertex>& vertices, const std::vector<u16>& indices,
                               u32 dataType, bool reachable = true)
    {
        TMeshData mesh;
        mesh.m_Name.Set(name, true);
        mesh.m_Description.nStride = sizeof(TVertex);
        mesh.m_Description.nVertexCount = static_cast<u32>(vertices.size());
        mesh.m_Description.nIndexCount = static_cast<u32>(indices.size());
        TNxCollisionMeshData* data = Collision().CreateCollisionMeshData(0, &mesh, vertices.data(), indices.data(),
                                                                         m_pCooked.get(), dataType, 0);
        if (reachable)
            data->SetData(m_pCooked.get(), data->m_nDataOffset, data->m_nDataSize);
        return data;
    }

    // A cube of half size 1 about the origin, as a convex mesh.
    TNxCollisionMeshData* Cube(const char* name)
    {
        std::vector<TVertex> corners;
        for (i32 i = 0; i < 8; ++i)
            corners.push_back({{i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f}, {0.0f, 1.0f, 0.0f}});
        return Cook(name, corners, {}, COLLISION_DATA_CONVEX);
    }

    // A square of 20 x 20 in the plane y = 0, split along x = z: triangle 0 holds the corner
    // (10, -10), triangle 1 the corner (-10, 10). The normal of vertex i is (i, 1, 0).
    TNxCollisionMeshData* Ground(const char* name, bool reachable = true)
    {
        const std::vector<TVertex> corners = {{{-10.0f, 0.0f, -10.0f}, {0.0f, 1.0f, 0.0f}},
                                              {{10.0f, 0.0f, -10.0f}, {1.0f, 1.0f, 0.0f}},
                                              {{10.0f, 0.0f, 10.0f}, {2.0f, 1.0f, 0.0f}},
                                              {{-10.0f, 0.0f, 10.0f}, {3.0f, 1.0f, 0.0f}}};
        return Cook(name, corners, {0, 1, 2, 0, 2, 3}, COLLISION_DATA_TRIANGLES, reachable);
    }

    // A static collision mesh on a new node at the point (under the parent when given), its
    // actor made, in groups mask 1.
    TNxCollisionMesh* Place(const char* name, TNxCollisionMeshData* data, f32 x, f32 y, f32 z, TNode* parent = nullptr)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        if (parent)
            parent->AddChild(node);
        node->SetLocalMatrix(Translation(x, y, z), TNode::OrdinaryCause());
        TNxCollisionMesh* mesh = Collision().CreateCollisionMesh(node, data, 0);
        mesh->SetGroupsMask(1);
        mesh->__Create();
        return mesh;
    }

    static TRay Ray(const TVector& from, const TVector& to) { return TRay(from, to); }

    TScratchWorkingFolder m_Folder{"collision"};
    std::unique_ptr<TRepository> m_pCooked;
};
