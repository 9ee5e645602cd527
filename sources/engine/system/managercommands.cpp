// The console commands through which scripts build and run the manager systems.
#include "engine/system/commandarguments.h"
#include "engine/system/managermanager.h"

#include <cstdlib>

namespace
{
// The manager named by the first argument and the word of the second (0 when absent); null,
// with the error printed, for a name no manager has.
TManager* ListArguments(const TCommandInstruction& instruction, u32& word)
{
    if (!CheckAtLeast(instruction, 1))
        return nullptr;
    const TName name = CommandArgument(instruction, 0);
    TManager* manager = g_ManagerManager.FindManager(name);
    if (!manager)
    {
        TCommandManager::Instance().PrintError("'%s': undeclared manager", name.GetText());
        return nullptr;
    }
    word = instruction.nArgumentCount > 1
               ? static_cast<u32>(std::atoi(CommandArgument(instruction, 1).GetText()))
               : 0;
    return manager;
}
} // namespace

class TCommandmanager_system_create : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            g_ManagerManager.CreateSystem(CommandArgument(instruction, 0));
    }
};

class TCommandmanager_system_activate : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            g_ManagerManager.__ActivateSystem(CommandArgument(instruction, 0));
    }
};

// The four list commands: the manager named by the first argument, with the word of the
// second, joins that list of the active system.
template <void (TManagerManager::*Add)(TManager*, u32)> class TManagerListCommand : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        u32 word;
        if (prepare == COMMAND_RUN)
            if (TManager* manager = ListArguments(instruction, word))
                (g_ManagerManager.*Add)(manager, word);
    }
};

typedef TManagerListCommand<&TManagerManager::AddInitializeManager> TCommandmanager_initialize_add;
typedef TManagerListCommand<&TManagerManager::AddFinalizeManager> TCommandmanager_finalize_add;
typedef TManagerListCommand<&TManagerManager::AddUpdateManager> TCommandmanager_update_add;
typedef TManagerListCommand<&TManagerManager::AddRenderManager> TCommandmanager_render_add;

class TCommandmanager_render_inherit : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const TName name = CommandArgument(instruction, 0);
        if (const TManagerSystem* system = g_ManagerManager.FindSystem(name))
            g_ManagerManager.AddRenderManager(system);
        else
            TCommandManager::Instance().PrintError("'%s': undeclared manager system", name.GetText());
    }
};

// The four phase runs, each in its place: initialize while the managers are finalized (the lock
// state of the start and of the end), the others between initialize and finalize, and none
// inside a frame (a console line): the frame goes on with what the phase would release. Out of
// place, managers would be initialized twice or finalized twice (their objects released again)
// and would add listeners while that is refused.
template <void (TManagerManager::*Phase)(), bool INITIALIZE> class TManagerPhaseCommand : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 0))
            return;
        const bool finalized = g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED;
        if (g_ManagerManager.IsUpdating())
            TCommandManager::Instance().PrintError("managers run a frame (phases belong to the start-up script)");
        else if (INITIALIZE && !finalized)
            TCommandManager::Instance().PrintError("managers already initialized (manager.finalize first)");
        else if (!INITIALIZE && finalized)
            TCommandManager::Instance().PrintError("managers not initialized (manager.initialize first)");
        else
            (g_ManagerManager.*Phase)();
    }
};

typedef TManagerPhaseCommand<&TManagerManager::Initialize, true> TCommandmanager_initialize;
typedef TManagerPhaseCommand<&TManagerManager::Begin, false> TCommandmanager_begin;
typedef TManagerPhaseCommand<&TManagerManager::End, false> TCommandmanager_end;
typedef TManagerPhaseCommand<&TManagerManager::Finalize, false> TCommandmanager_finalize;

class TCommandmanager_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        for (u32 i = 0; i < g_ManagerManager.GetManagerCount(); ++i)
        {
            const TManager* manager = g_ManagerManager.GetManager(i);
            const bool sameType = manager->m_TypeName == manager->m_Name;
            TCommandManager::Instance().Print("   %s|200%s", manager->GetNameText(),
                                              sameType ? "" : manager->m_TypeName.GetText());
        }
    }
};

namespace
{
TCommandmanager_system_create s_Commandmanager_system_create;
TCommandmanager_system_activate s_Commandmanager_system_activate;
TCommandmanager_initialize_add s_Commandmanager_initialize_add;
TCommandmanager_finalize_add s_Commandmanager_finalize_add;
TCommandmanager_update_add s_Commandmanager_update_add;
TCommandmanager_render_add s_Commandmanager_render_add;
TCommandmanager_render_inherit s_Commandmanager_render_inherit;
TCommandmanager_initialize s_Commandmanager_initialize;
TCommandmanager_begin s_Commandmanager_begin;
TCommandmanager_end s_Commandmanager_end;
TCommandmanager_finalize s_Commandmanager_finalize;
TCommandmanager_list s_Commandmanager_list;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    const struct
    {
        const char* name;
        TCommand* command;
    } hidden[] = {
        {"manager_system_create", &s_Commandmanager_system_create},
        {"manager_system_activate", &s_Commandmanager_system_activate},
        {"manager_initialize_add", &s_Commandmanager_initialize_add},
        {"manager_finalize_add", &s_Commandmanager_finalize_add},
        {"manager_update_add", &s_Commandmanager_update_add},
        {"manager_render_add", &s_Commandmanager_render_add},
        {"manager_render_inherit", &s_Commandmanager_render_inherit},
        {"manager_initialize", &s_Commandmanager_initialize},
        {"manager_begin", &s_Commandmanager_begin},
        {"manager_end", &s_Commandmanager_end},
        {"manager_finalize", &s_Commandmanager_finalize},
    };
    for (const auto& entry : hidden)
        manager.RegisterCommand(entry.name, "", "", entry.command, 1);
    manager.RegisterCommand("manager_list", "list managers", "List engine managers.", &s_Commandmanager_list,
                            0);
    return 0u;
}();
} // namespace
