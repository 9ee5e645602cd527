#include "platform/xaudio2/mixerthread.h"

#include "platform/xaudio2/audioengine.h"

#include <chrono>

#include <pthread.h>

namespace
{
constexpr std::chrono::milliseconds kIdle(10);
constexpr std::chrono::milliseconds kLongestStall(200);
} // namespace

TMixerThread::TMixerThread(TAudioEngine& engine, TAudioOutput& output, UINT32 sampleRate)
    : engine_(engine), output_(output), sampleRate_(sampleRate), thread_([this] { Run(); })
{
}

TMixerThread::~TMixerThread()
{
    Stop();
}

void TMixerThread::Stop()
{
    stopping_ = true;
    output_.Interrupt();
    if (thread_.joinable())
        thread_.join();
}

void TMixerThread::Run()
{
    pthread_setname_np(pthread_self(), "XAudio2Mixer");
    using Clock = std::chrono::steady_clock;
    Clock::time_point due = Clock::now();
    while (!stopping_)
    {
        const std::int16_t* samples = nullptr;
        const UINT32 frames = engine_.MixQuantum(&samples);
        if (frames == 0)
        {
            std::this_thread::sleep_for(kIdle);
            due = Clock::now();
            continue;
        }
        output_.Write(samples, frames);
        if (output_.PacedByDevice())
            continue;
        due += std::chrono::nanoseconds(std::uint64_t(frames) * 1000000000u / sampleRate_);
        const Clock::time_point now = Clock::now();
        if (due + kLongestStall < now)
            due = now;
        else
            std::this_thread::sleep_until(due);
    }
}
