#pragma once
// Argument helpers of the system's console commands: the argument texts and the two
// argument-count checks, whose messages go to the console's error output.
#include "engine/system/command/commandmanager.h"

inline TName CommandArgument(const TCommandInstruction& instruction, u32 index)
{
    TName name;
    name.SetId(instruction.aArgument[index]);
    return name;
}

inline const char* CommandArgumentText(const TCommandInstruction& instruction, u32 index)
{
    return CommandArgument(instruction, index).GetText();
}

inline bool CheckExactly(const TCommandInstruction& instruction, u32 expected)
{
    if (instruction.nArgumentCount == expected)
        return true;
    TCommandManager::Instance().PrintError("command does not take %d parameter (%d expected)",
                                           instruction.nArgumentCount, expected);
    return false;
}

inline bool CheckAtLeast(const TCommandInstruction& instruction, u32 minimum)
{
    if (instruction.nArgumentCount >= minimum)
        return true;
    TCommandManager::Instance().PrintError("command does not take %d parameters (at least %d expected)",
                                           instruction.nArgumentCount, minimum);
    return false;
}

// The listing commands' filter: exactly one argument, else none.
inline const char* CommandFilter(const TCommandInstruction& instruction)
{
    return instruction.nArgumentCount == 1 ? CommandArgumentText(instruction, 0) : "";
}
