#include "platform/crashreport/crashreport.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <ucontext.h>
#include <unistd.h>

namespace
{
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// Room for the handler, the callbacks and the call-stack dump they make.
constexpr size_t kAlternateStackSize = 256 * 1024;

TExceptionHandlerCallback s_aCallback[EXCEPTION_HANDLER_CALLBACK_CAPACITY];
std::atomic<int> s_nCallbackCount{0};
std::atomic<int> s_nInstalled{0};
std::atomic<int> s_nCrashing{0};
TExceptionHandlerInfo s_Info;
alignas(16) unsigned char s_aAlternateStack[kAlternateStackSize];

const char* SignalName(int signal)
{
    switch (signal)
    {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    }
    return "signal";
}

uintptr_t InstructionAddress(void* context)
{
#if defined(__i386__)
    return static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_EIP];
#elif defined(__x86_64__)
    return static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP];
#else
    return 0;
#endif
}

void FillInfo(int signal, siginfo_t* info, void* context)
{
    std::memset(&s_Info, 0, sizeof s_Info);
    const uintptr_t instruction = InstructionAddress(context);
    const bool dataFault = signal == SIGSEGV || signal == SIGBUS;
    const uintptr_t address = dataFault ? reinterpret_cast<uintptr_t>(info->si_addr) : instruction;
    s_Info.nSignal = static_cast<uint32_t>(signal);
    s_Info.nAddress = static_cast<uint32_t>(address);
    s_Info.nInstruction = static_cast<uint32_t>(instruction);
    std::snprintf(s_Info.aException, sizeof s_Info.aException, "%s", SignalName(signal));
    if (dataFault)
        std::snprintf(s_Info.aOperation, sizeof s_Info.aOperation, "access at 0x%08x (code %d)",
                      static_cast<unsigned>(address), info->si_code);
    else
        std::snprintf(s_Info.aOperation, sizeof s_Info.aOperation, "at 0x%08x (code %d)",
                      static_cast<unsigned>(address), info->si_code);
    // The module's file name only: its folder is the user's business, not the report's.
    Dl_info module;
    if (instruction && dladdr(reinterpret_cast<void*>(instruction), &module) && module.dli_fname)
    {
        const char* slash = std::strrchr(module.dli_fname, '/');
        std::snprintf(s_Info.aModule, sizeof s_Info.aModule, "%s", slash ? slash + 1 : module.dli_fname);
    }
    else
        std::snprintf(s_Info.aModule, sizeof s_Info.aModule, "unknown");
}

void OnSignal(int signal, siginfo_t* info, void* context)
{
    // A crash inside the report (or on a second thread meanwhile) ends the process as is.
    if (s_nCrashing.exchange(1) == 0)
    {
        FillInfo(signal, info, context);
        const int count = s_nCallbackCount.load();
        for (int i = 0; i < count; ++i)
            s_aCallback[i](&s_Info);
    }
    // The default action ends the process as the signal would have without us.
    std::signal(signal, SIG_DFL);
    raise(signal);
}
} // namespace

int InstallExceptionHandler()
{
    if (s_nInstalled.exchange(1))
        return 0;
    // The report is what a crash leaves: no core image of the process, which holds what the
    // player typed (passwords among it).
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    stack_t stack = {};
    stack.ss_sp = s_aAlternateStack;
    stack.ss_size = sizeof s_aAlternateStack;
    if (sigaltstack(&stack, nullptr) != 0)
        return -1;
    struct sigaction action = {};
    action.sa_sigaction = OnSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        if (sigaction(signal, &action, nullptr) != 0)
            return -1;
    return 0;
}

int AddExceptionHandlerCallback(TExceptionHandlerCallback callback)
{
    const int index = s_nCallbackCount.load();
    if (index >= EXCEPTION_HANDLER_CALLBACK_CAPACITY)
        return -1;
    s_aCallback[index] = callback;
    s_nCallbackCount.store(index + 1);
    return 0;
}
