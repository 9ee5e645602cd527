#include "platform/xaudio2/vectorlevel.h"

#include <atomic>

namespace
{
bool ProcessorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// Read by the mixer quantum after quantum, switched by tests.
std::atomic<bool> s_avx2{ProcessorHasAvx2()};
} // namespace

bool MixerUsesAvx2()
{
    return s_avx2.load(std::memory_order_relaxed);
}

bool SetMixerAvx2(bool wanted)
{
    if (wanted && !ProcessorHasAvx2())
        return false;
    s_avx2 = wanted;
    return true;
}
