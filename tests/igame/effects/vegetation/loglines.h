#pragma once
// The system log's lines while it lives, and how many hold a text.
#include "core/system/log.h"

#include <string>
#include <vector>

class TLogLines : public TLogListener
{
public:
    TLogLines() { g_pSystemLog->SetListener(this); }
    ~TLogLines() override { g_pSystemLog->SetListener(nullptr); }
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    u32 Count(const char* part) const
    {
        u32 n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
    std::vector<std::string> lines;
};
