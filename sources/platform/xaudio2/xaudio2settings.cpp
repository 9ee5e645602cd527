#include "platform/xaudio2/xaudio2settings.h"

#include "platform/xaudio2/audioengine.h"

TXAudio2Settings& XAudio2Settings()
{
    static TXAudio2Settings settings;
    return settings;
}

void XAudio2StepMixer(UINT32 quanta)
{
    TAudioEngine::StepAll(quanta);
}
