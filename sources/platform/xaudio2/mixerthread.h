#pragma once
// TMixerThread: the thread that mixes an engine's quanta and hands them to its output, paced by
// the output's device or, without one, by the clock (one quantum per 10 ms of audio; after a
// stall of more than 200 ms it starts afresh instead of rushing to catch up).
#include "platform/xaudio2/audiooutput.h"

#include <atomic>
#include <thread>

class TAudioEngine;

class TMixerThread
{
public:
    TMixerThread(TAudioEngine& engine, TAudioOutput& output, UINT32 sampleRate);
    ~TMixerThread();
    TMixerThread(const TMixerThread&) = delete;
    TMixerThread& operator=(const TMixerThread&) = delete;

    // Returns once the thread has ended.
    void Stop();

private:
    void Run();

    TAudioEngine& engine_;
    TAudioOutput& output_;
    UINT32 sampleRate_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
