#pragma once
// TXAudio2VoiceCallback: the one callback object of every source voice. It runs on the mixer's
// thread, so it does one thing only: the end of a clip's buffer sets the finished flag of the
// sound given as the buffer's context, which the next update of the manager reads.
#include "platform/xaudio2/xaudio2.h"

class TXAudio2VoiceCallback : public IXAudio2VoiceCallback
{
public:
    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override {}
    void OnBufferStart(void*) override {}
    void OnBufferEnd(void* context) override;
    void OnLoopEnd(void*) override {}
    void OnVoiceError(void*, HRESULT) override {}
};
