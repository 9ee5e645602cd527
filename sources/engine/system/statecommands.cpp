// The state-save console commands and the save folder's variable.
#include "core/system/findfile.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "engine/system/statemanager.h"

#include <cstring>

namespace
{
// A save lies in the save folder or a folder below it: an empty name, an absolute one, an empty
// part ("a//b", a trailing "/") and ".." are refused, so no save lands outside the folder or as
// a hidden ".save".
bool IsSaveName(const char* name)
{
    bool sound = name[0] != 0;
    for (const char* part = name; sound;)
    {
        const size_t length = std::strcspn(part, "/\\");
        sound = length > 0 && !(length == 2 && part[0] == '.' && part[1] == '.');
        if (!part[length])
            break;
        part += length + 1;
    }
    if (!sound)
        TCommandManager::Instance().PrintError("'%s' is no save name (folders below the save folder only)", name);
    return sound;
}

const char* StateResultText(i32 result)
{
    switch (result)
    {
    case STATE_BAD_MAGIC:
        return "missing, unreadable or not a save";
    case STATE_BAD_VERSION:
        return "saved by another version";
    case STATE_OBJECT_FAILED:
        return "an object refused its state";
    case STATE_BAD_MARKER:
        return "damaged";
    case STATE_NO_REPOSITORY:
        return "the level it names cannot be found";
    case STATE_COMPRESS_FAILED:
        return "the file could not be written";
    default:
        return "the state could not be written";
    }
}
} // namespace

class TCommandstate_save : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const char* name = CommandArgumentText(instruction, 0);
        if (!IsSaveName(name))
            return;
        const i32 result = g_pStateManager->SaveToFile(name);
        if (result != STATE_DONE)
            TCommandManager::Instance().PrintError("unable to save '%s': %s", name, StateResultText(result));
    }
};

class TCommandstate_load : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const char* name = CommandArgumentText(instruction, 0);
        if (!IsSaveName(name))
            return;
        char path[512];
        FormatStringN(path, sizeof path, "%s/%s.save", g_pStateManager->GetSaveDirectory(), name);
        const i32 result = g_pStateManager->LoadFromFile(path);
        if (result != STATE_DONE)
            TCommandManager::Instance().PrintError("unable to load '%s': %s", name, StateResultText(result));
    }

    // The saves of the save folder, without their extension.
    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount != 1)
            return;
        char pattern[512];
        FormatStringN(pattern, sizeof pattern, "%s/*.save", g_pStateManager->GetSaveDirectory());
        char16_t widePattern[512];
        MultiByteToWide(widePattern, 512, pattern, -1);
        TFindFile find;
        for (u32 more = find.First(widePattern); more == 0; more = find.Next())
        {
            char name[FIND_NAME_SIZE * 3];
            WideToUtf8(name, sizeof name, find.GetName(), -1);
            if (char* dot = std::strrchr(name, '.'))
                *dot = 0;
            if (std::strncmp(name, last, std::strlen(last)) != 0)
                continue;
            char text[128];
            FormatStringN(text, sizeof text, "%s%s ", before, name);
            AddCompletion(candidates, text);
            AddCompletion(descriptions, "");
        }
    }
};

class TCommandstate_loadlast : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 0))
            return;
        if (g_pStateManager->LoadLatest() != STATE_DONE)
            TCommandManager::Instance().PrintError("unable to load");
    }
};

class Tsave_directoryVariable : public TVariable
{
public:
    Tsave_directoryVariable() : TVariable("save_directory", "save directory", VARIABLE_NOT_SAVED)
    {
        m_Value.SetName(TName("save", true));
    }
    // The player data's root too, where "$(name)" references stand for the user's folders.
    void OnChange() override
    {
        TName directory;
        directory.SetId(m_Value.nName);
        char expanded[STATE_DIRECTORY_SIZE];
        FormatStringN(expanded, sizeof expanded, "%s", directory.GetText());
        TCommandManager::Instance().ExpandVariables(expanded, sizeof expanded);
        if (g_pStateManager)
            g_pStateManager->SetSaveDirectory(expanded);
    }
};

namespace
{
TCommandstate_save s_Commandstate_save;
TCommandstate_load s_Commandstate_load;
TCommandstate_loadlast s_Commandstate_loadlast;
Tsave_directoryVariable s_save_directoryVariable;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("state_save", "state save", "Game state save.", &s_Commandstate_save, 0);
    manager.RegisterCommand("state_load", "state load", "Game state load.", &s_Commandstate_load, 0);
    manager.RegisterCommand("state_loadlast", "state latest load", "Load latest game state.",
                            &s_Commandstate_loadlast, 0);
    return 0u;
}();
} // namespace
