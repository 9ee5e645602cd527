#pragma once
// The device states the effect state filter puts back to the engine's defaults: one descriptor
// per Direct3D 9 render state (without the five adaptive-tessellation states), texture-stage
// state and sampler state, plus the texture binding. Defaults are Direct3D 9's, except
// ZEnable (1), PointSize_Max (8192.0) and the texture-stage states, whose stage-0 defaults serve
// every stage.
#include "core/system/types.h"

// Descriptor types.
constexpr u32 DX_STATE_RENDER = 0;
constexpr u32 DX_STATE_SAMPLER = 1;
constexpr u32 DX_STATE_TEXTURE_STAGE = 2;
constexpr u32 DX_STATE_TEXTURE = 3;

constexpr u32 DX_STATE_DESCRIPTOR_COUNT = 129;

struct TDxStateDescriptor
{
    u32 nType;
    // The Direct3D 9 state number.
    u32 nState;
    const char* szName;
    u32 nDefault;
};

// The table of DX_STATE_DESCRIPTOR_COUNT descriptors.
const TDxStateDescriptor* GetStateDescriptors();
// The descriptor of a state; null when the table has none.
const TDxStateDescriptor* FindStateDescriptor(u32 type, u32 state);
// The descriptor of a stage's texture binding: no texture.
const TDxStateDescriptor& GetTextureDescriptor();
