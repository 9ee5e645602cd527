#pragma once
// The stored blend program of a skeleton: instructions over animation samples and registers.
#include "core/system/types.h"

class TAnimation;

constexpr u32 BLEND_PROGRAM_SIZE = 8;

struct TBlendInstruction
{
    u8 nOperation;
    u8 nDestination;
    u8 nOperandA;
    u8 nOperandB;
    f32 fFactor;
};

static_assert(sizeof(TBlendInstruction) == 8);

struct TBlendProgram
{
    u32 nInstructionCount;
    TBlendInstruction aInstruction[BLEND_PROGRAM_SIZE];
    TAnimation* aAnimation[BLEND_PROGRAM_SIZE];
};

static_assert(sizeof(TBlendProgram) == 100);
static_assert(offsetof(TBlendProgram, aAnimation) == 68);
