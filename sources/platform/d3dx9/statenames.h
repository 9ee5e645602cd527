#pragma once
// The names an effect description gives Direct3D 9 states and their values: the Direct3D name
// without its prefix, in any case ("AlphaBlendEnable", "SrcBlend = InvSrcAlpha", "AddressU =
// Clamp"). A value may always be written as a number instead.
#include "platform/windef/windef.h"

#include <string_view>

enum class EStateKind
{
    Render,
    Sampler,
    TextureStage,
};

// What a state's value is, which decides the value names it accepts.
enum class EStateValues
{
    Number,
    Bool,
    Float, // stored as the float's bits
    ZBuffer,
    Fill,
    Shade,
    Blend,
    BlendOp,
    Compare,
    Cull,
    StencilOp,
    Address,
    Filter,
    TextureOp,
    TextureArg,
};

struct TStateName
{
    const char* name;
    DWORD number;
    EStateValues values;
};

// The state of that name, or null.
const TStateName* FindStateName(EStateKind kind, std::string_view name);
// The value of that name among the state's value names; false when it has none of that name.
bool FindStateValue(EStateValues values, std::string_view name, DWORD& value);
// The transform of that name ("World", "View", "Projection", "Texture0" .. "Texture7").
bool FindTransformName(std::string_view name, DWORD& transform);
