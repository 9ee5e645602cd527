#include "commandfixture.h"
#include "testcommands.h"

#include "engine/system/command/deferredvariable.h"


namespace
{

// A variable whose default stores no value.
TTestVariable s_TestUntyped("test_untyped", 0, TVariableValue{});

class VariableTest : public CommandTest
{
protected:
    // Runs "set" the way the set command does: the value texts as names.
    static void Assign(TVariable& variable, std::initializer_list<const char*> texts)
    {
        std::vector<TName> values;
        for (const char* text : texts)
            values.push_back(TName(text, true));
        ASSERT_EQ(variable.Assign(values.data(), static_cast<u32>(values.size())), 0u);
    }
};

TEST_F(VariableTest, SetConvertsEveryValueTypeAndRefusesAnUntypedVariable)
{
    Assign(g_TestInt64, {"-9000000000"});
    EXPECT_EQ(g_TestInt64.GetValue().nInt64, -9000000000ll);
    Assign(g_TestInt64, {"0x123456789"});
    EXPECT_EQ(g_TestInt64.GetValue().nInt64, 0x123456789ll);
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
    for (TTestVariable* variable : {&g_TestInt64, &g_TestName, &g_TestColour, &g_TestVector})
    {
        EXPECT_TRUE(variable->GetFlags() & VARIABLE_CHANGED);
        EXPECT_GT(variable->nChanges, 0);
    }
    const TName one("1");
    EXPECT_EQ(s_TestUntyped.Assign(&one, 1), 1u);
    EXPECT_EQ(s_TestUntyped.nChanges, 0);
    EXPECT_FALSE(s_TestUntyped.GetFlags() & VARIABLE_CHANGED);
}

} // namespace
