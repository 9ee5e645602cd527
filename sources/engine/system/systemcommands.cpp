// The core's console commands and variables: listings and help, variable assignment, binds,
// scripts, the folders of the system, drivers, file compression and the command line.
#include "core/compression/compressedfile.h"
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/plugin.h"
#include "engine/render/device.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "engine/system/commandline.h"
#include "engine/system/managermanager.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace
{
TCommandManager& Commands()
{
    return TCommandManager::Instance();
}

bool Contains(const char* text, const char* filter)
{
    return std::strstr(text, filter) != nullptr;
}

void AddCandidate(TCompletionList& candidates, const char* before, const char* word)
{
    char text[128];
    FormatStringN(text, sizeof text, "%s%s ", before, word);
    AddCompletion(candidates, text);
}

// set and command_toggle: the variable is looked up when the program is linked and its place
// kept in the instruction's first spare word. Scripts write variables dotted, as commands.
void LinkVariable(TCommandInstruction& instruction, u32 argument)
{
    instruction.aCache[0] = Commands().FindVariableIndex(CommandArgument(instruction, argument));
}

TVariable* LinkedVariable(const TCommandInstruction& instruction, u32 argument)
{
    TVariable* variable = Commands().GetVariableAt(instruction.aCache[0]);
    if (!variable)
        Commands().PrintError("'%s': undeclared variable", CommandArgumentText(instruction, argument));
    return variable;
}

// The device manager, or null with an error line when the program has none.
TDeviceManager* DeviceManager()
{
    if (!g_pDeviceManager)
        Commands().PrintError("device manager is not set");
    return g_pDeviceManager;
}

// The listings and completions: every variable, and every visible command, whose name contains
// the filter, in the order of their sets.
template <class F> void ForEachVariable(const char* filter, F visit)
{
    for (u32 i = 0; i < Commands().GetVariableCount(); ++i)
    {
        const TVariable* variable = Commands().GetVariableAt(static_cast<i32>(i));
        if (Contains(variable->GetName().GetText(), filter))
            visit(*variable, variable->GetName().GetText());
    }
}

template <class F> void ForEachCommand(const char* filter, F visit)
{
    for (u32 i = 0; i < Commands().GetCommandCount(); ++i)
    {
        const TCommand* command = Commands().GetCommandAt(static_cast<i32>(i));
        TName name;
        name.SetId(command->GetNameId());
        if ((command->GetFlag() & COMMAND_HIDDEN) == 0 && Contains(name.GetText(), filter))
            visit(*command, name.GetText());
    }
}

// Variables whose names contain the typed word, with their values.
void CompleteVariables(const char* before, const char* last, TCompletionList& candidates,
                       TCompletionList& descriptions)
{
    ForEachVariable(last, [&](const TVariable& variable, const char* name) {
        AddCandidate(candidates, before, name);
        const char* value = variable.GetValue().ToString();
        char description[128];
        if (variable.GetFlags() & VARIABLE_NOT_SAVED)
            FormatStringN(description, sizeof description, "^l%s", value);
        else if (variable.GetFlags() & VARIABLE_CHANGED)
            FormatStringN(description, sizeof description, "^A%s", value);
        else
            FormatStringN(description, sizeof description, "[%s]", value);
        AddCompletion(descriptions, description);
    });
}

// A command bind's commands, each quoted and followed by a blank.
void BindCommands(const TCommandBind& bind, char* text, i32 room)
{
    text[0] = 0;
    for (u32 i = 0; i < bind.nCount; ++i)
    {
        const i32 length = static_cast<i32>(std::strlen(text));
        FormatStringN(text + length, room - length, "\"%s\" ", bind.aCommand[i].GetText());
    }
}
} // namespace

class TCommandcommand_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        ForEachCommand(CommandFilter(instruction), [](const TCommand& command, const char* name) {
            Commands().Print("   %s|200^k%s", name, command.GetDescription());
        });
    }
};

class TCommandvariables_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        ForEachVariable(CommandFilter(instruction), [](const TVariable& variable, const char* name) {
            char colour = 'k';
            if (variable.GetFlags() & VARIABLE_NOT_SAVED)
                colour = 'l';
            else if (variable.GetFlags() & VARIABLE_CHANGED)
                colour = 'F';
            Commands().Print("   %s|320^%c%s", name, colour, variable.GetValue().ToString());
        });
    }
};

// The console's quick start names this one: names and values as command.list lays out commands.
class TCommandvariable_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        ForEachVariable(CommandFilter(instruction), [](const TVariable& variable, const char* name) {
            Commands().Print("   %s|200^k%s", name, variable.GetValue().ToString());
        });
    }
};

class TCommandvariables_help : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        ForEachVariable(CommandFilter(instruction), [](const TVariable& variable, const char* name) {
            Commands().Print("   %s|320^k%s", name, variable.GetDescription().GetText());
        });
    }
};

class TCommandenvironment_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        const char* filter = CommandFilter(instruction);
        for (u32 i = 0; i < Commands().GetEnvironmentCount(); ++i)
        {
            TName name, value;
            name.SetId(Commands().GetEnvironment(i).key);
            value.SetId(Commands().GetEnvironment(i).value);
            if (Contains(value.GetText(), filter))
                Commands().Print("   %s|200^k%s", name.GetText(), value.GetText());
        }
    }
};

class TCommandenvironment_set : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 2))
            Commands().SetEnvironmentKeyword(CommandArgument(instruction, 0),
                                             CommandArgument(instruction, 1));
    }
};

class TCommandexec : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            Commands().Execute(CommandArgumentText(instruction, 0));
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount != 1)
            return;
        ListScripts();
        for (i32 i = 0; i < m_aScript.GetCount(); ++i)
        {
            if (!Contains(m_aScript[i].aName, last))
                continue;
            AddCandidate(candidates, before, m_aScript[i].aName);
            char description[128];
            FormatStringN(description, sizeof description, "|100^>%db", m_aScript[i].nSize);
            AddCompletion(descriptions, description);
        }
    }

private:
    struct TScriptFile
    {
        char aName[64];
        i32 nSize;
    };

    // Listed once, on first use.
    void ListScripts()
    {
        if (m_nListed)
            return;
        m_nListed = 1;
        TFindFile find;
        for (u32 more = find.First(u"system/*.icom"); more == 0; more = find.Next())
        {
            TScriptFile file;
            WideToUtf8(file.aName, sizeof file.aName, find.GetName(), -1);
            if (char* dot = std::strchr(file.aName, '.'))
                *dot = 0;
            file.nSize = static_cast<i32>(find.GetSize());
            m_aScript.Add(file);
        }
    }

    u32 m_nListed = 0;
    DArray<TScriptFile> m_aScript;
};

class TCommanddevice_run : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 0))
            return;
        TDeviceManager* device = DeviceManager();
        if (!device)
            return;
        // manager.initialize creates the device; manager.finalize releases it.
        if (!device->GetDevice())
        {
            Commands().PrintError("no device to run (manager.initialize creates it)");
            return;
        }
        // Typed into the console the command would start a second loop inside the running one.
        if (g_ManagerManager.IsUpdating())
        {
            Commands().PrintError("the main loop is already running");
            return;
        }
        device->__Run();
    }
};

class TCommandquit : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        TLog::Print(g_pSystemLog, LOG_INFO, "TCommandquit::Execute(): ", "quit");
        if (TDeviceManager* device = DeviceManager())
            device->Quit();
    }
};

class TCommandterminate : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        TLog::Print(g_pSystemLog, LOG_INFO, "TCommandterminate::Execute(): ", "terminate");
        // Static destructors would run under the feet of the update workers and the other
        // threads: the log is written unbuffered, so the process ends without them.
        std::fflush(nullptr);
        _exit(1337);
    }
};

class TCommandset : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_LINK)
        {
            LinkVariable(instruction, 0);
            return;
        }
        if (!CheckAtLeast(instruction, 2))
            return;
        if (TVariable* variable = LinkedVariable(instruction, 0))
        {
            TName values[COMMAND_MAX_ARGUMENTS];
            for (u32 i = 1; i < instruction.nArgumentCount; ++i)
                values[i - 1] = CommandArgument(instruction, i);
            variable->Assign(values, instruction.nArgumentCount - 1);
        }
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount == 1)
            CompleteVariables(before, last, candidates, descriptions);
    }
};

class TCommandreset : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_LINK)
        {
            LinkVariable(instruction, 0);
            return;
        }
        if (!CheckExactly(instruction, 1))
            return;
        if (TVariable* variable = LinkedVariable(instruction, 0))
            variable->SetFlags(variable->GetFlags() & ~VARIABLE_CHANGED);
    }
};

class TCommandbind_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        const char* filter = CommandFilter(instruction);
        for (u32 i = 0; i < Commands().GetBindCount(); ++i)
        {
            const TCommandBind& bind = Commands().GetBind(i);
            const char* key = Commands().KeyToText(bind.Key);
            if (bind.pToggle)
            {
                const char* name = bind.pToggle->GetName().GetText();
                if (Contains(name, filter))
                    Commands().Print("   ^F%s|150^.%s (%d)", key, name, bind.pToggle->GetValue().ToInt());
                continue;
            }
            char commands[BIND_MAX_COMMANDS * 70];
            BindCommands(bind, commands, sizeof commands);
            if (!Contains(commands, filter))
                continue;
            if (bind.nCount == 1)
            {
                Commands().Print("   ^F%s|150^D%s", key, bind.aCommand[0].GetText());
                continue;
            }
            Commands().Print("   ^F%s", key);
            for (u32 c = 0; c < bind.nCount; ++c)
                Commands().Print("      [%d] ^D%s", c, bind.aCommand[c].GetText());
        }
    }
};

class TCommandcommand_bind : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckAtLeast(instruction, 2))
            return;
        const char* commands[COMMAND_MAX_ARGUMENTS];
        for (u32 i = 1; i < instruction.nArgumentCount; ++i)
            commands[i - 1] = CommandArgumentText(instruction, i);
        Commands().AddCommandBind(CommandArgumentText(instruction, 0), commands,
                                  instruction.nArgumentCount - 1);
    }
};

class TCommandcommand_toggle : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_LINK)
        {
            LinkVariable(instruction, 1);
            return;
        }
        if (!CheckExactly(instruction, 2))
            return;
        if (TVariable* variable = LinkedVariable(instruction, 1))
            Commands().AddToggleBind(CommandArgumentText(instruction, 0), variable);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount == 2)
            CompleteVariables(before, last, candidates, descriptions);
    }
};

class TCommandcommand_unbind : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const char* key = CommandArgumentText(instruction, 0);
        if (std::strcmp(key, "all") == 0)
            Commands().ClearBinds();
        else
            Commands().RemoveBinds(key);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount != 1)
            return;
        AddCandidate(candidates, before, "all");
        AddCompletion(descriptions, "delete all binds");
        for (u32 i = 0; i < Commands().GetBindCount(); ++i)
        {
            const TCommandBind& bind = Commands().GetBind(i);
            AddCandidate(candidates, before, Commands().KeyToText(bind.Key));
            char description[BIND_MAX_COMMANDS * 70];
            if (bind.pToggle)
                FormatStringN(description, sizeof description, "[var] %s", bind.pToggle->GetName().GetText());
            else
                BindCommands(bind, description, sizeof description);
            AddCompletion(descriptions, description);
        }
    }
};

class TCommandhelp : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const char* name = CommandArgumentText(instruction, 0);
        if (const TCommand* command = Commands().FindCommand(MakeCommandName(name, false)))
            Commands().Print("%s", command->GetHelp());
        else
            Commands().PrintError("'%s': undeclared variable", name);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount != 1 || Commands().FindCommand(MakeCommandName(last, false)))
            return;
        ForEachCommand(last, [&](const TCommand& command, const char* name) {
            AddCandidate(candidates, before, name);
            AddCompletion(descriptions, command.GetDescription());
        });
    }
};

class TCommandcommand_save : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            Commands().SaveSettings();
    }
};

class TCommandsystem_directory : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        // The empty name locks the file system again.
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 1))
            g_pFileStreamManager->SetDirectory(CommandArgument(instruction, 0));
    }
};

class TCommanduser_directory : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        char path[128];
        FormatStringN(path, sizeof path, "%s", CommandArgumentText(instruction, 0));
        Commands().ExpandVariables(path, sizeof path);
        // Logs and settings would land in the root folder.
        if (!path[0])
        {
            Commands().PrintError("empty user directory");
            return;
        }
        const TName directory(path, true);
        SetUserDirectory(directory);
        Commands().SetEnvironment(TName("directoryuser", true), directory);
    }
};

class TCommandsystem_driver : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2))
            return;
        // The driver registers itself when created; the command keeps nothing.
        TPlugin* driver = nullptr;
        g_pPluginManager->TryFindPlugin(driver, CommandArgument(instruction, 1),
                                        CommandArgument(instruction, 0));
        if (!driver)
            Commands().PrintError("'%s' '%s': undeclared driver", CommandArgumentText(instruction, 0),
                                  CommandArgumentText(instruction, 1));
    }
};

class TCommandcompress : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2))
            return;
        const char* source = CommandArgumentText(instruction, 0);
        if (CompressFile(source, CommandArgumentText(instruction, 1)) != COMPRESS_DONE)
            Commands().PrintError("'%s': unable to compress", source);
    }
};

class TCommandcommandline : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        SString<COMMAND_LINE_SIZE> text;
        text = "";
        text.Format("%s", GetCommandLine());
        ParseCommandLine(text.GetData());
    }
};

class Tsystem_cpuVariable : public TVariable
{
public:
    Tsystem_cpuVariable() : TVariable("system_cpu", "system cpu(s)", VARIABLE_STARTUP) { m_Value.SetInt(1); }
    void OnChange() override { g_ManagerManager.__SetProcessorCount(m_Value.ToInt()); }
};

class Ttimer_pauseVariable : public TVariable
{
public:
    Ttimer_pauseVariable() : TVariable("timer_pause", "Pause system timer.", 0) { m_Value.SetInt(0); }
    // Each change moves the device manager's pause counter: 0 down, anything else up.
    void OnChange() override
    {
        TDeviceManager* device = DeviceManager();
        if (!device)
            return;
        if (m_Value.nType == VALUE_INT && m_Value.nInt == 0)
            device->Resume();
        else
            device->Pause();
    }
};

// The file names of command_save; read where the settings are written.
class TSettingsFileVariable : public TVariable
{
public:
    TSettingsFileVariable(const char* name, const char* description, const char* file)
        : TVariable(name, description, 0)
    {
        m_Value.SetName(TName(file, true));
    }
    void OnChange() override {}
};

namespace
{
TCommandcommand_list s_Commandcommand_list;
TCommandvariables_list s_Commandvariables_list;
TCommandvariable_list s_Commandvariable_list;
TCommandvariables_help s_Commandvariables_help;
TCommandenvironment_list s_Commandenvironment_list;
TCommandenvironment_set s_Commandenvironment_set;
TCommandexec s_Commandexec;
TCommanddevice_run s_Commanddevice_run;
TCommandquit s_Commandquit;
TCommandterminate s_Commandterminate;
TCommandset s_Commandset;
TCommandreset s_Commandreset;
TCommandbind_list s_Commandbind_list;
TCommandcommand_bind s_Commandcommand_bind;
TCommandcommand_toggle s_Commandcommand_toggle;
TCommandcommand_unbind s_Commandcommand_unbind;
TCommandhelp s_Commandhelp;
TCommandcommand_save s_Commandcommand_save;
TCommandsystem_directory s_Commandsystem_directory;
TCommanduser_directory s_Commanduser_directory;
TCommandsystem_driver s_Commandsystem_driver;
TCommandcompress s_Commandcompress;
TCommandcommandline s_Commandcommandline;

Tsystem_cpuVariable s_system_cpuVariable;
Ttimer_pauseVariable s_timer_pauseVariable;
TSettingsFileVariable s_command_save_variablesVariable(
    "command_save_variables", "Filename used for variables for 'command.save' command.", "settings");
TSettingsFileVariable s_command_save_startupvariablesVariable(
    "command_save_startupvariables", "Filename used for startup variables for 'command.save' command.",
    "device");
TSettingsFileVariable s_command_save_commandbindsVariable(
    "command_save_commandbinds", "Filename used for command bindings for 'command.save' command.",
    "settings");
TSettingsFileVariable s_command_save_inputactionVariable(
    "command_save_inputaction", "Filename used for input actions for 'command.save' command.", "actions");

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("command_list", "list commands", "List all console commands.",
                            &s_Commandcommand_list, 0);
    manager.RegisterCommand("variables_list", "list variables", "List console variables.",
                            &s_Commandvariables_list, 0);
    manager.RegisterCommand("variable_list", "list variables and values",
                            "List console variables and their values.", &s_Commandvariable_list, 0);
    manager.RegisterCommand("variables_help", "variables description",
                            "Diaply description for console variables.", &s_Commandvariables_help, 0);
    manager.RegisterCommand("environment_list", "list environment variables",
                            "List all environment variables.", &s_Commandenvironment_list, 0);
    manager.RegisterCommand("environment_set", "set environment variable", "Set environment variable.",
                            &s_Commandenvironment_set, 0);
    manager.RegisterCommand("exec", "execute file", "Execute command file.", &s_Commandexec, 0);
    manager.RegisterCommand("device_run", "", "", &s_Commanddevice_run, 1);
    manager.RegisterCommand("quit", "quit application", "Quit the application.", &s_Commandquit, 0);
    manager.RegisterCommand("terminate", "terminate application immediately",
                            "Terminate the application immediately.", &s_Commandterminate, 0);
    manager.RegisterCommand("set", "set variable", "Set variable value.", &s_Commandset, 0);
    manager.RegisterCommand("reset", "reset variable", "Reset variable value as default value.",
                            &s_Commandreset, 0);
    manager.RegisterCommand("bind_list", "list command binds", "Liat all command binds.", &s_Commandbind_list,
                            0);
    manager.RegisterCommand("command_bind", "binds command to input",
                            "Binds user console command to the input.", &s_Commandcommand_bind, 0);
    manager.RegisterCommand("command_toggle", "toggle variable", "Toggled a variable to the input.",
                            &s_Commandcommand_toggle, 0);
    manager.RegisterCommand("command_unbind", "unbinds command", "Unbinds user commands.",
                            &s_Commandcommand_unbind, 0);
    manager.RegisterCommand("help", "help for commands", "Displays help for specific command.",
                            &s_Commandhelp, 0);
    manager.RegisterCommand("command_save", "save command volatiles",
                            "Save command variables, command bindings and input actions.",
                            &s_Commandcommand_save, 0);
    manager.RegisterCommand("system_directory", "", "", &s_Commandsystem_directory, 1);
    manager.RegisterCommand("user_directory", "", "", &s_Commanduser_directory, 1);
    manager.RegisterCommand("system_driver", "", "", &s_Commandsystem_driver, 1);
    manager.RegisterCommand("compress", "compress file", "Compress file.", &s_Commandcompress, 0);
    manager.RegisterCommand("commandline", "apply command line parameters",
                            "Apply application specific command line parameters", &s_Commandcommandline, 0);
    return 0u;
}();
} // namespace
