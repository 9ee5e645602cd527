#pragma once
// TVariableValue: the typed value of a console variable, also the record of script-function
// parameters. 28 bytes; the union members sit at fixed offsets because stored records and
// commands read them in place.
#include "core/system/name.h"

// Value types.
constexpr u32 VALUE_EMPTY = 0;
constexpr u32 VALUE_INT = 1;
constexpr u32 VALUE_INT64 = 2;
constexpr u32 VALUE_FLOAT = 3;
constexpr u32 VALUE_VECTOR = 4;
constexpr u32 VALUE_NAME = 5;
constexpr u32 VALUE_COLOUR = 6;

struct TVariableValue
{
    u32 nType;
    union {
        i32 nInt;
        f32 fFloat;
        u32 nColour; // packed ARGB
    };
    union {
        i64 nInt64;
        f32 aVector[4]; // x, y, z, w
    };
    u32 nName;

    // Fill the record only (defaults of static initialisers).
    void SetInt(i32 value);
    void SetFloat(f32 value);
    // Type 1 and the integer, the name word cleared.
    void SetIntReset(i32 value);
    void SetInt64(i64 value);
    void SetVector(f32 x, f32 y, f32 z, f32 w);
    void SetName(const TName& name);
    void SetColour(u32 argb);

    // The display text, in the rotating format buffers; empty for type 0.
    const char* ToString() const;
    // Types 1 and 6 as stored, 3 truncated, 5 the name id; others -1.
    i32 ToInt() const;
    // Types 1, 2 and 3 converted; others -1.
    f32 ToFloat() const;
    // The text that a "set" line of the settings script carries, read back by
    // TVariable::Assign to the same value.
    const char* ToScript() const;
};

static_assert(sizeof(TVariableValue) == 28);
static_assert(offsetof(TVariableValue, nInt) == 4);
static_assert(offsetof(TVariableValue, nInt64) == 8);
static_assert(offsetof(TVariableValue, aVector) == 8);
static_assert(offsetof(TVariableValue, nName) == 24);

// "%f" without its trailing zeros and then a trailing '.', in the next of 8 rotating
// 128-character buffers ("1.500000" is "1.5", "2.000000" is "2").
const char* ShortFloatText(f32 value);
