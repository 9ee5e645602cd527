#pragma once
// TDxDynamicMeshManager ("DynamicMesh", back end "Dx"): room for 4,096 dynamic meshes held in
// place; a slot is never reused.
#include "core/system/templates/sarray.h"
#include "directx/render/dxdynamicmeshdata.h"
#include "engine/system/manager.h"

constexpr u32 DX_DYNAMIC_MESH_CAPACITY = 4096;

class TDxDynamicMeshManager : public TManager
{
public:
    i32 GetMeshDataCount() const { return static_cast<i32>(m_aMeshData.GetCount()); }
    TDxDynamicMeshData* GetMeshData(i32 index) { return &m_aMeshData[static_cast<u32>(index)]; }
    // The next slot; null (and a log line) when all are used.
    TDxDynamicMeshData* CreateMeshData();
    void DeleteMeshData(TDxDynamicMeshData* meshData);

private:
    SArray<TDxDynamicMeshData, DX_DYNAMIC_MESH_CAPACITY, 1> m_aMeshData;
};

extern TDxDynamicMeshManager* g_pDxDynamicMeshManager;
