#pragma once
// TDeferredVariable: a reference to a variable by name, resolved on first use, for code that
// may run before (or without) the variable's own module.
#include "engine/system/command/variable.h"

// Resolution states.
constexpr u32 DEFERRED_UNRESOLVED = 0;
constexpr u32 DEFERRED_FOUND = 1;
constexpr u32 DEFERRED_MISSING = 2;

class TDeferredVariable
{
public:
    // The name as registered ("shadow_enable" refers to "shadow.enable").
    explicit TDeferredVariable(const char* name);

    // Resolves the reference once; a missing variable is logged the first time only.
    void _Initialize();
    // The variable, or null when it does not exist.
    TVariable* GetVariable();
    // The variable's value, or the shared empty value when it does not exist.
    const TVariableValue& GetValue();
    // Assign through the reference (changed flag, on-change hook); a missing variable is left
    // alone.
    void SetInt(i32 value);
    void SetFloat(f32 value);

private:
    TName m_Name;
    u32 m_nState;
    TVariable* m_pVariable;
};

static_assert(sizeof(TDeferredVariable) == 12);
