#pragma once
// TTimer: the one frame timer of the program, created by the core bootstrap. Every log line
// carries its seconds since creation.
#include "core/system/types.h"

class TTimer
{
public:
    TTimer();

    // Seconds since the timer was built.
    f64 GetTime() const;

private:
    static i64 QueryCounter();

    i64 m_nFrequency;
    i64 m_nStartCount;
};

extern TTimer* g_pTimer;
