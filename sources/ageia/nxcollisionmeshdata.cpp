#include "ageia/nxcollisionmeshdata.h"

#include "ageia/nxdynamics.h"
#include "ageia/nxstream.h"
#include "core/stream/memorystream.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/repository.h"
#include "platform/physics/nxconvexmesh.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxtrianglemesh.h"

#include <cstring>

namespace
{
const char* const kSource = "sources/ageia/nxcollisionmeshdata";
const char* const kLoadError = "TNxCollisionMeshData::OnResourceLoad(): error: ";

// A range of the record's block that its repository file does not reach: the file was cut
// short. The level would play on without that collision, so the load is refused, as a main
// repository that does not unpack is.
void RefuseWhenCut(TResource& data, u32 offset, u32 size)
{
    TRepository* repository = data.GetRepository();
    if (!repository || u64(data.m_nDataOffset) + offset + size <= repository->GetSize())
        return;
    const char* name = repository->GetName().GetPrintText();
    TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s' is damaged: the collision data of '%s' lie past its end",
                name, data.GetNameText());
    __Abort("TNxCollisionMeshData::OnResourceLoad", kSource, __LINE__,
            "'%s' is damaged: the collision data of '%s' lie past its end", name, data.GetNameText());
}
} // namespace

TNxCollisionMeshData::TNxCollisionMeshData()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(*this) - sizeof(TResource));
    m_nKind = COLLISION_MESH_DATA_KIND;
}

TNxCollisionMeshData::~TNxCollisionMeshData()
{
    // The layer's mesh belongs to its SDK, which frees it when released.
    MemoryFree(m_pNormals);
}

NxConvexMesh* TNxCollisionMeshData::ConvexMesh() const
{
    return m_nDataType == COLLISION_DATA_CONVEX ? static_cast<NxConvexMesh*>(m_pMesh) : nullptr;
}

NxTriangleMesh* TNxCollisionMeshData::TriangleMesh() const
{
    return m_nDataType == COLLISION_DATA_TRIANGLES ? static_cast<NxTriangleMesh*>(m_pMesh) : nullptr;
}

const f32* TNxCollisionMeshData::Normal(u32 vertex) const
{
    return m_pNormals && vertex < m_nNormalCount ? m_pNormals + 3 * vertex : nullptr;
}

i32 TNxCollisionMeshData::Load()
{
    if (m_nDataType != COLLISION_DATA_CONVEX && m_nDataType != COLLISION_DATA_TRIANGLES)
        __Abort("TNxCollisionMeshData::OnResourceLoad", kSource, __LINE__, "invalid resource data type");
    m_pMesh = nullptr;
    m_pNormals = nullptr;
    m_pIndices = nullptr;
    NxPhysicsSDK* sdk = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetSDK() : nullptr;
    if (sdk && m_nCookedSize && m_nCookedSize <= m_nDataSize)
        RefuseWhenCut(*this, 0, m_nCookedSize);
    u8* cooked = sdk && m_nCookedSize ? GetData(0, m_nCookedSize) : nullptr;
    if (cooked)
    {
        TMemoryStream memory;
        memory.Attach(cooked, static_cast<i32>(m_nCookedSize));
        TNxStream stream(memory);
        if (m_nDataType == COLLISION_DATA_CONVEX)
            m_pMesh = sdk->createConvexMesh(stream);
        else
            m_pMesh = sdk->createTriangleMesh(stream);
        // A mesh that reads past the cooked bytes was made of filler: not the stored one.
        if (m_pMesh && stream.IsShort())
            Release();
    }
    if (!m_pMesh)
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': %u bytes of cooked data make no mesh", GetNameText(),
                    m_nCookedSize);
    else if (m_nDataType == COLLISION_DATA_TRIANGLES)
    {
        // The tables follow the cooked bytes; the block may be a transient copy (streamed
        // repositories), so they are kept in a buffer of the data's own.
        const u64 tableSize = u64(m_nNormalCount) * 12 + u64(m_nIndexCount) * 2;
        const u8* tables = nullptr;
        if (tableSize && tableSize <= m_nDataSize - m_nCookedSize)
        {
            RefuseWhenCut(*this, m_nCookedSize, static_cast<u32>(tableSize));
            tables = GetData(m_nCookedSize, static_cast<u32>(tableSize));
        }
        if (tables)
        {
            m_pNormals = static_cast<f32*>(MemoryAllocate(static_cast<u32>(tableSize)));
            std::memcpy(m_pNormals, tables, static_cast<u32>(tableSize));
            m_pIndices = reinterpret_cast<u16*>(reinterpret_cast<u8*>(m_pNormals) + m_nNormalCount * 12);
        }
        else if (tableSize)
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': %u normals and %u indices lie outside its data",
                        GetNameText(), m_nNormalCount, m_nIndexCount);
    }
    SetLoaded(1);
    return 0;
}

i32 TNxCollisionMeshData::Release()
{
    // Without the SDK the mesh went with it. A mesh that shapes still use stays until their
    // actors are gone (the collision manager releases its data again after its actors).
    NxPhysicsSDK* sdk = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetSDK() : nullptr;
    if (sdk && ((ConvexMesh() && ConvexMesh()->getReferenceCount()) ||
                (TriangleMesh() && TriangleMesh()->getReferenceCount())))
        return 0;
    if (sdk && ConvexMesh())
        sdk->releaseConvexMesh(*ConvexMesh());
    if (sdk && TriangleMesh())
        sdk->releaseTriangleMesh(*TriangleMesh());
    MemoryFree(m_pNormals);
    m_pMesh = nullptr;
    m_pNormals = nullptr;
    m_pIndices = nullptr;
    return 0;
}
