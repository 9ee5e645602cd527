#include "engine/system/commandline.h"

#include "core/system/templates/sarray.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/deferredvariable.h"

#include <cstdlib>
#include <cstring>

namespace
{
struct TCommandLineParameter
{
    const char* pName;
    TDeferredVariable Variable;
    i32 nDefault;
};

TCommandLineParameter s_aParameter[] = {
    {"windowed", TDeferredVariable("device_windowed"), 1},
    {"detaillevel", TDeferredVariable("device_detaillevel"), 5},
    {"sound_enabled", TDeferredVariable("sound_enabled"), 1},
};

SString<COMMAND_LINE_SIZE> s_CommandLine;

void AppendArgument(const char* argument)
{
    if (!std::strchr(argument, ' ') || std::strchr(argument, '"'))
    {
        s_CommandLine.Append(argument);
        return;
    }
    // The quotes the shell took away: around the value, or around the whole argument.
    SString<COMMAND_LINE_SIZE> quoted;
    quoted = "";
    const char* equals = std::strchr(argument, '=');
    const size_t nameLength = equals ? static_cast<size_t>(equals - argument) + 1 : 0;
    if (nameLength + std::strlen(argument) + 3 > COMMAND_LINE_SIZE)
        return;
    char name[COMMAND_LINE_SIZE];
    std::memcpy(name, argument, nameLength);
    name[nameLength] = 0;
    quoted.Format("%s\"%s\"", name, argument + nameLength);
    s_CommandLine.Append(quoted.GetText());
}
} // namespace

i32 ApplyCommandLineParameter(const char* name, const char* value, i32, i32 index)
{
    if (index == 0)
        return 0;
    for (TCommandLineParameter& parameter : s_aParameter)
    {
        if (std::strcmp(parameter.pName, name) != 0)
            continue;
        // For this run: the settings written keep the player's own value.
        if (TVariable* variable = parameter.Variable.GetVariable())
            TCommandManager::Instance().SetOneOff(variable, value ? std::atoi(value) : parameter.nDefault);
        return 0;
    }
    TCommandManager::Instance().PrintError("'%s': undeclared command line parameter", name);
    return 0;
}

i32 ParseCommandLine(char* text, TCommandLineHandler handler)
{
    char* token = text;
    char* value = nullptr;
    bool quoted = false;
    i32 index = 0;
    for (char* c = text;; ++c)
    {
        const char at = *c;
        if (at == '"')
            quoted = !quoted;
        else if (at == '=' && !quoted && !value)
            value = c;
        else if ((at == ' ' && !quoted) || at == 0)
        {
            *c = 0;
            if (value)
                *value++ = 0;
            if (handler(token, value, 0, index++) != 0)
                return 1;
            if (at == 0)
                return 0;
            token = c + 1;
            value = nullptr;
        }
    }
}

void SetCommandLine(int argc, const char* const* argv)
{
    s_CommandLine = "";
    for (int i = 0; i < argc; ++i)
    {
        if (i > 0)
            s_CommandLine.Append(" ");
        if (s_CommandLine.GetLength() + std::strlen(argv[i]) + 3 > COMMAND_LINE_SIZE)
            break;
        AppendArgument(argv[i]);
    }
}

const char* GetCommandLine()
{
    return s_CommandLine.GetText();
}
