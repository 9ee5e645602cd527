#pragma once
// TVegetationSettings: the vegetation manager's one data block (232 bytes, 58 words), as the
// level writes it. Counts and handles are words; a handle is the name id of the resource.
#include "core/system/types.h"

#include <cstddef>

constexpr u32 VEGETATION_SETTINGS_SIZE = 232;
constexpr u32 VEGETATION_MATERIAL_CAPACITY = 8;
constexpr u32 VEGETATION_PLANT_KINDS = 64;

struct TVegetationSettings
{
    // Entries 0, 2, 4 and 6: the second vegetation parameter vector.
    f32 aParam1[8];
    // The fourth value of the first vegetation parameter vector.
    f32 fParam0W;
    u32 nMaterialCount;
    u32 aMaterial[VEGETATION_MATERIAL_CAPACITY];
    u32 nTexture;
    f32 fCellSize;
    // World units per position step of the instances.
    f32 aPositionScale[3];
    f32 fReserved23;
    // Entries 24, 26, 28 and 30: the third vegetation parameter vector.
    f32 aParam2[8];
    f32 aReserved32[10];
    // Byte k: the index into the plant meshes array of plant kind k.
    u8 aPlantKind[VEGETATION_PLANT_KINDS];
};

static_assert(sizeof(TVegetationSettings) == VEGETATION_SETTINGS_SIZE);
static_assert(offsetof(TVegetationSettings, fParam0W) == 8 * 4);
static_assert(offsetof(TVegetationSettings, nMaterialCount) == 9 * 4);
static_assert(offsetof(TVegetationSettings, aMaterial) == 10 * 4);
static_assert(offsetof(TVegetationSettings, nTexture) == 18 * 4);
static_assert(offsetof(TVegetationSettings, fCellSize) == 19 * 4);
static_assert(offsetof(TVegetationSettings, aPositionScale) == 20 * 4);
static_assert(offsetof(TVegetationSettings, aParam2) == 24 * 4);
static_assert(offsetof(TVegetationSettings, aPlantKind) == 42 * 4);

// The start values.
TVegetationSettings DefaultVegetationSettings();
