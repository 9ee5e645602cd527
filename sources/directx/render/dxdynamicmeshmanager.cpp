#include "directx/render/dxdynamicmeshmanager.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"

TDxDynamicMeshManager* g_pDxDynamicMeshManager = nullptr;

namespace
{
TDxDynamicMeshManager s_DynamicMeshManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("DynamicMesh", "Dx", &g_pDxDynamicMeshManager, &s_DynamicMeshManager);

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, "dxdynamicmesh.cpp", __LINE__, "manager system 'initialize' is locked");
}
} // namespace

TDxDynamicMeshData* TDxDynamicMeshManager::CreateMeshData()
{
    CheckUnlocked("TDxDynamicMeshManager::CreateMeshData");
    if (m_aMeshData.GetCount() == DX_DYNAMIC_MESH_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxDynamicMeshManager::CreateMeshData(): error: ",
                    "all %u dynamic meshes in use", DX_DYNAMIC_MESH_CAPACITY);
        return nullptr;
    }
    m_aMeshData.SetCount(m_aMeshData.GetCount() + 1);
    return &m_aMeshData[m_aMeshData.GetCount() - 1];
}

void TDxDynamicMeshManager::DeleteMeshData(TDxDynamicMeshData* meshData)
{
    CheckUnlocked("TDxDynamicMeshManager::DeleteMeshData");
    meshData->ReleaseData();
}
