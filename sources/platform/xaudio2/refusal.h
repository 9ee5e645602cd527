#pragma once
// The one error line of a refused call: "xaudio2: <call>: <why>" on standard error.
#include "platform/xaudio2/xaudio2.h"

#include <string>

void PrintAudioError(const char* call, const std::string& why);
// Prints the line and returns XAUDIO2_E_INVALID_CALL.
HRESULT RefuseCall(const char* call, const std::string& why);
