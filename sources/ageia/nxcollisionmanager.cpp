#include "ageia/nxcollisionmanager.h"

#include "ageia/collisionfilter.h"
#include "ageia/collisionuserdata.h"
#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxstream.h"
#include "ageia/physicstypes.h"
#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/render/meshdata.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/repository.h"
#include "engine/system/statemanager.h"
#include "platform/physics/nxcooking.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxtrianglemesh.h"

#include <cstring>

TCollisionManager* g_pCollisionManager = nullptr;
TNxCollisionManager* g_pNxCollisionManager = nullptr;

namespace
{
const char* const kSource = "sources/ageia/nxcollisionmanager";
constexpr NxU32 SDK_VERSION = 0x02080100;
constexpr NxU32 ALL_GROUPS = 0xffffffff;

TNxCollisionManager s_Manager;
const i32 s_nRegistered = [] {
    g_pNxCollisionManager = &s_Manager;
    return TManagerManager::RegisterManager("Collision", "Nx", &g_pCollisionManager,
                                            static_cast<TCollisionManager*>(&s_Manager));
}();

NxScene* Scene()
{
    return g_pNxDynamicsManager ? g_pNxDynamicsManager->GetScene() : nullptr;
}

const TCollisionUserData* UserDataOf(const NxShape& shape)
{
    return static_cast<const TCollisionUserData*>(shape.userData);
}

NxVec3 Vec(const TVector& v)
{
    return NxVec3(v.x, v.y, v.z);
}

NxGroupsMask Mask(u32 word)
{
    NxGroupsMask mask;
    mask.bits0 = word;
    return mask;
}

NxRay RayOf(const TRay& ray)
{
    NxRay r;
    r.orig = Vec(ray.origin);
    r.dir = NxVec3(ray.direction[0], ray.direction[1], ray.direction[2]);
    return r;
}

// The query box: the box centre placed by the whole matrix (rotated too), the matrix's axis
// rows as the box axes.
NxBox BoxOf(const TMatrix& matrix, const TBoundBox& box, f32 extentScale)
{
    NxBox b;
    b.center = Vec(matrix.TransformPoint(TVector(box.centre[0], box.centre[1], box.centre[2], 1.0f)));
    b.extents = NxVec3(box.size[0], box.size[1], box.size[2]) * extentScale;
    for (int axis = 0; axis < 3; ++axis)
        b.rot.setColumn(axis, Vec(matrix.aRow[axis]));
    return b;
}

NxCapsule CapsuleOf(const TVector& start, const TVector& end)
{
    NxCapsule c;
    c.p0 = Vec(start);
    c.p1 = Vec(end);
    c.radius = start.w;
    return c;
}

// Hits of every shape along a ray; the nearest accepted one is kept, the first of equal ones.
class TUserRaycastReportFilter : public NxUserRaycastReport
{
public:
    explicit TUserRaycastReportFilter(TCollisionFilter* filter) : m_nAccepted(0), m_pFilter(filter) {}

    bool onHit(const NxRaycastHit& hit) override
    {
        // A shape that holds the origin (the caster's own body, say) is not in the way.
        if (hit.distance <= 0.0f)
            return true;
        if (m_pFilter)
        {
            const TCollisionUserData* data = UserDataOf(*hit.shape);
            TNode* node = data ? data->GetNode() : nullptr;
            if (!node || !node->IsEnabled() || m_pFilter->IsFiltered(node, &hit))
                return true;
        }
        if (m_nAccepted == 0 || hit.distance < m_Best.distance)
            m_Best = hit;
        ++m_nAccepted;
        return true;
    }

    u32 m_nAccepted;
    NxRaycastHit m_Best;
    TCollisionFilter* m_pFilter;
};

// The triangles of one mesh shape inside the query box, handed to the caller's function.
class TOverlapCallback : public NxUserEntityReport<NxU32>
{
public:
    TOverlapCallback(const NxTriangleMeshShape& shape, TBoxTriangleCallback callback, void* user)
        : m_Shape(shape), m_pCallback(callback), m_pUser(user)
    {
    }

    bool onEvent(NxU32 count, NxU32* triangles) override
    {
        const auto* data = static_cast<const TCollisionUserData*>(m_Shape.getActor().userData);
        const u32 kind = data ? data->nKind : 0;
        void* object = data ? data->pObject : nullptr;
        if (m_pCallback(count, data ? data->GetNode() : nullptr, kind, object, nullptr, nullptr, 0, m_pUser))
            return false;
        // Normals come from the stored table of a static mesh; other meshes have none.
        const TNxCollisionMeshData* table =
            kind == COLLISION_USER_MESH ? static_cast<TNxCollisionMesh*>(object)->pCollisionMeshData : nullptr;
        const NxTriangleMesh& mesh = m_Shape.getTriangleMesh();
        for (NxU32 i = 0; i < count; ++i)
        {
            const NxU32* corner = mesh.triangle(triangles[i]);
            TVector positions[3];
            TVector normals[3];
            for (int k = 0; k < 3; ++k)
            {
                const NxVec3& p = mesh.vertex(corner[k]);
                positions[k] = TVector(p.x, p.y, p.z, 1.0f);
                const f32* n = table ? table->Normal(corner[k]) : nullptr;
                normals[k] = n ? TVector(n[0], n[1], n[2], 0.0f) : TVector(0.0f, 0.0f, 0.0f, 0.0f);
            }
            if (m_pCallback(triangles[i], nullptr, 0, nullptr, positions, normals,
                            mesh.getTriangleMaterial(triangles[i]), m_pUser))
                return false;
        }
        return true;
    }

private:
    const NxTriangleMeshShape& m_Shape;
    TBoxTriangleCallback m_pCallback;
    void* m_pUser;
};

void WriteRayHit(TCollisionHit& hit, const NxRaycastHit& result, bool face)
{
    hit.Point = TVector(result.worldImpact.x, result.worldImpact.y, result.worldImpact.z, 1.0f);
    hit.Normal = TVector(result.worldNormal.x, result.worldNormal.y, result.worldNormal.z, 0.0f);
    hit.Barycentric = TVector(result.u, result.v, 0.0f, 1.0f);
    const TCollisionUserData* data = result.shape ? UserDataOf(*result.shape) : nullptr;
    const u32 kind = data ? data->nKind : 0;
    if (kind == COLLISION_USER_MESH && face)
        hit.nFace = result.faceID;
    hit.pOwner = kind == COLLISION_USER_MESH ? data->pObject : nullptr;
    hit.pGeometry = kind == COLLISION_USER_GEOMETRY ? static_cast<TDynamicsGeometry*>(data->pObject) : nullptr;
    hit.nHit = 1;
}

u32 WriteOwner(TCollisionHit& hit, NxU32 count, NxShape* shape)
{
    if (!count)
        return 0;
    const TCollisionUserData* data = UserDataOf(*shape);
    hit.pOwner = data ? data->pObject : nullptr;
    return 1;
}

NxCookingInterface* Cooking()
{
    static NxCookingInterface* s_pCooking = nullptr;
    if (!s_pCooking)
    {
        s_pCooking = NxGetCookingLib(SDK_VERSION);
        if (!s_pCooking)
            __Abort("__InitializeCooking", kSource, __LINE__, "unable to create AGEIA cooking library");
        s_pCooking->NxInitCooking(nullptr, nullptr);
    }
    return s_pCooking;
}
} // namespace

TNxCollisionManager::TNxCollisionManager() : m_pActorScene(nullptr), m_nLoadedTypes(0)
{
    if (!g_pCluster)
        return;
    RegisterArray(&CollisionMeshDataDecl(), &m_aData);
    RegisterArray(&CollisionMeshDecl(), &m_aMesh);
}

TNxCollisionManager::~TNxCollisionManager()
{
    FreeOwned(COLLISION_MESH_TYPE_ID);
    FreeOwned(COLLISION_MESH_DATA_TYPE_ID);
    m_aOwnedMesh.Free();
    m_aOwnedData.Free();
}

void TNxCollisionManager::FreeOwned(u32 typeId)
{
    if (typeId == COLLISION_MESH_TYPE_ID)
    {
        // The nodes may be gone already at tear-down: the meshes do not go back to them.
        for (i32 i = 0; i < m_aOwnedMesh.GetCount(); ++i)
        {
            m_aOwnedMesh[i]->pNode = nullptr;
            MemoryDelete(m_aOwnedMesh[i]);
        }
        m_aOwnedMesh.SetCount(0);
    }
    else if (typeId == COLLISION_MESH_DATA_TYPE_ID)
    {
        for (i32 i = 0; i < m_aOwnedData.GetCount(); ++i)
            MemoryDelete(m_aOwnedData[i]);
        m_aOwnedData.SetCount(0);
    }
}

i32 TNxCollisionManager::SetArray(u32 typeId, void*, i32 count)
{
    FreeOwned(typeId);
    if (count > 0 && typeId == COLLISION_MESH_DATA_TYPE_ID)
        m_nLoadedTypes |= 1;
    if (count > 0 && typeId == COLLISION_MESH_TYPE_ID)
        m_nLoadedTypes |= 2;
    return 0;
}

void TNxCollisionManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pStateManager->RegisterStateObject(this);
}

void TNxCollisionManager::EndManager()
{
    ReleaseActors();
}

void TNxCollisionManager::FinalizeManager()
{
    ReleaseActors();
    for (i32 i = 0; i < m_aData.GetCount(); ++i)
        m_aData[i]->Release();
}

void TNxCollisionManager::ReleaseActors()
{
    ForgetActorsOfOldScene();
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        m_aMesh[i]->__Release();
}

void TNxCollisionManager::ForgetActorsOfOldScene()
{
    if (m_pActorScene == Scene())
        return;
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        m_aMesh[i]->ForgetActor();
    m_pActorScene = Scene();
}

void TNxCollisionManager::OnClusterUnload()
{
    ReleaseActors();
    // Height fields go whole: pending requests with their samples, actors and layer objects.
    m_aHeightField.Clear();
    for (i32 i = 0; i < m_aData.GetCount(); ++i)
        m_aData[i]->Release();
    // Meshes made here leave their nodes while the nodes still exist.
    for (i32 i = 0; i < m_aOwnedMesh.GetCount(); ++i)
        if (m_aOwnedMesh[i]->pNode)
            m_aOwnedMesh[i]->pNode->DeleteObject(m_aOwnedMesh[i]);
}

void TNxCollisionManager::OnClusterLoad()
{
    // Loaded records hold the saving program's physics objects: forgotten.
    if (m_nLoadedTypes & 1)
        for (i32 i = 0; i < m_aData.GetCount(); ++i)
        {
            m_aData[i]->m_pMesh = nullptr;
            m_aData[i]->m_pNormals = nullptr;
            m_aData[i]->m_pIndices = nullptr;
        }
    if (m_nLoadedTypes & 2)
        for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        {
            m_aMesh[i]->ForgetActor();
            m_aMesh[i]->m_UserData = {COLLISION_USER_MESH, m_aMesh[i]};
        }
    m_nLoadedTypes = 0;
    ForgetActorsOfOldScene();
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        if (m_aMesh[i]->pNode && m_aMesh[i]->pNode->IsEnabled())
            m_aMesh[i]->__Create();
}

i32 TNxCollisionManager::SaveState(u32, TStream&)
{
    return 0;
}

i32 TNxCollisionManager::LoadState(u32 pass, TStream&)
{
    if (pass != 4)
        return 0;
    ForgetActorsOfOldScene();
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
    {
        TNxCollisionMesh* mesh = m_aMesh[i];
        if (!mesh->pNode || !mesh->pNode->IsEnabled())
            mesh->__Release();
        else if (mesh->GetActor())
            mesh->OnNodeUpdate(nullptr);
        else
            mesh->__Create();
    }
    return 0;
}

TNxCollisionMeshData* TNxCollisionManager::CreateCollisionMeshData(u32, TMeshData* mesh, const void* vertices,
                                                                   const u16* indices, TRepository* repository,
                                                                   u32 dataType, u32 flags)
{
    void* block = MemoryAllocate(sizeof(TNxCollisionMeshData));
    std::memset(block, 0xCD, sizeof(TNxCollisionMeshData));
    auto* data = new (block) TNxCollisionMeshData();
    if (m_aData.GetCount() == m_aData.GetCapacity())
        m_aData.SetCapacity(m_aData.GetCapacity() + COLLISION_LIST_GROWTH);
    m_aData.Add(data);
    m_aOwnedData.Add(data);
    data->m_nDataType = dataType;
    data->m_Name = mesh->m_Name;
    NxCookingInterface* cooking = Cooking();

    const TMeshDescription& description = mesh->m_Description;
    const u32 stride = (flags & 1) ? 24 : description.nStride;
    const u32 divisor = mesh->pInstancing && mesh->pInstancing->m_nCapacity ? mesh->pInstancing->m_nCapacity : 1;
    if (description.nIndexCount > COLLISION_LARGE_MESH_INDICES)
        TLog::Print(g_pSystemLog, LOG_INFO, "TNxCollisionManager::CreateCollisionMeshData(): ", "'%s' %d faces",
                    mesh->GetNameText(), description.nIndexCount);
    TMemoryStream memory;
    TNxStream stream(memory);
    bool cooked = false;
    if (dataType == COLLISION_DATA_CONVEX)
    {
        NxConvexMeshDesc desc;
        desc.numVertices = description.nVertexCount / divisor;
        desc.pointStrideBytes = stride;
        desc.points = vertices;
        desc.flags = NX_CF_COMPUTE_CONVEX;
        cooked = cooking->NxCookConvexMesh(desc, stream);
        data->m_nCookedSize = static_cast<u32>(memory.GetSize());
    }
    else if (dataType == COLLISION_DATA_TRIANGLES)
    {
        NxTriangleMeshDesc desc;
        desc.numVertices = description.nVertexCount / divisor;
        desc.numTriangles = description.nIndexCount / 3 / divisor;
        desc.pointStrideBytes = stride;
        desc.triangleStrideBytes = 6;
        desc.points = vertices;
        desc.triangles = indices;
        desc.flags = NX_MF_16_BIT_INDICES | NX_MF_FLIPNORMALS;
        cooked = cooking->NxCookTriangleMesh(desc, stream);
        data->m_nCookedSize = static_cast<u32>(memory.GetSize());
        if (cooked)
        {
            data->m_nNormalCount = desc.numVertices;
            for (u32 v = 0; v < desc.numVertices; ++v)
                memory.Write(static_cast<const u8*>(vertices) + v * stride + 12, 12);
            data->m_nIndexCount = description.nIndexCount;
            memory.Write(indices, static_cast<i32>(description.nIndexCount * 2));
        }
    }
    if (!cooked)
    {
        // Nothing is stored: the data loads no mesh and makes no shapes.
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxCollisionManager::CreateCollisionMeshData(): error: ",
                    "'%s': the mesh could not be cooked", mesh->GetNameText());
        data->m_nCookedSize = 0;
        return data;
    }
    TRepository::__ResourceBegin(repository, data);
    TRepository::__ResourceWrite(memory.GetData(), static_cast<u32>(memory.GetSize()));
    TRepository::__ResourceEnd();
    data->m_nRepositoryId = repository->GetId();
    return data;
}

TNxCollisionMesh* TNxCollisionManager::CreateCollisionMesh(TNode* node, TNxCollisionMeshData* data, u32 attachToBody)
{
    void* block = MemoryAllocate(sizeof(TNxCollisionMesh));
    std::memset(block, 0xCD, sizeof(TNxCollisionMesh));
    auto* mesh = new (block) TNxCollisionMesh();
    if (m_aMesh.GetCount() == m_aMesh.GetCapacity())
        m_aMesh.SetCapacity(m_aMesh.GetCapacity() + COLLISION_LIST_GROWTH);
    m_aMesh.Add(mesh);
    m_aOwnedMesh.Add(mesh);
    mesh->pCollisionMeshData = data;
    node->AddObject(mesh);
    if (!attachToBody)
        return mesh;
    for (TNode* at = node; at; at = at->GetParent())
    {
        auto* body = static_cast<TDynamicsBody*>(at->FindObject(g_NameTDynamicsBody.GetId()));
        if (!body)
            continue;
        const bool triangles = data && data->m_nDataType == COLLISION_DATA_TRIANGLES;
        if (triangles)
            TLog::Print(g_pSystemLog, LOG_WARNING, "TNxCollisionManager::CreateCollisionMesh(): warning: ",
                        "'%s': dynamics body with triangle mesh collision have have significant performace penalty",
                        node->GetPath());
        body->__CreateGeometryFromObject(mesh, triangles ? GEOMETRY_TRIANGLE_MESH : GEOMETRY_CONVEX);
        mesh->m_nBodyOwned = 1;
        break;
    }
    return mesh;
}

void TNxCollisionManager::SetMeshPairCollision(TNxCollisionMesh* a, TNxCollisionMesh* b, u32 enable)
{
    NxScene* scene = Scene();
    if (!scene || !a->GetActor() || !b->GetActor())
        return;
    NxU32 flags = scene->getActorPairFlags(*a->GetActor(), *b->GetActor());
    flags = enable ? (flags & ~NxU32(NX_IGNORE_PAIR)) : (flags | NX_IGNORE_PAIR);
    scene->setActorPairFlags(*a->GetActor(), *b->GetActor(), flags);
}

void TNxCollisionManager::SetGroupCollision(u16 a, u16 b, u32 enable)
{
    if (NxScene* scene = Scene())
        scene->setGroupCollisionFlag(a, b, enable != 0);
}

u32 TNxCollisionManager::_RayCast(const TRay& ray, TCollisionHit& hit, TCollisionFilter* filter, bool face)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    TUserRaycastReportFilter report(filter);
    const NxGroupsMask mask = Mask(hit.nFilter);
    scene->raycastAllShapes(RayOf(ray), report, NX_ALL_SHAPES, ALL_GROUPS, ray.length, ALL_GROUPS, &mask);
    if (!report.m_nAccepted)
        return 0;
    WriteRayHit(hit, report.m_Best, face);
    return 1;
}

u32 TNxCollisionManager::RayCast(const TRay& ray, TCollisionHit& hit, u32)
{
    return _RayCast(ray, hit, nullptr, true);
}

u32 TNxCollisionManager::RayCastFiltered(const TRay& ray, TCollisionHit& hit, TCollisionFilter& filter)
{
    return _RayCast(ray, hit, &filter, false);
}

u32 TNxCollisionManager::RayCastExcludingNode(const TRay& ray, TCollisionHit& hit, TNode* node)
{
    TNodeCollisionFilter filter(node);
    return RayCastFiltered(ray, hit, filter);
}

u32 TNxCollisionManager::RayCastExcludingNodes(const TRay& ray, TCollisionHit& hit, TNode* const* nodes)
{
    TNodesCollisionFilter filter(nodes);
    return RayCastFiltered(ray, hit, filter);
}

u32 TNxCollisionManager::Sphere()
{
    __Abort("TNxCollisionManager::Sphere", kSource, __LINE__, "unimplemented");
}

u32 TNxCollisionManager::Capsule()
{
    __Abort("TNxCollisionManager::Capsule", kSource, __LINE__, "unimplemented");
}

u32 TNxCollisionManager::OverlapSphere(const TVector& centre, f32 radius, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    NxSphere sphere;
    sphere.center = Vec(centre);
    sphere.radius = radius;
    NxShape* shape = nullptr;
    const NxU32 count = scene->overlapSphereShapes(sphere, NX_ALL_SHAPES, 1, &shape, nullptr, hit.nFilter, nullptr, true);
    return WriteOwner(hit, count, shape);
}

u32 TNxCollisionManager::OverlapBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    NxShape* shape = nullptr;
    const NxU32 count =
        scene->overlapOBBShapes(BoxOf(matrix, box, 0.5f), NX_ALL_SHAPES, 1, &shape, nullptr, hit.nFilter, nullptr, true);
    return WriteOwner(hit, count, shape);
}

u32 TNxCollisionManager::OverlapBoxFiltered(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                            TCollisionFilter& filter)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    NxShape* shapes[COLLISION_FILTERED_SHAPES];
    const NxGroupsMask mask = Mask(hit.nFilter);
    const NxU32 count = scene->overlapOBBShapes(BoxOf(matrix, box, 0.5f), NX_ALL_SHAPES, COLLISION_FILTERED_SHAPES,
                                                shapes, nullptr, ALL_GROUPS, &mask, true);
    for (NxU32 i = 0; i < count; ++i)
    {
        const TCollisionUserData* data = UserDataOf(*shapes[i]);
        TNode* node = data ? data->GetNode() : nullptr;
        if (!node || filter.IsFiltered(node, data))
            continue;
        hit.pOwner = data->pObject;
        return 1;
    }
    return 0;
}

u32 TNxCollisionManager::OverlapBoxExcludingNode(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit, TNode* node)
{
    TNodeCollisionFilter filter(node);
    return OverlapBoxFiltered(matrix, box, hit, filter);
}

u32 TNxCollisionManager::OverlapBoxExcludingNodes(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                                  TNode* const* nodes)
{
    TNodesCollisionFilter filter(nodes);
    return OverlapBoxFiltered(matrix, box, hit, filter);
}

u32 TNxCollisionManager::OverlapCapsule(const TVector& start, const TVector& end, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    NxShape* shape = nullptr;
    const NxGroupsMask mask = Mask(hit.nFilter);
    const NxU32 count =
        scene->overlapCapsuleShapes(CapsuleOf(start, end), NX_ALL_SHAPES, 1, &shape, nullptr, ALL_GROUPS, &mask, true);
    return WriteOwner(hit, count, shape);
}

u32 TNxCollisionManager::CheckSphere(const TVector& centre, f32 radius, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    NxSphere sphere;
    sphere.center = Vec(centre);
    sphere.radius = radius;
    return scene && scene->checkOverlapSphere(sphere, NX_ALL_SHAPES, hit.nFilter) ? 1 : 0;
}

u32 TNxCollisionManager::CheckBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    return scene && scene->checkOverlapOBB(BoxOf(matrix, box, 0.5f), NX_ALL_SHAPES, hit.nFilter) ? 1 : 0;
}

u32 TNxCollisionManager::CheckCapsule(const TVector& start, const TVector& end, TCollisionHit& hit)
{
    NxScene* scene = Scene();
    return scene && scene->checkOverlapCapsule(CapsuleOf(start, end), NX_ALL_SHAPES, hit.nFilter) ? 1 : 0;
}

u32 TNxCollisionManager::EnumerateBoxTriangles(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                               TBoxTriangleCallback callback, void* user)
{
    NxScene* scene = Scene();
    if (!scene)
        return 0;
    // The box's size is taken as its half extents: the decal projection relies on the room.
    const NxBox query = BoxOf(matrix, box, 1.0f);
    NxShape* shapes[COLLISION_TRIANGLE_SHAPES];
    const NxU32 count =
        scene->overlapOBBShapes(query, NX_ALL_SHAPES, COLLISION_TRIANGLE_SHAPES, shapes, nullptr, ALL_GROUPS, nullptr, false);
    NxBounds3 bounds;
    bounds.min = query.center - query.extents;
    bounds.max = query.center + query.extents;
    for (NxU32 i = 0; i < count; ++i)
    {
        if (shapes[i]->getType() != NX_SHAPE_MESH || !(shapes[i]->getGroupsMask().bits0 & hit.nFilter))
            continue;
        const auto& mesh = static_cast<const NxTriangleMeshShape&>(*shapes[i]);
        TOverlapCallback report(mesh, callback, user);
        mesh.overlapAABBTriangles(bounds, NX_QUERY_WORLD_SPACE, &report);
    }
    return count ? 1 : 0;
}

void TNxCollisionManager::QueueRayCast(const TRay& ray, TCollisionHit& hit)
{
    NxSceneQuery* query = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetSceneQuery() : nullptr;
    if (!query)
        return;
    // Each request keeps its own mask (the query copies it).
    const NxGroupsMask mask = Mask(hit.nFilter);
    NxRaycastHit unused;
    query->raycastClosestShape(RayOf(ray), NX_ALL_SHAPES, unused, ALL_GROUPS, ray.length, ALL_GROUPS, &mask, nullptr,
                               &hit);
}

void TNxCollisionManager::ExecuteQueries()
{
    if (NxSceneQuery* query = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetSceneQuery() : nullptr)
        query->execute();
}

u32 TNxCollisionManager::FinishQueries(u32 block)
{
    NxSceneQuery* query = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetSceneQuery() : nullptr;
    return query && query->finish(block != 0) ? 1 : 0;
}
