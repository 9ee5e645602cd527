#pragma once
// The stored blend program of a skeleton: instructions over animation samples and registers.
#include "core/system/types.h"

class TAnimation;

constexpr u32 BLEND_PROGRAM_SIZE = 8;
// Registers hold keys; register 0 is the bone's result, register 1 starts as its rest key.
constexpr u32 BLEND_REGISTER_COUNT = 8;
// Operands below 32 name an animation, 32 and above a register; 255 is none.
constexpr u8 BLEND_OPERAND_REGISTER = 32;
constexpr u8 BLEND_OPERAND_NONE = 255;

// Operations.
constexpr u8 BLEND_COPY = 0;       // destination = A
constexpr u8 BLEND_ACCUMULATE = 1; // destination = destination + A
constexpr u8 BLEND_ADD = 2;        // destination = A + B
constexpr u8 BLEND_MIX = 3;        // destination = A interpolated towards B by the factor

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
