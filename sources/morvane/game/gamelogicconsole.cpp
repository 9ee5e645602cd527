// The game logic's console: the cheat password, three cheat variables and three cheat commands.
// A cheat passes only while "cheating_password" holds "qix!"; a cheat variable set without it
// goes back to 0.
#include "core/system/string.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"

#include <cstdlib>

namespace
{
const TName s_CheatPassword("qix!");
constexpr i32 CHEAT_MONEY = 100000;

class Tcheating_passwordVariable : public TVariable
{
public:
    Tcheating_passwordVariable() : TVariable("cheating_password", "Password that enables cheating.", 0)
    {
        m_Value.SetName(TName(""));
    }
    void OnChange() override {}
};

Tcheating_passwordVariable s_cheating_password;

// An integer cheat: a value other than 0 stays only with the password.
class TCheatVariable : public TVariable
{
public:
    TCheatVariable(const char* name, const char* description) : TVariable(name, description, 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override
    {
        if (m_Value.ToInt() != 0 && !g_pGameLogicManager->CheckCheat())
            m_Value.SetInt(0);
    }
};

TCheatVariable s_cheating_land_immediately("cheating_land_immediately", "Planes don't taxi to the gate");
TCheatVariable s_next_cargo_plane("next_cargo_plane", "Next plane to land is cargo plane");
// Registered for the console; the simulation does not read it.
TCheatVariable s_autotakeoff_plane("autotakeoff_plane", "Auto-Start take-off procedure.");

class TCommandland_plane : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && g_pGameLogicManager->CheckCheat())
            g_pGameLogicManager->GetParameters().fArrivalTimer = 0.0f;
    }
};

class TCommandcheating_money : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && g_pGameLogicManager->CheckCheat())
            g_pGameLogicManager->AddMoney(CHEAT_MONEY);
    }
};

class TCommandcheating_levelup : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1) || !g_pGameLogicManager->CheckCheat())
            return;
        const char* text = CommandArgumentText(instruction, 0);
        char* end = nullptr;
        const long id = std::strtol(text, &end, 10);
        TGate* gate = *text && !*end && id >= GATE_ID_FIRST && id <= GATE_ID_LAST
                          ? g_pGameLogicManager->FindGate(static_cast<i32>(id))
                          : nullptr;
        if (!gate)
        {
            TCommandManager::Instance().PrintError("no gate '%s' (gates are %d to %d)", text, GATE_ID_FIRST,
                                                   GATE_ID_LAST);
            return;
        }
        for (i32 kind = 0; kind < SERVICE_KIND_COUNT; ++kind)
        {
            const TTask* task = gate->GetServiceTask(kind);
            if (task && task->GetAILevel() < UNIT_AI_LEVEL_MAX)
                gate->LevelUpService(task->m_nType);
        }
    }
};

TCommandland_plane s_Commandland_plane;
TCommandcheating_money s_Commandcheating_money;
TCommandcheating_levelup s_Commandcheating_levelup;
const u32 s_aRegistered[] = {
    TCommandManager::Instance().RegisterCommand("land_plane", "Land plane", "Start landing procedure immediately.",
                                                &s_Commandland_plane, 0),
    TCommandManager::Instance().RegisterCommand("cheating_money", "add tons of money", "", &s_Commandcheating_money,
                                                0),
    TCommandManager::Instance().RegisterCommand("cheating_levelup", "add ai to specified gate",
                                                "(specify gate) add one level ai to the specified gate",
                                                &s_Commandcheating_levelup, 0)};
} // namespace

bool TGameLogicManager::CheckCheat() const
{
    const TVariableValue& password = s_cheating_password.GetValue();
    if (password.nType == VALUE_NAME && password.nName == s_CheatPassword.GetId())
        return true;
    TCommandManager::Instance().Print("no can do. :P");
    return false;
}
