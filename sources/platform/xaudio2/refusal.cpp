#include "platform/xaudio2/refusal.h"

#include <cstdio>

void PrintAudioError(const char* call, const std::string& why)
{
    std::fprintf(stderr, "xaudio2: %s: %s\n", call, why.c_str());
}

HRESULT RefuseCall(const char* call, const std::string& why)
{
    PrintAudioError(call, why);
    return XAUDIO2_E_INVALID_CALL;
}
