#include "platform/d3d9/workerpool.h"

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
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return busy_ == 0; });
    job_ = nullptr;
}

void TWorkerPool::Work(int participant)
{
    unsigned seen = 0;
    for (;;)
    {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_;
        }
        Drain(participant);
        std::lock_guard<std::mutex> lock(mutex_);
        if (--busy_ == 0)
            finished_.notify_one();
    }
}
