#include "xaudio2/gamesoundmanager.h"

#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "xaudio2/gamesound.h"
#include "engine/sound/sound.h"
#include "engine/sound/soundmanager.h"
#include "xaudio2/soundtypes.h"

TGameSoundManager* g_pGameSoundManager = nullptr;

namespace
{
TGameSoundManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("GameSound", "GameSound", &g_pGameSoundManager, &s_Manager);
} // namespace

TGameSoundManager::TGameSoundManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&GameSoundDecl(), &m_aGameSound);
    RegisterArray(&GameSoundNodeDecl(), &m_aGameSoundNode);
}

TGameSoundManager::~TGameSoundManager()
{
    m_aGameSound.Free();
    m_aGameSoundNode.Free();
}

void TGameSoundManager::BeginManager()
{
    g_pSoundManager->AddMethod(this);
}

void TGameSoundManager::OnSoundEnded(TSound* sound)
{
    if (TGameSound::IsGameSound(sound->pOwner))
        static_cast<TGameSound*>(sound->pOwner)->OnClipEnded(sound);
}
