#include "directx/render/dxmeshmanager.h"

#include "core/system/memory.h"
#include "engine/system/managermanager.h"

#include <cstring>

TDxMeshManager* g_pDxMeshManager = nullptr;

namespace
{
TDxMeshManager s_MeshManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Mesh", "Dx", &g_pDxMeshManager, &s_MeshManager);
} // namespace

TDxMeshManager::TDxMeshManager()
    : m_pInstanceMatrices(nullptr), m_pInstanceColours(nullptr), m_nInstanceCapacity(0), m_aObjectParameters{}
{
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
