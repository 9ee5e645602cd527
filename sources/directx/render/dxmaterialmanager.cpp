#include "directx/render/dxmaterialmanager.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxloadedarray.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"

TDxMaterialManager* g_pDxMaterialManager = nullptr;

namespace
{
TDxMaterialManager s_MaterialManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Material", "Dx", &g_pDxMaterialManager, &s_MaterialManager);
} // namespace

TDxMaterialManager::TDxMaterialManager()
{
    if (g_pCluster)
        RegisterArray(&MaterialDecl(), &m_aLoaded);
}

i32 TDxMaterialManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == MaterialDecl().GetTypeId())
        ShowArray(m_aMaterial, data, count);
    return 0;
}

i32 TDxMaterialManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId != MaterialDecl().GetTypeId())
        return 1;
    TakeLoadedArray(m_aMaterial, m_aForeign, m_aLoaded, count);
    return 0;
}

TMaterial* TDxMaterialManager::CreateMaterial(const TName& name)
{
    TMaterial* material = m_aMaterial.Add();
    material->m_Name = name;
    material->m_nRepositoryId = DX_MATERIAL_REPOSITORY;
    return material;
}

TMaterial* TDxMaterialManager::FindMaterial(const TName& name)
{
    for (i32 i = 0; i < m_aMaterial.GetCount(); ++i)
        if (m_aMaterial[i]->m_Name == name)
            return m_aMaterial[i];
    return nullptr;
}
