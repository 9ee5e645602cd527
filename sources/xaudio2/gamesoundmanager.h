#pragma once
// TGameSoundManager ("GameSound"): holds the game sounds and game sound nodes a level loads and
// continues a game sound each time one of its clips ends (it listens to the sound manager).
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"
#include "engine/sound/soundmethods.h"

class TGameSound;
class TGameSoundNode;

class TGameSoundManager : public TManager, public TSoundMethods
{
public:
    TGameSoundManager();
    ~TGameSoundManager() override;

    i32 InitializeManager() override { return 0; }
    void BeginManager() override;
    void UpdateManager(f32) override {}
    // An instance whose owner is a game sound: that sound's next clip or its end.
    void OnSoundEnded(TSound* sound) override;

    // The arrays the cluster fills; programs may add records of their own.
    DArray<TGameSound*>& GameSounds() { return m_aGameSound; }
    DArray<TGameSoundNode*>& GameSoundNodes() { return m_aGameSoundNode; }

private:
    DArray<TGameSound*> m_aGameSound;
    DArray<TGameSoundNode*> m_aGameSoundNode;
};

extern TGameSoundManager* g_pGameSoundManager;
