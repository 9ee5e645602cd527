// The cheats: nothing without the password but a message, with it money, landings, levels.
#include "gamefixture.h"
#include "morvane/game/gameenums.h"

#include <climits>

namespace
{
class Cheats : public GameTest
{
protected:
    void TearDown() override
    {
        SetPassword("");
        for (const char* name : {"cheating.land.immediately", "next.cargo.plane", "autotakeoff.plane"})
            Variable(name)->SetInt(0);
        GameTest::TearDown();
    }
    static TVariable* Variable(const char* name) { return TCommandManager::Instance().FindVariable(TName(name)); }
    static void SetPassword(const char* text)
    {
        const TName value(text, true);
        Variable("cheating.password")->Assign(&value, 1);
    }
    static void Run(const char* line) { TCommandManager::Instance().ExecuteText(line); }
    bool Printed(const std::string& text) const
    {
        return std::any_of(m_Console.lines.begin(), m_Console.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }
};
} // namespace

// Without the password nothing changes but the console says so, and a cheat variable set goes
// back to 0.
TEST_F(Cheats, OnlyThePasswordOpensTheCheatsAndMoneyStopsAtItsLimit)
{
    for (const char* password : {"", "qix", "qix!"})
    {
        const bool open = std::string(password) == "qix!";
        SetPassword(password);
        m_Console.lines.clear();
        m_Parameters.fArrivalTimer = 300.0f;
        Run("cheating.money");
        Run("land.plane");
        EXPECT_EQ(Money(), open ? 101000 : 1000) << password;
        EXPECT_EQ(m_Parameters.fArrivalTimer, open ? 0.0f : 300.0f) << password;
        EXPECT_EQ(Printed("no can do. :P"), !open) << password;
        for (const char* name : {"cheating.land.immediately", "next.cargo.plane", "autotakeoff.plane"})
        {
            Run((std::string("set ") + name + " 1").c_str());
            EXPECT_EQ(Variable(name)->GetValue().nType, VALUE_INT);
            EXPECT_EQ(Variable(name)->GetValue().nInt, open ? 1 : 0) << name << " " << password;
        }
    }
    m_Parameters.nMoney = INT_MAX - 50000;
    for (i32 i = 0; i < 2; ++i)
    {
        Run("cheating.money");
        EXPECT_EQ(Money(), INT_MAX);
    }
}

TEST_F(Cheats, LevelUpTakesOneGateAndRaisesEachServiceBelowTheTop)
{
    SetPassword("qix!");
    TGate& gate = AddGate(1);
    TTask& fuel = AddTask(&gate, gtDeployFuel);
    TTask& taxi = AddTask(&gate, gtDeployTaxi);
    TTask& luggage = AddTask(&gate, gtDeployLuggage);
    TTask& luggageToGate = AddTask(&gate, gtLuggageToGate);
    fuel.pAIUnit = &AddUnit(0);
    taxi.pAIUnit = &AddUnit(3);
    luggage.pAIUnit = &AddUnit(2);
    luggageToGate.pAIUnit = &AddUnit(2);

    Run("cheating.levelup");
    EXPECT_TRUE(Printed("command does not take 0 parameter (1 expected)"));
    Run("cheating.levelup 1 2");
    EXPECT_TRUE(Printed("command does not take 2 parameter (1 expected)"));
    Run("cheating.levelup 9");
    EXPECT_TRUE(Printed("no gate '9'"));
    Run("cheating.levelup 0");
    EXPECT_EQ(fuel.GetAILevel(), 0);
    EXPECT_EQ(Money(), 1000);

    Run("cheating.levelup 1");
    EXPECT_EQ(fuel.GetAILevel(), 1);
    EXPECT_EQ(taxi.GetAILevel(), 3);
    EXPECT_EQ(luggage.GetAILevel(), 3);
    EXPECT_EQ(luggageToGate.GetAILevel(), 3);
    EXPECT_EQ(Money(), 1000 - 5000 - 20000);
    // Asked for the top level all the same, the gate sells nothing.
    gate.LevelUpService(gtDeployTaxi);
    EXPECT_EQ(Money(), 1000 - 5000 - 20000);
    // The last gate is taken as the first is.
    TGate& last = AddGate(8);
    TTask& lastFuel = AddTask(&last, gtDeployFuel);
    lastFuel.pAIUnit = &AddUnit(0);
    Run("cheating.levelup 8");
    EXPECT_EQ(lastFuel.GetAILevel(), 1);
}
