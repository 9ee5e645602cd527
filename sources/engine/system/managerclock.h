#pragma once
// The clock every manager phase call is timed with, in milliseconds.
#include "core/system/types.h"

#include <chrono>

class TManagerStopwatch
{
public:
    TManagerStopwatch() : m_Start(std::chrono::steady_clock::now()) {}
    f32 GetMilliseconds() const
    {
        return std::chrono::duration<f32, std::milli>(std::chrono::steady_clock::now() - m_Start).count();
    }

private:
    std::chrono::steady_clock::time_point m_Start;
};
