#include "engine/sound/sound.h"

#include "engine/system/nodekindnames.h"

TSound::TSound()
    : pSoundData(nullptr), pScriptStart(nullptr), pScriptEnd(nullptr), pScriptSyncPoint(nullptr),
      pOwner(nullptr), m_fCurveDistanceScaler(0.0f), pCurve(nullptr)
{
    m_nClassName = g_NameTSound.GetId();
}
