#pragma once
// TNxDynamicsMaterial: a dynamics material over a physics-layer material. The descriptor lies in
// the object, so stored images carry every value; the scene's material is loaded from it when
// the manager builds its physics objects.
#include "ageia/dynamicsmaterial.h"
#include "core/system/name.h"
#include "platform/physics/nxmaterial.h"

class NxScene;

class TNxDynamicsMaterial : public TDynamicsMaterial
{
public:
    TNxDynamicsMaterial() : m_pMaterial(nullptr), m_nIndex(0), m_nReserved14(0) {}

    u16 GetIndex() override { return m_nIndex; }
    void SetFlags(u32 flags) override;
    u32 GetFlags() override { return m_Desc.flags; }
    void SetDynamicFriction(f32 value) override;
    f32 GetDynamicFriction() override { return m_Desc.dynamicFriction; }
    void SetStaticFriction(f32 value) override;
    f32 GetStaticFriction() override { return m_Desc.staticFriction; }
    void SetRestitution(f32 value) override;
    f32 GetRestitution() override { return m_Desc.restitution; }
    void SetDynamicFrictionV(f32 value) override;
    f32 GetDynamicFrictionV() override { return m_Desc.dynamicFrictionV; }
    void SetStaticFrictionV(f32 value) override;
    f32 GetStaticFrictionV() override { return m_Desc.staticFrictionV; }
    void SetDirOfAnisotropy(const TVector& direction) override;
    const f32* GetDirOfAnisotropy() override { return &m_Desc.dirOfAnisotropy.x; }
    void SetFrictionCombineMode(u32 mode) override;
    u32 GetFrictionCombineMode() override { return m_Desc.frictionCombineMode; }
    void SetRestitutionCombineMode(u32 mode) override;
    u32 GetRestitutionCombineMode() override { return m_Desc.restitutionCombineMode; }

    // Makes the scene's material of this index (and any missing below it) and loads it.
    void __Create(NxScene& scene);
    // The scene's material is not released: the scene keeps its indices.
    void __Release() { m_pMaterial = nullptr; }
    NxMaterial* GetNxMaterial() const { return m_pMaterial; }

    TName m_Name;
    NxMaterial* m_pMaterial;
    u16 m_nIndex;
    u16 m_nReserved14;
    NxMaterialDesc m_Desc;
};

static_assert(sizeof(TNxDynamicsMaterial) == 64);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxDynamicsMaterial, m_Name) == 4);
static_assert(offsetof(TNxDynamicsMaterial, m_nIndex) == 12);
static_assert(offsetof(TNxDynamicsMaterial, m_Desc) == 16);
static_assert(offsetof(TNxDynamicsMaterial, m_Desc) + offsetof(NxMaterialDesc, dirOfAnisotropy) == 36);
#pragma GCC diagnostic pop
