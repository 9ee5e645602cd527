#pragma once
// TXAudio2SoundManager ("Sound", type "XAudio2"): the sound service over XAudio2 and X3DAudio.
// It owns the arrays of loaded sound records, starts the audio engine on a cluster load and
// stops it on an unload, hands out pooled sound records as dynamic sounds, keeps the list of
// playing sounds (at most 255), updates every playing voice once per frame and commits the
// frame's voice changes as one operation set.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/render/devicemethods.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"

class TXAudio2Sound;
class TXAudio2SoundData;
class TXAudio2SoundGeometry;
class TXAudio2SoundGroup;
class TXAudio2SoundParameter;
class TXAudio2SoundReverb;

// At most this many sounds play at once (the playing list holds one more).
constexpr u32 SOUND_PLAYING_CAPACITY = 255;
// The pool of dynamic sounds: the first sound records loaded.
constexpr u32 SOUND_POOL_CAPACITY = 256;
// Each array of loaded records holds at most this many.
constexpr i32 SOUND_ARRAY_CAPACITY = 1024;
// The cluster-manager id of the pool's data blocks.
constexpr i32 SOUND_MANAGER_ID = 73;

// State flags.
constexpr u32 SOUND_STATE_RESTORE_VOICES = 0x1;
constexpr u32 SOUND_STATE_AUDIO_ENABLED = 0x2;

typedef SArray<i32, SOUND_POOL_CAPACITY, 0> TSoundIndexList;
// The free stack, the playing list and the finished list, stored as data blocks.
constexpr i32 SOUND_DATA_BLOCK_COUNT = 3;
constexpr i32 SOUND_DATA_BLOCK_SIZE = sizeof(TSoundIndexList);
static_assert(SOUND_DATA_BLOCK_SIZE == 1028);

class TXAudio2SoundManager : public TSoundManager,
                             public TResourceMethods,
                             public TClusterMethods,
                             public TStateMethods,
                             public TDeviceMethods
{
public:
    TXAudio2SoundManager();

    i32 InitializeManager() override;
    void FinalizeManager() override;
    void BeginManager() override;
    void EndManager() override;
    // Flushes the canvas's pending 2D batches.
    void RenderManager() override;
    // Steps the group fades by the frame time, once per frame.
    void ThreadUpdateManager(f32 step) override;
    // Listener, every playing sound, releases, commit: steps of the frame time, at most 0.1 s.
    void UpdateManager(f32 step) override;
    // The lists name records of the array a load replaces; more than 1,024 records are cut.
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    i32 GetDataCount() override { return SOUND_DATA_BLOCK_COUNT; }
    i32 GetDataSize() override { return SOUND_DATA_BLOCK_COUNT * SOUND_DATA_BLOCK_SIZE; }
    // Blocks 0 the free stack, 1 the playing list, 2 the finished list; 1 for another index.
    i32 GetData(i32 index, void*& data, i32& size) override;
    // A block of the wrong size, more than 256 indices or an index outside the sound array is
    // refused (logged, 1); a taken one asks for the voices to be restored.
    i32 SetData(i32 index, const void* data, i32 size) override;

    i32 GetSoundGroupCount() override { return m_aGroup.GetCount(); }
    void GetSoundGroup(TSoundGroup*& group, i32 index) override;
    i32 GetSoundDataLibraryCount() override { return 0; }
    TSoundDataLibrary* GetSoundDataLibrary(i32 index) override;
    TSoundDataLibrary* CreateSoundDataLibrary() override;
    i32 GetSoundDataCount() override { return m_aData.GetCount(); }
    void GetSoundData(TSoundData*& data, i32 index) override;
    i32 GetSoundCount() override { return m_aSound.GetCount(); }
    void GetSound(TSound*& sound, i32 index) override;
    TSound* CreateSound() override;
    // The number of reverb presets: 0 before the first start, 31 after.
    i32 GetSoundReverbCount() override;
    TSoundReverb* GetSoundReverb(i32 index) override;
    TSoundReverb* CreateSoundReverb() override;
    i32 FindReverbPreset(const TName& name, i32 defaultIndex) override;
    // Sends the preset's parameters to the reverb unless it is the current one already.
    void ApplyReverbPreset(i32 index) override;
    // A name that is no preset logs "unable to find '%s'" and keeps the current one.
    void SetReverb(const TName& name) override;
    void SetAmbientReverbIndex(i32 index) override { m_nAmbientReverbPreset = index; }
    void SetAmbientReverb(const TName& name) override;
    i32 GetSoundGeometryCount() override { return 0; }
    TSoundGeometry* GetSoundGeometry(i32 index) override;
    TSoundGeometry* CreateSoundGeometry() override;
    void PlaySound(TSound*& sound, TSoundData* data, TNode* node, i32 startArgument, u32 play) override;
    void PlaySoundEx(TSound*& sound, TSoundData* data, TNode* node, i32 idA, f32 valueA, i32 idB,
                     f32 valueB) override;
    void UpdateNow() override;
    void PauseAll(u32 pause) override;
    u32 IsActive() override;

    // Cluster listener: an unload stops the engine (released sounds reach no listener); a load
    // starts it, restores voices, applies the group volumes and lets the listeners hear again.
    void OnClusterUnload() override;
    void OnClusterLoad() override;
    // State images: the sound data and groups are unloaded around them; the voices of a saved
    // state do not exist any more.
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;
    // The window's activation resumes every sound, its deactivation pauses them.
    void OnDeviceActivate() override { PauseAll(0); }
    void OnDeviceDeactivate() override { PauseAll(1); }

    // Starts the engine unless sound_enabled is 0: the device, the mastering voice, X3DAudio,
    // the reverb; each step logged, a failed one disables sound.
    void _Start();
    // Stops every sound, releases them, destroys the voices and the engine, refills the pool.
    void _Stop();
    // The device to open: sound_device_index when usable, else the first usable one, else 0.
    u32 _GetDeviceIndex();
    u32 IsAudioEnabled() const { return m_nStateFlags & SOUND_STATE_AUDIO_ENABLED; }
    i32 GetReverbPreset() const { return m_nReverbPreset; }
    i32 GetAmbientReverbPreset() const { return m_nAmbientReverbPreset; }
    // The sound's index in the sound array; -1 for none, and "null sound." for null.
    i32 _GetSoundIndex(const TSound* sound) const;
    // False, logged, when 255 sounds play.
    bool _CanSoundPlay(TSound* sound);
    void _OnSoundPlayed(TSound* sound);
    // Listeners told (unless after an unload), out of the playing list, off its node.
    void _OnSoundStopped(TSound* sound);
    void _FreeDynamicSound(TSound* sound);
    // Every record of the pool free again, the highest index handed out first.
    void _ResetDynamicSounds();
    // Null without audio or clip; otherwise a free record bound to the clip and the node.
    TXAudio2Sound* _CreateDynamicSound(TSoundData* data, TNode* node);
    void _RestartVoices();
    void _UpdateListener(f32 t);
    void _UpdateSounds(f32 t);
    void _ReleaseFinishedSounds();
    // The five volume variables applied to their groups.
    void _ApplyVolumeVariables();

    // The arrays the cluster fills; tests and tools may add records of their own.
    DArray<TXAudio2Sound*>& Sounds() { return m_aSound; }
    DArray<TXAudio2SoundData*>& Data() { return m_aData; }
    DArray<TXAudio2SoundGroup*>& Groups() { return m_aGroup; }
    DArray<TXAudio2SoundReverb*>& Reverbs() { return m_aReverb; }
    const TSoundIndexList& GetPlayingList() const { return m_aPlaying; }
    const TSoundIndexList& GetFreeList() const { return m_aFree; }
    u32 GetFreeCount() const { return m_aFree.GetCount(); }

private:
    TXAudio2Sound* _AllocDynamicSound();
    // Logs a failed step of _Start and takes everything it made down again.
    void FailStart(const char* step, HRESULT result);
    // Destroys the shared voices and releases the engine.
    void ReleaseEngine();
    TSoundIndexList* Block(i32 index);
    void UnloadResources();

    u32 m_nStateFlags;
    i32 m_nReverbPreset;
    i32 m_nAmbientReverbPreset;
    DArray<TXAudio2Sound*> m_aSound;
    DArray<TXAudio2SoundData*> m_aData;
    DArray<TXAudio2SoundGroup*> m_aGroup;
    DArray<TXAudio2SoundGeometry*> m_aGeometry;
    DArray<TXAudio2SoundReverb*> m_aReverb;
    DArray<TXAudio2SoundParameter*> m_aParameter;
    TSoundIndexList m_aFree;
    TSoundIndexList m_aPlaying;
    TSoundIndexList m_aFinished;
    // The timer frame whose group fades were stepped.
    u32 m_nFadeFrame;
    // A load brought sound records since the last notification.
    u32 m_nNewRecords;
};

extern TXAudio2SoundManager* g_pXAudio2SoundManager;
