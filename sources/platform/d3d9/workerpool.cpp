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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        count_ = count;
        follows_ = follows;
        next_ = 0;
        // The caller takes items too: a worker more than the items would find none.
        wanted_ = std::min(count - 1, int(threads_.size()));
        generation_.fetch_add(1, std::memory_order_release);
    }
    // The sleeping workers are woken at once: woken one by another, the last would join only
    // after each before it had been given a core in turn, which on a busy machine takes most
    // of a short job. Those woken beyond the wanted find the job full and sleep again.
    if (count > 2)
        wake_.notify_all();
    else
        wake_.notify_one();
    Drain(0);
    // Every item is taken. No worker joins any more; the items workers run are certain to end
    // soon, and then the job's fields may change.
    std::unique_lock<std::mutex> lock(mutex_);
    wanted_ = 0;
    lock.unlock();
    auto done = [this] { return inJob_.load(std::memory_order_acquire) == 0; };
    if (!SpinUntil(done))
    {
        lock.lock();
        finished_.wait(lock, done);
    }
    job_ = nullptr;
}

void TWorkerPool::Work(int participant)
{
    unsigned seen = 0;
    bool spin = false;
    for (;;)
    {
        // Spinning only for a job the last one said follows.
        if (!spin || !SpinUntil([&] { return Joinable(seen); }))
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || Joinable(seen); });
            if (stopping_)
                return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!Joinable(seen))
                continue;
            seen = generation_.load(std::memory_order_relaxed);
            inJob_.fetch_add(1, std::memory_order_acq_rel);
            wanted_.fetch_sub(1, std::memory_order_acq_rel);
            spin = follows_;
        }
        Drain(participant);
        if (inJob_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.notify_one();
        }
    }
}
