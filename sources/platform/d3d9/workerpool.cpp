#include "platform/d3d9/workerpool.h"

#include <chrono>

#include <emmintrin.h>

namespace
{
// How long a waiting thread spins before it sleeps: longer than waking a sleeping thread takes,
// so that the caller does not sleep through the end of a job only to be woken a moment later,
// and workers catch a draw that follows at once.
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

void TWorkerPool::Run(int count, const std::function<void(int, int)>& job)
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
        next_ = 0;
        busy_ = int(threads_.size());
        ++generation_;
    }
    wake_.notify_all();
    Drain(0);
    auto done = [this] { return busy_.load(std::memory_order_acquire) == 0; };
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
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
    for (;;)
    {
        if (!SpinUntil([&] { return generation_.load(std::memory_order_acquire) != seen; }))
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
        }
        seen = generation_;
        Drain(participant);
        if (busy_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.notify_one();
        }
    }
}
