#include "directx/render/dxmeshmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/memory.h"
#include "directx/render/dxloadedarray.h"
#include "directx/render/dxrendertypes.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"

#include <cstring>

TDxMeshManager* g_pDxMeshManager = nullptr;

namespace
{
TDxMeshManager s_MeshManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Mesh", "Dx", &g_pDxMeshManager, &s_MeshManager);
// The engine's modules reach the animated list through the abstract manager.
const bool s_bBound = (g_pMeshManager = &s_MeshManager, true);
} // namespace

TDxMeshManager::TDxMeshManager()
    : m_pInstanceMatrices(nullptr), m_pInstanceColours(nullptr), m_nInstanceCapacity(0), m_aObjectParameters{}
{
    if (g_pCluster)
    {
        RegisterArray(&MeshDecl(), &m_aLoadedMesh);
        RegisterArray(&MeshDataDecl(), &m_aLoaded);
    }
}

void TDxMeshManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TDxMeshManager::EndManager()
{
    // Reads still queued would land in the buffers that go.
    g_pResourceManager->GetLoader().Clear();
    for (i32 i = 0; i < m_aMeshData.GetCount(); ++i)
        m_aMeshData[i]->Unload();
}

TMesh* TDxMeshManager::CreateMesh(TNode* node)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TDxMeshManager::CreateMesh", "dxmesh.cpp", __LINE__, "manager system 'initialize' is locked");
    TMesh* mesh = m_aMesh.Add();
    if (node)
        node->AddObject(mesh);
    return mesh;
}

i32 TDxMeshManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == MeshDecl().GetTypeId())
        ShowArray(m_aMesh, data, count);
    if (typeId == MESH_DATA_TYPE_ID)
        ShowArray(m_aMeshData, data, count);
    return 0;
}

i32 TDxMeshManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId == MESH_DATA_TYPE_ID)
    {
        UnloadOwned(m_aMeshData);
        TakeLoadedArray(m_aMeshData, m_aForeign, m_aLoaded, count);
        return 0;
    }
    if (typeId != MeshDecl().GetTypeId())
        return 1;
    ClearAnimated();
    TakeLoadedArray(m_aMesh, m_aForeignMesh, m_aLoadedMesh, count);
    return 0;
}

void TDxMeshManager::OnClusterLoad()
{
    // A loaded mesh data's device objects were the writing run's: its first load makes its own
    // (a creation that fails leaves none, not the stored word).
    for (i32 i = 0; i < m_aMeshData.GetForeignCount(); ++i)
    {
        TDxMeshData* data = m_aMeshData[i];
        data->m_pDeclaration = nullptr;
        data->m_pVertexBuffer = nullptr;
        data->m_pIndexBuffer = nullptr;
    }
    ClearAnimated();
    // Stored list words are no links of this run.
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        m_aMesh[i]->pAnimatedNext = m_aMesh[i]->pAnimatedPrev = nullptr;
    for (i32 i = 0; i < m_aMesh.GetCount(); ++i)
        if (m_aMesh[i]->m_TextureAnimation.m_nActive)
            AddAnimated(m_aMesh[i]);
}

TDxMeshData* TDxMeshManager::CreateMeshData(const TName& name)
{
    TDxMeshData* meshData = m_aMeshData.Add();
    meshData->m_Name = name;
    return meshData;
}

TDxMeshData* TDxMeshManager::FindMeshData(const TName& name)
{
    for (i32 i = 0; i < m_aMeshData.GetCount(); ++i)
        if (m_aMeshData[i]->m_Name == name)
            return m_aMeshData[i];
    return nullptr;
}

TDxMeshDataInstancing* TDxMeshManager::_AddInstancing()
{
    return m_aInstancing.Add();
}

void TDxMeshManager::_FreeInstanceBuffers()
{
    MemoryFree(m_pInstanceMatrices);
    MemoryFree(m_pInstanceColours);
    m_pInstanceMatrices = nullptr;
    m_pInstanceColours = nullptr;
    m_nInstanceCapacity = 0;
}

void TDxMeshManager::AllocateInstanceBuffers()
{
    u32 sum = 0;
    for (i32 i = 0; i < m_aInstancing.GetCount(); ++i)
        sum += m_aInstancing[i]->m_nCapacity;
    if (sum == 0 || sum > m_nInstanceCapacity)
        _FreeInstanceBuffers();
    if (sum == 0)
        return;
    if (!m_pInstanceMatrices)
    {
        m_pInstanceMatrices = static_cast<f32*>(MemoryAllocate(sum * DX_INSTANCE_MATRIX_FLOATS * sizeof(f32)));
        m_pInstanceColours = static_cast<f32*>(MemoryAllocate(sum * DX_INSTANCE_COLOUR_FLOATS * sizeof(f32)));
        m_nInstanceCapacity = sum;
    }
    u32 first = 0;
    for (i32 i = 0; i < m_aInstancing.GetCount(); ++i)
    {
        TDxMeshDataInstancing* instancing = m_aInstancing[i];
        instancing->m_pMatrices = m_pInstanceMatrices + first * DX_INSTANCE_MATRIX_FLOATS;
        instancing->m_pColours = m_pInstanceColours + first * DX_INSTANCE_COLOUR_FLOATS;
        first += instancing->m_nCapacity;
    }
}

bool TDxMeshManager::_AddPending(TDxMeshDataInstancing* instancing)
{
    if (m_aPending.GetCount() == DX_INSTANCING_PENDING_CAPACITY)
        return false;
    m_aPending.Add(instancing);
    return true;
}

void TDxMeshManager::FlushInstancing()
{
    for (u32 i = 0; i < m_aPending.GetCount(); ++i)
        m_aPending[i]->Flush();
    m_aPending.SetCount(0);
}

void TDxMeshManager::SetObjectParameters(const u8* block)
{
    std::memcpy(m_aObjectParameters, block, MESH_OBJECT_PARAMETERS_SIZE);
}

void TDxMeshManager::Clear()
{
    for (i32 i = 0; i < m_aMeshData.GetCount(); ++i)
        m_aMeshData[i]->Unload();
    m_aPending.SetCount(0);
    m_aInstancing.DeleteAll();
    m_aMeshData.DeleteAll();
    _FreeInstanceBuffers();
}
