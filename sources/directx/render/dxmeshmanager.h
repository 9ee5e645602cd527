#pragma once
// TDxMeshManager ("Mesh", back end "Dx"): owns the mesh data and their instancing objects, the
// meshes (the cluster's TMesh array: a load hands its meshes over), the shared instance buffers
// (a slice per instancing object) and the list of instancing objects with queued instances,
// flushed by FlushInstancing. Its update advances the texture-animated meshes.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "core/system/templates/sarray.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshdatainstancing.h"
#include "engine/render/mesh.h"
#include "engine/render/meshmanager.h"

constexpr u32 DX_INSTANCING_PENDING_CAPACITY = 512;
constexpr i32 DX_MESH_GROWTH = 1024;

class TNode;

class TDxMeshManager : public TMeshManager, public TClusterMethods
{
public:
    TDxMeshManager();

    i32 GetMeshDataCount() { return m_aMeshData.GetCount(); }
    TDxMeshData* GetMeshData(i32 index) { return m_aMeshData[index]; }
    TDxMeshData* CreateMeshData(const TName& name);
    TDxMeshData* FindMeshData(const TName& name);
    // Gives every instancing object its slice of the instance buffers.
    void AllocateInstanceBuffers();
    // Draws every pending queue.
    void FlushInstancing();

    TDxMeshDataInstancing* _AddInstancing();
    // False when the list is full.
    bool _AddPending(TDxMeshDataInstancing* instancing);
    u32 GetPendingCount() const { return m_aPending.GetCount(); }
    const u8* GetObjectParameters() const { return m_aObjectParameters; }
    void SetObjectParameters(const u8* block);
    // Unloads and deletes all mesh data and instancing objects.
    void Clear();

    i32 GetMeshCount() { return m_aMesh.GetCount(); }
    TMesh* GetMesh(i32 index) { return m_aMesh[index]; }
    // A mesh on the node (or on none); refused (abort) while the manager system is locked.
    TMesh* CreateMesh(TNode* node);
    // The meshes and the mesh data of the arrays; the loaded ones go with their cluster, a load
    // replaces what was made here (mesh data made here are unloaded first).
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    void BeginManager() override;
    // The mesh data's device objects go before the device does, with the loader's queue.
    void EndManager() override;
    void UpdateManager(f32 time) override { AnimateTextures(time); }
    // The animated list starts again from the meshes whose animation is active.
    void OnClusterLoad() override;
    void OnClusterUnload() override { ClearAnimated(); }

private:
    void _FreeInstanceBuffers();

    MArray<TDxMeshDataInstancing, 1, DX_MESH_GROWTH> m_aInstancing;
    MArray<TDxMeshData, 1, DX_MESH_GROWTH> m_aMeshData;
    MArray<TMesh, 1, DX_MESH_GROWTH> m_aMesh;
    DArray<TMesh*> m_aLoadedMesh;
    DArray<TMesh*> m_aForeignMesh;
    // The pointer table of the loaded mesh data, which the cluster fills.
    DArray<TDxMeshData*> m_aLoaded;
    DArray<TDxMeshData*> m_aForeign;
    f32* m_pInstanceMatrices;
    f32* m_pInstanceColours;
    u32 m_nInstanceCapacity;
    SArray<TDxMeshDataInstancing*, DX_INSTANCING_PENDING_CAPACITY, 0> m_aPending;
    u8 m_aObjectParameters[MESH_OBJECT_PARAMETERS_SIZE];
};

extern TDxMeshManager* g_pDxMeshManager;
