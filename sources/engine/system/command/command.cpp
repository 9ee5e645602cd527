#include "engine/system/command/command.h"

#include "core/system/string.h"
#include "engine/system/command/commandmethods.h"

TCommand::TCommand() : m_nName(0), m_nFlag(0), m_pDescription(""), m_pHelp("") {}

TCommand::~TCommand() = default;

void TCommand::Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                        TCompletionList& descriptions)
{
}

void AddCompletion(TCompletionList& list, const char* text)
{
    TCompletionText entry;
    FormatStringN(entry.aText, sizeof entry.aText, "%s", text);
    list.Add(entry);
}

TCommandMethods::~TCommandMethods() = default;

void TCommandMethods::SetInput(const char* text) {}

void TCommandMethods::AppendInput(const char* text) {}
