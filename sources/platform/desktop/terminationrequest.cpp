#include "platform/desktop/terminationrequest.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace
{
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> s_nSignals{0};
std::atomic<bool> s_bPending{false};
std::atomic<bool> s_bInstalled{false};

// Takes the signals one by one as they come: the first is the request, the next ends the
// process as the signal would.
void WatchTerminationSignals(sigset_t signals)
{
    pthread_setname_np(pthread_self(), "SignalWatch");
    for (;;)
    {
        int signal = 0;
        // Fails only for a set it cannot wait on: then no wait would ever succeed.
        if (sigwait(&signals, &signal) != 0)
            return;
        if (s_nSignals.fetch_add(1) == 0)
        {
            s_bPending.store(true);
            continue;
        }
        std::signal(signal, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, signal);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        std::raise(signal);
    }
}
} // namespace

// The signals are blocked here, and so in every thread started after, and one thread waits for
// them: no handler interrupts the game's threads. (Where 32-bit programs run under qemu, a
// handler's return left the interrupted thread on another thread's thread-local storage.)
void InstallTerminationRequest()
{
    if (s_bInstalled.exchange(true))
        return;
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : kSignals)
        sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WatchTerminationSignals, signals).detach();
}

bool TakeTerminationRequest()
{
    return s_bPending.exchange(false);
}

bool TerminationRequested()
{
    return s_nSignals.load() > 0;
}
