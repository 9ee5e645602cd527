#include "platform/physics/nxmaterial.h"
#include <algorithm>

NxMaterial::NxMaterial(NxScene& scene, NxMaterialIndex index, const NxMaterialDesc& desc)
    : scene_(scene), index_(index), desc_(desc)
{
}

NxReal NxMaterial::combine(NxReal a, NxU32 modeA, NxReal b, NxU32 modeB)
{
    switch (std::max(modeA, modeB)) {
    case NX_CM_MIN:
        return std::min(a, b);
    case NX_CM_MULTIPLY:
        return a * b;
    case NX_CM_MAX:
        return std::max(a, b);
    default:
        return (a + b) * 0.5f;
    }
}
