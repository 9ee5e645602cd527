#pragma once
// TDxMaterialManager ("Material", back end "Dx"): owns the materials made at run time; a
// loaded cluster's materials replace them.
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "engine/render/material.h"
#include "engine/system/manager.h"

// The repository word of materials made at run time.
constexpr u32 DX_MATERIAL_REPOSITORY = 7;
constexpr i32 DX_MATERIAL_GROWTH = 1024;

class TDxMaterialManager : public TManager
{
public:
    TDxMaterialManager();

    // TClusterManager: the cluster sees every material; a load hands its own over.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    i32 GetMaterialCount() { return m_aMaterial.GetCount(); }
    TMaterial* GetMaterial(i32 index) { return m_aMaterial[index]; }
    TMaterial* CreateMaterial(const TName& name);
    // The first material of that name, null when none.
    TMaterial* FindMaterial(const TName& name);
    // Deletes every material.
    void Clear() { m_aMaterial.DeleteAll(); }

private:
    MArray<TMaterial, 1, DX_MATERIAL_GROWTH> m_aMaterial;
    // The pointer table the cluster fills, and the array's own copy of it.
    DArray<TMaterial*> m_aLoaded;
    DArray<TMaterial*> m_aForeign;
};

extern TDxMaterialManager* g_pDxMaterialManager;
