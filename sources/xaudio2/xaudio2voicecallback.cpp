#include "xaudio2/xaudio2voicecallback.h"

#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <thread>

void TXAudio2VoiceCallback::OnBufferEnd(void* context)
{
    if (g_pXAudio2SoundManager && context)
        static_cast<TXAudio2Sound*>(context)->_SetFlags(SOUND_FINISHED);
}

void TXAudio2VoiceCallback::WaitForPass(u32 seen, std::chrono::milliseconds longest) const
{
    const auto until = std::chrono::steady_clock::now() + longest;
    while (GetPassCount() == seen && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
