#pragma once
// TCommand: base of every console command. One class per command, named TCommand followed by
// the registered name (TCommandscript_run), with one static instance registered through
// TCommandManager::RegisterCommand.
#include "core/system/templates/darray.h"
#include "engine/system/command/commandinstruction.h"

// One completion candidate or description (the console's 128-character texts).
struct TCompletionText
{
    char aText[128];
};
typedef DArray<TCompletionText> TCompletionList;

// Flag bits of RegisterCommand.
constexpr u32 COMMAND_HIDDEN = 0x1;  // left out of name completion and command listings
constexpr u32 COMMAND_PRIVATE = 0x2; // its lines (passwords) stay out of the console's history and echo

// Prepare flag values of Execute.
constexpr u32 COMMAND_RUN = 0;
constexpr u32 COMMAND_LINK = 1;

class TCommand
{
public:
    TCommand();
    virtual ~TCommand();
    // prepare is COMMAND_LINK while the program is linked (a command may check its arguments
    // and keep what it found in the instruction's spare words) and COMMAND_RUN when it runs.
    virtual void Execute(TCommandInstruction& instruction, u32 prepare) = 0;
    // Argument completion for the console: the tokens before the one being completed, each
    // followed by a blank, their count, and the token being completed. Default: nothing.
    virtual void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                          TCompletionList& descriptions);

    u32 GetNameId() const { return m_nName; }
    // COMMAND_HIDDEN and COMMAND_PRIVATE bits.
    u32 GetFlag() const { return m_nFlag; }
    const char* GetDescription() const { return m_pDescription; }
    const char* GetHelp() const { return m_pHelp; }

protected:
    u32 m_nName;
    u32 m_nFlag;
    const char* m_pDescription;
    const char* m_pHelp;

    friend class TCommandManager;
};

static_assert(sizeof(TCommand) == 20);

// Appends one text to a completion list (cut to 127 characters).
void AddCompletion(TCompletionList& list, const char* text);
