#pragma once
// One worker thread per further core; the calling thread takes part in every job.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TWorkerPool
{
public:
    // `participants` 0 takes one per core.
    explicit TWorkerPool(unsigned participants);
    ~TWorkerPool();

    // Threads that take part in a job, the caller included.
    int Participants() const { return int(threads_.size()) + 1; }
    // Runs job(item, participant) for every item in [0, count) and returns when all are done.
    void Run(int count, const std::function<void(int item, int participant)>& job);

private:
    void Work(int participant);
    void Drain(int participant);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const std::function<void(int, int)>* job_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    std::atomic<int> busy_{0};
    std::atomic<unsigned> generation_{0};
    bool stopping_ = false;
};
