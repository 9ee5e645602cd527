#include "testcommands.h"

#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"

namespace
{

TVariableValue Value(u32 type)
{
    TVariableValue value = {};
    value.nType = type;
    return value;
}

TVariableValue IntValue(i32 number)
{
    TVariableValue value = {};
    value.SetInt(number);
    return value;
}

} // namespace

TTestVariable::TTestVariable(const char* name, u32 flags, const TVariableValue& value)
    : TVariable(name, "test variable", flags), m_Default(value), m_nDefaultFlags(flags)
{
    m_Value = value;
}

void TTestVariable::Restore()
{
    m_Value = m_Default;
    m_nFlags = m_nDefaultFlags;
    nChanges = 0;
}

void TRecordCommand::Execute(TCommandInstruction& instruction, u32 prepare)
{
    if (prepare == COMMAND_LINK)
        instruction.aCache[0] = 42;
    else
        cacheWords.push_back(instruction.aCache[0]);
    TRecordedCall call{prepare, {}};
    for (u32 i = 0; i < instruction.nArgumentCount; ++i)
    {
        TName argument;
        argument.SetId(instruction.aArgument[i]);
        const char* secret = CommandPrivateText(instruction.aArgument[i]);
        call.arguments.push_back(secret ? secret : argument.GetText());
    }
    calls.push_back(call);
}

TTestVariable g_TestInt("test_int", 0, IntValue(7));
TTestVariable g_TestInt64("test_int64", 0, Value(VALUE_INT64));
TTestVariable g_TestFloat("test_float", 0, Value(VALUE_FLOAT));
TTestVariable g_TestVector("test_vector", 0, Value(VALUE_VECTOR));
TTestVariable g_TestName("test_name", 0, Value(VALUE_NAME));
TTestVariable g_TestColour("test_colour", 0, Value(VALUE_COLOUR));
TTestVariable g_TestStartup("test_startup", VARIABLE_STARTUP, IntValue(0));
TTestVariable g_TestHidden("test_hidden", VARIABLE_NOT_SAVED, IntValue(0));
TRecordCommand g_TestRecord;
TRecordCommand g_TestPrivate;

namespace
{
const u32 s_nRegistered =
    TCommandManager::Instance().RegisterCommand("test_record", "record calls", "Records its calls.",
                                                &g_TestRecord, 0) +
    TCommandManager::Instance().RegisterCommand("test_private", "record private calls",
                                                "Records its calls, which carry passwords.", &g_TestPrivate,
                                                COMMAND_PRIVATE);
} // namespace

void RestoreTestVariables()
{
    for (TTestVariable* variable : {&g_TestInt, &g_TestInt64, &g_TestFloat, &g_TestVector, &g_TestName,
                                    &g_TestColour, &g_TestStartup, &g_TestHidden})
        variable->Restore();
    for (TRecordCommand* command : {&g_TestRecord, &g_TestPrivate})
    {
        command->calls.clear();
        command->cacheWords.clear();
    }
}
