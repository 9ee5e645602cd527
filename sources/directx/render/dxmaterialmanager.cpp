#include "directx/render/dxmaterialmanager.h"

#include "engine/system/managermanager.h"

TDxMaterialManager* g_pDxMaterialManager = nullptr;

namespace
{
TDxMaterialManager s_MaterialManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Material", "Dx", &g_pDxMaterialManager, &s_MaterialManager);
} // namespace

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
