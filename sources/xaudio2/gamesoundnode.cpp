#include "xaudio2/gamesoundnode.h"

#include "engine/sound/soundmanager.h"
#include "xaudio2/gamesound.h"

TGameSoundNode::TGameSoundNode() : pGameSound(nullptr), m_nEnabled(1)
{
}

void TGameSoundNode::SetActive(u32 active)
{
    if (!pGameSound)
        return;
    if (active && m_nEnabled)
    {
        pGameSound->Play(pNode);
        return;
    }
    pGameSound->Stop(0);
    if (g_pSoundManager)
        g_pSoundManager->UpdateNow();
}
