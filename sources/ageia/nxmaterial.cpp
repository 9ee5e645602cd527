#include "ageia/nxmaterial.h"

#include "platform/physics/nxscene.h"

void TNxDynamicsMaterial::SetFlags(u32 flags)
{
    m_Desc.flags = flags;
    if (m_pMaterial)
        m_pMaterial->setFlags(flags);
}

void TNxDynamicsMaterial::SetDynamicFriction(f32 value)
{
    m_Desc.dynamicFriction = value;
    if (m_pMaterial)
        m_pMaterial->setDynamicFriction(value);
}

void TNxDynamicsMaterial::SetStaticFriction(f32 value)
{
    m_Desc.staticFriction = value;
    if (m_pMaterial)
        m_pMaterial->setStaticFriction(value);
}

void TNxDynamicsMaterial::SetRestitution(f32 value)
{
    m_Desc.restitution = value;
    if (m_pMaterial)
        m_pMaterial->setRestitution(value);
}

void TNxDynamicsMaterial::SetDynamicFrictionV(f32 value)
{
    m_Desc.dynamicFrictionV = value;
    if (m_pMaterial)
        m_pMaterial->setDynamicFrictionV(value);
}

void TNxDynamicsMaterial::SetStaticFrictionV(f32 value)
{
    m_Desc.staticFrictionV = value;
    if (m_pMaterial)
        m_pMaterial->setStaticFrictionV(value);
}

void TNxDynamicsMaterial::SetDirOfAnisotropy(const TVector& direction)
{
    m_Desc.dirOfAnisotropy.set(direction.x, direction.y, direction.z);
    if (m_pMaterial)
        m_pMaterial->setDirOfAnisotropy(m_Desc.dirOfAnisotropy);
}

void TNxDynamicsMaterial::SetFrictionCombineMode(u32 mode)
{
    m_Desc.frictionCombineMode = mode;
    if (m_pMaterial)
        m_pMaterial->setFrictionCombineMode(NxCombineMode(mode));
}

void TNxDynamicsMaterial::SetRestitutionCombineMode(u32 mode)
{
    m_Desc.restitutionCombineMode = mode;
    if (m_pMaterial)
        m_pMaterial->setRestitutionCombineMode(NxCombineMode(mode));
}

void TNxDynamicsMaterial::__Create(NxScene& scene)
{
    while (scene.getHighestMaterialIndex() < m_nIndex)
        scene.createMaterial(m_Desc);
    m_pMaterial = scene.getMaterialFromIndex(m_nIndex);
    if (m_pMaterial)
        m_pMaterial->loadFromDesc(m_Desc);
}
