#include "xaudio2/xaudio2voicecallback.h"

#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

void TXAudio2VoiceCallback::OnBufferEnd(void* context)
{
    if (g_pXAudio2SoundManager && context)
        static_cast<TXAudio2Sound*>(context)->_SetFlags(SOUND_FINISHED);
}
