#include "engine/system/script.h"

#include "core/system/log.h"

#include <cstring>

TScript::TScript() : pObject(nullptr), m_nThread(0), m_nParameterCount(0)
{
    std::memset(aArgument, 0, sizeof aArgument);
}

i32 TScript::Run(TVariableValue* result)
{
    static bool s_bReported = false;
    if (!s_bReported)
    {
        s_bReported = true;
        TLog::Print(g_pSystemLog, LOG_WARNING, "TScript::Run(): warning: ", "no script service: '%s' not run",
                    m_Name.GetText());
    }
    if (result)
        std::memset(result, 0, sizeof *result);
    return 0;
}

void TScript::SetArgument(u32 index, const TVariableValue& value)
{
    if (index < SCRIPT_ARGUMENT_COUNT)
        aArgument[index] = value;
}
