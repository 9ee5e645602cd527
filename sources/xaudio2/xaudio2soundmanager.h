#pragma once
// TXAudio2SoundManager ("Sound", type "XAudio2"): owns the loaded sound records (instances,
// clips, groups), hands out instances from the pool of dynamic sounds, keeps the list of
// playing instances (at most 255) and releases finished ones every frame, telling the
// TSoundMethods listeners. No audio engine runs yet: starting the service enables the pool
// and the instances keep their state without a voice.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/system/resourcemethods.h"
#include "xaudio2/soundmanager.h"

class TXAudio2Sound;
class TXAudio2SoundData;
class TXAudio2SoundGroup;

// At most this many instances play at once (the playing list holds one more).
constexpr u32 SOUND_PLAYING_CAPACITY = 255;
constexpr u32 SOUND_POOL_CAPACITY = 256;

// State flags.
constexpr u32 SOUND_STATE_RESTORE_VOICES = 0x1;
constexpr u32 SOUND_STATE_AUDIO_ENABLED = 0x2;

typedef SArray<i32, SOUND_POOL_CAPACITY, 0> TSoundIndexList;

class TXAudio2SoundManager : public TSoundManager, public TResourceMethods, public TClusterMethods
{
public:
    TXAudio2SoundManager();
    ~TXAudio2SoundManager() override;

    i32 InitializeManager() override;
    void BeginManager() override;
    void EndManager() override;
    // Steps every playing instance by the frame time (at most 0.1 s), the group fades, and
    // releases the finished instances.
    void UpdateManager(f32 step) override;
    // Owned instances go with the array a load replaces.
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    i32 GetSoundGroupCount() override { return m_aGroup.GetCount(); }
    void GetSoundGroup(TSoundGroup*& group, i32 index) override;
    i32 GetSoundDataCount() override { return m_aData.GetCount(); }
    void GetSoundData(TSoundData*& data, i32 index) override;
    i32 GetSoundCount() override { return m_aSound.GetCount(); }
    void GetSound(TSound*& sound, i32 index) override;
    // A name that is no preset logs "unable to find '%s'" and keeps the current one.
    void SetReverb(const TName& name) override;
    void PlaySound(TSound*& sound, TSoundData* data, TNode* node, i32 startArgument, u32 play) override;
    void PlaySoundEx(TSound*& sound, TSoundData* data, TNode* node, i32 idA, f32 valueA, i32 idB,
                     f32 valueB) override;

    // The preset index of a name: the default for the empty name, -1 when absent.
    i32 FindReverbPreset(const TName& name, i32 defaultIndex) const;
    void ApplyReverbPreset(i32 index) { m_nReverbPreset = index; }
    i32 GetReverbPreset() const { return m_nReverbPreset; }

    // Cluster listener: an unload stops the service (finished instances no longer reach the
    // listeners), a load starts it again.
    void OnClusterUnload() override;
    void OnClusterLoad() override;

    // Enables the service unless sound_enabled is 0 ("Sound disabled.").
    void _Start();
    // Stops every instance, releases them and refills the pool.
    void _Stop();
    u32 IsAudioEnabled() const { return m_nStateFlags & SOUND_STATE_AUDIO_ENABLED; }
    // The instance's index in the sound array; -1 for none, and "null sound." for null.
    i32 _GetSoundIndex(const TSound* sound) const;
    // False, logged, when 255 instances play.
    bool _CanSoundPlay(TSound* sound);
    void _OnSoundPlayed(TSound* sound);
    void _OnSoundStopped(TSound* sound);
    void _ResetDynamicSounds();
    // Null without audio or clip; otherwise a free instance bound to the clip and the node.
    TXAudio2Sound* _CreateDynamicSound(TSoundData* data, TNode* node);
    void _ReleaseFinishedSounds();

    // The arrays the cluster fills; programs may add records of their own.
    DArray<TXAudio2Sound*>& Sounds() { return m_aSound; }
    DArray<TXAudio2SoundData*>& Data() { return m_aData; }
    DArray<TXAudio2SoundGroup*>& Groups() { return m_aGroup; }
    const TSoundIndexList& GetPlayingList() const { return m_aPlaying; }
    u32 GetFreeCount() const { return m_aFree.GetCount(); }

private:
    TXAudio2Sound* _AllocDynamicSound();
    void FreeOwned();

    u32 m_nStateFlags;
    i32 m_nReverbPreset;
    i32 m_nAmbientReverbPreset;
    DArray<TXAudio2Sound*> m_aSound;
    DArray<TXAudio2SoundData*> m_aData;
    DArray<TXAudio2SoundGroup*> m_aGroup;
    // Instances the pool made beyond the loaded records (the data carry none yet).
    DArray<TXAudio2Sound*> m_aOwnedSound;
    TSoundIndexList m_aFree;
    TSoundIndexList m_aPlaying;
    TSoundIndexList m_aFinished;
    u32 m_nSerial;
    // Set by a cluster unload: released instances reach no listener.
    u32 m_nSuppressNotify;
};

extern TXAudio2SoundManager* g_pXAudio2SoundManager;
