// The script console commands. This system has no script service (a manager of compiled
// script functions), so after checking their arguments the commands report that it is missing.
#include "engine/system/command/commandmanager.h"
#include "engine/system/commandarguments.h"

namespace
{

void ReportNoService()
{
    TCommandManager::Instance().PrintError("no script service");
}

} // namespace

class TCommandscript_rebuild : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            ReportNoService();
    }
};

class TCommandscript_save : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            ReportNoService();
    }
};

class TCommandscript_load : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            ReportNoService();
    }
};

class TCommandscript_run : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        if (CheckAtLeast(instruction, 1))
            ReportNoService();
    }
};

class TCommandscript_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            ReportNoService();
    }
};

class TCommandscript_status : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            ReportNoService();
    }
};

namespace
{

TCommandscript_rebuild s_Commandscript_rebuild;
TCommandscript_save s_Commandscript_save;
TCommandscript_load s_Commandscript_load;
TCommandscript_run s_Commandscript_run;
TCommandscript_list s_Commandscript_list;
TCommandscript_status s_Commandscript_status;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("script_rebuild", "rebuild scripts", "Recompile scripts.",
                            &s_Commandscript_rebuild, 0);
    manager.RegisterCommand("script_save", "save script", "Save scripts.", &s_Commandscript_save, 0);
    manager.RegisterCommand("script_load", "load script", "Load scripts.", &s_Commandscript_load, 0);
    manager.RegisterCommand("script_run", "run script", "Run script function.", &s_Commandscript_run, 0);
    manager.RegisterCommand("script_list", "list script functions", "List script functions.",
                            &s_Commandscript_list, 0);
    manager.RegisterCommand("script_status", "script status", "Script status.", &s_Commandscript_status, 0);
    return 0u;
}();

} // namespace
