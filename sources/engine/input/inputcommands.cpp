// The input console commands (action_bind, action_record, action_unbind, action_list,
// input_echo) and the input manager's side of the command manager's binds: key texts and the
// "action.bind" lines of the settings script.
#include "core/system/string.h"
#include "engine/input/input.h"
#include "engine/input/inputecho.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/input/recordinput.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/commandarguments.h"
#include "engine/system/managermanager.h"

#include <cstring>

namespace
{
TRecordInput s_RecordInput;
TInputEcho s_InputEcho;

const char* InputName(TInput* input)
{
    return input ? input->GetName()->GetText() : "";
}

const char* InputSecondText(TInput* input)
{
    return input ? input->GetDriverName()->GetText() : "";
}

// Actions are made and found only while the managers run: a script compiled before they start
// looks its actions up when its lines run, and a line run before they start is refused.
bool ActionsOpen()
{
    if (g_ManagerManager.GetLockState() != MANAGER_LOCK_LOCKED)
        return true;
    TCommandManager::Instance().PrintError("actions are made once the managers are initialized");
    return false;
}

// Candidates for an action argument: the actions whose names contain the typed text.
void CompleteAction(const char* before, const char* last, TCompletionList& candidates,
                    TCompletionList& descriptions)
{
    TInputManager& input = TInputManager::Instance();
    char text[256];
    for (u32 i = 0; i < input.GetActionCount(); ++i)
    {
        const TInputAction* action = input.GetAction(i);
        if (!std::strstr(action->Name.GetText(), last))
            continue;
        FormatStringN(text, sizeof text, "%s%s ", before, action->Name.GetText());
        AddCompletion(candidates, text);
        if (action->pSecondary)
            FormatStringN(text, sizeof text, "%s|090%s", InputName(action->pPrimary),
                          InputName(action->pSecondary));
        else if (action->pPrimary)
            FormatStringN(text, sizeof text, "%s|090^l%s", InputName(action->pPrimary),
                          InputSecondText(action->pPrimary));
        else
            text[0] = 0;
        AddCompletion(descriptions, text);
    }
}

// Candidates for an input argument: the registered inputs whose names contain the typed text.
void CompleteInput(const char* before, const char* last, TCompletionList& candidates,
                   TCompletionList& descriptions)
{
    TInputManager& input = TInputManager::Instance();
    char text[256];
    for (u32 i = 0; i < input.GetInputCount(); ++i)
    {
        TInput* candidate = input.GetInputAt(static_cast<i32>(i));
        if (!std::strstr(InputName(candidate), last))
            continue;
        FormatStringN(text, sizeof text, "%s%s ", before, InputName(candidate));
        AddCompletion(candidates, text);
        AddCompletion(descriptions, InputSecondText(candidate));
    }
}
} // namespace

class TCommandaction_bind : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (!CheckAtLeast(instruction, 2) || prepare != COMMAND_RUN || !ActionsOpen())
            return;
        TCommandManager& commands = TCommandManager::Instance();
        TInputManager& input = TInputManager::Instance();
        // A damaged line (a quote moved) leaves the name empty: the line says so and the other
        // lines and cached scripts are kept.
        if (!*CommandArgument(instruction, 0).GetText())
        {
            commands.PrintError("action.bind without an action name: the line is refused");
            return;
        }
        TInputAction* target = input.CreateAction(CommandArgument(instruction, 0), 0);
        if (!target)
            return;
        const i32 first = input.FindInputIndex(CommandArgument(instruction, 1));
        const i32 second =
            instruction.nArgumentCount >= 3 ? input.FindInputIndex(CommandArgument(instruction, 2)) : -1;
        if (first < 0)
            commands.PrintError("'%s': undeclared input", CommandArgument(instruction, 1).GetText());
        if (instruction.nArgumentCount >= 3 && second < 0)
            commands.PrintError("'%s': undeclared input", CommandArgument(instruction, 2).GetText());
        if (first < 0 || (instruction.nArgumentCount >= 3 && second < 0))
            return;
        input.BindAction(target, input.GetInputAt(first), second >= 0 ? input.GetInputAt(second) : nullptr);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount == 1)
            CompleteAction(before, last, candidates, descriptions);
        else if (tokenCount == 2 || tokenCount == 3)
            CompleteInput(before, last, candidates, descriptions);
    }
};

class TCommandaction_record : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (!CheckAtLeast(instruction, 2) || prepare != COMMAND_RUN || !ActionsOpen())
            return;
        TInputManager& input = TInputManager::Instance();
        TCommandManager& commands = TCommandManager::Instance();
        TInputAction* action = input.FindAction(CommandArgument(instruction, 0));
        TInput* recorded = input.GetInputAt(input.FindInputIndex(CommandArgument(instruction, 1)));
        if (!action)
            commands.PrintError("'%s': undeclared action", CommandArgument(instruction, 0).GetText());
        else if (!recorded)
            commands.PrintError("'%s': undeclared input", CommandArgument(instruction, 1).GetText());
        else
            input.BindAction(action, recorded, nullptr);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount == 1)
            CompleteAction(before, last, candidates, descriptions);
        else if (tokenCount == 2)
            s_RecordInput.Start(before);
    }
};

class TCommandaction_unbind : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (!CheckExactly(instruction, 1) || prepare != COMMAND_RUN || !ActionsOpen())
            return;
        TInputManager& input = TInputManager::Instance();
        TInputAction* action = input.FindAction(CommandArgument(instruction, 0));
        if (!action)
            TCommandManager::Instance().PrintError("'%s': undeclared action",
                                                   CommandArgument(instruction, 0).GetText());
        else
            input.BindAction(action, nullptr, nullptr);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (tokenCount == 1)
            CompleteAction(before, last, candidates, descriptions);
    }
};

class TCommandaction_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        TCommandManager& commands = TCommandManager::Instance();
        TInputManager& input = TInputManager::Instance();
        const char* filter = instruction.nArgumentCount >= 1 ? CommandArgument(instruction, 0).GetText() : "";
        for (u32 i = 0; i < input.GetActionCount(); ++i)
        {
            const TInputAction* action = input.GetAction(i);
            if (!std::strstr(action->Name.GetText(), filter))
                continue;
            commands.Print("   %s|180^F%s|320^k%s", action->Name.GetText(), InputName(action->pPrimary),
                           InputSecondText(action->pPrimary));
            if (action->pSecondary)
                commands.Print("|180^F%s|320^k%s", InputName(action->pSecondary),
                               InputSecondText(action->pSecondary));
        }
    }
};

class TCommandinput_echo : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            TInputManager::Instance().SetCapture(&s_InputEcho);
    }
};

namespace
{
void ParseKey(const char* text, TCommandKey& key)
{
    TInputKey parsed;
    parsed.Parse(text);
    key = {parsed.nModifiers, parsed.nCode, 0};
}

const char* KeyToText(const TCommandKey& key)
{
    return TInputKey::ToText({key.nModifiers, key.nCode, 0});
}

void WriteActions(TStream& stream)
{
    TInputManager::Instance().WriteActions(stream);
}

const TCommandInputHooks s_InputHooks = {ParseKey, KeyToText, WriteActions};

TCommandaction_bind s_Commandaction_bind;
TCommandaction_record s_Commandaction_record;
TCommandaction_unbind s_Commandaction_unbind;
TCommandaction_list s_Commandaction_list;
TCommandinput_echo s_Commandinput_echo;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.SetInputHooks(&s_InputHooks);
    manager.RegisterCommand("action_bind", "binds action with input", "Binds the action with an input.",
                            &s_Commandaction_bind, 0);
    manager.RegisterCommand("action_record", "record input action", "Record input action.",
                            &s_Commandaction_record, 0);
    manager.RegisterCommand("action_unbind", "unbinds action", "Unbinds the specified action.",
                            &s_Commandaction_unbind, 0);
    manager.RegisterCommand("action_list", "list actions", "List all actions and assigned input.",
                            &s_Commandaction_list, 0);
    manager.RegisterCommand("input_echo", "echo input", "Echo next input and put it on clipboard.",
                            &s_Commandinput_echo, 0);
    return 0u;
}();
} // namespace
