#pragma once
// TCommandManager: the one owner of console commands and variables, the environment values
// that "$(name)" references expand to, the key binds, the output listener (the console), and
// the runner of command scripts (compiled into cached "cp10" programs).
#include "core/cluster/clustermethods.h"
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandbind.h"
#include "engine/system/command/variablevalue.h"
#include "engine/system/manager.h"

class TCommandMethods;
class TCommandProgram;
class TStream;
class TVariable;

constexpr u32 COMMAND_MAX_COMMANDS = 256;
constexpr u32 COMMAND_MAX_VARIABLES = 256;
constexpr u32 COMMAND_MAX_ENVIRONMENT = 128;
constexpr u32 COMMAND_MAX_BINDS = 128;
constexpr u32 COMMAND_PRINT_SIZE = 1024;
constexpr u32 COMMAND_EXPAND_SIZE = 1024;
// Environment values are cut to this many characters when expanded.
constexpr u32 COMMAND_VALUE_LENGTH = 127;
constexpr u32 COMMAND_WIDE_VALUE_LENGTH = 255;

// SetEnvironment results.
constexpr u32 ENVIRONMENT_UNCHANGED = 0;
constexpr u32 ENVIRONMENT_ADDED = 1;
constexpr u32 ENVIRONMENT_REPLACED = 2;
constexpr u32 ENVIRONMENT_FULL = 3;

// Execute, __SystemExecute and Compile results.
constexpr u32 SCRIPT_OK = 0;
constexpr u32 SCRIPT_MISSING_SOURCE = 1;
constexpr u32 SCRIPT_CACHE_NOT_WRITABLE = 2;
constexpr u32 SCRIPT_NESTED_TOO_DEEP = 3; // also a script run from inside itself
constexpr u32 SCRIPT_NOT_A_FILE = 4;
constexpr u32 SCRIPT_FILE_SYSTEM_LOCKED = 5;
constexpr u32 SCRIPT_EMPTY = 6; // a start-up script without a single command

// Scripts that run scripts (exec) stop at this depth. A script never runs inside itself: with no
// conditions in scripts that could only repeat until a limit, and a script that ran itself twice
// would do so 2^depth times.
constexpr u32 COMMAND_MAX_SCRIPT_DEPTH = 32;
// The largest script source read.
constexpr i32 COMMAND_MAX_SCRIPT_SIZE = 16 * 1024 * 1024;

typedef TMapKey<u32, TCommand*> TCommandEntry;
typedef TMapKey<u32, TVariable*> TVariableEntry;
typedef TMapKey<u32, u32> TEnvironmentEntry;

class TCommandManager : public TManager, public TClusterMethods
{
public:
    // Built on first use, so that commands and variables of any static initialiser find it.
    static TCommandManager& Instance();

    // Registration under the dotted name ("manager_system_create" is "manager.system.create").
    // A name already present keeps its first object. Returns 0, or 1 when the set is full.
    u32 RegisterCommand(const char* name, const char* description, const char* help, TCommand* command,
                        u32 flag);
    u32 RegisterVariable(const char* name, const char* description, TVariable* variable);

    // Look-up by dotted name id; the index is the place in the sorted set.
    i32 FindCommandIndex(const TName& name) const;
    TCommand* FindCommand(const TName& name) const;
    // Null when the index is out of range.
    TCommand* GetCommandAt(i32 index) const;
    u32 GetCommandCount() const { return m_Commands.GetCount(); }
    i32 FindVariableIndex(const TName& name) const;
    TVariable* FindVariable(const TName& name) const;
    TVariable* GetVariableAt(i32 index) const;
    u32 GetVariableCount() const { return m_Variables.GetCount(); }
    // The CRC of the sorted command ids followed by the sorted variable ids: cached programs
    // keep set indices, so any change of either set makes them stale.
    u32 GetSignature() const;

    // Output.
    void SetListener(TCommandMethods* listener) { m_pListener = listener; }
    TCommandMethods* GetListener() const { return m_pListener; }
    void Print(const char* format, ...);
    // "^I", then "file(line): error: " while a script runs, else "error: ", then the message;
    // also logged, since no console may be listening (the start-up script).
    void PrintError(const char* format, ...);
    // Returns the previous switch.
    u32 SetPrintErrors(u32 on);
    TCommandInstruction* GetInstruction() const { return m_pInstruction; }
    void SetInstruction(TCommandInstruction* instruction) { m_pInstruction = instruction; }
    const TName& GetSource() const { return m_Source; }
    void SetSource(const TName& source) { m_Source = source; }

    // Environment: the value of every "$(name)" reference.
    u32 SetEnvironment(const TName& name, const TName& value);
    // Also enters both names into the keyword table.
    u32 SetEnvironmentKeyword(const TName& name, const TName& value);
    u32 GetEnvironmentCount() const { return m_Environment.GetCount(); }
    const TEnvironmentEntry& GetEnvironment(u32 index) const { return m_Environment[index]; }
    // The text with every reference replaced, in one static buffer of 1,024 characters (the
    // text itself when it holds no '$').
    const char* ExpandVariables(const char* text);
    // In place, within the capacity of the caller's buffer.
    void ExpandVariables(char* text, u32 capacity);
    void ExpandVariables(char16_t* text, u32 capacity);

    // Binds. Key texts are read by the input manager's hooks; without them binds are refused.
    void SetInputHooks(const TCommandInputHooks* hooks) { m_pInputHooks = hooks; }
    // 0 added; 1 refused (no commands, more than 8, a command over 63 characters, the list
    // full or no key parser), with an error line.
    u32 AddCommandBind(const char* key, const char* const* commands, u32 count);
    u32 AddToggleBind(const char* key, TVariable* variable);
    // Removes every bind whose key text equals the text (letters in either case); returns how
    // many. The last bind takes each freed place.
    u32 RemoveBinds(const char* key);
    void ClearBinds() { m_Binds.SetCount(0); }
    u32 GetBindCount() const { return m_Binds.GetCount(); }
    const TCommandBind& GetBind(u32 index) const { return m_Binds[index]; }
    // Empty without the input manager.
    const char* KeyToText(const TCommandKey& key) const;
    // Marks every bind of the key (same code, same shift, ctrl and alt) to run at the next update.
    void TriggerBinds(const TCommandKey& key);
    // Runs the triggered binds: a toggle flips its variable between 0 and 1, a command bind
    // runs its next command.
    void UpdateManager(f32 step) override;

    // Scripts.
    // Compiles the text and runs it, errors reading "error: " without a file. Returns 0.
    u32 ExecuteText(const char* text);
    // Whether the line is to be neither kept nor shown: a statement of it calls a COMMAND_PRIVATE
    // command, or names no declared command or is refused (it does not run, and a mistyped or cut
    // command word may be a password). shown: the first statement's command when declared.
    bool IsPrivateLine(const char* text, TName* shown = nullptr) const;
    // Runs "system/<name>.icom" (the user directory's copy first) through its cache.
    u32 Execute(const char* name);
    // Runs the start-up script "<name>.icom", unlocking the file system to read it.
    u32 __SystemExecute(const char* name);
    u32 Compile(const TName& source, const TName& cache);
    // Writes changed variables, binds and input actions back as scripts.
    void SaveSettings();
    // A value for this run only (the command line's): the variable takes it, and the settings
    // written keep what the player's held until the player assigns the variable again.
    void SetOneOff(TVariable* variable, i32 value);
    // The variable was assigned again: its value is the player's.
    void ForgetOneOff(const TVariable* variable);
    // A clean exit (manager.end) saves the settings into the user directory, once one is named
    // and the game's data were loaded.
    void EndManager() override;
    // Console completion of a typed line.
    void Complete(const char* text, TCompletionList& candidates, TCompletionList& descriptions);
    // Deletes every cached program.
    void PurgeCache();

private:
    TCommandManager();
    u32 InsertEnvironment(const TName& name, const TName& value);
    u32 AddBind(const char* key, TCommandBind& bind);
    // Loads the script's cached program, or compiles it when the source changed or the cache
    // is refused, and runs it. system: the start-up script's handling of the file-system lock.
    u32 Run(const char* name, const TName& source, bool system);
    u32 _Compile(const TName& source, const TName& cache, TCommandProgram& program);
    void WriteSettings(const TName& file, TStream& stream);
    i32 FindIncomplete(u32 source) const;
    void MarkIncomplete(u32 source);
    i32 FindOneOff(const TVariable* variable) const;

    SSet<TCommandEntry, COMMAND_MAX_COMMANDS, u32, 0> m_Commands;
    SSet<TVariableEntry, COMMAND_MAX_VARIABLES, u32, 0> m_Variables;
    TCommandMethods* m_pListener;
    SArray<TCommandBind, COMMAND_MAX_BINDS, 1> m_Binds;
    SSet<TEnvironmentEntry, COMMAND_MAX_ENVIRONMENT, u32, 0> m_Environment;
    u32 m_nPrintErrors;
    TCommandInstruction* m_pInstruction;
    TName m_Source;
    const TCommandInputHooks* m_pInputHooks;
    // The sources of the scripts running, outermost first.
    SArray<u32, COMMAND_MAX_SCRIPT_DEPTH, 1> m_aRunning;
    // The sources that did not run whole this run (a line not compiled or refused, the file
    // refused or unreadable): kept aside before a settings file is written over them.
    DArray<u32> m_aIncomplete;
    // The variables holding a one-off value, with the player's value and flags before it.
    struct TOneOff
    {
        TVariable* pVariable;
        TVariableValue Kept;
        u32 nKeptFlags;
    };
    DArray<TOneOff> m_aOneOff;
};

// The manager "Command".
extern TCommandManager* g_pCommandManager;

// Replaces every occurrence of the pattern, left to right, going on after each replacement.
// The text with its NUL stays within the capacity: a replacement that does not fit stops the
// replacing with an error line. Returns the number of replacements.
u32 Replace(char* target, u32 capacity, const char* pattern, const char* replacement);
u32 Replace(char16_t* target, u32 capacity, const char16_t* pattern, const char16_t* replacement);
