#include "platform/desktop/terminationrequest.h"

#include <atomic>
#include <csignal>

namespace
{
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> s_nSignals{0};
std::atomic<bool> s_bPending{false};
std::atomic<bool> s_bInstalled{false};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "signal handlers may only touch lock-free atomics");

void OnTerminationSignal(int signal)
{
    if (s_nSignals.fetch_add(1) == 0)
    {
        s_bPending.store(true);
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

void InstallTerminationRequest()
{
    if (s_bInstalled.exchange(true))
        return;
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

bool TakeTerminationRequest()
{
    return s_bPending.exchange(false);
}

bool TerminationRequested()
{
    return s_nSignals.load() > 0;
}
