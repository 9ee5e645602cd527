#pragma once
// TDxMaterialManager ("Material", back end "Dx"): owns the materials made at run time.
#include "core/system/templates/marray.h"
#include "engine/render/material.h"
#include "engine/system/manager.h"

// The repository word of materials made at run time.
constexpr u32 DX_MATERIAL_REPOSITORY = 7;
constexpr i32 DX_MATERIAL_GROWTH = 1024;

class TDxMaterialManager : public TManager
{
public:
    i32 GetMaterialCount() { return m_aMaterial.GetCount(); }
    TMaterial* GetMaterial(i32 index) { return m_aMaterial[index]; }
    TMaterial* CreateMaterial(const TName& name);
    // The first material of that name, null when none.
    TMaterial* FindMaterial(const TName& name);
    // Deletes every material.
    void Clear() { m_aMaterial.DeleteAll(); }

private:
    MArray<TMaterial, 1, DX_MATERIAL_GROWTH> m_aMaterial;
};

extern TDxMaterialManager* g_pDxMaterialManager;
