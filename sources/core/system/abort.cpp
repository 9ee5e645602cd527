#include "core/system/abort.h"

#include "core/system/string.h"

#include <cstdarg>
#include <cstdio>
#include <unistd.h>

TAbortCallback AbortCallback = nullptr;
TTerminateCallback TerminateCallback = nullptr;

void __Abort(const char* function, const char* file, i32 line, const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    FormatStringV(message, sizeof message, format, args);
    va_end(args);
    std::fprintf(stderr, "%s(%d) : abort in %s: %s\n", file, line, function, message);
    __TerminateApplication("");
}

void __TerminateApplication(const char* format, ...)
{
    static char s_message[1024];
    va_list args;
    va_start(args, format);
    FormatStringV(s_message, sizeof s_message, format, args);
    va_end(args);
    if (TerminateCallback)
        TerminateCallback(s_message);
    _exit(1);
}
