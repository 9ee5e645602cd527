// Feeds arbitrary collision mesh data to the load of a stored record: the data type, the cooked
// size and the table counts come from the record, the block from the repository. The load must
// make a mesh or refuse with an error line, keep its tables inside the block, and a mesh it makes
// must stand as a static actor that rays and triangle enumerations can meet.
//   input: byte 0 picks the data type (convex or triangles); then u32 cooked size, u32 normal
//   count, u32 index count; the rest is the data block.
#include "ageia/collisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"

#include <cstring>

namespace
{
constexpr size_t kHead = 13;
TNode* s_pNode = nullptr;

void SetUp()
{
    if (s_pNode)
        return;
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
    if (g_pNxDynamicsManager->InitializeManager() != 0)
        __builtin_trap();
    s_pNode = g_pNodeManager->CreateNode("ground");
}

u32 Word(const uint8_t* at)
{
    u32 word;
    std::memcpy(&word, at, 4);
    return word;
}

i32 Count(u32 index, TNode*, u32, void*, const TVector*, const TVector*, u32, void* user)
{
    ++*static_cast<u32*>(user);
    return 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHead)
        return 0;
    SetUp();
    u8* block = static_cast<u8*>(MemoryAllocate(static_cast<u32>(size - kHead) + 1));
    std::memcpy(block, data + kHead, size - kHead);
    TRepository repository(block, static_cast<u32>(size - kHead));
    TNxCollisionMeshData record;
    record.m_nDataType = (data[0] & 1) ? COLLISION_DATA_TRIANGLES : COLLISION_DATA_CONVEX;
    record.m_nCookedSize = Word(data + 1);
    record.m_nNormalCount = Word(data + 5);
    record.m_nIndexCount = Word(data + 9);
    record.SetData(&repository, 0, static_cast<u32>(size - kHead));
    record.Load();
    if (record.m_pNormals &&
        u64(record.m_nCookedSize) + u64(record.m_nNormalCount) * 12 + u64(record.m_nIndexCount) * 2 > size - kHead)
        __builtin_trap();

    if (record.m_pMesh)
    {
        TNxCollisionMesh mesh;
        mesh.pCollisionMeshData = &record;
        mesh.SetGroupsMask(1);
        s_pNode->AddObject(&mesh);
        mesh.__Create();
        if (!mesh.GetActor())
            __builtin_trap();
        TCollisionHit hit;
        std::memset(&hit, 0, sizeof hit);
        hit.nFilter = 1;
        g_pCollisionManager->RayCast(TRay(TVector(0.5f, 100.0f, 0.25f, 1.0f), TVector(0.5f, -100.0f, 0.25f, 1.0f)), hit, 0);
        TBoundBox box;
        box.minimum = TVector(-50.0f, -50.0f, -50.0f, 1.0f);
        box.maximum = TVector(50.0f, 50.0f, 50.0f, 1.0f);
        box.Update();
        u32 calls = 0;
        g_pCollisionManager->EnumerateBoxTriangles(TMatrix(1.0f), box, hit, &Count, &calls);
        mesh.__Release();
        s_pNode->DeleteObject(&mesh);
    }
    record.Release();
    record.SetData(nullptr, 0, 0);
    MemoryFree(block);
    return 0;
}
