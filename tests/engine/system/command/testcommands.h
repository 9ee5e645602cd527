#pragma once
// Commands and variables the command tests register: one variable of every value type and a
// command that records its calls.
#include "engine/system/command/command.h"
#include "engine/system/command/variable.h"

#include <string>
#include <vector>

class TTestVariable : public TVariable
{
public:
    TTestVariable(const char* name, u32 flags, const TVariableValue& value);
    void OnChange() override { ++nChanges; }
    // Back to the default value and flags.
    void Restore();

    int nChanges = 0;

private:
    TVariableValue m_Default;
    u32 m_nDefaultFlags;
};

struct TRecordedCall
{
    u32 prepare;
    std::vector<std::string> arguments;
};

class TRecordCommand : public TCommand
{
public:
    // Link calls store 42 in the first spare word; run calls record the word they find.
    void Execute(TCommandInstruction& instruction, u32 prepare) override;

    std::vector<TRecordedCall> calls;
    std::vector<i32> cacheWords;
};

// "test.int" (1), "test.int64" (2), "test.float" (3), "test.vector" (4), "test.name" (5),
// "test.colour" (6), "test.startup" (integer, startup flag), "test.hidden" (integer, never
// saved).
extern TTestVariable g_TestInt;
extern TTestVariable g_TestInt64;
extern TTestVariable g_TestFloat;
extern TTestVariable g_TestVector;
extern TTestVariable g_TestName;
extern TTestVariable g_TestColour;
extern TTestVariable g_TestStartup;
extern TTestVariable g_TestHidden;
// "test.record", and "test.private" (COMMAND_PRIVATE: its arguments are passwords).
extern TRecordCommand g_TestRecord;
extern TRecordCommand g_TestPrivate;

void RestoreTestVariables();
