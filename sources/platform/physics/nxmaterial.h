#pragma once
// Friction and restitution by material index. Index 0 is the scene's default material.
#include <cstddef>
#include "platform/physics/nxvec3.h"

// Kept byte for byte inside the engine's stored materials.
struct NxMaterialDesc
{
    NxReal dynamicFriction = 0;
    NxReal staticFriction = 0;
    NxReal restitution = 0;
    NxReal dynamicFrictionV = 0; // carried only: anisotropic friction is not simulated
    NxReal staticFrictionV = 0;  // carried only
    NxVec3 dirOfAnisotropy = NxVec3(1, 0, 0);
    NxU32 flags = 0;
    NxU32 frictionCombineMode = NX_CM_AVERAGE;
    NxU32 restitutionCombineMode = NX_CM_AVERAGE;
    void* spring = nullptr;
};
static_assert(sizeof(NxMaterialDesc) == 48 && offsetof(NxMaterialDesc, dirOfAnisotropy) == 20);

class NxScene;

class NxMaterial
{
public:
    NxMaterial(NxScene& scene, NxMaterialIndex index, const NxMaterialDesc& desc);

    NxMaterialIndex getMaterialIndex() const { return index_; }
    NxScene& getScene() const { return scene_; }
    void loadFromDesc(const NxMaterialDesc& desc) { desc_ = desc; }
    void saveToDesc(NxMaterialDesc& desc) const { desc = desc_; }

    void setDynamicFriction(NxReal v) { desc_.dynamicFriction = v; }
    NxReal getDynamicFriction() const { return desc_.dynamicFriction; }
    void setStaticFriction(NxReal v) { desc_.staticFriction = v; }
    NxReal getStaticFriction() const { return desc_.staticFriction; }
    void setRestitution(NxReal v) { desc_.restitution = v; }
    NxReal getRestitution() const { return desc_.restitution; }
    void setDynamicFrictionV(NxReal v) { desc_.dynamicFrictionV = v; }
    NxReal getDynamicFrictionV() const { return desc_.dynamicFrictionV; }
    void setStaticFrictionV(NxReal v) { desc_.staticFrictionV = v; }
    NxReal getStaticFrictionV() const { return desc_.staticFrictionV; }
    void setDirOfAnisotropy(const NxVec3& v) { desc_.dirOfAnisotropy = v; }
    NxVec3 getDirOfAnisotropy() const { return desc_.dirOfAnisotropy; }
    void setFlags(NxU32 v) { desc_.flags = v; }
    NxU32 getFlags() const { return desc_.flags; }
    void setFrictionCombineMode(NxCombineMode v) { desc_.frictionCombineMode = v; }
    NxCombineMode getFrictionCombineMode() const { return NxCombineMode(desc_.frictionCombineMode); }
    void setRestitutionCombineMode(NxCombineMode v) { desc_.restitutionCombineMode = v; }
    NxCombineMode getRestitutionCombineMode() const { return NxCombineMode(desc_.restitutionCombineMode); }

    // The friction (dynamic) and restitution of a contact between two materials: each value
    // combined by the higher of the two materials' modes (average < minimum < multiply < maximum).
    static NxReal combine(NxReal a, NxU32 modeA, NxReal b, NxU32 modeB);

private:
    NxScene& scene_;
    NxMaterialIndex index_;
    NxMaterialDesc desc_;
};
