#include "platform/d3d9/workerpool.h"

#include <algorithm>
#include <chrono>

#include <emmintrin.h>

namespace
{
// How long a thread spins for what is certain to come soon (the next stage of a draw, the end of
// a job's items) before it sleeps: longer than waking a sleeping thread takes.
constexpr std::chrono::microseconds kSpin{50};

template <typename TReady>
bool SpinUntil(TReady ready)
{
    const auto until = std::chrono::steady_clock::now() + kSpin;
    for (;;)
    {
        for (int i = 0; i < 32; ++i)
        {
            if (ready())
                return true;
            _mm_pause();
        }
        if (std::chrono::steady_clock::now() >= until)
            return false;
    }
}
} // namespace

TWorkerPool::TWorkerPool(unsigned participants)
{
    const unsigned cores = participants ? participants : std::thread::hardware_concurrency();
    for (unsigned i = 1; i < cores; ++i)
        threads_.emplace_back(&TWorkerPool::Work, this, int(i));
}

TWorkerPool::~TWorkerPool()
{
    stopping_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void TWorkerPool::Drain(int participant)
{
    for (int item = next_.fetch_add(1); item < count_; item = next_.fetch_add(1))
        (*job_)(item, participant);
}

void TWorkerPool::Run(int count, const std::function<void(int, int)>& job, bool follows)
{
    if (count <= 0)
        return;
    if (count == 1 || threads_.empty())
    {
        for (int item = 0; item < count; ++item)
            job(item, 0);
        return;
    }
    // No worker is in a job now: the fields are the caller's until the places are offered.
    job_ = &job;
    count_ = count;
    follows_ = follows;
    next_.store(0, std::memory_order_relaxed);
    // The caller takes items too: a worker more than the items would find none.
    wanted_.store(std::min(count - 1, int(threads_.size())), std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
    // The sleeping workers are woken at once: woken one by another, the last would join only
    // after each before it had been given a core in turn, which on a busy machine takes most
    // of a short job. Those woken beyond the wanted find the job full and sleep again.
    if (count > 2)
        generation_.notify_all();
    else
        generation_.notify_one();
    Drain(0);
    // Every item is taken. No worker takes a place any more; the items workers run are certain
    // to end soon, and then the job's fields may change.
    wanted_.store(0, std::memory_order_release);
    auto done = [this] { return inJob_.load(std::memory_order_acquire) == 0; };
    if (!SpinUntil(done))
        for (int in = inJob_.load(std::memory_order_acquire); in != 0; in = inJob_.load(std::memory_order_acquire))
            inJob_.wait(in, std::memory_order_acquire);
    job_ = nullptr;
}

void TWorkerPool::Work(int participant)
{
    unsigned seen = 0;
    bool spin = false;
    for (;;)
    {
        // Spinning only for a job the last one said follows.
        auto fresh = [&] { return generation_.load(std::memory_order_acquire) != seen; };
        if (!fresh() && !(spin && SpinUntil(fresh)))
            generation_.wait(seen, std::memory_order_acquire);
        if (stopping_.load(std::memory_order_acquire))
            return;
        const unsigned current = generation_.load(std::memory_order_acquire);
        if (current == seen)
            continue;
        seen = current;
        spin = false;
        // In the job before taking a place: the caller, once it has closed the places, waits for
        // every worker counted, so that none reads the job's fields while they change. A place
        // taken is one of the latest job, whose fields the caller wrote before offering it.
        inJob_.fetch_add(1, std::memory_order_acq_rel);
        int wanted = wanted_.load(std::memory_order_acquire);
        while (wanted > 0 && !wanted_.compare_exchange_weak(wanted, wanted - 1, std::memory_order_acq_rel))
        {
        }
        if (wanted > 0)
        {
            spin = follows_;
            Drain(participant);
        }
        if (inJob_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            inJob_.notify_one();
    }
}
