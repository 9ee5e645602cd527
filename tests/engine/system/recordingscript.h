#pragma once
// A script function that notes each run and the arguments it was given.
#include "engine/system/script.h"

#include <string>
#include <utility>
#include <vector>

class TRecordingScript : public TScript
{
public:
    TRecordingScript(const char* name, std::vector<std::string>* journal) : m_pJournal(journal)
    {
        m_Name.Set(name, true);
    }

    i32 Run(TVariableValue* result) override
    {
        m_pJournal->push_back(m_Name.GetText());
        aRunArgument.push_back({aArgument[0], aArgument[1]});
        return TScript::Run(result);
    }

    std::vector<std::pair<TVariableValue, TVariableValue>> aRunArgument;

private:
    std::vector<std::string>* m_pJournal;
};
