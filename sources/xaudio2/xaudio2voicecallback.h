#pragma once
// TXAudio2VoiceCallback: the one callback object of every source voice. It runs on the mixer's
// thread, so it does one thing only: the end of a clip's buffer sets the finished flag of the
// sound given as the buffer's context, which the next update of the manager reads; and the end of
// each voice's pass is counted, so that a stop can wait for the mixer to play its voices out.
#include "core/system/types.h"
#include "platform/xaudio2/xaudio2.h"

#include <atomic>
#include <chrono>

class TXAudio2VoiceCallback : public IXAudio2VoiceCallback
{
public:
    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override { m_nPasses.fetch_add(1, std::memory_order_release); }
    void OnStreamEnd() override {}
    void OnBufferStart(void*) override {}
    void OnBufferEnd(void* context) override;
    void OnLoopEnd(void*) override {}
    void OnVoiceError(void*, HRESULT) override {}

    u32 GetPassCount() const { return m_nPasses.load(std::memory_order_acquire); }
    // Returns once a voice has ended a pass after `seen` were counted, or after `longest`.
    void WaitForPass(u32 seen, std::chrono::milliseconds longest) const;

private:
    std::atomic<u32> m_nPasses{0};
};
