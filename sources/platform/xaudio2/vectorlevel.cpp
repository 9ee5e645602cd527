#include "platform/xaudio2/vectorlevel.h"

namespace
{
bool ProcessorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool s_avx2 = ProcessorHasAvx2();
} // namespace

bool MixerUsesAvx2()
{
    return s_avx2;
}

bool SetMixerAvx2(bool wanted)
{
    if (wanted && !ProcessorHasAvx2())
        return false;
    s_avx2 = wanted;
    return true;
}
