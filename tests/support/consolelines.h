#pragma once
// The console's printed lines while it lives, errors marked "! ", and a line run through it.
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"

#include <string>
#include <vector>

class TConsoleLines : public TCommandMethods
{
public:
    TConsoleLines() { TCommandManager::Instance().SetListener(this); }
    ~TConsoleLines() override { TCommandManager::Instance().SetListener(nullptr); }
    void PrintLine(const char* text, int isError) override { lines.push_back(std::string(isError ? "! " : "") + text); }
    // Runs a console line and answers what it printed.
    std::vector<std::string> Run(const char* line)
    {
        lines.clear();
        TCommandManager::Instance().ExecuteText(line);
        return lines;
    }
    std::vector<std::string> lines;
};
