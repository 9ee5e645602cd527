#pragma once
// TInputObject: scripts run on an object's update, input, activation and deactivation.
// Stored type 26.
#include "core/system/types.h"

#include <cstddef>

class TScript;

constexpr u16 INPUT_OBJECT_TYPE_ID = 26;

class TInputObject
{
public:
    u32 aReserved[6];
    TScript* pScriptUpdate;
    TScript* pScriptInput;
    TScript* pScriptActivate;
    TScript* pScriptDeactivate;
    u32 aReserved2[2];
};

static_assert(sizeof(TInputObject) == 48);
static_assert(offsetof(TInputObject, pScriptUpdate) == 24);
static_assert(offsetof(TInputObject, pScriptInput) == 28);
static_assert(offsetof(TInputObject, pScriptActivate) == 32);
static_assert(offsetof(TInputObject, pScriptDeactivate) == 36);
