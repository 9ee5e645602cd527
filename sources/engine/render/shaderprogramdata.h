#pragma once
// TDxShaderProgramData (stored type 34, 48 bytes): one precompiled effect program of a shader,
// as its repository record holds it.
#include "core/system/types.h"

constexpr u16 SHADER_PROGRAM_DATA_TYPE_ID = 34;
constexpr u32 SHADER_TEXTURE_SLOTS = 22;

// The key a draw looks its program up by: vertex layout name, define text name, texture mask.
struct TShaderProgramKey
{
    u32 nVertexLayout;
    u32 nDefineText;
    u32 nTextureMask;
};

struct TDxShaderProgramData
{
    TShaderProgramKey Key;
    // Bit N: the effect may link a texture into slot N.
    u32 nTextureSlots;
    // Offset in the shader's inflated data block; with a size of 0 the index of an earlier
    // program whose effect is shared.
    u32 nDataOffset;
    u32 nDataSize;
    // Per texture slot: 255 none; low nibble the sampler, high nibble a second one (above 15).
    u8 aSampler[SHADER_TEXTURE_SLOTS];
    u8 aPadding[2];
};

static_assert(sizeof(TDxShaderProgramData) == 48);
