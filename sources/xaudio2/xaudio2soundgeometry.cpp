#include "xaudio2/xaudio2soundgeometry.h"

#include "engine/system/nodekindnames.h"

TXAudio2SoundGeometry::TXAudio2SoundGeometry()
{
    m_nClassName = g_NameTSoundGeometry.GetId();
}
