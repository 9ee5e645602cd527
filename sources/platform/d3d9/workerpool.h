#pragma once
// One worker thread per further core; the calling thread takes part in every job. A job wakes
// its sleeping workers at once and takes in only those its items can keep busy; workers sleep
// between jobs, and spin instead only while the caller has said that another job follows at once
// (the next stage of one draw).
#include <atomic>
#include <functional>
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
    // `follows`: the caller runs another job right after this one.
    void Run(int count, const std::function<void(int item, int participant)>& job, bool follows = false);

private:
    void Work(int participant);
    void Drain(int participant);

    std::vector<std::thread> threads_;
    // The current job: written by the caller while no worker is in it.
    const std::function<void(int, int)>* job_ = nullptr;
    int count_ = 0;
    bool follows_ = false;
    std::atomic<int> next_{0};   // the next item to take
    std::atomic<int> wanted_{0}; // places the job still offers to workers
    std::atomic<int> inJob_{0};  // workers counted in the job, with a place or about to find none
    std::atomic<unsigned> generation_{0}; // one more for each job; workers sleep on it
    std::atomic<bool> stopping_{false};
};
