#pragma once
// TScript: a script function that stored records name (trigger, automat and prop scripts,
// animation events). This system has no script service to compile or run them: Run says so
// once in the log and gives an empty result.
#include "engine/system/command/variablevalue.h"

class TScriptObject;

constexpr u32 SCRIPT_ARGUMENT_COUNT = 8;

class TScript
{
public:
    TScript();
    virtual ~TScript() = default;
    // The object the function belongs to.
    virtual TScriptObject* GetObject() { return pObject; }
    // Runs the function with the arguments set before; the result is cleared (type 0).
    virtual i32 Run(TVariableValue* result);

    // Stores argument index (beyond the last one nothing is stored).
    void SetArgument(u32 index, const TVariableValue& value);

    TScriptObject* pObject;
    TName m_Name;
    TName m_ReturnType;
    u32 m_nThread;
    u32 m_nParameterCount;
    TVariableValue aArgument[SCRIPT_ARGUMENT_COUNT];
};

static_assert(sizeof(TScript) == 248);
