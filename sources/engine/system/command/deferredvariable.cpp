#include "engine/system/command/deferredvariable.h"

#include "core/system/log.h"
#include "engine/system/command/commandmanager.h"

TDeferredVariable::TDeferredVariable(const char* name)
    : m_Name(MakeCommandName(name, true)), m_nState(DEFERRED_UNRESOLVED), m_pVariable(nullptr)
{
}

void TDeferredVariable::_Initialize()
{
    if (m_nState != DEFERRED_UNRESOLVED)
        return;
    m_pVariable = TCommandManager::Instance().FindVariable(m_Name);
    m_nState = m_pVariable ? DEFERRED_FOUND : DEFERRED_MISSING;
    if (!m_pVariable)
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TDeferredVariable::_Initialize(): error: ", "unable to find variable '%s'",
                    m_Name.GetText());
}

TVariable* TDeferredVariable::GetVariable()
{
    _Initialize();
    return m_pVariable;
}

const TVariableValue& TDeferredVariable::GetValue()
{
    static const TVariableValue s_Empty = {};
    _Initialize();
    return m_pVariable ? m_pVariable->GetValue() : s_Empty;
}

void TDeferredVariable::SetInt(i32 value)
{
    if (TVariable* variable = GetVariable())
        variable->SetInt(value);
}

void TDeferredVariable::SetFloat(f32 value)
{
    if (TVariable* variable = GetVariable())
        variable->SetFloat(value);
}
