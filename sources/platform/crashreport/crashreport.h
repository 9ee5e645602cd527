#pragma once
// The crash reporter: catches the fatal signals of the process and hands a description of the
// crash to the registered callbacks, on the crashing thread, before the process ends as the
// signal would end it.
#include <cstddef>
#include <cstdint>

struct TExceptionHandlerInfo
{
    uint32_t nSignal;
    // The faulting data address (SIGSEGV, SIGBUS) or instruction address.
    uint32_t nAddress;
    // The signal's name ("SIGSEGV").
    char aException[256];
    // What was done: "read/write at 0x%08x" and the like.
    char aOperation[256];
    // The file name (without its folder) of the module holding the faulting instruction.
    char aModule[256];
    // The faulting instruction's address.
    uint32_t nInstruction;
};

static_assert(offsetof(TExceptionHandlerInfo, aException) == 8);
static_assert(offsetof(TExceptionHandlerInfo, aOperation) == 264);
static_assert(offsetof(TExceptionHandlerInfo, aModule) == 520);

typedef void (*TExceptionHandlerCallback)(TExceptionHandlerInfo* info);

constexpr int EXCEPTION_HANDLER_CALLBACK_CAPACITY = 8;

// Installs the handlers of SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT on an alternate stack
// (so that a stack overflow can still be reported) and turns off core dumps of the process.
// Installing twice changes nothing. 0 on success.
int InstallExceptionHandler();
// Callbacks run in registration order; a full table refuses with -1. 0 on success.
int AddExceptionHandlerCallback(TExceptionHandlerCallback callback);
