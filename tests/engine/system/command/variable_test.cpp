#include "commandfixture.h"
#include "testcommands.h"

#include "core/system/namemanager.h"
#include "engine/system/command/deferredvariable.h"

#include <cstring>

namespace
{

// A variable whose default stores no value.
TTestVariable s_TestUntyped("test_untyped", 0, TVariableValue{});

class VariableTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        RestoreTestVariables();
    }

    // Runs "set" the way the set command does: the value texts as names.
    static void Assign(TVariable& variable, std::initializer_list<const char*> texts)
    {
        std::vector<TName> values;
        for (const char* text : texts)
            values.push_back(TName(text, true));
        ASSERT_EQ(variable.Assign(values.data(), static_cast<u32>(values.size())), 0u);
    }
};

TEST_F(VariableTest, NamesAreRegisteredInTheirDottedFormAndASecondRegistrationKeepsTheFirst)
{
    EXPECT_EQ(Manager().FindVariable(TName("test_int")), nullptr);
    EXPECT_EQ(Manager().FindCommand(TName("test_record")), nullptr);
    EXPECT_TRUE(g_pNameManager->HasKeyword(TName("test.record").GetId()));
    // The underscore form in a script is an undeclared command.
    Manager().ExecuteText("test_record 1");
    EXPECT_TRUE(g_TestRecord.calls.empty());
    ASSERT_EQ(m_Listener.lines.size(), 1u);
    EXPECT_EQ(m_Listener.lines[0].text, "^Ierror: 'test_record': undeclared command");
    EXPECT_EQ(m_Listener.lines[0].isError, 1);

    TRecordCommand other;
    const u32 commands = Manager().GetCommandCount();
    EXPECT_EQ(Manager().RegisterCommand("test_record", "other", "", &other, 0), 0u);
    EXPECT_EQ(Manager().GetCommandCount(), commands);
    EXPECT_EQ(Manager().FindCommand(TName("test.record")), &g_TestRecord);
    TVariableValue value = {};
    value.SetInt(99);
    TTestVariable duplicate("test_int", 0, value);
    EXPECT_EQ(Manager().FindVariable(TName("test.int")), &g_TestInt);
}

TEST_F(VariableTest, SetConvertsEveryValueTypeAndRefusesAnUntypedVariable)
{
    Assign(g_TestInt64, {"-9000000000"});
    EXPECT_EQ(g_TestInt64.GetValue().nInt64, -9000000000ll);
    Assign(g_TestInt64, {"0x123456789"});
    EXPECT_EQ(g_TestInt64.GetValue().nInt64, 0x123456789ll);
    Assign(g_TestFloat, {"2.5"});
    EXPECT_EQ(g_TestFloat.GetValue().fFloat, 2.5f);
    Assign(g_TestName, {"runway"});
    EXPECT_EQ(g_TestName.GetValue().nName, TName("runway").GetId());
    Assign(g_TestColour, {"0xFF00FF80"});
    EXPECT_EQ(g_TestColour.GetValue().nColour, 0xFF00FF80u);
    Assign(g_TestColour, {"255"});
    EXPECT_EQ(g_TestColour.GetValue().nColour, 255u);
    // Missing vector components are 0, and w 1.
    Assign(g_TestVector, {"1", "2"});
    const f32* v = g_TestVector.GetValue().aVector;
    EXPECT_EQ((std::vector<f32>(v, v + 4)), (std::vector<f32>{1.0f, 2.0f, 0.0f, 1.0f}));
    Assign(g_TestVector, {"1", "2", "3", "0.5"});
    EXPECT_EQ(g_TestVector.GetValue().aVector[3], 0.5f);
    for (TTestVariable* variable : {&g_TestInt64, &g_TestFloat, &g_TestName, &g_TestColour, &g_TestVector})
    {
        EXPECT_TRUE(variable->GetFlags() & VARIABLE_CHANGED);
        EXPECT_GT(variable->nChanges, 0);
    }
    const TName one("1");
    EXPECT_EQ(s_TestUntyped.Assign(&one, 1), 1u);
    EXPECT_EQ(s_TestUntyped.nChanges, 0);
    EXPECT_FALSE(s_TestUntyped.GetFlags() & VARIABLE_CHANGED);
}

TEST_F(VariableTest, ValuesConvertToTextIntegerFloatAndScriptForm)
{
    TVariableValue v[7] = {};
    v[0].SetInt(-3);
    v[1].SetFloat(-2.75f);
    v[2].SetInt64(1ll << 40);
    v[3].SetVector(1, 2, 3, 4);
    v[4].SetColour(0xABCDEF);
    v[5].SetName(TName("apron", true));
    const std::vector<std::string> texts = {"-3", "-2.750000", "1099511627776", "1.000000,2.000000,3.000000,4.000000",
                                            "ABCDEF", "apron", ""};
    const std::vector<i32> integers = {-3, -2, -1, 0, 0xABCDEF, static_cast<i32>(TName("apron").GetId())};
    for (u32 i = 0; i < 7; ++i)
    {
        EXPECT_EQ(v[i].ToString(), texts[i]) << i;
        if (i < 6 && i != 3)
            EXPECT_EQ(v[i].ToInt(), integers[i]) << i;
    }
    EXPECT_EQ(v[0].ToFloat(), -3.0f);
    EXPECT_EQ(v[3].ToFloat(), -1.0f);
    v[6].nName = 0;
    v[6].SetIntReset(4);
    EXPECT_EQ(v[6].nName, 0u);

    const std::pair<f32, const char*> shortFloats[] = {
        {1.5f, "1.5"}, {12.34f, "12.34"}, {0.000001f, "0.000001"}, {2.0f, "2"}, {0.0f, "0"}};
    for (const auto& [number, text] : shortFloats)
        EXPECT_STREQ(ShortFloatText(number), text);
    // Script form: trailing vector components at their defaults are left out.
    const struct
    {
        f32 v[4];
        const char* text;
    } vectors[] = {
        {{1, 0, 0, 1}, "1"}, {{1, 2, 0, 1}, "1 2 "}, {{1, 2, 3, 1}, "1 2 3"}, {{1, 2, 3, 0.5f}, "1 2 3 0.5"}};
    for (const auto& c : vectors)
    {
        v[0].SetVector(c.v[0], c.v[1], c.v[2], c.v[3]);
        EXPECT_STREQ(v[0].ToScript(), c.text);
    }
}

TEST_F(VariableTest, DeferredReferencesResolveOnceAndLeaveMissingVariablesAlone)
{
    TDeferredVariable present("test_int");
    EXPECT_EQ(present.GetVariable(), &g_TestInt);
    present.SetInt(11);
    EXPECT_EQ(g_TestInt.GetValue().nInt, 11);
    EXPECT_EQ(g_TestInt.nChanges, 1);
    present.SetFloat(1.5f);
    EXPECT_EQ(g_TestInt.GetValue().nType, VALUE_FLOAT);

    TDeferredVariable missing("test_missing");
    EXPECT_EQ(missing.GetValue().nType, VALUE_EMPTY);
    missing.SetInt(3);
    missing.GetValue();
    const std::string log = SystemLog();
    const std::string line =
        "TDeferredVariable::_Initialize(): error: unable to find variable 'test.missing'";
    ASSERT_NE(log.find(line), std::string::npos);
    EXPECT_EQ(log.find(line), log.rfind(line)) << "logged once";
}

} // namespace
